// A small key cap showing a shortcut key or a digit: monospaced medium text on a key surface.
#pragma once

#include "app/style/KeySurface.h"

#include <QFont>
#include <QWidget>

namespace kestrine {

class KeyCap : public QWidget {
    Q_OBJECT
    // The room kept around the cap for its shadow, inside the widget's geometry.
    Q_PROPERTY(QMargins room READ room)
public:
    struct Metrics {
        qreal corner;    // size × 0.38
        qreal depth;     // the larger of size × 0.16 and 1.5
        qreal minSide;   // size × 1.7, the least width and height of the text frame
    };
    static constexpr qreal horizontalPadding = 2;
    static constexpr qreal minimumDepth = 1.5;

    static Metrics metrics(qreal size);
    static QFont font(qreal size);
    // The face for `text`: the text frame (at least minSide square) plus the side padding.
    static QSizeF faceSize(const QString& text, qreal size);
    static KeySurface::Params surface(qreal size);
    // Draws the cap with its face resting at `face` (see faceSize) and the text centred on it.
    static void paint(QPainter& painter, const QRectF& face, const QString& text, qreal size);

    KeyCap(const QString& text, qreal size, QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);
    qreal size() const { return size_; }
    void setSize(qreal size);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    static QMargins room() { return KeySurface::shadowMargins().toMargins(); }
    // Where the face rests inside the widget.
    QRectF restingFaceRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void geometryChanged();

    QString text_;
    qreal size_;
};

}  // namespace kestrine
