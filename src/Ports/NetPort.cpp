#include "Ports/NetPort.h"

#include "DeviceIo/Devices.h"
#include "Rtl/Events.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/sockios.h>
#include <linux/tcp.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// After a lookup or a connection of the job timed out, a printer (or name server) that is back
// answers well within this.
constexpr int kHurriedConnectMs = 300;
constexpr int kHurriedLookupMs = 300;
// After a printer kept its end open once, a reset still comes within this.
constexpr int kHurriedEndMs = 200;
// What one call reads and drops of bytes nobody asked for.
constexpr std::size_t kDropChunk = 64 * 1024;

int MsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(0, left));
}

int SocketError(int fd) {
    int err = 0;
    socklen_t len = sizeof err;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
        return errno;
    return err;
}

} // namespace

std::string NetReason(int err) {
    switch (err) {
    case ECONNREFUSED:
        return "connection refused";
    case EHOSTUNREACH:
    case ENETUNREACH:
        return "no route to host";
    case ETIMEDOUT:
        return "timed out";
    case ECONNRESET:
    case EPIPE:
        return "connection reset by the printer";
    case ECANCELED:
        return "cancelled";
    default:
        return std::strerror(err);
    }
}

TNetPort::TNetPort() : TPort("NET", pkNetwork), FLookup(SystemNameLookup()) {
    SetBound(5000);
}

TNetPort::~TNetPort() {
    if (FSocket >= 0)
        ::close(FSocket);
}

void TNetPort::SetAddress(std::optional<TNetAddress> address) {
    FAddress = std::move(address);
    FResolved.clear();
}

std::string TNetPort::Device() const {
    return FAddress ? NetAddressText(*FAddress) : std::string("no address");
}

void TNetPort::NewJob() {
    TPort::NewJob();
    FResolved.clear();
    FLookupHurried = false;
    FConnectHurried = false;
    FEndHurried = false;
}

void TNetPort::Report(const std::string& reason) const {
    std::fprintf(stderr, "vemix: %s (%s): %s\n", Name().c_str(), Device().c_str(), reason.c_str());
}

bool TNetPort::Resolve(std::vector<TSockAddr>& addresses) {
    if (!FResolved.empty()) {
        addresses = FResolved;
        return true;
    }
    const int bound = FLookupHurried ? std::min(FLookupBound, kHurriedLookupMs) : FLookupBound;
    const TLookupResult found = LookUp(FLookup, FAddress->Host, FAddress->Port, bound, Cancel());
    if (found.Cancelled) {
        Fail(ECANCELED, "cancelled");
        return false;
    }
    if (found.TimedOut) {
        FLookupHurried = true;
        Fail(ETIMEDOUT, "name lookup timed out");
        Report("name lookup timed out after " + std::to_string(bound) + " ms");
        return false;
    }
    FLookupHurried = false;
    if (found.Error != 0) {
        const bool unknown = found.Error == EAI_NONAME || found.Error == EAI_NODATA ||
                             found.Error == EAI_FAIL || found.Error == EAI_AGAIN;
        Fail(ENOENT, unknown ? "name not found" : gai_strerror(found.Error));
        Report(std::string("name not found (") + gai_strerror(found.Error) + ")");
        return false;
    }
    FResolved = found.Addresses;
    addresses = FResolved;
    return true;
}

