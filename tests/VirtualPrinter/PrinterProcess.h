#pragma once
// The real printer program as a child process, and the small client ends the tests play.
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <initializer_list>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

constexpr int TimeoutMs = 10000;

// The printer whose output is read line by line, ended in any case.
class Printer {
  public:
    explicit Printer(const QStringList& args) {
        proc_.setProgram(VEMIX_PRINTER_BIN);
        proc_.setArguments(args);
        proc_.setProcessChannelMode(QProcess::SeparateChannels);
        proc_.start();
    }
    ~Printer() {
        if (proc_.state() != QProcess::NotRunning) {
            proc_.kill();
            proc_.waitForFinished(TimeoutMs);
        }
    }
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;

    // The next line, or "" after the time-out.
    std::string Line() {
        QElapsedTimer timer;
        timer.start();
        while (!proc_.canReadLine()) {
            if (timer.elapsed() > TimeoutMs ||
                (!proc_.waitForReadyRead(100) && proc_.state() == QProcess::NotRunning &&
                 !proc_.canReadLine()))
                return "";
        }
        std::string line = proc_.readLine().toStdString();
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        seen_.push_back(line);
        return line;
    }
    // Reads lines until one equals want; true when it came.
    bool WaitFor(const std::string& want) {
        for (std::string l = Line(); !l.empty(); l = Line())
            if (l == want)
                return true;
        return false;
    }
    // SIGTERM; the rest of the output; the exit status (-1 when it did not end cleanly).
    int Stop() {
        proc_.terminate();
        if (!proc_.waitForFinished(TimeoutMs))
            return -1;
        while (proc_.canReadLine())
            Line();
        return proc_.exitStatus() == QProcess::NormalExit ? proc_.exitCode() : -1;
    }
    const std::vector<std::string>& Seen() const { return seen_; }
    QProcess& Process() { return proc_; }

  private:
    QProcess proc_;
    std::vector<std::string> seen_;
};

// A printed line of the 32-column roll.
inline std::string Row(const std::string& ascii) {
    return "|" + ascii + std::string(32 - ascii.size(), ' ') + "|";
}

inline std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (const int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}

// Reads exactly `want` bytes from fd within the time-out; less when the other end closed.
inline std::string ReadExactly(int fd, std::size_t want, int timeoutMs = TimeoutMs) {
    std::string got;
    QElapsedTimer timer;
    timer.start();
    while (got.size() < want && timer.elapsed() < timeoutMs) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        char buf[256];
        const ssize_t n = read(fd, buf, std::min(sizeof buf, want - got.size()));
        if (n > 0)
            got.append(buf, static_cast<std::size_t>(n));
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    return got;
}

// A TCP connection to the printer's "127.0.0.1:port" within the time; -1 when refused or late.
inline int ConnectTo(const std::string& address, int timeoutMs = TimeoutMs) {
    const int port = std::stoi(address.substr(address.rfind(':') + 1));
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int err = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 ? 0 : errno;
    if (err == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        socklen_t len = sizeof err;
        if (poll(&p, 1, timeoutMs) != 1 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
            err = ETIMEDOUT;
    }
    if (err != 0) {
        close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// Writes everything, waiting for room as the program's ports do (a pseudo-terminal holds its
// output until the printer has read the line's settings).
inline void Send(int fd, const std::string& bytes) {
    std::size_t done = 0;
    QElapsedTimer timer;
    timer.start();
    while (done < bytes.size() && timer.elapsed() < TimeoutMs) {
        pollfd p{fd, POLLOUT, 0};
        poll(&p, 1, 1);
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
    }
    ASSERT_EQ(done, bytes.size());
}
