// A button drawn in IconButtonStyle, showing a Symbol (or its icon, or failing both its text).
#pragma once

#include "app/style/Symbol.h"

#include <QAbstractButton>

#include <optional>

namespace kestrine {

class IconButton : public QAbstractButton {
    Q_OBJECT
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
