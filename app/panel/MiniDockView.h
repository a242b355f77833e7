// The content of the key panel: a rounded tray holding one key per preset in a row that scrolls
// sideways, and under it a hint naming the global shortcut. Clicking a key selects and applies it.
// The view also decides how big the panel is.
#pragma once

#include "app/panel/PresetKey.h"

#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QScrollArea;
class QVariantAnimation;

namespace kestrine {

class AppModel;
class HotKeyCenter;
class SelectionState;

class MiniDockView : public QWidget {
    Q_OBJECT
public:
    static constexpr int keyWidth = 108;
    static constexpr int keyHeight = 68;
    static constexpr int keyDepth = 3;
    static constexpr int keySpacing = 10;
    static constexpr int trayPadding = 16;
    static constexpr int rowSpacing = 6;
    static constexpr int hintHeight = 32;
    static constexpr int minPanelWidth = 420;
    static constexpr qreal trayCorner = 20;
    static constexpr qreal hairlineWidth = 1;
    // Scrolling to the selection: an ease-out of 0.15 s, 0.05 s with reduce motion.
    static constexpr int scrollMilliseconds = 150;
    static constexpr int reducedScrollMilliseconds = 50;

    // The panel's size for `count` presets when `availableWidth` points are free: the keys and
    // their gaps inside the tray padding, at least minPanelWidth, at most availableWidth; the
    // height is always 141.
    static QSize panelSize(int availableWidth, int count);

    using ApplyAction = std::function<void(int index)>;
    MiniDockView(AppModel& model, SelectionState& selection, HotKeyCenter& center, ApplyAction onApply,
                 QWidget* parent = nullptr);
    ~MiniDockView() override;

    const std::vector<PresetKey*>& keys() const { return keys_; }
    const std::optional<std::string>& hoveredID() const { return hoveredID_; }
    QString hintText() const;
    // The text shown instead of keys when there are no presets; empty while there are keys.
    QString emptyText() const;

    // The row's horizontal scroll position, and where a running scroll animation ends.
    int scrollOffset() const;
    int scrollTarget() const;
    bool isScrolling() const;
    // Ends a running scroll animation at its target at once.
    void finishScrolling();
    // The scroll position that centres key `index` (clamped to the scrollable range).
    int centringOffset(int index) const;
    // The row's visible width.
    int rowViewportWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Shown {
        std::string id;
        std::string name;
        std::string emoji;
        bool operator==(const Shown&) const = default;
    };

    void modelChanged();
    void rebuildKeys();
    void layoutRow();
    void selectionChanged(int index);
    void updateFocusedKey();
    void keyHovered(const std::string& id, bool hovered);
    void scrollTo(int offset, bool animated);
    int rowHeight() const;
    int contentLeading() const;

    AppModel& model_;
    SelectionState& selection_;
    HotKeyCenter& center_;
    ApplyAction onApply_;

    QScrollArea* row_ = nullptr;
    QWidget* content_ = nullptr;
    QVariantAnimation* scroll_ = nullptr;
    std::vector<PresetKey*> keys_;
    std::vector<Shown> shown_;
    std::string shownActiveID_;
    std::optional<std::string> hoveredID_;
    bool positioned_ = false;
};

}  // namespace kestrine
