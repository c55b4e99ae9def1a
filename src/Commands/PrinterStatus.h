#pragma once
// Asking a receipt printer how it is: the real-time status requests DLE EOT n and what each
// got back, kept to its own request. No port, no window, no words.
#include "Commands/CommandSet.h"
#include "Commands/StatusFacts.h"

#include <cstdint>
#include <string>
#include <vector>

// The set has the real-time status requests (only ESC/POS does).
bool AsksStatus(TCommandSet set);
// DLE EOT n.
std::string StatusRequestBytes(TStatusRequest request);

// What one request got back: the bytes that came within the bound and the settle time after
// the answer (none: no answer), the answer and at most StatusExtraKept more; the rest is
// only counted.
struct TStatusAnswer {
    TStatusRequest Request = srPrinter;
    std::string Bytes;
    std::size_t Dropped = 0;
};
constexpr std::size_t StatusExtraKept = 64;

// Sets the facts of the answer's first byte; false (nothing set) without one, or when its
// fixed bits are wrong.
bool ReadStatusAnswer(const TStatusAnswer& answer, TStatusFacts& facts);

// Collects the answers of a run of requests. Bytes count only while a request is open: what
// comes while none is (a late answer, a stray byte) belongs to nobody and is kept apart, never
// given to the next request. Each answer and the late bytes keep at most StatusExtraKept bytes
// beyond the first and count the rest.
class TStatusCollector {
  public:
    void Begin(TStatusRequest request);
    void Take(const std::uint8_t* data, std::size_t size);
    void Take(const std::string& bytes);
    // The request's bound passed.
    void End();
    bool Open() const { return FOpen; }
    // The open request has its answer byte.
    bool Answered() const { return FOpen && !FAnswers.back().Bytes.empty(); }
    const std::vector<TStatusAnswer>& Answers() const { return FAnswers; }
    const std::string& Late() const { return FLate; }
    std::size_t LateDropped() const { return FLateDropped; }

  private:
    std::vector<TStatusAnswer> FAnswers;
    bool FOpen = false;
    std::string FLate;
    std::size_t FLateDropped = 0;
};
