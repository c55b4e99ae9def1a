#pragma once
// The control bytes of the printer languages, and their names as command texts write them
// ("ESC", "GS", "LF", "NUL", ...).
#include <iterator>
#include <optional>
#include <string_view>

namespace Ctl {
constexpr char NUL = 0x00, SOH = 0x01, STX = 0x02, ETX = 0x03, EOT = 0x04, ENQ = 0x05, ACK = 0x06,
               BEL = 0x07, BS = 0x08, HT = 0x09, LF = 0x0A, VT = 0x0B, FF = 0x0C, CR = 0x0D,
               SO = 0x0E, SI = 0x0F, DLE = 0x10, DC1 = 0x11, DC2 = 0x12, DC3 = 0x13, DC4 = 0x14,
               NAK = 0x15, SYN = 0x16, ETB = 0x17, CAN = 0x18, EM = 0x19, SUB = 0x1A, ESC = 0x1B,
               FS = 0x1C, GS = 0x1D, RS = 0x1E, US = 0x1F, SP = 0x20, DEL = 0x7F;
} // namespace Ctl

namespace CtlDetail {
inline constexpr const char* Names[0x21] = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US",  "SP"};
} // namespace CtlDetail

// "ESC" for 0x1B, "SP" for 0x20, "DEL" for 0x7F; nullptr for any other byte.
inline const char* ControlName(unsigned char byte) {
    if (byte < std::size(CtlDetail::Names))
        return CtlDetail::Names[byte];
    return byte == 0x7F ? "DEL" : nullptr;
}

// The byte a control name stands for (upper case, as written above), or none.
inline std::optional<unsigned char> ControlByName(std::string_view name) {
    for (unsigned char b = 0; b < std::size(CtlDetail::Names); ++b)
        if (name == CtlDetail::Names[b])
            return b;
    if (name == "DEL")
        return static_cast<unsigned char>(0x7F);
    return std::nullopt;
}
