#include "platform/cp1252.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

TEST(Cp1252, TheEuroBlockAndUndefinedBytesAsTheirC1Controls) {
    EXPECT_EQ(Utf8FromCp1252("Donn\xE9"
                             "es R\xE8gle"),
              "Donn\u00E9"
              "es R\u00E8gle");
    for (auto [byte, code] : {std::pair{0x80, U'\u20AC'},
                              {0x8C, U'\u0152'},
                              {0x99, U'\u2122'},
                              {0x9F, U'\u0178'},
                              {0xA0, U'\u00A0'},
                              {0xFF, U'\u00FF'},
                              {0x81, U'\x81'},
                              {0x8D, U'\x8D'},
                              {0x8F, U'\x8F'},
                              {0x90, U'\x90'},
                              {0x9D, U'\x9D'}}) {
        EXPECT_EQ(Cp1252ToCodePoint(static_cast<unsigned char>(byte)), code) << byte;
    }
}

TEST(Cp1252, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(Cp1252FromUtf8(Utf8FromCp1252(all)), all);
}

TEST(Cp1252, UnmappableAndMalformedInputBecomesQuestionMarks) {
    EXPECT_EQ(Cp1252FromUtf8("\u4E2D"), "?");     // not in the code page
    EXPECT_EQ(Cp1252FromUtf8("a\xC3"), "a?");     // cut sequence
    EXPECT_EQ(Cp1252FromUtf8("\x80z"), "?z");     // stray continuation byte
    EXPECT_EQ(Cp1252FromUtf8("\xE2\x82"), "??");  // euro cut short
    EXPECT_EQ(Cp1252FromUtf8("\xE2\x82\xAC"), "\x80");
}

}  // namespace
}  // namespace velkaro
