// The fourteen colours of the interface, each with a light and a dark value.
#pragma once

#include <QColor>

#include <array>
#include <optional>

class QEvent;

namespace kestrine {

class Palette {
public:
    enum class Swatch {
        canvas,
        well,
        raised,
        raisedHover,
        keySide,
        ink,
        inkSoft,
        accent,
        accentSide,
        onAccent,
        highlight,
        hairline,
        shadow,
        danger,
    };
    static constexpr int swatchCount = 14;
    static const std::array<Swatch, swatchCount>& allSwatches();
    static const char* name(Swatch swatch);

    // The value of a swatch for an explicit appearance.
    static QColor color(Swatch swatch, bool dark);
    // The value of a swatch for the current appearance (see isDark()).
    static QColor resolve(Swatch swatch) { return color(swatch, isDark()); }

    // The current appearance: dark when the application palette's window colour is darker than
    // its text colour, unless a test has forced one.
    static bool isDark();
    static void setDarkOverride(std::optional<bool> dark);
    static std::optional<bool> darkOverride();

    // True for the events through which a widget learns that the appearance may have changed.
    static bool isAppearanceChange(const QEvent* event);

    static QColor canvas() { return resolve(Swatch::canvas); }
    static QColor well() { return resolve(Swatch::well); }
    static QColor raised() { return resolve(Swatch::raised); }
    static QColor raisedHover() { return resolve(Swatch::raisedHover); }
    static QColor keySide() { return resolve(Swatch::keySide); }
    static QColor ink() { return resolve(Swatch::ink); }
    static QColor inkSoft() { return resolve(Swatch::inkSoft); }
    static QColor accent() { return resolve(Swatch::accent); }
    static QColor accentSide() { return resolve(Swatch::accentSide); }
    static QColor onAccent() { return resolve(Swatch::onAccent); }
    static QColor highlight() { return resolve(Swatch::highlight); }
    static QColor hairline() { return resolve(Swatch::hairline); }
    static QColor shadow() { return resolve(Swatch::shadow); }
    static QColor danger() { return resolve(Swatch::danger); }
};

// A colour with its alpha multiplied by `opacity` (SwiftUI's `.opacity`).
QColor withOpacity(QColor color, qreal opacity);

}  // namespace kestrine
