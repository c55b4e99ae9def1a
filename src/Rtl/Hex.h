#pragma once
// Bytes as the traces, markers and status lines show them: "1B 40 0A".
#include <string>
#include <string_view>

std::string FormatHex(std::string_view bytes);
