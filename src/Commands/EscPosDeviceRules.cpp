// "EPSON": bit images in the line, stored images, real-time requests, the peripheral and
// motion settings, and the printer's own test print.
#include "Commands/ControlBytes.h"
#include "Commands/RuleKit.h"

namespace {

using namespace Ctl;
using namespace RuleKit;

int BytesPerColumn(int mode) {
    return mode == 32 || mode == 33 ? 3 : mode == 0 || mode == 1 ? 1 : 0;
}

// ESC * m nL nH, then n columns of one or three bytes.
std::size_t BitImageLength(std::string_view s) {
    if (s.size() < 5)
        return 5;
    return 5 + static_cast<std::size_t>(WordAt(s, 3)) * BytesPerColumn(ByteAt(s, 2));
}

TRule BitImageRule() {
    return Rule<Cmd::BitImage>(
        {ESC, '*'}, 3,
        [](std::string_view a) -> std::optional<Cmd::BitImage> {
            const int m = ByteAt(a, 0);
            if (BytesPerColumn(m) == 0 || WordAt(a, 1) == 0)
                return std::nullopt;
            return Cmd::BitImage{static_cast<std::uint8_t>(m), std::string(a.substr(3))};
        },
        [](const Cmd::BitImage& v, std::string& out, std::string& why) {
            const int per = BytesPerColumn(v.Mode);
            const std::size_t columns = per ? v.Data.size() / per : 0;
            if (per == 0 || columns == 0 || columns * per != v.Data.size() || columns > 0xFFFF) {
                why = "a bit image is 1 to 65535 whole columns in mode 0, 1, 32 or 33";
                return false;
            }
            PutByte(out, v.Mode);
            PutWord(out, static_cast<int>(columns));
            out += v.Data;
            return true;
        },
        BitImageLength);
}

// DLE DC4 fn: the parameters each function takes.
int RequestArgs(int fn) {
    switch (fn) {
    case 1: // m t: a drawer pulse
    case 2: // 1 8: power off
        return 2;
    case 3: // a n r t1 t2: the buzzer
        return 5;
    case 7: // m: send a status
        return 1;
    case 8: // 1 3 20 1 6 2 8: clear the buffers
        return 7;
    default:
        return -1;
    }
}

std::size_t RequestLength(std::string_view s) {
    if (s.size() < 3)
        return 3;
    return 3 + static_cast<std::size_t>(std::max(0, RequestArgs(ByteAt(s, 2))));
}

TRule RealTimeRequestRule() {
    return Rule<Cmd::RealTimeRequest>(
        {DLE, DC4}, 1,
        [](std::string_view a) -> std::optional<Cmd::RealTimeRequest> {
            if (RequestArgs(ByteAt(a, 0)) < 0)
                return std::nullopt;
            return Cmd::RealTimeRequest{static_cast<std::uint8_t>(ByteAt(a, 0)),
                                        std::string(a.substr(1))};
        },
        [](const Cmd::RealTimeRequest& v, std::string& out, std::string& why) {
            if (RequestArgs(v.Fn) != static_cast<int>(v.Args.size())) {
                why = "DLE DC4 takes function 1, 2, 3, 7 or 8 with its parameters";
                return false;
            }
            PutByte(out, v.Fn);
            out += v.Args;
            return true;
        },
        RequestLength);
}

// GS ( A 2 0 n m.
TRule TestPrintRule() {
    return Rule<Cmd::TestPrint>(
        {GS, '(', 'A'}, 2,
        [](std::string_view a) -> std::optional<Cmd::TestPrint> {
            if (a.size() != 4)
                return std::nullopt;
            return Cmd::TestPrint{static_cast<std::uint8_t>(ByteAt(a, 2)),
                                  static_cast<std::uint8_t>(ByteAt(a, 3))};
        },
        [](const Cmd::TestPrint& v, std::string& out, std::string&) {
            PutWord(out, 2);
            PutByte(out, v.N);
            PutByte(out, v.M);
            return true;
        },
        PrefixedBody);
}

} // namespace

std::vector<TRule> EscPosDeviceRules() {
    std::vector<TRule> r;
    r.push_back(BitImageRule());
    r.push_back(Pair<Cmd::NvImage>({FS, 'p'}, &Cmd::NvImage::N, &Cmd::NvImage::M));
    r.push_back(RealTimeRequestRule());
    r.push_back(Byte<Cmd::Peripheral>({ESC, '='}));
    r.push_back(Pair<Cmd::MotionUnits>({GS, 'P'}, &Cmd::MotionUnits::X, &Cmd::MotionUnits::Y));
    r.push_back(Byte<Cmd::BarcodeFont>({GS, 'f'}));
    r.push_back(TestPrintRule());
    return r;
}
