#include "Receipt/Trace.h"

#include "Rtl/Strings.h"

#include <cstdio>

std::string TraceLine(std::uint64_t offset, std::string_view bytes, const std::string& meaning) {
    char pos[32];
    std::snprintf(pos, sizeof pos, "# %06llu  ", static_cast<unsigned long long>(offset));
    return pos + FormatHex(bytes) + "  " + meaning;
}
