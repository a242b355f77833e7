// The palette's two appearances and how the current one is chosen.
#include "app/style/Palette.h"

#include <QApplication>
#include <QPalette>

#include <gtest/gtest.h>

#include <set>

namespace kestrine {
namespace {

TEST(PaletteTest, EverySwatchHasItsOwnNameAndADifferentDarkValue) {
    std::set<std::string> names;
    for (Palette::Swatch swatch : Palette::allSwatches()) {
        names.insert(Palette::name(swatch));
        EXPECT_NE(Palette::color(swatch, false).rgba(), Palette::color(swatch, true).rgba()) << Palette::name(swatch);
    }
    EXPECT_EQ(names.size(), size_t(Palette::swatchCount));
    EXPECT_NEAR(withOpacity(QColor(0, 0, 0, 128), 0.5).alphaF(), 0.25, 0.005);
}

// Brightness decides, not the red channel alone; an override (the tests' own) wins until cleared.
TEST(PaletteTest, AppearanceFollowsTheApplicationPaletteUnlessOverridden) {
    const QPalette original = QApplication::palette();
    struct Row {
        const char* name;
        QColor window, text;
        std::optional<bool> override;
        bool dark;
    };
    const Row rows[] = {
        {"dark", QColor(0x20, 0x20, 0x20), QColor(0xEE, 0xEE, 0xEE), {}, true},
        {"light", QColor(0xF0, 0xF0, 0xF0), QColor(0x10, 0x10, 0x10), {}, false},
        {"green text on dark blue", QColor(0x40, 0x00, 0x80), QColor(0x00, 0xC0, 0x00), {}, true},
        {"overridden light", QColor(0x40, 0x00, 0x80), QColor(0x00, 0xC0, 0x00), false, false},
        {"overridden dark", QColor(0xF0, 0xF0, 0xF0), QColor(0x10, 0x10, 0x10), true, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        QPalette palette = original;
        palette.setColor(QPalette::Window, r.window);
        palette.setColor(QPalette::WindowText, r.text);
        QApplication::setPalette(palette);
        Palette::setDarkOverride(r.override);
        EXPECT_EQ(Palette::isDark(), r.dark);
        EXPECT_EQ(Palette::canvas(), Palette::color(Palette::Swatch::canvas, r.dark));
    }
    Palette::setDarkOverride(std::nullopt);
    QApplication::setPalette(original);
}

}  // namespace
}  // namespace kestrine
