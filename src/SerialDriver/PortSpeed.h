#pragma once
// Plain-typed bridge to the kernel's termios2 calls (rates without a B-constant).
#include <cstdint>

struct TTermios2Fields {
    std::uint32_t iflag = 0;
    std::uint32_t oflag = 0;
    std::uint32_t cflag = 0;
    std::uint32_t lflag = 0;
    unsigned char cc[19] = {};
    std::uint32_t speed = 0;
};

// TCSETS2 with the rate in c_ispeed / c_ospeed; 0 or -1 with errno.
int SetTermios2(int fd, const TTermios2Fields& fields);
// TCGETS2's output rate, 0 on failure.
std::uint32_t GetOutputSpeed(int fd);
