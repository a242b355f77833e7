// The last tile of the shelf: a dashed 76-point square with a plus that opens the application
// picker, captioned "shelf.add". Dropping a tile on it moves that application to the end.
#pragma once

#include <QAbstractButton>

#include <functional>
#include <string>

namespace kestrine {

class DropBar;

class AddAppsTile : public QAbstractButton {
    Q_OBJECT
    // The room kept around the visible tile, inside the widget's geometry: a shelf tile's.
    Q_PROPERTY(QMargins room READ room)
public:
    static constexpr qreal corner = 16;
    static constexpr qreal plusSize = 20;
    static constexpr qreal hoverFillOpacity = 0.06;
    static constexpr int extraBelow = 4;  // level with the tiles' key depth

    explicit AddAppsTile(QWidget* parent = nullptr);

    // Called with the dragged application's id when a drop lands here.
    std::function<void(const std::string& draggedID)> onDrop;

    bool isHovered() const { return hovered_; }
    bool isTargeted() const { return targeted_; }
    DropBar* dropBar() const { return dropBar_; }

    // In widget coordinates: the visible part (same size as a tile's) and the dashed square.
    QRect visibleRect() const;
    static QMargins room();
    QRectF squareRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void setHovered(bool hovered);
    void setTargeted(bool targeted);

    bool hovered_ = false;
    bool targeted_ = false;
    DropBar* dropBar_ = nullptr;
};

}  // namespace kestrine
