// A text in one of the palette's colours and one of the text styles, coloured at paint time so it
// follows the appearance. It wraps to as many lines as it needs, or stays on one line and is cut
// at the tail with an ellipsis.
#pragma once

#include "app/style/Palette.h"
#include "app/style/Typography.h"

#include <QLabel>

namespace kestrine {

class SwatchLabel : public QLabel {
    Q_OBJECT
public:
    enum class Lines { wrap, single };

    SwatchLabel(const QString& text, const QFont& font, Palette::Swatch swatch, Lines lines = Lines::wrap,
                QWidget* parent = nullptr);

    Palette::Swatch swatch() const { return swatch_; }
    void setSwatch(Palette::Swatch swatch);
    Lines lines() const { return lines_; }

    // One line: as wide as the whole text, but content with less (the tail is then elided).
    QSize minimumSizeHint() const override;
    // The text as drawn at the current width.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    Palette::Swatch swatch_;
    Lines lines_;
};

}  // namespace kestrine
