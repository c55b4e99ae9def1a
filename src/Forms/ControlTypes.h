#pragma once
// Display settings shared by the controls: text alignment and layout, drag kind and mode,
// screen cursor ids.
#include <cstdint>

enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout : std::uint8_t { tlTop, tlCenter, tlBottom };
enum TDragKind : std::uint8_t { dkDrag, dkDock };
enum TDragMode : std::uint8_t { dmManual, dmAutomatic };

// Screen cursor ids of the framework.
using TCursor = std::int16_t;
inline constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                         crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9,
                         crUpArrow = -10, crHourGlass = -11, crDrag = -12, crNoDrop = -13,
                         crHSplit = -14, crVSplit = -15, crMultiDrag = -16, crSQLWait = -17,
                         crNo = -18, crAppStart = -19, crHelp = -20, crHandPoint = -21,
                         crSizeAll = -22;
