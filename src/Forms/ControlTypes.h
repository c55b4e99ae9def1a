#pragma once
// Display settings shared by the controls: text alignment and layout, drag kind and mode,
// screen cursor ids.
#include <QMetaEnum>
#include <QObject>
#include <cstdint>

// The enumerations are known to Qt's meta-object system by name, so a form description can
// set them as "Controls::taCenter" and a property holds the type itself.
namespace Controls {
Q_NAMESPACE
enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
Q_ENUM_NS(TAlignment)
enum TTextLayout : std::uint8_t { tlTop, tlCenter, tlBottom };
Q_ENUM_NS(TTextLayout)
enum TDragKind : std::uint8_t { dkDrag, dkDock };
Q_ENUM_NS(TDragKind)
enum TDragMode : std::uint8_t { dmManual, dmAutomatic };
Q_ENUM_NS(TDragMode)
} // namespace Controls

#ifndef Q_MOC_RUN
using Controls::TAlignment;
using Controls::TDragKind;
using Controls::TDragMode;
using Controls::TTextLayout;
using enum Controls::TAlignment;
using enum Controls::TTextLayout;
using enum Controls::TDragKind;
using enum Controls::TDragMode;
#endif

// True when value is one of the enumeration's declared values: what a setter that takes the
// enumeration from outside (a form description, a settings file) accepts.
template <typename E> bool IsEnumValue(int value) {
    return QMetaEnum::fromType<E>().valueToKey(value) != nullptr;
}

// Screen cursor ids of the framework.
using TCursor = std::int16_t;
inline constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                         crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9,
                         crUpArrow = -10, crHourGlass = -11, crDrag = -12, crNoDrop = -13,
                         crHSplit = -14, crVSplit = -15, crMultiDrag = -16, crSQLWait = -17,
                         crNo = -18, crAppStart = -19, crHelp = -20, crHandPoint = -21,
                         crSizeAll = -22;
