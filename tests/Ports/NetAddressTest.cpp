#include "Ports/NetAddress.h"

#include <gtest/gtest.h>
#include <netdb.h>

TEST(NetAddress, ReadsHostAndPortAndRefusesWhatCannotBeOne) {
    struct Case {
        const char* text;
        const char* host;
        int port;
        TNetAddressProblem problem;
    };
    const Case cases[] = {
        {"printer", "printer", 9100, apNone},
        {"127.0.0.5:9101", "127.0.0.5", 9101, apNone},
        {"[::1]:515", "::1", 515, apNone},
        {"[0:0:0:0:0:0:0:1]", "0:0:0:0:0:0:0:1", 9100, apNone},
        {"::1", "::1", 9100, apNone},
        {"h:1", "h", 1, apNone},
        {"h:65535", "h", 65535, apNone},
        {"", nullptr, 0, apEmptyHost},
        {":9100", nullptr, 0, apEmptyHost},
        {"   ", nullptr, 0, apEmptyHost},
        {"my printer", nullptr, 0, apSpaceInHost},
        {" printer", nullptr, 0, apSpaceInHost},
        {"printer:9100 ", nullptr, 0, apSpaceInHost},
        {"h:0", nullptr, 0, apBadPort},
        {"h:65536", nullptr, 0, apBadPort},
        {"h:99999999999", nullptr, 0, apBadPort},
        {"h:-1", nullptr, 0, apBadPort},
        {"h:", nullptr, 0, apBadPort},
        {"h:x", nullptr, 0, apBadPort},
        {"[::1", nullptr, 0, apBadForm},
        {"[printer]:9100", nullptr, 0, apBadForm},
        {"[::1]9100", nullptr, 0, apBadForm},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TNetAddressProblem problem = apBadForm;
        const auto address = ParseNetAddress(c.text, &problem);
        EXPECT_EQ(problem, c.problem);
        ASSERT_EQ(address.has_value(), c.host != nullptr);
        if (address) {
            EXPECT_EQ(address->Host, c.host);
            EXPECT_EQ(address->Port, c.port);
            EXPECT_EQ(ParseNetAddress(NetAddressText(*address), nullptr), address);
        } else {
            EXPECT_STRNE(NetAddressProblemText(problem), "");
        }
    }
    EXPECT_EQ(CheckNetPort("9100"), apNone);
    EXPECT_EQ(CheckNetPort("0"), apBadPort);
    EXPECT_EQ(CheckNetPort(""), apBadPort);
    EXPECT_EQ(CheckNetHost("a\tb"), apSpaceInHost);
}

TEST(NetAddress, TheDialogsTwoFieldsTakeEveryFormOnceAndAPortOnlyOnce) {
    struct Case {
        const char* host;
        const char* port;
        const char* address; // as NetAddressText gives it, or nullptr
        TNetAddressProblem problem;
    };
    const Case cases[] = {
        {"[::1]:9100", "", "[::1]:9100", apNone},
        {"[::1]", "9101", "[::1]:9101", apNone},
        {"::1", "", "[::1]:9100", apNone},
        {"printer:9102", "", "printer:9102", apNone},
        {"", "", nullptr, apNone},
        {"[::1]:9100", "9101", nullptr, apBadForm},
        {"printer:9100", "9101", nullptr, apBadForm},
        {"[::1]", "0", nullptr, apBadPort},
        {"[printer]", "9100", nullptr, apBadForm},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.host) + " | " + c.port);
        TNetAddressProblem problem = apSpaceInHost;
        const auto address = ParseNetFields(c.host, c.port, problem);
        EXPECT_EQ(problem, c.problem);
        EXPECT_EQ(address ? NetAddressText(*address) : "(none)", c.address ? c.address : "(none)");
    }
}

TEST(NetAddress, NumericAddressesNeedNoLookup) {
    bool asked = false;
    TNameLookup lookup = [&](const std::string&, std::uint16_t, std::vector<TSockAddr>&) {
        asked = true;
        return EAI_NONAME;
    };
    for (const char* host : {"127.0.0.1", "::1"}) {
        const TLookupResult r = LookUp(lookup, host, 9100, 1000, nullptr);
        EXPECT_EQ(r.Error, 0);
        ASSERT_EQ(r.Addresses.size(), 1u);
    }
    EXPECT_FALSE(asked);
    EXPECT_EQ(SockAddrText(LookUp(lookup, "127.0.0.1", 9100, 0, nullptr).Addresses.at(0)),
              "127.0.0.1:9100");
    EXPECT_EQ(SockAddrText(LookUp(lookup, "::1", 515, 0, nullptr).Addresses.at(0)), "[::1]:515");
}
