#pragma once
// A TCP listener on 127.0.0.1 standing in for a network printer. Only loopback addresses.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LoopbackListener {
  public:
    enum class Mode {
        Read,      // accepts one connection after another and reads each to its end
        NeverRead, // accepts but never reads, with a small receive buffer
        Reset,     // reads a little of the first connection, then resets it
    };
    explicit LoopbackListener(Mode mode = Mode::Read);
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    std::uint16_t Port() const { return port_; }
    // The bytes of each connection that ended, waiting up to timeoutMs for `count` of them.
    std::vector<std::string> Connections(std::size_t count, int timeoutMs = 5000);

  private:
    void Serve();

    Mode mode_;
    int listen_ = -1;
    int stop_[2] = {-1, -1};
    std::uint16_t port_ = 0;
    std::mutex lock_;
    std::vector<std::string> done_;
    std::vector<int> held_;
    std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens: connecting is refused. Held bound, so nothing
// else takes it while the object lives.
class RefusingPort {
  public:
    RefusingPort();
    ~RefusingPort();
    std::uint16_t Port() const { return port_; }

  private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

// A socket listening on 127.0.0.1 that nobody accepts from: a scripted printer serves it.
class ListeningSocket {
  public:
    ListeningSocket();
    ~ListeningSocket();
    ListeningSocket(const ListeningSocket&) = delete;
    ListeningSocket& operator=(const ListeningSocket&) = delete;
    int Fd() const { return fd_; }
    std::uint16_t Port() const { return port_; }

  private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};
