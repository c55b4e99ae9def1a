#include "Loopback.h"

#include <arpa/inet.h>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

std::uint16_t BindLoopback(int fd) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
        throw std::runtime_error("bind");
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    return ntohs(a.sin_port);
}

} // namespace

LoopbackListener::LoopbackListener(Mode mode) : mode_(mode) {
    listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (mode_ == Mode::NeverRead) {
        const int small = 4096;
        setsockopt(listen_, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    }
    port_ = BindLoopback(listen_);
    listen(listen_, 16);
    if (pipe2(stop_, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    thread_ = std::thread([this] { Serve(); });
}

LoopbackListener::~LoopbackListener() {
    const char c = 1;
    [[maybe_unused]] ssize_t n = write(stop_[1], &c, 1);
    thread_.join();
    for (int fd : held_)
        close(fd);
    close(listen_);
    close(stop_[0]);
    close(stop_[1]);
}

void LoopbackListener::Serve() {
    for (;;) {
        pollfd p[2] = {{stop_[0], POLLIN, 0}, {listen_, POLLIN, 0}};
        if (poll(p, 2, -1) < 0 || p[0].revents)
            return;
        const int c = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
        if (c < 0)
            continue;
        if (mode_ == Mode::NeverRead) {
            held_.push_back(c);
            continue;
        }
        std::string got;
        char buf[65536];
        for (;;) {
            pollfd q[2] = {{stop_[0], POLLIN, 0}, {c, POLLIN, 0}};
            if (poll(q, 2, -1) < 0 || q[0].revents) {
                close(c);
                return;
            }
            const ssize_t n = read(c, buf, sizeof buf);
            if (n <= 0)
                break;
            got.append(buf, static_cast<std::size_t>(n));
            if (mode_ == Mode::Reset && got.size() >= 1024) {
                const linger now{1, 0};
                setsockopt(c, SOL_SOCKET, SO_LINGER, &now, sizeof now);
                break;
            }
        }
        close(c);
        std::lock_guard<std::mutex> hold(lock_);
        done_.push_back(std::move(got));
    }
}

std::vector<std::string> LoopbackListener::Connections(std::size_t count, int timeoutMs) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (done_.size() >= count || std::chrono::steady_clock::now() > until)
                return done_;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

RefusingPort::RefusingPort() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    port_ = BindLoopback(fd_);
}

RefusingPort::~RefusingPort() {
    close(fd_);
}

ListeningSocket::ListeningSocket() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    port_ = BindLoopback(fd_);
    listen(fd_, 16);
}

ListeningSocket::~ListeningSocket() {
    close(fd_);
}
