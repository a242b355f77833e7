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
    // An override (the tests' own) wins until cleared.
    Palette::setDarkOverride(false);
    EXPECT_FALSE(Palette::isDark());
    EXPECT_EQ(Palette::canvas(), Palette::color(Palette::Swatch::canvas, false));
    Palette::setDarkOverride(std::nullopt);
    EXPECT_TRUE(Palette::isDark());

    QApplication::setPalette(original);
}

TEST(PaletteTest, WithOpacityMultipliesTheAlpha) {
    EXPECT_NEAR(withOpacity(QColor(0, 0, 0), 0.16).alphaF(), 0.16, 0.005);
    EXPECT_NEAR(withOpacity(QColor(0, 0, 0, 128), 0.5).alphaF(), 0.25, 0.005);
}

}  // namespace
}  // namespace kestrine
