#include "Ports/NetAddress.h"

#include "Rtl/Events.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

TNetAddressProblem CheckNetHost(const std::string& host) {
    if (host.empty())
        return apEmptyHost;
    for (unsigned char c : host)
        if (c <= 0x20 || c == 0x7F)
            return apSpaceInHost;
    if (host.find_first_of("[]/") != std::string::npos)
        return apBadForm;
    return apNone;
}

TNetAddressProblem CheckNetPort(const std::string& port) {
    if (port.empty() || port.size() > 5 ||
        port.find_first_not_of("0123456789") != std::string::npos)
        return apBadPort;
    const int value = std::stoi(port);
    return value >= 1 && value <= 65535 ? apNone : apBadPort;
}

std::optional<TNetAddress> ParseNetAddress(const std::string& text, TNetAddressProblem* problem) {
    auto refuse = [&](TNetAddressProblem p) -> std::optional<TNetAddress> {
        if (problem)
            *problem = p;
        return std::nullopt;
    };
    for (unsigned char c : text)
        if (c <= 0x20 || c == 0x7F)
            return refuse(text.find_first_not_of(" \t") == std::string::npos ? apEmptyHost
                                                                             : apSpaceInHost);
    std::string host = text;
    std::string port;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string::npos)
            return refuse(apBadForm);
        host = text.substr(1, close - 1);
        const std::string rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':')
                return refuse(apBadForm);
            port = rest.substr(1);
            if (port.empty())
                return refuse(apBadPort);
        }
        if (host.find(':') == std::string::npos)
            return refuse(apBadForm); // brackets are for IPv6 only
    } else if (const std::size_t colon = text.find(':');
               colon != std::string::npos && text.find(':', colon + 1) == std::string::npos) {
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (port.empty())
            return refuse(apBadPort);
    }
    // Two or more colons without brackets: an IPv6 address on the default port.
    if (const TNetAddressProblem p = CheckNetHost(host); p != apNone)
        return refuse(p);
    TNetAddress address{host, DefaultNetPort};
    if (!port.empty()) {
        if (CheckNetPort(port) != apNone)
            return refuse(apBadPort);
        address.Port = static_cast<std::uint16_t>(std::stoi(port));
    }
    if (problem)
        *problem = apNone;
    return address;
}

std::optional<TNetAddress> ParseNetFields(const std::string& host, const std::string& port,
                                          TNetAddressProblem& problem) {
    problem = apNone;
    if (host.empty() && port.empty())
        return std::nullopt;
    const bool bracketed = !host.empty() && host.front() == '[';
    const auto colons = std::count(host.begin(), host.end(), ':');
    // The host field alone may hold the whole address.
    if (port.empty() && (bracketed || colons == 1))
        return ParseNetAddress(host, &problem);
    if (bracketed && host.back() == ']')
        return ParseNetAddress(host + ":" + port, &problem);
    if (bracketed || colons == 1) {
        problem = apBadForm; // a port in both fields
        return std::nullopt;
    }
    if ((problem = CheckNetHost(host)) != apNone)
        return std::nullopt;
    if (!port.empty() && (problem = CheckNetPort(port)) != apNone)
        return std::nullopt;
    return TNetAddress{host,
                       port.empty() ? DefaultNetPort : static_cast<std::uint16_t>(std::stoi(port))};
}

std::string NetAddressText(const TNetAddress& address) {
    const bool v6 = address.Host.find(':') != std::string::npos;
    return (v6 ? "[" + address.Host + "]" : address.Host) + ":" + std::to_string(address.Port);
}

const char* NetAddressProblemText(TNetAddressProblem problem) {
    switch (problem) {
    case apEmptyHost:
        return "NET 主機不可空白！";
    case apSpaceInHost:
        return "NET 主機名稱不可含空白！";
    case apBadPort:
        return "NET 連接埠須為 1 到 65535 的數字！";
    case apBadForm:
        return "NET 位址格式錯誤！請輸入 主機 或 主機:連接埠。";
    case apNone:
        break;
    }
    return "";
}

