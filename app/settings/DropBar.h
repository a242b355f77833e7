// The insertion mark of the shelf: an accent capsule 4 wide and as high as a tile's key, standing
// in the gap before the tile a drag hovers. It fades in and out.
#pragma once

#include <QWidget>

namespace kestrine {

class DropBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int barWidth = 4;
    static constexpr int barHeight = 76;
    // How far left of its tile's top-left corner the bar stands.
    static constexpr int offset = 9;

    explicit DropBar(QWidget* parent = nullptr);

    // Fades the bar in or out; isShown() tells where it is going.
    void setShown(bool shown);
    bool isShown() const { return shown_; }
    // Puts the bar before a tile whose key's top-left corner is at `tileTopLeft` (parent coordinates).
    void placeBefore(const QPoint& tileTopLeft);

    QSize sizeHint() const override { return QSize(barWidth, barHeight); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool shown_ = false;
};

}  // namespace kestrine
