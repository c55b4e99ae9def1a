#include "Pty.h"

#include "Rtl/Tick.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace {
long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

Pty::Pty() {
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    slavePath_ = name;
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

Pty::~Pty() {
    if (slave_ >= 0)
        close(slave_);
    if (master_ >= 0)
        close(master_);
}

std::string Pty::Read(std::size_t want, int timeoutMs) {
    std::string out;
    const long long end = NowMs() + timeoutMs;
    while (out.size() < want && NowMs() < end) {
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0)
            continue;
        char buf[65536];
        ssize_t n = read(master_, buf, sizeof buf);
        if (n > 0)
            out.append(buf, static_cast<std::size_t>(n));
        else if (n < 0 && errno != EAGAIN)
            break;
    }
    return out;
}

std::string Pty::ReadAll(int quietMs) {
    std::string out;
    for (;;) {
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, quietMs) <= 0)
            return out;
        char buf[65536];
        ssize_t n = read(master_, buf, sizeof buf);
        if (n <= 0)
            return out;
        out.append(buf, static_cast<std::size_t>(n));
    }
}

void Pty::Write(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EAGAIN)
            throw std::runtime_error("write to the master failed");
    }
}

int Pty::InputWaiting() const {
    int n = -1;
    ioctl(slave_, FIONREAD, &n);
    return n;
}

bool Pty::WaitInput(int count, int timeoutMs) const {
    const long long end = NowMs() + timeoutMs;
    while (NowMs() < end) {
        if (InputWaiting() == count)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return InputWaiting() == count;
}

void Pty::CloseMaster() {
    close(master_);
    master_ = -1;
}

ScopedTick::ScopedTick(std::function<std::uint32_t()> source) {
    SetTickSource(std::move(source));
}
ScopedTick::~ScopedTick() {
    SetTickSource({});
}

Stopwatch::Stopwatch() : start_(NowMs()) {}
long long Stopwatch::Ms() const {
    return NowMs() - start_;
}
