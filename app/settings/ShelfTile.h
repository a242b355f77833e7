// One application on the Dock shelf: its icon on a 76-point key, its name under it, and, while the
// pointer is over it, a remove badge at the key's top-right corner. The tile can be dragged (the
// payload is the application's id as plain text) and takes drops of other tiles, which go before
// it. For accessibility it is one element named by the application, with the actions move
// earlier, move later and remove. From the keyboard: Delete removes it, Ctrl+Left and Ctrl+Right
// move it, Shift+F10 or the Menu key opens its context menu.
#pragma once

#include "core/model/PresetApp.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <string>

class QAbstractButton;
class QMenu;
class QDropEvent;
class QMimeData;

namespace kestrine {

class DropBar;

class ShelfTile : public QWidget {
    Q_OBJECT
    // The room kept around the visible tile, inside the widget's geometry (room()).
    Q_PROPERTY(QMargins room READ room)
public:
    // Shared by the shelf's tiles, the add tile and the drop bar.
    static constexpr int tileWidth = 84;
    static constexpr int keySide = 76;
    static constexpr qreal keyCorner = 16;
    static constexpr qreal keyDepth = 4;
    static constexpr qreal iconSide = 44;
    static constexpr int labelSpacing = 10;
    static constexpr int badgeSide = 18;
    static constexpr int badgeOffset = 5;  // right of and above the key's top-right corner
    static constexpr qreal badgeSymbolSize = 8;

    // The room a tile keeps around its visible part: the drop bar on the left, the remove badge
    // above, the key's shadow at the right. The flow measures and places the visible part.
    static QMargins room();
    // The visible part: the key and its depth, the spacing and one caption line.
    static QSize visibleSize();

    ShelfTile(const PresetApp& app, const QImage& icon, QWidget* parent = nullptr);

    const PresetApp& app() const { return app_; }
    const QImage& icon() const { return icon_; }
    void setApp(const PresetApp& app, const QImage& icon);

    bool canMoveEarlier() const { return canMoveEarlier_; }
    bool canMoveLater() const { return canMoveLater_; }
    void setMoveLimits(bool canMoveEarlier, bool canMoveLater);

    std::function<void()> onRemove;
    std::function<void(int offset)> onMove;
    std::function<void(const std::string& draggedID)> onDropBefore;

    // The accessibility actions, also bound to keys: each does nothing where it cannot apply.
    void moveEarlier();
    void moveLater();
    void remove();

    bool isHovered() const { return hovered_; }
    void setHovered(bool hovered);
    bool isTargeted() const { return targeted_; }
    QAbstractButton* removeButton() const { return removeButton_; }
    DropBar* dropBar() const { return dropBar_; }

    // In widget coordinates: the visible part, and the key's face.
    QRect visibleRect() const;
    QRectF keyRect() const;

    // Takes the tile off the shelf: hides it and deletes it later, once any drag it started is over.
    void retire();
    bool isDragging() const { return dragging_; }

    // A new context menu owned by `parent` with its one item, "shelf.remove".
    QMenu* makeContextMenu(QWidget* parent);

    // The application id a drag carries: the first line of its plain text (empty when none).
    static QString draggedID(const QMimeData* data);
    // Whether a drop of `data` would be taken: not empty and not this tile's own application.
    bool acceptsDrop(const QMimeData* data) const;
    // Answers a drag entering, moving or dropping over a shelf target: takes it as a move when
    // `wanted`, else turns it away. Returns `wanted`.
    static bool answerMove(QDropEvent* event, bool wanted);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setTargeted(bool targeted);
    void startDrag();
    bool isOverTile(const QPointF& pos) const;
    void openContextMenu(const QPoint& globalPos);

    PresetApp app_;
    QImage icon_;
    bool canMoveEarlier_ = false;
    bool canMoveLater_ = false;
    bool hovered_ = false;
    bool targeted_ = false;
    QPoint pressPos_;
    bool pressed_ = false;
    bool dragging_ = false;
    bool retired_ = false;
    QAbstractButton* removeButton_ = nullptr;
    DropBar* dropBar_ = nullptr;
};

}  // namespace kestrine
