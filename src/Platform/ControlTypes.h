#pragma once
// Display settings shared by the controls: text alignment and layout, drag kind and mode,
// screen cursor ids.
#include <cstdint>

enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout : std::uint8_t { tlTop, tlCenter, tlBottom };
enum TDragKind : std::uint8_t { dkDrag, dkDock };
enum TDragMode : std::uint8_t { dmManual, dmAutomatic };
using TCursor = std::int16_t;
inline constexpr TCursor crDrag = -12;
