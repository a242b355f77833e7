// A line or paragraph of text in a palette colour, resolved when painted so that it follows the
// appearance. Wrapping labels ask for their height at a given width (heightForWidth); single
// lines are cut at the end with an ellipsis when too narrow, and their minimum width leaves room
// for little more than that ellipsis so a layout can squeeze them.
#pragma once

#include "app/style/Palette.h"

#include <QWidget>

namespace kestrine {

class PaletteLabel : public QWidget {
    Q_OBJECT
public:
    PaletteLabel(const QString& text, const QFont& font, Palette::Swatch swatch, QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);
    Palette::Swatch swatch() const { return swatch_; }
    void setSwatch(Palette::Swatch swatch);
    bool wraps() const { return wraps_; }
    // Wrapping text takes as many lines as it needs.
    void setWrapping(bool wraps);
    Qt::Alignment alignment() const { return alignment_; }
    void setAlignment(Qt::Alignment alignment);
    // The text as drawn at the current width: all of it when wrapping, else cut at the tail.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return wraps_; }
    int heightForWidth(int width) const override;

    // The narrowest a wrapping label gets when its container is narrower than its text.
    static constexpr int minimumWrapWidth = 60;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int textFlags() const;

    QString text_;
    Palette::Swatch swatch_;
    bool wraps_ = false;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignTop;
};

}  // namespace kestrine
