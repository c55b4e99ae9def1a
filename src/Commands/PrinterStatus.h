#pragma once
// What a receipt printer says about itself: the one-byte answers to the real-time status
// requests DLE EOT n, the printer-port status lines of a Linux printer device, and the lines
// the status box shows for them. Pure functions: no port, no window.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The real-time status requests, in the order they are asked.
enum TStatusRequest : std::uint8_t {
    srPrinter = 1, // printer
    srOffline = 2, // off-line cause
    srError = 3,   // error cause
    srPaper = 4    // roll paper sensor
};
constexpr int StatusRequestCount = 4;

// Bits of the answers (bit 0 lowest). In every answer bit 0 and bit 7 are 0, bits 1 and 4 are 1.
namespace StatusBit {
constexpr std::uint8_t FixedMask = 0x93;
constexpr std::uint8_t FixedValue = 0x12;
// srPrinter
constexpr std::uint8_t DrawerPin3 = 0x04;
constexpr std::uint8_t Offline = 0x08;
constexpr std::uint8_t WaitingRecovery = 0x20;
constexpr std::uint8_t FeedButton = 0x40;
// srOffline
constexpr std::uint8_t CoverOpen = 0x04;
constexpr std::uint8_t FeedingByButton = 0x08;
constexpr std::uint8_t StoppedByPaperEnd = 0x20;
constexpr std::uint8_t ErrorOccurred = 0x40;
// srError
constexpr std::uint8_t Mechanical = 0x04;
constexpr std::uint8_t AutoCutter = 0x08;
constexpr std::uint8_t Unrecoverable = 0x20;
constexpr std::uint8_t AutoRecoverable = 0x40;
// srPaper: both bits of a pair are set together
constexpr std::uint8_t NearEnd = 0x0C;
constexpr std::uint8_t PaperEnd = 0x60;
} // namespace StatusBit

// DLE EOT n.
std::string StatusRequestBytes(TStatusRequest request);
// True when the answer's fixed bits are as every answer has them.
bool StatusByteRecognised(std::uint8_t answer);

// What one request got back: the bytes that came within the bound and the settle time after
// the answer (none: no answer), the answer and at most StatusExtraKept more; the rest is
// only counted.
struct TStatusAnswer {
    TStatusRequest Request = srPrinter;
    std::string Bytes;
    std::size_t Dropped = 0;
};
constexpr std::size_t StatusExtraKept = 64;

// The facts of one answer, one line each ("上蓋：開啟"). An answer whose fixed bits are wrong
// gives one line "…：無法辨識 (FF)"; no byte gives "…：沒有回應"; bytes beyond the first are
// named and not decoded, and those dropped counted.
QStringList DecodeStatusByte(const TStatusAnswer& answer);
// True when the answer says the printer cannot print now: off line, cover open, stopped at
// the paper end, an error, or the roll used up (near its end it still prints).
bool StatusAnswerStopsPrinting(const TStatusAnswer& answer);
// Kept bytes in hex with the count of those dropped: "1A 16，另有 3 位元組已捨棄".
QString KeptBytesText(const std::string& kept, std::size_t dropped);
// "印表機", "離線原因", "錯誤原因", "紙捲感應器".
QString StatusRequestName(TStatusRequest request);

// Collects the answers of a run of requests. Bytes count only while a request is open: what
// comes while none is (a late answer, a stray byte) belongs to nobody and is kept apart, never
// given to the next request. Each answer and the late bytes keep at most StatusExtraKept bytes
// beyond the first and count the rest.
class TStatusCollector {
  public:
    void Begin(TStatusRequest request);
    void Take(const std::uint8_t* data, std::size_t size);
    void Take(const std::string& bytes);
    // The request's bound passed.
    void End();
    bool Open() const { return FOpen; }
    // The open request has its answer byte.
    bool Answered() const { return FOpen && !FAnswers.back().Bytes.empty(); }
    const std::vector<TStatusAnswer>& Answers() const { return FAnswers; }
    const std::string& Late() const { return FLate; }
    std::size_t LateDropped() const { return FLateDropped; }

  private:
    std::vector<TStatusAnswer> FAnswers;
    bool FOpen = false;
    std::string FLate;
    std::size_t FLateDropped = 0;
};

// The status lines of a Linux printer device (LPGETSTATUS): the byte of the port's status
// register. Paper out and selected are active high, error and busy active low.
namespace LptStatusBit {
constexpr int NoError = 0x08;
constexpr int Selected = 0x10;
constexpr int PaperOut = 0x20;
constexpr int NotBusy = 0x80;
} // namespace LptStatusBit
QStringList DecodeLptStatus(int status);
// Paper out, not selected or an error: the printer cannot print now.
bool LptStatusStopsPrinting(int status);

// "1B 40 0A".
QString HexText(const std::string& bytes);
