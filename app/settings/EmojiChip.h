// One emoji of the editor's emoji row: a plain button showing the emoji at size 18 in a 34 × 32
// frame, tinted with the accent and outlined while it is the preset's current emoji.
#pragma once

#include <QAbstractButton>
#include <QString>

namespace kestrine {

class EmojiChip : public QAbstractButton {
    Q_OBJECT
    // The room kept around the frame for the focus ring, inside the widget's geometry.
    Q_PROPERTY(QMargins room READ room)
public:
    static constexpr qreal width = 34;
    static constexpr qreal height = 32;
    static constexpr qreal corner = 8;
    static constexpr qreal emojiSize = 18;
    static constexpr qreal fillOpacity = 0.18;
    static constexpr qreal outlineWidth = 1.5;
    // Room kept around the frame for the keyboard-focus ring.
    static constexpr int focusRoom = 4;
    static QMargins room() { return QMargins(focusRoom, focusRoom, focusRoom, focusRoom); }

    explicit EmojiChip(const QString& emoji, QWidget* parent = nullptr);

    const QString& emoji() const { return emoji_; }

    // The chip shows the current emoji (checked, for assistive technologies too).
    bool isHighlighted() const { return isChecked(); }
    void setHighlighted(bool highlighted) { setChecked(highlighted); }

    // The 34 × 32 frame inside the widget.
    QRectF frameRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void nextCheckState() override {}  // the editor decides what is highlighted

private:
    QString emoji_;
};

}  // namespace kestrine
