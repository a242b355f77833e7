// One application in the editor's picker: a 60-point key showing the app's icon, ringed and badged
// with a check mark while selected, above the app's name (two lines at most) and a small
// "in Dock" label that keeps its place even when it is not shown.
#pragma once

#include "app/style/KeyTileButton.h"
#include "core/model/PresetApp.h"

#include <QImage>
#include <QPixmap>

#include <functional>

namespace kestrine {

class AppPickTile : public KeyTileButton {
    Q_OBJECT
public:
    using IconSource = std::function<QImage(const PresetApp&)>;

    static constexpr qreal width = 92;
    static constexpr qreal keySize = 60;
    static constexpr qreal keyCorner = 13;
    static constexpr qreal keyDepth = 3;
    static constexpr qreal iconSize = 36;
    static constexpr qreal spacing = 6;
    static constexpr qreal nameBoxHeight = 26;
    static constexpr int nameMaxLines = 2;
    static constexpr qreal badgeSize = 18;
    static constexpr qreal badgeSymbolSize = 9;
    // How far the badge reaches past the key's top and right edges.
    static constexpr qreal badgeOffset = 5;
    static constexpr qreal inDockFontSize = 9;
    // Room above the key for the badge and the focus ring; it lies above the tile's visible top.
    static constexpr int topRoom = 6;
    // Only the badge's room above the key lies outside what the user sees as the tile.
    QMargins room() const override { return QMargins(0, topRoom, 0, 0); }

    // `icon` is asked for the app's icon the first time the tile is painted.
    AppPickTile(PresetApp app, IconSource icon, QWidget* parent = nullptr);

    const PresetApp& app() const { return app_; }
    void setApp(PresetApp app);

    bool isSelected() const { return isChecked(); }
    void setSelected(bool selected);
    bool isInDock() const { return inDock_; }
    void setInDock(bool inDock);

    // Run when the user clicks the key (or presses Space or Return on it).
    std::function<void()> onToggle;

    // The height of the visible column: key with its side, name box, label, and the gaps.
    static qreal visibleHeight();
    // The key's resting face in widget coordinates.
    QRectF keyRect() const { return restingFaceRect(); }
    // The box under the key where the name is written (two lines at most, at its top).
    QRectF nameRect() const;
    QRectF inDockRect() const;
    // The name as laid out in the box: one entry per line, the last elided when it does not fit.
    const QStringList& nameLines() const;

    static QFont nameFont();
    static QFont inDockFont();

protected:
    QMarginsF plateMargins() const override;
    void paintLabel(QPainter& painter, const QRectF& face) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void nextCheckState() override {}  // the owner decides through setSelected

private:
    void refreshAccessibility();

    PresetApp app_;
    IconSource iconSource_;
    QPixmap icon_;
    bool iconLoaded_ = false;
    bool inDock_ = false;
    mutable QStringList nameLines_;
    mutable bool nameLaidOut_ = false;
};

}  // namespace kestrine
