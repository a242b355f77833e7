// Owns the key panel: shows it at the bottom centre of the screen under the pointer, drives it
// from the keyboard (digits, arrows, Return/Space/Enter, Escape), applies the chosen preset through
// the model, and closes it when it loses the focus. Closing writes pending Dock work at once.
#pragma once

#include "app/panel/SelectionState.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <functional>
#include <memory>

class QKeyEvent;

namespace kestrine {

class AppModel;
class HotKeyCenter;
class KeyPanel;
class MiniDockView;

class FloatingPanelController : public QObject {
    Q_OBJECT
public:
    // Gap between the panel and the bottom of the screen's free area, and the width kept free
    // beside a panel as wide as the screen (16 on each side).
    static constexpr int bottomGap = 16;
    static constexpr int sideRoom = 32;
    // The free area assumed when there is no screen at all.
    static constexpr QRect fallbackArea{0, 0, 1280, 800};

    FloatingPanelController(AppModel& model, HotKeyCenter& center, QObject* parent = nullptr);
    ~FloatingPanelController() override;

    SelectionState& selection() { return selection_; }
    KeyPanel* panel() const;
    MiniDockView* view() const;
    bool isShown() const;

    // Shows the panel when it is not shown, closes it otherwise (the global shortcut).
    void toggle();
    // Republishes the presets (writing pending Dock work first), preselects the active preset,
    // builds a fresh panel and gives it the keyboard.
    void show();
    // Takes the panel down and writes pending Dock work. Nothing when no panel is shown.
    void close();
    // Activates the preset at `index` and closes; nothing for an index out of range.
    void apply(int index);

    // The key table: true when the key was consumed.
    bool handleKey(const QKeyEvent& event);

    // Where the panel's tray goes for `count` presets on a screen whose free area is `area`:
    // centred horizontally, its bottom edge 16 points above the area's bottom edge.
    static QRect trayGeometry(const QRect& area, int count);
    // The free area of the screen under the pointer, else of the primary screen, else the
    // fallback area.
    static QRect areaUnderPointer();
    // Replaces how the free area is found (tests). An empty function restores areaUnderPointer.
    void setAreaProvider(std::function<QRect()> provider);

private:
    class KeyMonitor;

    void teardown();
    int count() const;

    AppModel& model_;
    HotKeyCenter& center_;
    SelectionState selection_;
    QPointer<KeyPanel> panel_;
    QPointer<MiniDockView> view_;
    std::unique_ptr<KeyMonitor> monitor_;
    QMetaObject::Connection resignObserver_;
    std::function<QRect()> areaProvider_;
};

}  // namespace kestrine
