#pragma once
// The printer's commands as values: what a job asks the printer to do, independent of the bytes
// a command set writes it with. The encoder takes them, the decoder gives them back, so the
// window, the virtual printer and the tools speak of one thing.
//
// Parameters the printers take in two spellings (0 or '0' for off) are kept as the byte that
// came, with accessors for their meaning, so that every stream decodes to what it said.
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>

enum TPrintAlign : std::uint8_t { paLeft, paCenter, paRight };

// The ESC/POS barcode systems, numbered as GS k numbers them (form A 0..6, form B 65 + n).
enum TSymbology : std::uint8_t {
    syUpcA,
    syUpcE,
    syJan13,
    syJan8,
    syCode39,
    syItf,
    syCodabar,
    syCode93,
    syCode128
};
constexpr int SymbologyCount = 9;
const char* SymbologyName(TSymbology symbology); // "UPC-A", ... "CODE128"

namespace Cmd {

// Printable bytes in the printer's code page; they wait in the line buffer.
struct Text {
    std::string Bytes;
    bool operator==(const Text&) const = default;
};
// Bytes sent as they are; also what the decoder makes of bytes the set does not know.
struct Raw {
    std::string Bytes;
    bool operator==(const Raw&) const = default;
};
// A command that the end of the stream cut off.
struct Incomplete {
    std::string Bytes;
    bool operator==(const Incomplete&) const = default;
};

// LF: prints the line buffer, an empty one as an empty line.
struct LineFeed {
    bool operator==(const LineFeed&) const = default;
};
struct FormFeed {
    bool operator==(const FormFeed&) const = default;
};
// CR: serial printers ignore it unless told to feed on it.
struct CarriageReturn {
    bool operator==(const CarriageReturn&) const = default;
};
// Prints what waits, then feeds N lines.
struct FeedLines {
    std::uint8_t N = 0;
    bool operator==(const FeedLines&) const = default;
};
struct FeedDots {
    std::uint8_t N = 0;
    bool operator==(const FeedDots&) const = default;
};
// ESC @: the buffer is dropped and every setting returns to its power-on value.
struct Init {
    bool operator==(const Init&) const = default;
};
// The ESC/POS cut, after feeding Feed lines when given.
struct Cut {
    bool Partial = true;
    std::optional<std::uint8_t> Feed;
    bool operator==(const Cut&) const = default;
};
// The cut of the line-mode sets, with the argument byte they take.
struct CutN {
    std::uint8_t N = 1;
    bool operator==(const CutN&) const = default;
};
// A drawer pulse on connector pin 2 (Pin 0) or 5 (Pin 1), on and off times in units of 2 ms.
struct Drawer {
    std::uint8_t Pin = 0;
    std::uint8_t On = 50;
    std::uint8_t Off = 100;
    bool operator==(const Drawer&) const = default;
};
// The drawer pulse a printer gives with its own settings.
struct DrawerPulse {
    bool operator==(const DrawerPulse&) const = default;
};

// ESC SP n: N units of space to the right of every character.
struct CharSpacing {
    std::uint8_t N = 0;
    bool operator==(const CharSpacing&) const = default;
};
// ESC M n: font A, B or C (n or '0' + n).
struct Font {
    std::uint8_t N = 0;
    int Index() const { return N >= '0' ? N - '0' : N; }
    bool operator==(const Font&) const = default;
};
// ESC ! n: font B (bit 0), emphasis (3), double height (4), double width (5), underline (7).
struct PrintMode {
    std::uint8_t N = 0;
    bool operator==(const PrintMode&) const = default;
};
// ESC - n: off, 1 dot or 2 dots (n or '0' + n).
struct Underline {
    std::uint8_t N = 0;
    int Dots() const { return N >= '0' ? N - '0' : N; }
    bool operator==(const Underline&) const = default;
};
struct Emphasis {
    std::uint8_t N = 0;
    bool On() const { return N & 1; }
    bool operator==(const Emphasis&) const = default;
};
struct DoubleStrike {
    std::uint8_t N = 0;
    bool On() const { return N & 1; }
    bool operator==(const DoubleStrike&) const = default;
};
// GS ! n: width multiplier in the high nibble, height in the low, each less one.
struct CharSize {
    std::uint8_t N = 0;
    int Width() const { return (N >> 4) + 1; }
    int Height() const { return (N & 7) + 1; }
    bool operator==(const CharSize&) const = default;
};
struct Reverse {
    std::uint8_t N = 0;
    bool On() const { return N & 1; }
    bool operator==(const Reverse&) const = default;
};
struct Align {
    TPrintAlign Where = paLeft;
    bool operator==(const Align&) const = default;
};
// ESC 2 (the default spacing) or ESC 3 n (n dots).
struct LineSpacing {
    std::optional<std::uint8_t> Dots;
    bool operator==(const LineSpacing&) const = default;
};
// ESC t n: the character code table of single-byte text.
struct CodeTable {
    std::uint8_t N = 0;
    bool operator==(const CodeTable&) const = default;
};
// FS & and FS .: double-byte characters on or off.
struct ChineseMode {
    bool On = true;
    bool operator==(const ChineseMode&) const = default;
};

struct AbsolutePosition {
    std::uint16_t N = 0;
    bool operator==(const AbsolutePosition&) const = default;
};
// ESC W: the page mode's print area.
struct PrintArea {
    std::uint16_t X = 0, Y = 0, Width = 0, Height = 0;
    bool operator==(const PrintArea&) const = default;
};
struct PrintDirection {
    std::uint8_t N = 0;
    bool operator==(const PrintDirection&) const = default;
};
struct PageMode {
    bool operator==(const PageMode&) const = default;
};
struct StandardMode {
    bool operator==(const StandardMode&) const = default;
};
struct LeftMargin {
    std::uint16_t N = 0;
    bool operator==(const LeftMargin&) const = default;
};
struct PrintWidth {
    std::uint16_t N = 0;
    bool operator==(const PrintWidth&) const = default;
};
struct VerticalPosition {
    std::uint16_t N = 0;
    bool operator==(const VerticalPosition&) const = default;
};
struct RelativeVertical {
    std::int16_t N = 0;
    bool operator==(const RelativeVertical&) const = default;
};

struct BarcodeHeight {
    std::uint8_t N = 162;
    bool operator==(const BarcodeHeight&) const = default;
};
struct BarcodeWidth {
    std::uint8_t N = 3;
    bool operator==(const BarcodeWidth&) const = default;
};
// GS H n: the human-readable text none, above, below or both (n or '0' + n).
struct BarcodeText {
    std::uint8_t N = 0;
    int Position() const { return N >= '0' ? N - '0' : N; }
    bool operator==(const BarcodeText&) const = default;
};
struct Barcode {
    TSymbology Kind = syCode39;
    std::string Data;
    bool operator==(const Barcode&) const = default;
};
// GS v 0: WidthBytes x Height bytes of dots, 8 to a byte, the leftmost in the high bit.
struct RasterImage {
    std::uint8_t Mode = 0; // scale: normal, double width, double height, quadruple
    std::uint16_t WidthBytes = 0;
    std::uint16_t Height = 0;
    std::string Data;
    bool operator==(const RasterImage&) const = default;
};
// GS ( L: the graphics commands, by their body (what follows pL pH).
struct Graphics {
    std::string Body;
    bool operator==(const Graphics&) const = default;
};

// GS ( k with cn 49, the QR code: model, module size, error level, store, print.
struct QrModel {
    std::uint8_t N = 50; // 49 model 1, 50 model 2, 51 micro QR
    bool operator==(const QrModel&) const = default;
};
struct QrModuleSize {
    std::uint8_t N = 3;
    bool operator==(const QrModuleSize&) const = default;
};
struct QrErrorLevel {
    std::uint8_t N = 48; // 48 L, 49 M, 50 Q, 51 H
    bool operator==(const QrErrorLevel&) const = default;
};
struct QrStore {
    std::string Data;
    bool operator==(const QrStore&) const = default;
};
struct QrPrint {
    bool operator==(const QrPrint&) const = default;
};
// Any other GS ( k function, by its body (cn fn and parameters).
struct TwoDCode {
    std::string Body;
    bool operator==(const TwoDCode&) const = default;
};

// DLE EOT n (1 printer, 2 off-line cause, 3 error cause, 4 roll paper sensor).
struct RealTimeStatus {
    std::uint8_t N = 1;
    bool operator==(const RealTimeStatus&) const = default;
};
// GS a n: the automatic status back on (n != 0) or off.
struct AutoStatus {
    std::uint8_t N = 0;
    bool operator==(const AutoStatus&) const = default;
};
// GS r n: the paper sensor (1 or '1') or the drawer (2 or '2').
struct SensorStatus {
    std::uint8_t N = 1;
    bool Paper() const { return N == 1 || N == '1'; }
    bool operator==(const SensorStatus&) const = default;
};
// GS I n: the printer's identity (1..3 one byte, 65..69 a block of text).
struct Identity {
    std::uint8_t N = 1;
    bool operator==(const Identity&) const = default;
};
// GS ( A: the printer's own test print on the paper Paper (0..2 or '0'..'2'), of the kind Type
// (1 hexadecimal dump, 2 printer status, 3 rolling pattern, or '1'..'3'); the printer resets
// itself afterwards.
struct SelfTest {
    std::uint8_t Paper = 2;
    std::uint8_t Type = 2;
    bool operator==(const SelfTest&) const = default;
};

} // namespace Cmd

