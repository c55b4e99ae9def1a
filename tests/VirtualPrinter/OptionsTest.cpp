// The virtual printer's command line.
#include "Service.h"

#include <gtest/gtest.h>

TEST(VirtualPrinterOptions, ParseAndRefuse) {
    auto parse = [](std::vector<const char*> args, std::string& error) {
        args.insert(args.begin(), "vemix-printer");
        return ParseOptions(static_cast<int>(args.size()), const_cast<char**>(args.data()), error);
    };
    std::string error;
    auto o = parse({}, error);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->mode, "EPSON");
    EXPECT_TRUE(o->input.empty());
    o = parse({"--mode", "tp-3688", "--input", "/tmp/x", "--follow", "--trace", "--png", "r.png",
               "--codepage", "UTF-8"},
              error);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->input, "/tmp/x");
    EXPECT_TRUE(o->follow && o->trace);
    EXPECT_EQ(o->png, "r.png");
    EXPECT_EQ(o->codePage, "UTF-8");
    EXPECT_EQ(o->widthDots, 384);
    EXPECT_TRUE(o->chinese);
    o = parse({"--width", "80", "--chinese", "off"}, error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->widthDots, 576);
    EXPECT_FALSE(o->chinese);
    for (std::vector<const char*> bad : {std::vector<const char*>{"--mode", "IBM"},
                                         {"--input", "a", "--link", "b"},
                                         {"--follow"},
                                         {"--png"},
                                         {"--width", "57"},
                                         {"--chinese", "yes"},
                                         {"--width"},
                                         {"--bogus"}}) {
        EXPECT_FALSE(parse(bad, error));
        EXPECT_FALSE(error.empty()) << bad[0];
    }
}

TEST(VirtualPrinterOptions, StateOptions) {
    std::vector<std::string> args = {"vemix-printer", "--paper", "near-end",  "--cover", "open",
                                     "--drawer",      "open",    "--offline", "--silent"};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    std::string error;
    const auto o = ParseOptions(static_cast<int>(argv.size()), argv.data(), error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->state.Paper, TPaperLevel::NearEnd);
    EXPECT_TRUE(o->state.CoverOpen && o->state.DrawerOpen && o->state.Offline && o->state.Silent);
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"p", "--paper", "low"},
                                                {"p", "--cover", "ajar"},
                                                {"p", "--drawer"}}) {
        std::vector<std::string> copy = bad;
        std::vector<char*> v;
        for (std::string& a : copy)
            v.push_back(a.data());
        EXPECT_FALSE(ParseOptions(static_cast<int>(v.size()), v.data(), error)) << bad[1];
        EXPECT_FALSE(error.empty());
    }
}
