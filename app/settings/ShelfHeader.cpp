#include "app/settings/ShelfHeader.h"

#include "app/Localization.h"
#include "app/style/IconButton.h"
#include "app/style/Palette.h"
#include "app/style/PaletteLabel.h"
#include "app/style/Typography.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace kestrine {

namespace {

// A text on an accent capsule.
class CapsuleBadge : public QWidget {
public:
    static constexpr qreal paddingX = 10;
    static constexpr qreal paddingY = 4;

    CapsuleBadge(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        setAccessibleName(text);
    }

    static QFont badgeFont() { return Typography::font(TextStyle::caption, QFont::DemiBold); }

    QSize sizeHint() const override {
        const QFontMetricsF metrics(badgeFont());
        return QSize(int(std::ceil(metrics.horizontalAdvance(text_) + 2 * paddingX)),
                     int(std::ceil(metrics.height() + 2 * paddingY)));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const QRectF shape(rect());
        QPainterPath capsule;
        capsule.addRoundedRect(shape, shape.height() / 2, shape.height() / 2);
        painter.fillPath(capsule, Palette::accent());
        painter.setFont(badgeFont());
        painter.setPen(Palette::onAccent());
        painter.drawText(shape, Qt::AlignCenter | Qt::TextSingleLine, text_);
    }
    void changeEvent(QEvent* event) override {
        if (Palette::isAppearanceChange(event)) update();
        QWidget::changeEvent(event);
    }

private:
    QString text_;
};

}  // namespace

ShelfHeader::ShelfHeader(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    emoji_ = new PaletteLabel(QString(), Typography::systemFont(emojiSize), Palette::Swatch::ink, this);
    emoji_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    name_ = new PaletteLabel(QString(), Typography::font(TextStyle::title3, QFont::DemiBold), Palette::Swatch::ink,
                             this);
    name_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    editButton_ = new IconButton(Symbol::pencil, 11, QFont::Medium, this);
    const QString edit = Localization::tr(QStringLiteral("preset.edit"));
    editButton_->setToolTip(edit);
    editButton_->setAccessibleName(edit);
    connect(editButton_, &QAbstractButton::clicked, this, [this] {
        if (onEdit) onEdit();
    });
    badge_ = new CapsuleBadge(Localization::tr(QStringLiteral("shelf.active")), this);

    // The edit button keeps room for its focus ring on each side; the gaps around it are measured
    // from its visible frame.
    const int ring = int(IconButton::focusRingRoom);
    row->addWidget(emoji_, 0, Qt::AlignVCenter);
    row->addSpacing(spacing);
    row->addWidget(name_, 0, Qt::AlignVCenter);
    row->addSpacing(spacing - ring);
    row->addWidget(editButton_, 0, Qt::AlignVCenter);
    row->addSpacing(spacing - ring + minimumGap + spacing);
    row->addStretch(1);
    row->addWidget(badge_, 0, Qt::AlignVCenter);
}

void ShelfHeader::setPreset(const Preset& preset) {
    preset_ = preset;
    emoji_->setText(QString::fromStdString(preset.displayEmoji()));
    name_->setText(QString::fromStdString(preset.name));
    name_->setToolTip(QString::fromStdString(preset.name));
}

}  // namespace kestrine