const char* NetAddressProblemReason(TNetAddressProblem problem) {
    switch (problem) {
    case apEmptyHost:
        return "the host is empty";
    case apSpaceInHost:
        return "the host contains a space";
    case apBadPort:
        return "the port is not a number from 1 to 65535";
    case apBadForm:
        return "not of the form host[:port]";
    case apNone:
        break;
    }
    return "";
}

TNameLookup SystemNameLookup() {
    return [](const std::string& host, std::uint16_t port, std::vector<TSockAddr>& out) {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_ADDRCONFIG | AI_NUMERICSERV;
        addrinfo* list = nullptr;
        const int err = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
        if (err != 0)
            return err;
        for (const addrinfo* a = list; a; a = a->ai_next) {
            if (a->ai_addrlen > sizeof(sockaddr_storage))
                continue;
            TSockAddr s;
            std::memcpy(&s.Addr, a->ai_addr, a->ai_addrlen);
            s.Len = a->ai_addrlen;
            out.push_back(s);
        }
        freeaddrinfo(list);
        return out.empty() ? EAI_NONAME : 0;
    };
}

bool NumericAddress(const std::string& host, std::uint16_t port, TSockAddr& out) {
    out = {};
    auto* v4 = reinterpret_cast<sockaddr_in*>(&out.Addr);
    if (inet_pton(AF_INET, host.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(port);
        out.Len = sizeof(sockaddr_in);
        return true;
    }
    out = {};
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&out.Addr);
    if (inet_pton(AF_INET6, host.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(port);
        out.Len = sizeof(sockaddr_in6);
        return true;
    }
    return false;
}

namespace {

// What the lookup thread hands back; it outlives a wait that gave up on it.
struct LookupState {
    std::mutex lock;
    int error = 0;
    std::vector<TSockAddr> addresses;
    int done = -1; // eventfd, readable once the lookup ended
    ~LookupState() {
        if (done >= 0)
            ::close(done);
    }
};

} // namespace

TLookupResult LookUp(const TNameLookup& lookup, const std::string& host, std::uint16_t port,
                     int boundMs, const TWaitCancel* cancel) {
    TLookupResult result;
    TSockAddr numeric;
    if (NumericAddress(host, port, numeric)) {
        result.Addresses.push_back(numeric);
        return result;
    }
    auto state = std::make_shared<LookupState>();
    state->done = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (state->done < 0) {
        result.Error = EAI_SYSTEM;
        return result;
    }
    // A lookup can hang for as long as the name servers make it: it runs on its own thread,
    // and when the bound passes it is left to finish alone.
    std::thread([state, lookup, host, port] {
        std::vector<TSockAddr> found;
        const int err = lookup(host, port, found);
        std::lock_guard<std::mutex> hold(state->lock);
        state->error = err;
        state->addresses = std::move(found);
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(state->done, &one, sizeof one);
    }).detach();
    switch (WaitForFd(state->done, POLLIN, boundMs, cancel)) {
    case weReady: {
        std::lock_guard<std::mutex> hold(state->lock);
        result.Error = state->error;
        result.Addresses = std::move(state->addresses);
        break;
    }
    case weTimeout:
        result.Error = EAI_AGAIN;
        result.TimedOut = true;
        break;
    case weCancelled:
        result.Error = EAI_AGAIN;
        result.Cancelled = true;
        break;
    }
    return result;
}

std::string SockAddrText(const TSockAddr& address) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.Addr.ss_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address.Addr);
        inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
        return std::string(text) + ":" + std::to_string(ntohs(v4->sin_port));
    }
    if (address.Addr.ss_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address.Addr);
        inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
        return "[" + std::string(text) + "]:" + std::to_string(ntohs(v6->sin6_port));
    }
    return "?";
}
