#include "platform/text.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <type_traits>
#include <utility>

#include "tests/event/fields.h"

namespace velkaro {
namespace {

using test::Fields;

// Assigning, appending and formatting keep one byte for the terminator, refuse what would not
// fit (a formatted text is cut), and leave nothing of a longer text behind a shorter one.
TEST(Text, NeverWritesPastTheSlot) {
    Text<6> slot;
    EXPECT_TRUE(slot.Assign("COM12"));
    EXPECT_FALSE(slot.Assign("COM123"));
    EXPECT_EQ(slot.View(), "COM12");
    slot.Assign("AB");
    for (std::size_t i = 2; i < slot.bytes.size(); ++i) EXPECT_EQ(slot.bytes[i], '\0') << i;
    EXPECT_EQ(slot.Length(), 2u);
    EXPECT_TRUE(Format(slot, "COM%d", 49));
    EXPECT_EQ(slot, "COM49");
    EXPECT_FALSE(Format(slot, "COM%d", 123456));
    EXPECT_EQ(slot, "COM12");
    EXPECT_EQ(slot.bytes[5], '\0');

    Text<40> name(std::string(60, 'x'));
    EXPECT_EQ(Fields(name.Length(), name.bytes[39] == '\0'), "39|1");
    Text<8> t("abc");
    EXPECT_TRUE(t.Append("de"));
    EXPECT_FALSE(t.Append("fghij"));
    EXPECT_FALSE(t.Append("x"));
    EXPECT_EQ(t.View(), "abcdefg");
    // Bytes above seven bits are kept as they are.
    Text<16> accented("Cat\xE9gorie");
    EXPECT_EQ(Fields(accented.Length(), static_cast<unsigned char>(accented.bytes[3])), "9|233");
    EXPECT_TRUE(accented == std::string_view("Cat\xE9gorie"));
}

// Prints through the checked format into a slot wide enough for every case.
template <typename... Args>
std::string Printed(CheckedFormat<std::type_identity_t<Args>...> format, Args... args) {
    Text<64> t;
    Format(t, format, args...);
    return std::string(t.View());
}

TEST(Text, FormatAcceptsEveryConversionWithItsOwnArgumentType) {
    const std::pair<std::string, std::string_view> cases[] = {
        {Printed("%d|%i|%+d|% d|%05d", -7, short{8}, 9, 10, -11), "-7|8|+9| 10|-0011"},
        {Printed("%u|%x|%X|%#o|%#x", 7u, 255u, 255u, 8u, static_cast<unsigned char>(15)),
         "7|ff|FF|010|0xf"},
        {Printed("%hhd|%hhu|%hd|%hu", static_cast<signed char>(-1), static_cast<unsigned char>(200),
                 short{-300}, static_cast<unsigned short>(60000)),
         "-1|200|-300|60000"},
        {Printed("%ld|%lu|%lld|%llu", -1L, 2UL, -3LL, 4ULL), "-1|2|-3|4"},
        {Printed("%zu|%zd|%zx", sizeof(int), std::ptrdiff_t{-5}, std::size_t{255}), "4|-5|ff"},
        {Printed("%.2f|%e|%g|%lf|%Lg", 3.14159, 1.5f, 0.25, 2.0, 1.5L),
         "3.14|1.500000e+00|0.25|2.000000|1.5"},
        {Printed("%c%c%c|%s|%.2s|%-4s|", 'a', 98, static_cast<unsigned char>('c'), "de", "fgh",
                 "i"),
         "abc|de|fg|i   |"},
        {Printed("%*d|%-*d|%.*f|%*.*s", 4, 1, 3, 2, 1, 2.25, 3, 1, "xyz"), "   1|2  |2.2|  x"},
        {Printed("%p|%p", static_cast<void*>(nullptr), static_cast<int*>(nullptr)), "(nil)|(nil)"},
        {Printed("100%% of %d", 3), "100% of 3"},
        {Printed("Cat\xE9gorie%dM%dS%d", 1, 2, 3), "Cat\xE9gorie1M2S3"},
    };
    for (const auto& [printed, expected] : cases) EXPECT_EQ(printed, expected);
}

}  // namespace
}  // namespace velkaro
