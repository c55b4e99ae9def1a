#include "SerialDriver/ComPortTypes.h"

#include <iterator>

std::uint32_t BaudRateToValue(TComPortBaudRate Speed) {
    static constexpr std::uint32_t rates[] = {110,   300,   600,   1200,  2400,  4800,  9600,
                                              14400, 19200, 38400, 56000, 57600, 115200};
    return Speed < std::size(rates) ? rates[Speed] : 0;
}
