#pragma once
// The platform's version query: identifier 2 (the NT family the port settings expect) with the
// running kernel's major and minor release numbers.
#include <cstdint>

struct OsVersionInfo {
    std::uint32_t platformId = 0;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
};

// False when the kernel release cannot be read or understood.
bool QueryOsVersion(OsVersionInfo& info);

// "6.1.0-18-amd64" gives 6 and 1; false unless the text starts with "<digits>.<digits>".
bool ParseKernelRelease(const char* release, std::uint32_t& major, std::uint32_t& minor);
