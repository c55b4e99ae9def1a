#include "Rtl/OsVersion.h"

#include <cctype>
#include <sys/utsname.h>

namespace {
bool ReadNumber(const char*& p, std::uint32_t& value) {
    if (!std::isdigit(static_cast<unsigned char>(*p)))
        return false;
    std::uint64_t v = 0;
    while (std::isdigit(static_cast<unsigned char>(*p))) {
        v = v * 10 + static_cast<std::uint64_t>(*p - '0');
        if (v > 0xFFFFFFFFu)
            return false;
        ++p;
    }
    value = static_cast<std::uint32_t>(v);
    return true;
}
} // namespace

bool ParseKernelRelease(const char* release, std::uint32_t& major, std::uint32_t& minor) {
    if (!release)
        return false;
    const char* p = release;
    std::uint32_t a = 0, b = 0;
    if (!ReadNumber(p, a) || *p != '.')
        return false;
    ++p;
    if (!ReadNumber(p, b))
        return false;
    major = a;
    minor = b;
    return true;
}

bool QueryOsVersion(OsVersionInfo& info) {
    utsname u{};
    if (uname(&u) != 0)
        return false;
    std::uint32_t major = 0, minor = 0;
    if (!ParseKernelRelease(u.release, major, minor))
        return false;
    info.platformId = 2;
    info.major = major;
    info.minor = minor;
    return true;
}
