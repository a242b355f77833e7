#include "app/settings/HeaderView.h"

#include "app/AppIcon.h"
#include "app/Localization.h"
#include "app/settings/ShortcutRow.h"
#include "app/style/KeySurface.h"
#include "app/style/Palette.h"
#include "app/style/PaletteLabel.h"
#include "app/style/Typography.h"

#include <QEvent>
#include <QBoxLayout>
#include <QGraphicsDropShadowEffect>
#include <QPainter>

#include <cmath>

namespace kestrine {

namespace {

constexpr qreal kIconScale = 2;

// The icon image drawn at 64 × 64 with high-quality scaling and its shadow.
class AppIconView : public QWidget {
public:
    explicit AppIconView(QWidget* parent) : QWidget(parent) {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        setAccessibleName(Localization::tr("app.name"));
        shadow_ = new QGraphicsDropShadowEffect(this);
        shadow_->setBlurRadius(HeaderView::iconShadowRadius);
        shadow_->setOffset(0, HeaderView::iconShadowOffset);
        shadow_->setColor(Palette::shadow());
        setGraphicsEffect(shadow_);
    }
    static QMargins room() { return HeaderView::iconRoom(); }
    QSize sizeHint() const override {
        const QMargins r = room();
        const int side = int(HeaderView::iconSide);
        return QSize(side + r.left() + r.right(), side + r.top() + r.bottom());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (image_.isNull()) image_ = HeaderView::applicationIcon();
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QMargins r = room();
        const QRectF target(r.left(), r.top(), HeaderView::iconSide, HeaderView::iconSide);
        painter.drawImage(target, image_);
    }
    void changeEvent(QEvent* event) override {
        if (Palette::isAppearanceChange(event)) shadow_->setColor(Palette::shadow());
        QWidget::changeEvent(event);
    }

private:
    QImage image_;
    QGraphicsDropShadowEffect* shadow_;
};

}  // namespace

QImage HeaderView::applicationIcon() {
    QImage image = AppIcon::render(int(iconSide * kIconScale));
    image.setDevicePixelRatio(kIconScale);
    return image;
}

QMargins HeaderView::iconRoom() {
    return KeySurface::shadowRoom(iconShadowRadius, iconShadowOffset);
}

QMargins HeaderView::room() {
    return KeySurface::containerRoom();
}

HeaderView::HeaderView(HotKeyCenter& center, ShortcutRecorder& recorder, QWidget* parent) : QWidget(parent) {
    // The header keeps a composite's room around what it shows; the icon and the text column keep
    // their own rooms inside it, and the margins and gaps below are net of those rooms. Both are
    // centred across the row: their rooms reach (16 - 8) / 2 = (14 - 6) / 2 = 4 further down than
    // up, so centring the whole widgets centres what they show.
    const QMargins room = KeySurface::containerRoom();
    const QMargins iconRoom = HeaderView::iconRoom();
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(room.left() - iconRoom.left(), 0, 0, 0);
    row->setSpacing(0);

    icon_ = new AppIconView(this);
    row->addWidget(icon_, 0, Qt::AlignVCenter);
    row->addSpacing(spacing - iconRoom.right() - room.left());

    auto* column = new QWidget(this);
    auto* columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(0, room.top(), 0, 0);
    columnLayout->setSpacing(0);
    // The texts have no room of their own; their margins give them the column's.
    const QMargins textInset(room.left(), 0, room.right(), 0);

    // The name is shown as it is, in every language.
    title_ = new PaletteLabel(QStringLiteral("Kestrine"), Typography::systemFont(titleSize, QFont::DemiBold),
                              Palette::Swatch::ink, column);
    title_->setContentsMargins(textInset);
    columnLayout->addWidget(title_, 0, Qt::AlignLeft);
    columnLayout->addSpacing(columnSpacing);

    tagline_ = new PaletteLabel(Localization::tr("hero.tagline"), Typography::font(TextStyle::callout),
                                Palette::Swatch::inkSoft, column);
    tagline_->setWrapping(true);
    tagline_->setContentsMargins(textInset);
    columnLayout->addWidget(tagline_, 0, Qt::AlignLeft);

    // The shortcut row keeps the same room: 2 more than the spacing between what the texts and the
    // row show.
    row_ = new ShortcutRow(center, recorder, column);
    columnLayout->addSpacing(columnSpacing + 2 - room.top());
    columnLayout->addWidget(row_, 0, Qt::AlignLeft);

    // The column takes what the row leaves, at most what it needs; `spacing` stays between what it
    // shows and the header's room (the column's right room and the header's are the same).
    row->addWidget(column, 0, Qt::AlignVCenter);
    row->addSpacing(spacing);
    row->addStretch();
}

}  // namespace kestrine
