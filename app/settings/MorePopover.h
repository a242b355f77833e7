// The "more" popover under the footer's gear: the recents switch, restoring the original Dock,
// and quitting. It pops up anchored to a widget and closes on Escape or a click elsewhere.
#pragma once

#include <QFrame>
#include <QPointer>

#include <functional>

namespace kestrine {

class AppModel;
class HotKeyCenter;
class KeyButton;
class PaletteLabel;
class ToggleSwitch;

class MorePopover : public QFrame {
    Q_OBJECT
public:
    static constexpr int popoverWidth = 320;
    static constexpr int padding = 18;
    static constexpr int spacing = 16;
    static constexpr int sectionSpacing = 6;
    // Space between the anchor and the popover.
    static constexpr int anchorGap = 6;

    MorePopover(AppModel& model, HotKeyCenter& center, QWidget* parent = nullptr);

    // What the restore button asks for.
    std::function<void()> onRestore;

    // Null when the dock has no recents section.
    ToggleSwitch* recentsSwitch() const { return recents_; }
    KeyButton* restoreButton() const { return restore_; }
    KeyButton* quitButton() const { return quit_; }
    PaletteLabel* quitBody() const { return quitBody_; }

    // Shows the popover under `anchor` (above it when there is no room below on its screen).
    void popUp(QWidget* anchor);
    // Where the popover goes for an anchor at `anchorRect` (global) on a screen area `available`.
    static QRect placement(const QRect& anchorRect, const QSize& size, const QRect& available);

signals:
    // The popover has closed, whichever way.
    void dismissed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void refresh();

    AppModel& model_;
    HotKeyCenter& center_;
    QPointer<QWidget> anchor_;
    ToggleSwitch* recents_ = nullptr;
    KeyButton* restore_ = nullptr;
    KeyButton* quit_ = nullptr;
    PaletteLabel* quitBody_ = nullptr;
};

}  // namespace kestrine
