#pragma once
// A printer at the far end of a pseudo-terminal or of loopback connections, in a thread of its
// own, that answers the real-time status requests as a script says, and misbehaves on request:
// stray, late and endless bytes, resets, connections closed at once, a device that goes away.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

// What the printer does after an answer.
enum class PeerEnd {
    Keep,   // goes on reading requests
    Close,  // closes the connection in order
    Reset,  // resets the connection
    Vanish, // the device goes away (the peer's vanish action, e.g. the pty's master closed)
};

// What the printer does for one request: its answer after a delay (empty: no answer), then
// stray bytes, then a flood, then how it goes on.
struct Reply {
    Reply(std::string answer = {}, int delay = 0) : bytes(std::move(answer)), delayMs(delay) {}
    Reply& Stray(std::string more, int afterMs) {
        stray = std::move(more);
        strayMs = afterMs;
        return *this;
    }
    // Bytes of 0x12 after the rest; -1: until the peer is stopped.
    Reply& Flood(long long count) {
        flood = count;
        return *this;
    }
    Reply& Then(PeerEnd how) {
        end = how;
        return *this;
    }
    std::string bytes;
    int delayMs = 0;
    std::string stray;
    int strayMs = 0;
    long long flood = 0;
    PeerEnd end = PeerEnd::Keep;
};
using Script = std::function<Reply(int request)>;

struct PeerOptions {
    explicit PeerOptions(bool serveConnections = false) : accept(serveConnections) {}
    bool accept = false;        // fd listens: the connections are served one after another
    bool closeAtOnce = false;   // every connection is closed as soon as it is accepted
    std::size_t resetAfter = 0; // a connection is reset after reading this many bytes (0: never)
    bool holdAtEnd = false;     // a connection the program ended is kept open, not closed
    std::function<void()> vanish;
};

class ScriptedPrinter {
  public:
    ScriptedPrinter(int fd, Script script, bool accept = false)
        : ScriptedPrinter(fd, std::move(script), PeerOptions{accept}) {}
    ScriptedPrinter(int fd, Script script, PeerOptions options)
        : fd_(fd), script_(std::move(script)), options_(std::move(options)) {
        thread_ = std::thread([this] { Run(); });
    }
    ~ScriptedPrinter() {
        stop_ = true;
        thread_.join();
        for (int c : held_)
            close(c);
    }
    std::vector<int> Requests() {
        std::lock_guard<std::mutex> l(lock_);
        return requests_;
    }
    // Every byte read, over all connections.
    std::string Received() {
        std::lock_guard<std::mutex> l(lock_);
        return received_;
    }
    // The bytes of each connection that ended, waiting up to timeoutMs for `count` of them.
    std::vector<std::string> Connections(std::size_t count, int timeoutMs = 5000) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            {
                std::lock_guard<std::mutex> l(lock_);
                if (connections_.size() >= count || std::chrono::steady_clock::now() > until)
                    return connections_;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

  private:
    bool Readable(int fd) {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, 20) > 0;
    }

    void Run() {
        if (!options_.accept) {
            Serve(fd_);
            return;
        }
        while (!stop_) {
            if (!Readable(fd_))
                continue;
            const int c = accept(fd_, nullptr, nullptr);
            if (c < 0)
                continue;
            std::string got;
            if (!options_.closeAtOnce)
                got = Serve(c);
            {
                std::lock_guard<std::mutex> l(lock_);
                connections_.push_back(got);
            }
            if (c != ended_ || !options_.holdAtEnd)
                close(c);
            else
                held_.push_back(c);
        }
    }

    // Reads requests and acts them out until the line or connection ends; what it read.
    std::string Serve(int fd) {
        std::string got, pending;
        while (!stop_) {
            if (!Readable(fd))
                continue;
            char buf[256];
            std::size_t room = sizeof buf;
            if (options_.resetAfter > 0)
                room = std::min(room, options_.resetAfter - got.size());
            const ssize_t n = read(fd, buf, room);
            if (n <= 0) {
                if (options_.accept) {
                    ended_ = fd;
                    return got;
                }
                continue;
            }
            got.append(buf, static_cast<std::size_t>(n));
            {
                std::lock_guard<std::mutex> l(lock_);
                received_.append(buf, static_cast<std::size_t>(n));
            }
            if (options_.resetAfter > 0 && got.size() >= options_.resetAfter) {
                Reset(fd);
                return got;
            }
            pending.append(buf, static_cast<std::size_t>(n));
            if (!Answer(fd, pending))
                return got;
        }
        return got;
    }

    // Answers the whole requests in pending; false when the line or connection ended.
    bool Answer(int fd, std::string& pending) {
        while (pending.size() >= 3) {
            if (pending[0] != 0x10 || pending[1] != 0x04) {
                pending.erase(0, 1);
                continue;
            }
            const int request = pending[2];
            pending.erase(0, 3);
            {
                std::lock_guard<std::mutex> l(lock_);
                requests_.push_back(request);
            }
            if (!Act(fd, script_(request)))
                return false;
        }
        return true;
    }

    bool Act(int fd, const Reply& reply) {
        if (!reply.bytes.empty()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(reply.delayMs));
            Put(fd, reply.bytes);
        }
        if (!reply.stray.empty()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(reply.strayMs));
            Put(fd, reply.stray);
        }
        const std::string block(4096, '\x12');
        for (long long left = reply.flood; left != 0 && !stop_;) {
            const std::size_t n =
                left < 0 ? block.size() : static_cast<std::size_t>(std::min(left, 4096LL));
            if (!Put(fd, block.substr(0, n)))
                break;
            if (left > 0)
                left -= static_cast<long long>(n);
        }
        switch (reply.end) {
        case PeerEnd::Keep:
            return true;
        case PeerEnd::Close:
            shutdown(fd, SHUT_RDWR);
            return false;
        case PeerEnd::Reset:
            Reset(fd);
            return false;
        case PeerEnd::Vanish:
            if (options_.vanish)
                options_.vanish();
            return false;
        }
        return true;
    }

    static void Reset(int fd) {
        const linger now{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &now, sizeof now);
        shutdown(fd, SHUT_RD);
    }

    // Writes all of bytes, waiting for room; false once the other end is gone or on stop.
    bool Put(int fd, const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size() && !stop_) {
            ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n < 0 && errno == ENOTSOCK)
                n = write(fd, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                return false;
            pollfd p{fd, POLLOUT, 0};
            poll(&p, 1, 20);
        }
        return done == bytes.size();
    }

    int fd_;
    Script script_;
    PeerOptions options_;
    std::atomic<bool> stop_{false};
    int ended_ = -1;
    std::vector<int> held_;
    std::mutex lock_;
    std::vector<int> requests_;
    std::string received_;
    std::vector<std::string> connections_;
    std::thread thread_;
};

// Answers byte n-1 of bytes to request n at once.
inline Script Answers(std::string bytes) {
    return [bytes](int request) {
        return Reply{bytes.substr(static_cast<std::size_t>(request - 1), 1), 0};
    };
}
