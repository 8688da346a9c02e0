#include <gtest/gtest.h>
#include <QImage>

#include <string>

#include "forms_kit/pictures.h"
#include "tests/assets/assets_support.h"

namespace fs = std::filesystem;

namespace velkaro::test {
namespace {

QImage Load(const std::string& relative) {
    return QImage(QString::fromStdString((DataFolder() / relative).string()));
}

TEST(Pictures, EveryPictureLoads) {
    auto files = FilesUnder(DataFolder() / "images");
    ASSERT_FALSE(files.empty());
    for (const fs::path& f : files) {
        QImage image(QString::fromStdString(f.string()));
        EXPECT_FALSE(image.isNull()) << f;
    }
}

TEST(Pictures, SizesFitWhereThePicturesAreShown) {
    // Reports copy the logo's top-left 200 x 50 pixels; the window shows it in 196 x 50.
    QImage logo = Load("images/logo.bmp");
    EXPECT_GE(logo.width(), 200);
    EXPECT_EQ(logo.height(), 50);
    // The interface form repaints exactly 40 x 40 pixels around its status light.
    for (const char* light : {"images/voyantVert.bmp", "images/voyantRouge.bmp"}) {
        EXPECT_EQ(Load(light).size(), QSize(40, 40)) << light;
    }
    // The arrangement's arrows are hit within 11 x 11 pixels.
    for (const char* arrow : {"images/FlecheHaut.bmp", "images/FlecheBas.bmp"}) {
        QImage a = Load(arrow);
        EXPECT_LE(a.width(), 11) << arrow;
        EXPECT_LE(a.height(), 11) << arrow;
    }
    // The scan lamp's frames replace one another in place.
    QSize lamp = Load("images/voyantScanPuce1.bmp").size();
    for (int i = 2; i <= 4; ++i) {
        EXPECT_EQ(Load("images/voyantScanPuce" + std::to_string(i) + ".bmp").size(), lamp) << i;
    }
    // Race panel buttons are 40 pixels square, or 45 pixels high on a 900-pixel screen.
    for (const char* face :
         {kStartPicture, kStopPicture, kClearPicture, kResultsPicture, kPrintPicture}) {
        QImage f = Load(face);
        EXPECT_LE(f.width(), 40) << face;
        EXPECT_LE(f.height(), 40) << face;
    }
}

TEST(Pictures, TreeIconsAreSmallIconsThatShowTheTreesBackground) {
    for (const char* icon : kTreeIcons) {
        QImage i = Load(icon);
        EXPECT_EQ(i.size(), QSize(16, 16)) << icon;
        EXPECT_TRUE(i.hasAlphaChannel()) << icon;
        EXPECT_EQ(qAlpha(i.pixel(0, 0)), 0) << icon << ": the corner should be see-through";
    }
}

}  // namespace
}  // namespace velkaro::test