// New kinds go at the end; the list is not reflowed, so each addition stays one line.
// clang-format off
using TCommand = std::variant<
    Cmd::Text, Cmd::Raw, Cmd::Incomplete, Cmd::LineFeed, Cmd::FormFeed, Cmd::CarriageReturn,
    Cmd::FeedLines, Cmd::FeedDots, Cmd::Init, Cmd::Cut, Cmd::CutN, Cmd::Drawer, Cmd::DrawerPulse,
    Cmd::CharSpacing, Cmd::Font, Cmd::PrintMode, Cmd::Underline, Cmd::Emphasis, Cmd::DoubleStrike,
    Cmd::CharSize, Cmd::Reverse, Cmd::Align, Cmd::LineSpacing, Cmd::CodeTable, Cmd::ChineseMode,
    Cmd::AbsolutePosition, Cmd::PrintArea, Cmd::PrintDirection, Cmd::PageMode, Cmd::StandardMode,
    Cmd::LeftMargin, Cmd::PrintWidth, Cmd::VerticalPosition, Cmd::RelativeVertical,
    Cmd::BarcodeHeight, Cmd::BarcodeWidth, Cmd::BarcodeText, Cmd::Barcode, Cmd::RasterImage,
    Cmd::Graphics, Cmd::QrModel, Cmd::QrModuleSize, Cmd::QrErrorLevel, Cmd::QrStore, Cmd::QrPrint,
    Cmd::TwoDCode, Cmd::RealTimeStatus, Cmd::AutoStatus, Cmd::SensorStatus, Cmd::Identity,
    Cmd::SelfTest>;
// clang-format on

// What kind of command it is, for messages: "text", "line feed", "cut", "QR code store", ...
const char* CommandKindName(const TCommand& command);

namespace CommandDetail {
template <class T, class V> struct IndexIn;
template <class T, class... Ts> struct IndexIn<T, std::variant<Ts...>> {
    static constexpr std::size_t Value = [] {
        std::size_t i = 0;
        ((std::is_same_v<T, Ts> ? false : (++i, true)) && ...);
        return i;
    }();
};
} // namespace CommandDetail

// The index in TCommand of a command type.
template <class T> constexpr std::size_t KindOf = CommandDetail::IndexIn<T, TCommand>::Value;
