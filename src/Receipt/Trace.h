#pragma once
// One trace line per command read: "# 000012  1B 64 03  feed 3 lines".
#include <cstdint>
#include <string>
#include <string_view>

std::string TraceLine(std::uint64_t offset, std::string_view bytes, const std::string& meaning);
