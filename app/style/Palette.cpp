#include "app/style/Palette.h"

#include <QApplication>
#include <QEvent>
#include <QPalette>

namespace kestrine {

namespace {

struct Entry {
    const char* name;
    QRgb light;
    QRgb dark;
};

// Built once; index = Palette::Swatch.
constexpr std::array<Entry, Palette::swatchCount> kEntries{{
    {"canvas", qRgb(0xF3, 0xEF, 0xE7), qRgb(0x1E, 0x1C, 0x19)},
    {"well", qRgb(0xE8, 0xE2, 0xD6), qRgb(0x16, 0x14, 0x11)},
    {"raised", qRgb(0xFC, 0xFA, 0xF5), qRgb(0x2D, 0x2A, 0x26)},
    {"raisedHover", qRgb(0xFF, 0xFF, 0xFF), qRgb(0x34, 0x31, 0x2C)},
    {"keySide", qRgb(0xC9, 0xC1, 0xB1), qRgb(0x0C, 0x0B, 0x09)},
    {"ink", qRgb(0x24, 0x21, 0x1C), qRgb(0xEE, 0xE9, 0xDF)},
    {"inkSoft", qRgb(0x7C, 0x75, 0x69), qRgb(0xA2, 0x9A, 0x8B)},
    {"accent", qRgb(0x3B, 0x35, 0xA8), qRgb(0x8F, 0x8B, 0xF2)},
    {"accentSide", qRgb(0x1F, 0x1B, 0x6E), qRgb(0x4B, 0x48, 0xA6)},
    {"onAccent", qRgb(0xFF, 0xFF, 0xFF), qRgb(0x14, 0x12, 0x3A)},
    // Opacities rounded to the nearest 8-bit alpha.
    {"highlight", qRgba(255, 255, 255, 230), qRgba(255, 255, 255, 18)},
    {"hairline", qRgba(0, 0, 0, 26), qRgba(255, 255, 255, 26)},
    {"shadow", qRgba(0, 0, 0, 51), qRgba(0, 0, 0, 140)},
    {"danger", qRgb(0xB3, 0x34, 0x1F), qRgb(0xF0, 0x83, 0x6E)},
}};

std::optional<bool>& overrideSlot() {
    static std::optional<bool> slot;
    return slot;
}

// Relative luminance, enough to order two colours by brightness.
qreal luminance(const QColor& c) {
    return 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF();
}

}  // namespace

const std::array<Palette::Swatch, Palette::swatchCount>& Palette::allSwatches() {
    static const std::array<Swatch, swatchCount> all = [] {
        std::array<Swatch, swatchCount> result{};
        for (int i = 0; i < swatchCount; ++i) result[size_t(i)] = Swatch(i);
        return result;
    }();
    return all;
}

const char* Palette::name(Swatch swatch) {
    return kEntries[size_t(swatch)].name;
}

QColor Palette::color(Swatch swatch, bool dark) {
    const Entry& entry = kEntries[size_t(swatch)];
    return QColor::fromRgba(dark ? entry.dark : entry.light);
}

bool Palette::isDark() {
    if (overrideSlot()) return *overrideSlot();
    if (!qApp) return false;
    const QPalette palette = QApplication::palette();
    return luminance(palette.color(QPalette::Active, QPalette::Window)) <
           luminance(palette.color(QPalette::Active, QPalette::WindowText));
}

void Palette::setDarkOverride(std::optional<bool> dark) {
    overrideSlot() = dark;
}

std::optional<bool> Palette::darkOverride() {
    return overrideSlot();
}

bool Palette::isAppearanceChange(const QEvent* event) {
    return event->type() == QEvent::PaletteChange ||
           event->type() == QEvent::ApplicationPaletteChange ||
           event->type() == QEvent::StyleChange;
}

QColor withOpacity(QColor color, qreal opacity) {
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}

}  // namespace kestrine
