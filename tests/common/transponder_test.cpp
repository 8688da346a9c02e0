#include "common/transponder.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

TEST(Transponder, OneChipHoweverItIsWritten) {
    struct Case {
        std::string_view text;
        std::int32_t number;
        std::string_view stored;  // as the files hold it
        bool typable;
    };
    const Case cases[] = {
        {"1001", 1001, "001001", true},         {"001001", 1001, "001001", true},
        {" 1001 ", 1001, "001001", false},      {"0", 0, "000000", true},
        {"999999", 999999, "999999", true},     {"", kNoTransponder, "", true},
        {"   ", kNoTransponder, "", false},     {"10a1", kNoTransponder, "", false},
        {"1234567", kNoTransponder, "", false}, {"-12", kNoTransponder, "", false},
        {"1 2", kNoTransponder, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TransponderNumber(c.text), c.number);
        EXPECT_EQ(NormalTransponder(c.text).View(), c.stored);
        EXPECT_EQ(TransponderTypingAllowed(c.text), c.typable);
        EXPECT_EQ(SameTransponder(c.text, "001001"), c.number == 1001);
    }
    EXPECT_FALSE(SameTransponder("", ""));  // no chip matches no chip
    EXPECT_TRUE(TransponderDigits(1000000).Empty());
}

}  // namespace
}  // namespace velkaro
