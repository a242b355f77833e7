// The small symbol button (dismiss, edit, more): a Symbol (or its icon, or failing both its text) in
// ink, centred in a 28 × 28 frame on a rounded rectangle of ink at 0.16 opacity while pressed and
// 0.07 otherwise.
#pragma once

#include "app/style/Symbol.h"

#include <QAbstractButton>

#include <optional>

namespace kestrine {

class IconButton : public QAbstractButton {
    Q_OBJECT
    // The room kept around the frame for the focus ring, inside the widget's geometry.
    Q_PROPERTY(QMargins room READ room)
public:
    explicit IconButton(QWidget* parent = nullptr);
    IconButton(Symbol symbol, qreal symbolSize, QFont::Weight weight = QFont::Normal, QWidget* parent = nullptr);

    void setSymbol(Symbol symbol, qreal symbolSize, QFont::Weight weight = QFont::Normal);
    std::optional<Symbol> symbol() const { return symbol_; }

    bool isHovered() const { return hovered_; }
    // The frame inside the widget (the widget keeps room around it for the focus ring).
    QRectF frameRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    static constexpr qreal focusRingRoom = 4;
    static QMargins room();
    static constexpr qreal side = 28;
    static constexpr qreal corner = 8;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    std::optional<Symbol> symbol_;
    qreal symbolSize_ = 10;
    QFont::Weight weight_ = QFont::Normal;
    bool hovered_ = false;
};

}  // namespace kestrine
