#include "Receipt/Describe.h"

#include <type_traits>

namespace {

using std::to_string;

std::string OnOff(const std::string& what, bool on) {
    return what + (on ? " on" : " off");
}

std::string CutText(const Cmd::Cut& c) {
    std::string how = c.Partial ? "partial" : "full";
    if (c.Feed)
        how += ", feed " + to_string(*c.Feed);
    return "cut " + how;
}

std::string DrawerText(const Cmd::Drawer& d) {
    // Pulse times are in units of 2 ms.
    return "drawer pin " + to_string(d.Pin == 0 ? 2 : 5) + ", on " + to_string(d.On * 2) +
           " ms, off " + to_string(d.Off * 2) + " ms";
}

std::string BarcodeTextPosition(int position) {
    static const char* const where[] = {"none", "above", "below", "both"};
    return std::string("barcode text ") + (position >= 0 && position <= 3 ? where[position] : "?");
}

std::string BarcodeMarker(const Cmd::Barcode& b) {
    std::string data = b.Data;
    for (char& c : data)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E)
            c = '.';
    return std::string("barcode ") + SymbologyName(b.Kind) + " " + data;
}

// GS ( k by its body: cn, fn and what follows.
std::string TwoDMarker(const std::string& body) {
    const int cn = body.size() > 0 ? static_cast<unsigned char>(body[0]) : 0;
    const int fn = body.size() > 1 ? static_cast<unsigned char>(body[1]) : 0;
    const int size = static_cast<int>(body.size());
    if (cn == 49 && fn == 80)
        return "QR " + to_string(size - 3) + " bytes";
    if (cn == 49 && fn == 81)
        return "QR print";
    if (cn == 49)
        return "QR setting";
    return "2D code " + to_string(size) + " bytes";
}

std::string FontText(const Cmd::Font& f) {
    const int n = f.Index();
    return n >= 0 && n <= 2 ? std::string("font ") + static_cast<char>('A' + n)
                            : "font " + to_string(f.N);
}

