// The top of the settings window: the application's icon with a soft shadow, the name, the
// tagline and the shortcut row.
#pragma once

#include <QImage>
#include <QWidget>

namespace kestrine {

class HotKeyCenter;
class PaletteLabel;
class ShortcutRecorder;
class ShortcutRow;

class HeaderView : public QWidget {
    Q_OBJECT
    // The room kept around what it shows, inside its geometry: a composite's (KeySurface::containerRoom).
    Q_PROPERTY(QMargins room READ room)
public:
    static QMargins room();
    static constexpr int spacing = 18;
    static constexpr int columnSpacing = 6;
    static constexpr qreal iconSide = 64;
    static constexpr qreal iconShadowRadius = 8;
    static constexpr qreal iconShadowOffset = 4;
    static constexpr qreal titleSize = 28;

    HeaderView(HotKeyCenter& center, ShortcutRecorder& recorder, QWidget* parent = nullptr);

    ShortcutRow* shortcutRow() const { return row_; }
    PaletteLabel* titleLabel() const { return title_; }
    PaletteLabel* taglineLabel() const { return tagline_; }
    QWidget* iconView() const { return icon_; }
    // The room the icon keeps around its 64 points for its shadow, inside its geometry.
    static QMargins iconRoom();
    // The application's icon at 64 points, drawn at device pixel ratio 2.
    static QImage applicationIcon();

private:
    QWidget* icon_ = nullptr;
    PaletteLabel* title_ = nullptr;
    PaletteLabel* tagline_ = nullptr;
    ShortcutRow* row_ = nullptr;
};

}  // namespace kestrine
