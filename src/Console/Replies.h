#pragma once
// What a printer sends back, read as the answers to the requests that went out: the real-time
// status (DLE EOT n), the sensors (GS r n), the identity (GS I n) and, once GS a has switched
// it on, the automatic status block whenever it comes. The requests of a line are answered in
// the order sent; a new line gives up those the printer left unanswered (a late answer to them
// is then no answer). Bytes that answer nothing are left to the raw view.
#include "Commands/CommandSet.h"
#include "Commands/StatusFacts.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

enum TReplyKind : std::uint8_t {
    rkRealTime,     // DLE EOT n: one byte
    rkPaperSensor,  // GS r 1: one byte
    rkDrawerSensor, // GS r 2: one byte
    rkIdentity,     // GS I n: one byte (n 1..3), or 5F, text, NUL (n 0x41..0x45)
    rkAutoStatus    // the four bytes of the automatic status back
};

struct TReply {
    TReplyKind Kind = rkRealTime;
    std::uint8_t N = 0; // the request's n, as sent
    std::string Bytes;
    // The bytes have the fixed bits of their kind: Facts holds what they say.
    bool Recognised = false;
    TStatusFacts Facts;
    std::string Text; // an identity block's text
};

class TReplyReader {
  public:
    // How long a request waits for its answer: what comes later answers nothing.
    static constexpr long long ExpectMs = 3000;
    // The longest identity block taken (its text and the NUL).
    static constexpr std::size_t MaxBlock = 80;

    // The requests in bytes sent in set at nowMs (SteadyMs).
    void Sent(std::string_view bytes, TCommandSet set, long long nowMs);
    // Bytes as they came: the answers they complete, in order.
    std::vector<TReply> Take(std::string_view bytes, long long nowMs);
    // Some request still waits for its answer.
    bool Waiting(long long nowMs);
    // The automatic status back is on: GS a switched it on last.
    bool AutoStatus() const { return FAutoStatus; }

  private:
    struct TExpected {
        TReplyKind Kind;
        std::uint8_t N;
        long long Until;
    };
    void Expire(long long nowMs);
    // The reply at the front of the bytes kept, when it is complete: 0 when more bytes may make
    // one, else how many bytes it took (and out has it), or -1 when the front byte answers
    // nothing.
    int Front(TReply& out);
    int AutoStatusAtFront(TReply& out) const;
    int ExpectedAtFront(const TExpected& expected, TReply& out) const;

    std::deque<TExpected> FExpected;
    std::string FKept;
    bool FAutoStatus = false;
};