std::string Words(const Cmd::Text&) {
    return "text";
}
std::string Words(const Cmd::Raw&) {
    return "unknown";
}
std::string Words(const Cmd::Incomplete&) {
    return "incomplete";
}
std::string Words(const Cmd::LineFeed&) {
    return "line feed";
}
std::string Words(const Cmd::FormFeed&) {
    return "form feed";
}
std::string Words(const Cmd::CarriageReturn&) {
    return "carriage return (ignored)";
}
std::string Words(const Cmd::FeedLines& c) {
    return FeedText(c.N);
}
std::string Words(const Cmd::FeedDots& c) {
    return "feed " + to_string(c.N) + " dots";
}
std::string Words(const Cmd::Init&) {
    return "initialize";
}
std::string Words(const Cmd::Cut& c) {
    return CutText(c);
}
std::string Words(const Cmd::CutN& c) {
    return "cut n=" + to_string(c.N);
}
std::string Words(const Cmd::Drawer& c) {
    return DrawerText(c);
}
std::string Words(const Cmd::DrawerPulse&) {
    return "drawer pulse";
}
std::string Words(const Cmd::CharSpacing& c) {
    return "right-side spacing " + to_string(c.N);
}
std::string Words(const Cmd::Font& c) {
    return FontText(c);
}
std::string Words(const Cmd::PrintMode& c) {
    return "print mode " + to_string(c.N);
}
std::string Words(const Cmd::Underline& c) {
    return c.Dots() == 2 ? "underline 2 dots" : OnOff("underline", c.Dots() & 1);
}
std::string Words(const Cmd::Emphasis& c) {
    return OnOff("bold", c.On());
}
std::string Words(const Cmd::DoubleStrike& c) {
    return OnOff("double strike", c.On());
}
std::string Words(const Cmd::CharSize& c) {
    return "size " + to_string(c.Width()) + "x" + to_string(c.Height());
}
std::string Words(const Cmd::Reverse& c) {
    return OnOff("reverse", c.On());
}
std::string Words(const Cmd::Align& c) {
    static const char* const names[] = {"left", "center", "right"};
    return std::string("align ") + names[c.Where <= paRight ? c.Where : paLeft];
}
std::string Words(const Cmd::LineSpacing& c) {
    return c.Dots ? "line spacing " + to_string(*c.Dots) + " dots" : "line spacing default";
}
std::string Words(const Cmd::CodeTable& c) {
    return "code table " + to_string(c.N);
}
std::string Words(const Cmd::ChineseMode& c) {
    return OnOff("Chinese mode", c.On);
}
std::string Words(const Cmd::AbsolutePosition& c) {
    return "position " + to_string(c.N);
}
std::string Words(const Cmd::PrintArea& c) {
    return "print area " + to_string(c.Width) + "x" + to_string(c.Height) + " at " +
           to_string(c.X) + "," + to_string(c.Y);
}
std::string Words(const Cmd::PrintDirection& c) {
    return "direction " + to_string(c.N & 3);
}
std::string Words(const Cmd::PageMode&) {
    return "page mode";
}
std::string Words(const Cmd::StandardMode&) {
    return "standard mode";
}
std::string Words(const Cmd::LeftMargin& c) {
    return "left margin " + to_string(c.N);
}
std::string Words(const Cmd::PrintWidth& c) {
    return "print width " + to_string(c.N);
}
std::string Words(const Cmd::VerticalPosition& c) {
    return "vertical position " + to_string(c.N);
}
std::string Words(const Cmd::RelativeVertical& c) {
    return "relative vertical position " + to_string(c.N);
}
std::string Words(const Cmd::BarcodeHeight& c) {
    return "barcode height " + to_string(c.N);
}
std::string Words(const Cmd::BarcodeWidth& c) {
    return "barcode width " + to_string(c.N);
}
std::string Words(const Cmd::BarcodeText& c) {
    return BarcodeTextPosition(c.Position());
}
std::string Words(const Cmd::Barcode& c) {
    return BarcodeMarker(c);
}
std::string Words(const Cmd::RasterImage& c) {
    return "image " + to_string(c.WidthBytes * 8) + "x" + to_string(c.Height);
}
std::string Words(const Cmd::Graphics& c) {
    return "graphics " + to_string(c.Body.size()) + " bytes";
}
std::string Words(const Cmd::QrModel&) {
    return "QR setting";
}
std::string Words(const Cmd::QrModuleSize&) {
    return "QR setting";
}
std::string Words(const Cmd::QrErrorLevel&) {
    return "QR setting";
}
std::string Words(const Cmd::QrStore& c) {
    return "QR " + to_string(c.Data.size()) + " bytes";
}
std::string Words(const Cmd::QrPrint&) {
    return "QR print";
}
std::string Words(const Cmd::TwoDCode& c) {
    return TwoDMarker(c.Body);
}
std::string Words(const Cmd::RealTimeStatus& c) {
    return "status request " + to_string(c.N);
}
std::string Words(const Cmd::AutoStatus& c) {
    return OnOff("auto status", c.N != 0);
}
std::string Words(const Cmd::SensorStatus& c) {
    return c.Paper() ? "paper sensor request" : "drawer request";
}
std::string Words(const Cmd::Identity& c) {
    return "identity request " + to_string(c.N);
}
std::string Words(const Cmd::SelfTest& c) {
    static const char* const kinds[] = {"hexadecimal dump", "printer status", "rolling pattern"};
    const int type = c.Type >= '0' ? c.Type - '0' : c.Type;
    return std::string("self-test ") + (type >= 1 && type <= 3 ? kinds[type - 1] : "?");
}

} // namespace

std::string FeedText(int count) {
    return "feed " + std::to_string(count) + (count == 1 ? " line" : " lines");
}

std::string Describe(const TCommand& command) {
    return std::visit([](const auto& c) { return Words(c); }, command);
}
