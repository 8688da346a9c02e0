#include "platform/typed_text.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

TEST(TypedText, WhatAFieldRefusesAndWhy) {
    struct Case {
        std::u32string text;
        std::size_t limit;
        std::string refusal;
    };
    const Case cases[] = {
        {U"Wojciech \u0141ukasz", 0,
         "The character U+0141 cannot be stored in the program's files. Type \"L\" instead."},
        {U"Dvo\u0159\u00E1k", 0,
         "The character U+0159 cannot be stored in the program's files. Type \"r\" instead."},
        {U"Erd\u0151s", 0,
         "The character U+0151 cannot be stored in the program's files. Type \"o\" instead."},
        {U"\u017Bak", 0,
         "The character U+017B cannot be stored in the program's files. Type \"Z\" instead."},
        {U"\u5C71\u7530", 0, "The character U+5C71 cannot be stored in the program's files."},
        {U"Team\tA", 0,
         "A name or text holds a single line: tabs and line breaks cannot be stored."},
        {U"one\ntwo", 0,
         "A name or text holds a single line: tabs and line breaks cannot be stored."},
        {U"one\rtwo", 0,
         "A name or text holds a single line: tabs and line breaks cannot be stored."},
        {U"bell\u0007", 0, "The character U+0007 cannot be stored in the program's files."},
        {U"ABCDEF", 5, "This field holds at most 5 characters."},
        {U"ABCDE", 5, ""},
        // Letters the code page has are taken as typed.
        {U"\u0160koda \u017Dilina \u00FD\u00E1\u00E9\u00ED\u00F3\u00FA \u20AC?", 0, ""},
        {U"", 3, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RefusalOfTypedText(c.text, c.limit), c.refusal) << c.refusal;
    }
    EXPECT_EQ(NearestCp1252Letter(U'\u0161'), 0);  // s caron is stored as it is
}

}  // namespace
}  // namespace velkaro
