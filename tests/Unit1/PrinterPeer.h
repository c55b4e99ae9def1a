#pragma once
// The virtual printer's own logic (the receipt unit's printer) at the far end of a
// pseudo-terminal or of loopback connections, in a thread of its own: it reads what comes,
// answers the status and identity requests as its condition says, after a delay when asked,
// and keeps every byte it read. Connections are served one at a time, as a printer does.
#include "Receipt/Paper.h"
#include "Receipt/Printer.h"
#include "Rtl/CodePage.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

class PrinterPeer {
  public:
    using Clock = std::chrono::steady_clock;

    // fd: a pseudo-terminal's master, or (accept) a socket that listens.
    PrinterPeer(int fd, bool accept, TPrinterState state = {}, int replyDelayMs = 0)
        : fd_(fd), accept_(accept), state_(state), delayMs_(replyDelayMs) {
        thread_ = std::thread([this] { Run(); });
    }
    ~PrinterPeer() { Stop(); }
    PrinterPeer(const PrinterPeer&) = delete;
    PrinterPeer& operator=(const PrinterPeer&) = delete;

    // Ends the thread; the descriptors are the test's again.
    void Stop() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    // Every byte read, over all connections.
    std::string Received() {
        std::lock_guard<std::mutex> l(lock_);
        return received_;
    }
    // Waits until count bytes came.
    bool WaitReceived(std::size_t count, int timeoutMs = 5000) {
        const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Received().size() < count && Clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return Received().size() >= count;
    }
    int Connections() const { return connections_; }
    // The printer closes the connection it serves.
    void CloseConnection() { close_ = true; }

  private:
    void Run() {
        TCodePage page("CP950");
        TPaper paper(page);
        TPrinter printer(csEPSON, paper);
        printer.SetState(state_);
        int fd = accept_ ? -1 : fd_;
        printer.SetOnReply([this](const std::string& bytes) {
            pending_.push_back({Clock::now() + std::chrono::milliseconds(delayMs_), bytes});
        });
        while (!stop_) {
            if (fd < 0) {
                fd = Accept();
                continue;
            }
            if (close_.exchange(false)) {
                ::shutdown(fd, SHUT_RDWR);
                ::close(fd);
                fd = -1;
                continue;
            }
            Answer(fd);
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 5) <= 0)
                continue;
            char buf[4096];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0) {
                if (accept_) {
                    ::close(fd);
                    fd = -1;
                }
                continue;
            }
            {
                std::lock_guard<std::mutex> l(lock_);
                received_.append(buf, static_cast<std::size_t>(n));
            }
            printer.Feed(buf, static_cast<std::size_t>(n));
        }
        if (accept_ && fd >= 0)
            ::close(fd);
    }

    int Accept() {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 5) <= 0)
            return -1;
        const int c = ::accept(fd_, nullptr, nullptr);
        if (c >= 0)
            ++connections_;
        return c;
    }

    // Writes the answers whose time has come.
    void Answer(int fd) {
        while (!pending_.empty() && pending_.front().due <= Clock::now()) {
            const std::string bytes = pending_.front().bytes;
            pending_.pop_front();
            if (::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) < 0) [[maybe_unused]]
                ssize_t n = ::write(fd, bytes.data(), bytes.size());
        }
    }

    struct Due {
        Clock::time_point due;
        std::string bytes;
    };
    int fd_;
    bool accept_;
    TPrinterState state_;
    int delayMs_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> close_{false};
    std::atomic<int> connections_{0};
    std::deque<Due> pending_;
    std::mutex lock_;
    std::string received_;
    std::thread thread_;
};
