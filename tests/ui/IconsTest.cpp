// The embedded pictures: every tool-bar icon and the application icon load and draw
// something (which needs Qt's SVG plugins), and the desktop entry names the icon.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <fstream>
#include <sstream>
#include <string>

#include "support/TempDir.h"
#include "ui/Icons.h"

namespace wirvela {
namespace {

class IconTest : public ::testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite() { InitUiResources(); }
};

TEST_P(IconTest, LoadsAndDrawsOpaquePixels) {
    const QIcon icon = WirvelaIcon(GetParam());
    ASSERT_FALSE(icon.isNull()) << GetParam();
    const QImage image = icon.pixmap(QSize(32, 32)).toImage();
    ASSERT_FALSE(image.isNull()) << "no SVG plugin? " << GetParam();
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) opaque += qAlpha(image.pixel(x, y)) > 128;
    EXPECT_GT(opaque, 40) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Embedded, IconTest,
                         ::testing::Values("open", "simulate", "stop", "manual", "cut", "project", "multiply",
                                           "figure2-open", "figure2-scaled", "figure2-remove", "bent-moulding",
                                           "frame", "clear", "pendant-connected", "pendant-disconnected",
                                           "wirvela"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

TEST(Icons, AnUnknownNameGivesANullIcon) {
    InitUiResources();
    EXPECT_TRUE(WirvelaIcon("no-such-icon").isNull());
    EXPECT_TRUE(WirvelaIcon("").isNull());
}

TEST(DesktopEntry, StartsTheProgramWithItsIcon) {
    std::ifstream file(test::ShippedDataDir() / "wirvela.desktop");
    ASSERT_TRUE(file);
    std::stringstream text;
    text << file.rdbuf();
    const std::string entry = text.str();
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u);
    for (const char* line : {"\nType=Application\n", "\nExec=wirvela\n", "\nIcon=wirvela\n", "\nName=wirvela\n"})
        EXPECT_NE(entry.find(line), std::string::npos) << line;
}

}  // namespace
}  // namespace wirvela
