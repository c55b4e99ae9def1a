#pragma once
// The serial port's enumerations and line settings, shared by the driver and the pure line
// settings builder without either including the other.
#include <cstdint>

enum TComPortNumber : std::uint8_t {
    pnCOM1,
    pnCOM2,
    pnCOM3,
    pnCOM4,
    pnCOM5,
    pnCOM6,
    pnCOM7,
    pnCOM8,
    pnCOM9,
    pnCOM10,
    pnCOM11,
    pnCOM12,
    pnCOM13,
    pnCOM14,
    pnCOM15,
    pnCOM16
};
enum TComPortBaudRate : std::uint8_t {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200
};
enum TComPortDataBits : std::uint8_t { db5BITS, db6BITS, db7BITS, db8BITS };
// The ordinal is the platform's stop-bits code.
enum TComPortStopBits : std::uint8_t { sb1BITS, sb1HALFBITS, sb2BITS };
// The ordinal is the platform's parity code.
enum TComPortParity : std::uint8_t { ptNONE, ptODD, ptEVEN, ptMARK, ptSPACE };
enum TComPortHwHandshaking : std::uint8_t { hhNONE, hhNONERTSON, hhRTSCTS };
enum TComPortSwHandshaking : std::uint8_t { shNONE, shXONXOFF };
// What happens to an incomplete packet whose time-out expired.
enum TPacketMode : std::uint8_t { pmDiscard, pmPass };
enum TComPortLineStatus : std::uint8_t { mlCTS, mlDSR, mlRING, mlRLSD };

// A set of modem input lines in one byte: bit 0 = mlCTS .. bit 3 = mlRLSD.
class TComPortLineStatusSet {
  public:
    constexpr TComPortLineStatusSet() = default;
    constexpr explicit TComPortLineStatusSet(std::uint8_t bits) : FBits(bits & 0x0F) {}

    constexpr bool Contains(TComPortLineStatus line) const { return (FBits >> line) & 1u; }
    constexpr void Include(TComPortLineStatus line) {
        FBits = static_cast<std::uint8_t>(FBits | (1u << line));
    }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr std::uint8_t Bits() const { return FBits; }
    constexpr bool operator==(const TComPortLineStatusSet&) const = default;

  private:
    std::uint8_t FBits = 0;
};

// The line settings that one port programming uses (see SerialDriver/LineSettings.h).
struct TComPortLineSettings {
    TComPortBaudRate Speed = br9600;
    TComPortDataBits DataBits = db8BITS;
    TComPortStopBits StopBits = sb1BITS;
    TComPortParity Parity = ptNONE;
    TComPortHwHandshaking HwHandshaking = hhNONERTSON;
    TComPortSwHandshaking SwHandshaking = shNONE;
    bool EnableDTROnOpen = true;
};

// Bits per second of a rate (0 for a value outside the enumeration).
std::uint32_t BaudRateToValue(TComPortBaudRate Speed);
