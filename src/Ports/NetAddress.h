#pragma once
// A network printer's address, "host[:port]", and looking its host up without freezing the
// window.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <vector>

class TWaitCancel;

// Raw printing on TCP.
constexpr std::uint16_t DefaultNetPort = 9100;

struct TNetAddress {
    std::string Host;
    std::uint16_t Port = DefaultNetPort;
    bool operator==(const TNetAddress&) const = default;
};

// What is wrong with an address as typed.
enum TNetAddressProblem : std::uint8_t { apNone, apEmptyHost, apSpaceInHost, apBadPort, apBadForm };

TNetAddressProblem CheckNetHost(const std::string& host);
// Digits only, 1..65535.
TNetAddressProblem CheckNetPort(const std::string& port);
// "host", "host:port", "[v6]", "[v6]:port", or a bare IPv6 address (port 9100).
std::optional<TNetAddress> ParseNetAddress(const std::string& text, TNetAddressProblem* problem);
// NET as typed in a host field and a port field: the host is a name, an IPv4 or IPv6
// address, "[v6]", or with the port field empty also "host:port" or "[v6]:port"; an empty port
// is 9100. None, with apNone, when both fields are empty.
std::optional<TNetAddress> ParseNetFields(const std::string& host, const std::string& port,
                                          TNetAddressProblem& problem);
// "host:port", "[v6]:port".
std::string NetAddressText(const TNetAddress& address);
// For the operator, in the window's language.
const char* NetAddressProblemText(TNetAddressProblem problem);
// For standard error.
const char* NetAddressProblemReason(TNetAddressProblem problem);

struct TSockAddr {
    sockaddr_storage Addr{};
    socklen_t Len = 0;
};

// Looks a host up and gives its addresses for the port; 0 or an EAI_ code. It may block: the
// network port runs it on a thread of its own and waits for it with a bound.
using TNameLookup =
    std::function<int(const std::string& host, std::uint16_t port, std::vector<TSockAddr>& out)>;
// The system's resolver (getaddrinfo).
TNameLookup SystemNameLookup();

// An IPv4 or IPv6 address written in digits needs no lookup.
bool NumericAddress(const std::string& host, std::uint16_t port, TSockAddr& out);

// How a bounded lookup ended.
struct TLookupResult {
    int Error = 0; // 0, an EAI_ code, or EAI_AGAIN when the bound passed
    bool TimedOut = false;
    bool Cancelled = false;
    std::vector<TSockAddr> Addresses;
};
// Numeric hosts at once; names through lookup, waiting at most boundMs with the window alive.
TLookupResult LookUp(const TNameLookup& lookup, const std::string& host, std::uint16_t port,
                     int boundMs, const TWaitCancel* cancel);

// "127.0.0.1:9100", "[::1]:9100".
std::string SockAddrText(const TSockAddr& address);
