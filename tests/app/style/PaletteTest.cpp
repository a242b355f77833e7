// The palette's two appearances and how the current one is chosen.
#include "app/style/Palette.h"

#include <QApplication>
#include <QPalette>

#include <gtest/gtest.h>

#include <set>

namespace kestrine {
namespace {

TEST(PaletteTest, EverySwatchHasADifferentDarkValue) {
    std::set<std::string> names;
    for (Palette::Swatch swatch : Palette::allSwatches()) {
        names.insert(Palette::name(swatch));
        EXPECT_NE(Palette::color(swatch, false).rgba(), Palette::color(swatch, true).rgba()) << Palette::name(swatch);
    }
    EXPECT_EQ(names.size(), size_t(Palette::swatchCount));
}

TEST(PaletteTest, TranslucentSwatchesKeepTheirOpacity) {
    EXPECT_NEAR(Palette::color(Palette::Swatch::highlight, false).alphaF(), 0.9, 0.005);
    EXPECT_NEAR(Palette::color(Palette::Swatch::highlight, true).alphaF(), 0.07, 0.005);
    EXPECT_NEAR(Palette::color(Palette::Swatch::hairline, false).alphaF(), 0.1, 0.005);
    EXPECT_EQ(Palette::color(Palette::Swatch::hairline, false).rgb() & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(Palette::color(Palette::Swatch::hairline, true).rgb() & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_NEAR(Palette::color(Palette::Swatch::shadow, true).alphaF(), 0.55, 0.005);
    EXPECT_EQ(Palette::color(Palette::Swatch::canvas, false), QColor(QStringLiteral("#F3EFE7")));
    EXPECT_EQ(Palette::color(Palette::Swatch::accent, true), QColor(QStringLiteral("#8F8BF2")));
    for (Palette::Swatch swatch : {Palette::Swatch::canvas, Palette::Swatch::ink, Palette::Swatch::danger})
        EXPECT_EQ(Palette::color(swatch, true).alpha(), 255);
}

TEST(PaletteTest, AppearanceFollowsTheApplicationPalette) {
    Palette::setDarkOverride(std::nullopt);
    const QPalette original = QApplication::palette();

    QPalette dark = original;
    dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
    QApplication::setPalette(dark);
    EXPECT_TRUE(Palette::isDark());
    EXPECT_EQ(Palette::canvas(), Palette::color(Palette::Swatch::canvas, true));

    QPalette light = original;
    light.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
    light.setColor(QPalette::WindowText, QColor(0x10, 0x10, 0x10));
    QApplication::setPalette(light);
    EXPECT_FALSE(Palette::isDark());
    EXPECT_EQ(Palette::canvas(), Palette::color(Palette::Swatch::canvas, false));

    // Brightness decides, not the red channel alone: pure green text on dark blue is dark.
    QPalette odd = original;
    odd.setColor(QPalette::Window, QColor(0x40, 0x00, 0x80));
    odd.setColor(QPalette::WindowText, QColor(0x00, 0xC0, 0x00));
    QApplication::setPalette(odd);
    EXPECT_TRUE(Palette::isDark());

    QApplication::setPalette(original);
}

TEST(PaletteTest, ATestOverrideWinsUntilCleared) {
    const bool system = Palette::isDark();
    Palette::setDarkOverride(!system);
    EXPECT_EQ(Palette::isDark(), !system);
    EXPECT_EQ(Palette::ink(), Palette::color(Palette::Swatch::ink, !system));
    Palette::setDarkOverride(std::nullopt);
    EXPECT_EQ(Palette::isDark(), system);
}

TEST(PaletteTest, WithOpacityMultipliesTheAlpha) {
    EXPECT_NEAR(withOpacity(QColor(0, 0, 0), 0.16).alphaF(), 0.16, 0.005);
    EXPECT_NEAR(withOpacity(QColor(0, 0, 0, 128), 0.5).alphaF(), 0.25, 0.005);
}

}  // namespace
}  // namespace kestrine
