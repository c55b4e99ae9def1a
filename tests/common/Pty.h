#pragma once
// A pseudo-terminal pair standing in for a serial cable: the driver opens the slave by path,
// the test plays the printer at the master.
#include <cstdint>
#include <functional>
#include <string>

class Pty {
  public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    // The slave end opened by openpty, before the driver's exclusive open: lets the test look
    // at the line (termios, input queue) from the driver's side.
    int Slave() const { return slave_; }
    int Master() const { return master_; }

    // Everything the driver sent, reading until `want` bytes came or `timeoutMs` passed.
    std::string Read(std::size_t want, int timeoutMs = 2000);
    // Everything that arrives until the line stays quiet for `quietMs`.
    std::string ReadAll(int quietMs = 200);
    void Write(const std::string& bytes);
    // Bytes waiting in the driver's input queue.
    int InputWaiting() const;
    // Waits until exactly `count` bytes wait in the input queue.
    bool WaitInput(int count, int timeoutMs = 2000) const;
    // The cable is pulled: the slave side now fails with EIO.
    void CloseMaster();

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

// Puts GetTickCount under the test's control for the life of the object.
class ScopedTick {
  public:
    explicit ScopedTick(std::function<std::uint32_t()> source);
    ~ScopedTick();
    ScopedTick(const ScopedTick&) = delete;
    ScopedTick& operator=(const ScopedTick&) = delete;
};

// Milliseconds of the steady clock since the object was made.
class Stopwatch {
  public:
    Stopwatch();
    long long Ms() const;

  private:
    long long start_;
};
