#pragma once
// A printer that answers the real-time status requests as a script says, at the far end of a
// pseudo-terminal or of the first connection to a loopback listener, in a thread of its own.
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

// One answer to a request: its bytes after a delay (empty: no answer).
struct Reply {
    std::string bytes;
    int delayMs = 0;
};
using Script = std::function<Reply(int request)>;

// Plays the printer on fd (or on the first connection to a loopback listener): reads the
// status requests and answers them as the script says.
class ScriptedPrinter {
  public:
    ScriptedPrinter(int fd, Script script, bool accept = false)
        : fd_(fd), script_(std::move(script)), accept_(accept) {
        thread_ = std::thread([this] { Run(); });
    }
    ~ScriptedPrinter() {
        stop_ = true;
        thread_.join();
    }
    std::vector<int> Requests() {
        std::lock_guard<std::mutex> l(lock_);
        return requests_;
    }
    std::string Received() {
        std::lock_guard<std::mutex> l(lock_);
        return received_;
    }

  private:
    void Run() {
        int fd = fd_;
        int client = -1;
        std::string pending;
        while (!stop_) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            if (accept_ && client < 0) {
                client = accept(fd_, nullptr, nullptr);
                fd = client;
                continue;
            }
            char buf[256];
            const ssize_t n = read(fd, buf, sizeof buf);
            if (n <= 0) {
                if (accept_)
                    break;
                continue;
            }
            {
                std::lock_guard<std::mutex> l(lock_);
                received_.append(buf, static_cast<std::size_t>(n));
            }
            pending.append(buf, static_cast<std::size_t>(n));
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
                const Reply reply = script_(request);
                if (reply.bytes.empty())
                    continue;
                std::this_thread::sleep_for(std::chrono::milliseconds(reply.delayMs));
                [[maybe_unused]] ssize_t w = write(fd, reply.bytes.data(), reply.bytes.size());
            }
        }
        if (client >= 0)
            close(client);
    }

    int fd_;
    Script script_;
    bool accept_;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::vector<int> requests_;
    std::string received_;
    std::thread thread_;
};

// Answers byte n-1 of bytes to request n at once.
inline Script Answers(std::string bytes) {
    return [bytes](int request) {
        return Reply{bytes.substr(static_cast<std::size_t>(request - 1), 1), 0};
    };
}
