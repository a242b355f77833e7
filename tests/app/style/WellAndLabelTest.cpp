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
        SCOPED_TRACE(dark);
        Palette::setDarkOverride(dark);
        WellBackground well(18);
        well.resize(200, 120);
        const QImage image = testing::renderWidget(well, 2);
        testing::savePNG(image, dark ? QStringLiteral("well-dark") : QStringLiteral("well-light"));
        const QColor inside = Palette::well();
        // Just inside the top edge (below the half-point hairline) the inner shadow darkens the well;
        // at the bottom edge there is only the hairline, one device pixel; the corner is left clear.
        EXPECT_TRUE(nearRGBA(pixel(image, 200, 120), inside)) << testing::describe(pixel(image, 200, 120));
        EXPECT_LT(brightness(pixel(image, 200, 1)), brightness(inside) - 10);
        EXPECT_TRUE(nearRGBA(pixel(image, 200, 238), inside)) << testing::describe(pixel(image, 200, 238));
        EXPECT_TRUE(nearRGBA(pixel(image, 200, 239), testing::over(Palette::hairline(), inside), 4));
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    }
    Palette::setDarkOverride(std::nullopt);
}

TEST(SectionLabelTest, ShowsTheKeysTextOrTheKeyInUpperCaseInInkSoft) {
    Localization::setShared(Localization::fromJSON(R"({"presets.title": "Presets"})", QString(), {},
                                                   QLocale(QLocale::English, QLocale::UnitedStates)));
    Palette::setDarkOverride(false);
    SectionLabel label(QStringLiteral("presets.title"));
    EXPECT_EQ(label.displayText(), QStringLiteral("PRESETS"));
    EXPECT_GT(testing::countNear(testing::renderWidget(label), Palette::inkSoft(), 12), 5);
    label.setKey(QStringLiteral("no.such.key"));
    EXPECT_EQ(label.displayText(), QStringLiteral("NO.SUCH.KEY"));
    Palette::setDarkOverride(std::nullopt);
    Localization::setShared(Localization::fromDirectory(QString::fromLatin1(Localization::compiledDirectory)));
}

}  // namespace
}  // namespace kestrine
