#pragma once
// The character code tables of ESC t n, by the code page names iconv knows them by.
#include <cstdint>
#include <optional>
#include <string_view>

// The code page of ESC t n ("CP437" for 0, "CP1252" for 16, ...), or none for a table this
// system has no code page for (Katakana, Thai, user-defined pages, unassigned numbers).
std::optional<std::string_view> CodeTablePage(std::uint8_t n);

// The same for the line-mode sets' ESC GS t n, in their own numbering.
std::optional<std::string_view> StarCodeTablePage(std::uint8_t n);

// The double-byte character set a code page prints in Chinese mode ("BIG5" for CP950), or none.
std::optional<std::string_view> DoubleByteSet(std::string_view codePage);
