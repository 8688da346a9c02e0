#include "platform/qt/qt_text.h"

#include <gtest/gtest.h>

#include "platform/cp1252.h"

namespace velkaro {
namespace {

// The Qt boundary and the file-name conversion must spell every byte the same way, and whole
// texts survive it.
TEST(QtText, AgreesWithTheFileNameConversionOnAllBytes) {
    for (int b = 0; b < 256; ++b) {
        std::string byte(1, static_cast<char>(b));
        QString q = ToQString(byte);
        ASSERT_EQ(q.size(), 1) << b;
        EXPECT_EQ(char32_t(q.at(0).unicode()), Cp1252ToCodePoint(static_cast<unsigned char>(b)))
            << b;
        EXPECT_EQ(FromQString(q), byte) << b;
    }
    EXPECT_EQ(ToQString("Cat\xE9gorie"), QString::fromUtf8("Cat\u00E9gorie"));
    EXPECT_EQ(FromQString(QString::fromUtf8("R\u00E9glagesSons.rg")), "R\xE9glagesSons.rg");
}

}  // namespace
}  // namespace velkaro
