// The recessed well and the section caption.
#include "app/Localization.h"
#include "app/style/Palette.h"
#include "app/style/SectionLabel.h"
#include "app/style/WellBackground.h"
#include "tests/app/support/RenderSupport.h"

#include <gtest/gtest.h>

namespace kestrine {
namespace {

using testing::nearRGBA;
using testing::pixel;

int brightness(const QColor& c) {
    return c.red() + c.green() + c.blue();
}

TEST(WellBackgroundTest, InnerShadowDarkensTheTopEdgeOnly) {
    for (bool dark : {false, true}) {
        Palette::setDarkOverride(dark);
        WellBackground well(18);
        well.resize(200, 120);
        const QImage image = testing::renderWidget(well, 2);
        testing::savePNG(image, dark ? QStringLiteral("well-dark") : QStringLiteral("well-light"));
        const QColor well_ = Palette::well();
        EXPECT_TRUE(nearRGBA(pixel(image, 200, 120), well_)) << testing::describe(pixel(image, 200, 120));
        // Just inside the top edge (below the half-point hairline) the inner shadow darkens the well.
        EXPECT_LT(brightness(pixel(image, 200, 1)), brightness(well_) - 10) << dark;
        // At the bottom edge there is only the half-point hairline (one device pixel): no shadow.
        EXPECT_TRUE(nearRGBA(pixel(image, 200, 238), well_)) << testing::describe(pixel(image, 200, 238));
        const QColor hairline = testing::over(Palette::hairline(), well_);
        EXPECT_TRUE(nearRGBA(pixel(image, 200, 239), hairline, 4)) << testing::describe(pixel(image, 200, 239));
        // Rounded: the very corner is left clear.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    }
    Palette::setDarkOverride(std::nullopt);
}

TEST(SectionLabelTest, ShowsTheKeysTextInUpperCaseInInkSoft) {
    Localization::setShared(Localization::fromJSON(R"({"presets.title": "Presets"})", QString(), {},
                                                   QLocale(QLocale::English, QLocale::UnitedStates)));
    Palette::setDarkOverride(false);
    SectionLabel label(QStringLiteral("presets.title"));
    EXPECT_EQ(label.displayText(), QStringLiteral("PRESETS"));
    const QImage image = testing::renderWidget(label);
    testing::savePNG(image, QStringLiteral("section-label"));
    EXPECT_GT(testing::countNear(image, Palette::inkSoft(), 12), 5);

    // A missing key shows the key itself.
    label.setKey(QStringLiteral("no.such.key"));
    EXPECT_EQ(label.displayText(), QStringLiteral("NO.SUCH.KEY"));
    Palette::setDarkOverride(std::nullopt);
    Localization::setShared(Localization::fromDirectory(QString::fromLatin1(Localization::compiledDirectory)));
}

}  // namespace
}  // namespace kestrine
