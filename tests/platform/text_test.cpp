#include "platform/text.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

TEST(Text, HoldsOneLessThanItsWidthAndZeroFillsTheRest) {
    Text<6> slot;
    EXPECT_TRUE(slot.Assign("COM12"));
    EXPECT_EQ(slot.View(), "COM12");
    EXPECT_FALSE(slot.Assign("COM123"));
    EXPECT_EQ(slot.View(), "COM12");
    EXPECT_EQ(slot.bytes[5], '\0');

    // A shorter text after a longer one leaves no trace of the first.
    slot.Assign("AB");
    for (std::size_t i = 2; i < slot.bytes.size(); ++i) EXPECT_EQ(slot.bytes[i], '\0') << i;
    EXPECT_EQ(slot.Length(), 2u);
}

TEST(Text, FortyByteNameKeepsThirtyNineCharacters) {
    Text<40> name(std::string(60, 'x'));
    EXPECT_EQ(name.Length(), 39u);
    EXPECT_EQ(name.bytes[39], '\0');
}

TEST(Text, AppendStopsAtTheEnd) {
    Text<8> t("abc");
    EXPECT_TRUE(t.Append("de"));
    EXPECT_FALSE(t.Append("fghij"));
    EXPECT_EQ(t.View(), "abcdefg");
    EXPECT_FALSE(t.Append("x"));
    EXPECT_EQ(t.View(), "abcdefg");
}

TEST(Text, FormatNeverWritesPastTheSlot) {
    Text<6> port;
    EXPECT_TRUE(Format(port, "COM%d", 49));
    EXPECT_EQ(port, "COM49");
    EXPECT_FALSE(Format(port, "COM%d", 123456));
    EXPECT_EQ(port, "COM12");
    EXPECT_EQ(port.bytes[5], '\0');
}

TEST(Text, BytesAboveSevenBitsAreKeptAsTheyAre) {
    Text<16> t("Cat\xE9gorie");
    EXPECT_EQ(t.Length(), 9u);
    EXPECT_EQ(static_cast<unsigned char>(t.bytes[3]), 0xE9);
    EXPECT_TRUE(t == std::string_view("Cat\xE9gorie"));
}

}  // namespace
}  // namespace velkaro
