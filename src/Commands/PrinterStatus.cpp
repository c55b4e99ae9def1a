#include "Commands/PrinterStatus.h"

#include "Commands/Grammar.h"

#include <algorithm>

bool AsksStatus(TCommandSet set) {
    return Encode(set, Cmd::RealTimeStatus{srPrinter}).Supported;
}

std::string StatusRequestBytes(TStatusRequest request) {
    // The request as the printer's language writes it, the same bytes the decoder reads.
    return Encode(csEPSON, Cmd::RealTimeStatus{request}).Bytes;
}

bool ReadStatusAnswer(const TStatusAnswer& answer, TStatusFacts& facts) {
    return !answer.Bytes.empty() &&
           ReadRealTimeStatus(answer.Request, static_cast<std::uint8_t>(answer.Bytes[0]), facts);
}

void TStatusCollector::Begin(TStatusRequest request) {
    FAnswers.push_back({request, {}, 0});
    FOpen = true;
}

namespace {
// Appends what fits of size bytes (the first byte and StatusExtraKept more), counts the rest.
void Keep(std::string& into, std::size_t& dropped, const char* data, std::size_t size) {
    const std::size_t room = 1 + StatusExtraKept - std::min(into.size(), 1 + StatusExtraKept);
    const std::size_t n = std::min(room, size);
    into.append(data, n);
    dropped += size - n;
}
} // namespace

void TStatusCollector::Take(const std::uint8_t* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const char*>(data);
    if (FOpen)
        Keep(FAnswers.back().Bytes, FAnswers.back().Dropped, bytes, size);
    else
        Keep(FLate, FLateDropped, bytes, size);
}

void TStatusCollector::Take(const std::string& bytes) {
    Take(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

void TStatusCollector::End() {
    FOpen = false;
}
