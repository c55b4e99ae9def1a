#pragma once
// Writes to a device or file with the result codes of classic text-file I/O:
// an open that failed leaves the file closed, writing then fails with 103, and closing a
// file that never opened raises EInOutError 103.
#include <string>

class TWaitCancel;

class TDeviceWriter {
  public:
    // timeoutMs: how long the device may take no bytes before a write counts as failed (0: the
    // device is tried without waiting). The waits keep the window alive and end on cancel.
    explicit TDeviceWriter(std::string path, int timeoutMs = 10000,
                           const TWaitCancel* cancel = nullptr);
    ~TDeviceWriter();
    TDeviceWriter(const TDeviceWriter&) = delete;
    TDeviceWriter& operator=(const TDeviceWriter&) = delete;

    // Opens for writing at the end: a file outside /dev is created when missing and keeps what
    // it holds, as a printer's paper does; a device is never created. Returns 0 or an I/O
    // result code; errno of the failure is kept in SystemError.
    int Append();
    // Writes all bytes and waits until the device took them. 0 or an I/O result code.
    int Write(const std::string& bytes);
    // Closes; throws EInOutError(103) when the file is not open.
    void CloseFile();

    bool IsOpen() const { return fd_ >= 0; }
    void SetTimeout(int timeoutMs) { timeoutMs_ = timeoutMs; }
    int SystemError() const { return errno_; }
    std::size_t Written() const { return written_; }

  private:
    bool WaitWritable(int ms);

    std::string path_;
    int timeoutMs_;
    const TWaitCancel* cancel_;
    int fd_ = -1;
    int errno_ = 0;
    std::size_t written_ = 0;
};