bool TNetPort::ConnectTo(const TSockAddr& address, int boundMs) {
    FSocket = ::socket(address.Addr.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (FSocket < 0) {
        Fail(errno, std::strerror(errno));
        return false;
    }
    int err = 0;
    if (::connect(FSocket, reinterpret_cast<const sockaddr*>(&address.Addr), address.Len) != 0) {
        err = errno;
        if (err == EINPROGRESS || err == EINTR) {
            switch (WaitForFd(FSocket, POLLOUT, boundMs, Cancel())) {
            case weReady:
                err = SocketError(FSocket);
                break;
            case weTimeout:
                err = ETIMEDOUT;
                break;
            case weCancelled:
                err = ECANCELED;
                break;
            }
        }
    }
    if (err == 0) {
        // A command string is a whole command: send it at once.
        const int one = 1;
        setsockopt(FSocket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        return true;
    }
    ::close(FSocket);
    FSocket = -1;
    Fail(err, NetReason(err));
    return false;
}

bool TNetPort::DoOpen() {
    FAbandoned = false;
    FReadEnd = 0;
    // A new connection carries no answer to a request of an earlier one.
    SetAnswerOwedSince(-1);
    if (!FAddress) {
        Fail(EDESTADDRREQ, "no printer address");
        const std::string var = PortOverrideVariable("NET");
        Report("no printer address is set; choose one in 連接埠設定…" +
               (var.empty() ? std::string() : " or with " + var + "=host[:port]"));
        return false;
    }
    std::vector<TSockAddr> addresses;
    if (!Resolve(addresses))
        return false;
    const int bound = FConnectHurried ? std::min(FConnectBound, kHurriedConnectMs) : FConnectBound;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(bound);
    std::string tried;
    for (const TSockAddr& address : addresses) {
        if (ConnectTo(address, MsLeft(deadline))) {
            FConnectHurried = false;
            return true;
        }
        if (Failure().Code == ECANCELED)
            return false;
        tried += (tried.empty() ? "" : ", ") + SockAddrText(address) + ": " + Failure().Text;
        if (MsLeft(deadline) == 0)
            break;
    }
    if (Failure().Code == ETIMEDOUT)
        FConnectHurried = true;
    Report(tried.empty() ? Failure().Text : tried);
    return false;
}

bool TNetPort::DoWrite(const std::string& bytes, int boundMs, std::size_t& written,
                       bool answerFollows) {
    // As on a serial port, nothing to write always succeeds.
    if (bytes.empty())
        return true;
    if (FSocket < 0) {
        Fail(ENOTCONN, "not connected");
        return false;
    }
    std::size_t done = 0;
    if (const int err = SendAll(bytes, boundMs, done); err != 0) {
        written = done;
        return Abandon(err, done, bytes.size());
    }
    std::size_t pending = 0;
    int err = WaitDelivered(boundMs, pending);
    written = done - std::min(done, pending);
    if (err != 0)
        return Abandon(err, written, bytes.size());
    if (answerFollows)
        return true;
    // Taken by the printer's system is not yet taken by the printer: its end tells.
    bool closedFirst = false;
    err =
        AwaitPrinterEnd(FEndHurried ? std::min(FEndBound, kHurriedEndMs) : FEndBound, closedFirst);
    if (err == ETIMEDOUT || err == ECANCELED) {
        FEndHurried = err == ETIMEDOUT;
        SetTraceNote("end not confirmed");
        return true;
    }
    if (err == 0)
        return true;
    // What the printer's system acknowledged; how much the printer itself took is unknown.
    written = Acknowledged(done);
    return Abandon(err, written, bytes.size(), closedFirst);
}

int TNetPort::SendAll(const std::string& bytes, int boundMs, std::size_t& done) {
    while (done < bytes.size()) {
        const ssize_t n =
            ::send(FSocket, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        const int err = errno;
        if (n < 0 && err == EINTR)
            continue;
        if (n >= 0 || (err != EAGAIN && err != EWOULDBLOCK))
            return err != 0 ? err : EIO;
        // No room: the printer reads no more. Wait, but not longer than the bound.
        short revents = 0;
        const TWaitEnd end = WaitForFd(FSocket, POLLOUT, boundMs, Cancel(), &revents);
        if (end == weReady && !(revents & (POLLERR | POLLHUP)))
            continue;
        return end == weTimeout ? ETIMEDOUT : end == weCancelled ? ECANCELED : SocketError(FSocket);
    }
    return 0;
}

int TNetPort::Read(std::string& into, std::size_t max, int timeoutMs) {
    if (FSocket < 0)
        return EBADF;
    if (FReadEnd != 0)
        return FReadEnd;
    const TWaitEnd end = WaitForFd(FSocket, POLLIN, timeoutMs, Cancel());
    if (end == weCancelled)
        return ECANCELED;
    if (end == weTimeout)
        return 0;
    std::size_t taken = 0;
    while (taken < max && FReadEnd == 0) {
        char buf[4096];
        const ssize_t n = ::recv(FSocket, buf, std::min(sizeof buf, max - taken), MSG_DONTWAIT);
        if (n > 0) {
            into.append(buf, static_cast<std::size_t>(n));
            taken += static_cast<std::size_t>(n);
        } else if (n == 0) {
            FReadEnd = EPIPE;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            break;
        } else if (errno != EINTR) {
            FReadEnd = errno;
        }
    }
    // Bytes that came before the end are handed on first.
    return taken > 0 ? 0 : FReadEnd;
}

int TNetPort::DropIncoming(bool& ended) {
    std::size_t dropped = 0;
    while (dropped < kDropChunk) {
        char sink[4096];
        const ssize_t n = ::recv(FSocket, sink, sizeof sink, MSG_DONTWAIT);
        if (n > 0) {
            dropped += static_cast<std::size_t>(n);
        } else if (n == 0) {
            ended = true;
            return 0;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return 0;
        } else if (errno != EINTR) {
            return errno;
        }
    }
    return 0;
}

int TNetPort::AwaitPrinterEnd(int boundMs, bool& closedFirst) {
    ::shutdown(FSocket, SHUT_WR);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(boundMs);
    for (;;) {
        if (const int err = SocketError(FSocket); err != 0) {
            // A reset after the printer's own close comes as EPIPE.
            closedFirst = closedFirst || err == EPIPE;
            return err;
        }
        if (!closedFirst)
            if (const int err = DropIncoming(closedFirst); err != 0)
                return err;
        // Closed in order, and our end (every byte and the close) acknowledged: delivered.
        int unacked = 0;
        if (closedFirst && ioctl(FSocket, SIOCOUTQ, &unacked) == 0 && unacked <= 0)
            return 0;
        const int left = MsLeft(deadline);
        if (left == 0)
            return ETIMEDOUT;
        // After the printer's close only a reset can still come: look every millisecond.
        const TWaitEnd end = closedFirst ? Pause(std::min(left, 1), Cancel())
                                         : WaitForFd(FSocket, POLLIN, left, Cancel());
        if (end == weCancelled)
            return ECANCELED;
    }
}

std::size_t TNetPort::Acknowledged(std::size_t sent) const {
    tcp_info info{};
    socklen_t len = sizeof info;
    if (getsockopt(FSocket, IPPROTO_TCP, TCP_INFO, &info, &len) != 0 || info.tcpi_bytes_acked == 0)
        return 0;
    // The count includes the connection's opening.
    return std::min<std::size_t>(sent, info.tcpi_bytes_acked - 1);
}

bool TNetPort::Abandon(int err, std::size_t taken, std::size_t size, bool closedFirst) {
    const bool dropped = closedFirst || err == EPIPE || err == ECONNRESET;
    const std::string reason = closedFirst ? "connection closed by the printer" : NetReason(err);
    Fail(err, reason);
    FAbandoned = true;
    if (dropped)
        SetTraceNote(reason);
    if (err != ECANCELED)
        Report(reason + " when the printer had taken " + std::to_string(taken) + " of " +
               std::to_string(size) + " bytes");
    return false;
}

int TNetPort::WaitDelivered(int boundMs, std::size_t& pending) {
    // Written is not yet printed: like a printer node, wait until the printer has taken the
    // bytes (acknowledged them), without progress for at most the bound.
    Clock::time_point lastProgress = Clock::now();
    int last = -1;
    for (;;) {
        if (const int err = SocketError(FSocket); err != 0)
            return err;
        int unacked = 0;
        if (ioctl(FSocket, SIOCOUTQ, &unacked) != 0 || unacked <= 0) {
            pending = 0;
            return 0;
        }
        pending = static_cast<std::size_t>(unacked);
        if (unacked != last) {
            last = unacked;
            lastProgress = Clock::now();
        } else if (Clock::now() - lastProgress >= std::chrono::milliseconds(boundMs)) {
            return ETIMEDOUT;
        }
        // An answer brings the acknowledgement with it: wake on its bytes, unless bytes are
        // already waiting unread; else look again a millisecond later.
        short waiting = 0;
        WaitForFd(FSocket, POLLIN, 0, nullptr, &waiting);
        const TWaitEnd end = waiting ? Pause(1, Cancel()) : WaitForFd(FSocket, POLLIN, 1, Cancel());
        if (end == weCancelled)
            return ECANCELED;
    }
}

void TNetPort::DoClose() {
    if (FSocket < 0)
        return;
    if (FAbandoned) {
        // Undelivered bytes are lost either way; a reset keeps the system from retrying them.
        const linger now{1, 0};
        setsockopt(FSocket, SOL_SOCKET, SO_LINGER, &now, sizeof now);
    } else {
        // What the printer sent back is read and dropped, so closing ends the connection in
        // order instead of resetting it; a printer that keeps sending gets the reset.
        bool ended = false;
        DropIncoming(ended);
        ::shutdown(FSocket, SHUT_WR);
    }
    ::close(FSocket);
    FSocket = -1;
}
