#pragma once
// Value types and enumerations of the text effects and of the label's display settings.
// The ranges belong to the published types; setters store what they are given, truncated to
// the field's width.
#include "Forms/ControlTypes.h"

#include <cstdint>

using TAlpha = std::uint8_t;        // 0..100, percent of opacity
using TBlurStrength = std::uint8_t; // 0..100
using TOffset = std::int8_t;        // -20..20 pixels
using TSprayRange = std::uint8_t;   // 0..100 pixels
using TAngle = std::int16_t;        // -360..360 degrees, counter-clockwise

// Published ranges, for property editors.
inline constexpr int TAlphaMin = 0, TAlphaMax = 100;
inline constexpr int TBlurStrengthMin = 0, TBlurStrengthMax = 100;
inline constexpr int TOffsetMin = -20, TOffsetMax = 20;
inline constexpr int TSprayRangeMin = 0, TSprayRangeMax = 100;
inline constexpr int TAngleMin = -360, TAngleMax = 360;

namespace AATypes {
Q_NAMESPACE
enum TAAQuality : std::uint8_t { aqHigh, aqNormal, aqLow, aqNone };
Q_ENUM_NS(TAAQuality)

enum TGradualStyle : std::uint8_t {
    gsLeftToRight,
    gsRightToLeft,
    gsTopToBottom,
    gsBottomToTop,
    gsCenterToLR,
    gsCenterToTB
};
Q_ENUM_NS(TGradualStyle)

enum TTextureMode : std::uint8_t { tmTiled, tmStretched, tmCenter, tmNormal };
Q_ENUM_NS(TTextureMode)

enum TBackGroundMode : std::uint8_t { bmTiled, bmStretched, bmCenter, bmNormal };
Q_ENUM_NS(TBackGroundMode)
} // namespace AATypes

#ifndef Q_MOC_RUN
using AATypes::TAAQuality;
using AATypes::TBackGroundMode;
using AATypes::TGradualStyle;
using AATypes::TTextureMode;
using enum AATypes::TAAQuality;
using enum AATypes::TGradualStyle;
using enum AATypes::TTextureMode;
using enum AATypes::TBackGroundMode;
#endif
