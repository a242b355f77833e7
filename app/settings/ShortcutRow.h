// The global shortcut in the header: its keys as key caps with "opens the quick switcher", the
// Change / Cancel button that starts or cancels recording, a Reset button while the shortcut is
// not the default one, and under them the recording help and the recorder's hint or the hot-key
// centre's error. In a session where no global shortcut can be registered (Wayland), the keys
// stay as the user's choice but a note says the shortcut does not work here instead of the
// "opens the quick switcher" label. It follows the centre and the recorder.
#pragma once

#include <QWidget>

class QHBoxLayout;
class QSpacerItem;

#include <vector>

namespace kestrine {

class HotKeyCenter;
class KeyButton;
class KeyCap;
class PaletteLabel;
class ShortcutRecorder;

class ShortcutRow : public QWidget {
    Q_OBJECT
    // The room kept around what it shows, inside its geometry: a composite's (KeySurface::containerRoom).
    Q_PROPERTY(QMargins room READ room)
public:
    static QMargins room();
    static constexpr qreal keyCapSize = 12;
    static constexpr int spacing = 6;

    ShortcutRow(HotKeyCenter& center, ShortcutRecorder& recorder, QWidget* parent = nullptr);

    // The parts, for the window's tests and accessibility.
    const std::vector<KeyCap*>& keyCaps() const { return caps_; }
    PaletteLabel* hotKeyLabel() const { return hotKeyLabel_; }
    QWidget* recordingBadge() const { return badge_; }
    KeyButton* changeButton() const { return change_; }
    KeyButton* resetButton() const { return reset_; }
    PaletteLabel* helpLine() const { return help_; }
    // Shown while the centre reports that no global shortcut is available in this session.
    PaletteLabel* unavailableLine() const { return unavailable_; }
    // The recorder's hint, or else the centre's error.
    PaletteLabel* messageLine() const { return message_; }

private:
    void refresh();
    void rebuildCaps(const std::vector<std::string>& parts);
    // Sets the gaps that depend on which parts are shown.
    void updateGaps();

    HotKeyCenter& center_;
    ShortcutRecorder& recorder_;
    QWidget* capsBox_ = nullptr;
    QHBoxLayout* capsLayout_ = nullptr;
    std::vector<KeyCap*> caps_;
    std::vector<std::string> shownParts_;
    PaletteLabel* hotKeyLabel_ = nullptr;
    QWidget* badge_ = nullptr;
    KeyButton* change_ = nullptr;
    KeyButton* reset_ = nullptr;
    PaletteLabel* help_ = nullptr;
    PaletteLabel* unavailable_ = nullptr;
    PaletteLabel* message_ = nullptr;
    QWidget* note_ = nullptr;
    // Gaps net of the rooms of the parts beside them (see updateGaps).
    QSpacerItem* beforeLabel_ = nullptr;
    QSpacerItem* beforeChange_ = nullptr;
    QSpacerItem* beforeReset_ = nullptr;
    QSpacerItem* belowRow_ = nullptr;
    QSpacerItem* end_ = nullptr;
};

}  // namespace kestrine
