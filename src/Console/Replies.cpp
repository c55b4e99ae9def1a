#include "Console/Replies.h"

#include "Receipt/Decoder.h"

#include <variant>

namespace {

bool OneByteIdentity(std::uint8_t n) {
    return (n >= 1 && n <= 3) || (n >= '1' && n <= '3');
}

bool BlockIdentity(std::uint8_t n) {
    return n >= 0x41 && n <= 0x45;
}

bool Printable(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    return true;
}

constexpr std::size_t AutoStatusSize = 4;
constexpr char BlockStart = 0x5F;

} // namespace

void TReplyReader::Sent(std::string_view bytes, TCommandSet set, long long nowMs) {
    FExpected.clear();
    const long long until = nowMs + ExpectMs;
    auto expect = [&](TReplyKind kind, std::uint8_t n) { FExpected.push_back({kind, n, until}); };
    TDecoder decoder(set, [&](const TCommand& command, std::uint64_t, std::string_view) {
        if (const auto* status = std::get_if<Cmd::RealTimeStatus>(&command)) {
            expect(rkRealTime, status->N);
        } else if (const auto* sensor = std::get_if<Cmd::SensorStatus>(&command)) {
            if (sensor->Paper())
                expect(rkPaperSensor, sensor->N);
            else if (sensor->N == 2 || sensor->N == '2')
                expect(rkDrawerSensor, sensor->N);
        } else if (const auto* identity = std::get_if<Cmd::Identity>(&command)) {
            if (OneByteIdentity(identity->N) || BlockIdentity(identity->N))
                expect(rkIdentity, identity->N);
        } else if (const auto* automatic = std::get_if<Cmd::AutoStatus>(&command)) {
            FAutoStatus = automatic->N != 0;
        }
    });
    decoder.Feed(bytes);
    decoder.Finish();
}

void TReplyReader::Expire(long long nowMs) {
    while (!FExpected.empty() && FExpected.front().Until < nowMs)
        FExpected.pop_front();
}

bool TReplyReader::Waiting(long long nowMs) {
    Expire(nowMs);
    return !FExpected.empty();
}

std::vector<TReply> TReplyReader::Take(std::string_view bytes, long long nowMs) {
    FKept.append(bytes);
    Expire(nowMs);
    std::vector<TReply> replies;
    while (!FKept.empty()) {
        TReply reply;
        const int taken = Front(reply);
        if (taken == 0)
            break;
        if (taken < 0) {
            FKept.erase(0, 1);
            continue;
        }
        if (reply.Kind != rkAutoStatus)
            FExpected.pop_front();
        reply.Bytes = FKept.substr(0, static_cast<std::size_t>(taken));
        FKept.erase(0, static_cast<std::size_t>(taken));
        replies.push_back(std::move(reply));
    }
    return replies;
}

int TReplyReader::Front(TReply& out) {
    // Once switched on, the block can come at any time, also between two answers: its fixed
    // bits tell it from them (bytes that may still become one are waited for).
    if (FAutoStatus) {
        const int block = AutoStatusAtFront(out);
        if (block >= 0)
            return block;
    }
    return FExpected.empty() ? -1 : ExpectedAtFront(FExpected.front(), out);
}

int TReplyReader::AutoStatusAtFront(TReply& out) const {
    // Bit 4 of the first byte set and bits 0, 1 and 7 clear; bits 4 and 7 of the others clear.
    if ((static_cast<std::uint8_t>(FKept[0]) & 0x93) != 0x10)
        return -1;
    const std::size_t n = std::min(FKept.size(), AutoStatusSize);
    for (std::size_t i = 1; i < n; ++i)
        if (static_cast<std::uint8_t>(FKept[i]) & 0x90)
            return -1;
    if (n < AutoStatusSize)
        return 0;
    out.Kind = rkAutoStatus;
    out.Recognised = ReadAutoStatus(std::string_view(FKept).substr(0, AutoStatusSize), out.Facts);
    return out.Recognised ? static_cast<int>(AutoStatusSize) : -1;
}

int TReplyReader::ExpectedAtFront(const TExpected& expected, TReply& out) const {
    out.Kind = expected.Kind;
    out.N = expected.N;
    const auto b = static_cast<std::uint8_t>(FKept[0]);
    switch (expected.Kind) {
    case rkRealTime:
        out.Recognised =
            ReadRealTimeStatus(static_cast<TStatusRequest>(expected.N & 0x0F), b, out.Facts);
        return 1;
    case rkPaperSensor:
        out.Recognised = ReadPaperSensor(b, out.Facts);
        return 1;
    case rkDrawerSensor:
        out.Recognised = ReadDrawerSensor(b, out.Facts);
        return 1;
    case rkIdentity:
        break;
    case rkAutoStatus:
        return -1;
    }
    if (OneByteIdentity(expected.N)) {
        out.Recognised = true;
        return 1;
    }
    if (FKept[0] != BlockStart)
        return -1;
    const std::size_t end = FKept.find('\0');
    if (end == std::string::npos || end >= MaxBlock)
        return FKept.size() < MaxBlock ? 0 : -1;
    out.Text = FKept.substr(1, end - 1);
    out.Recognised = Printable(out.Text);
    return static_cast<int>(end + 1);
}
