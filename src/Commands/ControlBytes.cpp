#include "Commands/ControlBytes.h"

namespace {

const char* const Names[0x21] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",
                                 "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1",
                                 "DC2", "DC3", "DC4", "NAK", "SYN", "ETB", "CAN", "EM",  "SUB",
                                 "ESC", "FS",  "GS",  "RS",  "US",  "SP"};

} // namespace

const char* ControlName(unsigned char byte) {
    if (byte < sizeof Names / sizeof Names[0])
        return Names[byte];
    return byte == 0x7F ? "DEL" : nullptr;
}

std::optional<unsigned char> ControlByName(std::string_view name) {
    for (unsigned char b = 0; b < sizeof Names / sizeof Names[0]; ++b)
        if (name == Names[b])
            return b;
    if (name == "DEL")
        return static_cast<unsigned char>(0x7F);
    return std::nullopt;
}
