#include "app/settings/HeaderView.h"

#include "app/AppIcon.h"
#include "app/Localization.h"
#include "app/layout/LayoutOverhang.h"
#include "app/settings/ShortcutRow.h"
#include "app/style/KeySurface.h"
#include "app/style/OverhangBoxLayout.h"
#include "app/style/Palette.h"
#include "app/style/PaletteLabel.h"
#include "app/style/Typography.h"

#include <QEvent>
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
        LayoutOverhang::set(this, room());
        setAccessibleName(Localization::tr("app.name"));
        shadow_ = new QGraphicsDropShadowEffect(this);
        shadow_->setBlurRadius(HeaderView::iconShadowRadius);
        shadow_->setOffset(0, HeaderView::iconShadowOffset);
        shadow_->setColor(Palette::shadow());
        setGraphicsEffect(shadow_);
    }
    static QMargins room() { return KeySurface::shadowRoom(HeaderView::iconShadowRadius, HeaderView::iconShadowOffset); }
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

HeaderView::HeaderView(HotKeyCenter& center, ShortcutRecorder& recorder, QWidget* parent) : QWidget(parent) {
    auto* row = new OverhangBoxLayout(Qt::Horizontal, spacing, this);
    row->setPaddingAndRoom(this, QMargins());

    icon_ = new AppIconView(this);
    row->addWidget(icon_, OverhangBoxLayout::Options{OverhangBoxLayout::Cross::center, 0, false});

    auto* column = new QWidget(this);
    auto* columnLayout = new OverhangBoxLayout(Qt::Vertical, columnSpacing, column);
    columnLayout->setPaddingAndRoom(column, QMargins());

    // The name is shown as it is, in every language.
    title_ = new PaletteLabel(QStringLiteral("Kestrine"), Typography::systemFont(titleSize, QFont::DemiBold),
                              Palette::Swatch::ink, column);
    columnLayout->addWidget(title_, {});

    tagline_ = new PaletteLabel(Localization::tr("hero.tagline"), Typography::font(TextStyle::callout),
                                Palette::Swatch::inkSoft, column);
    tagline_->setWrapping(true);
    columnLayout->addWidget(tagline_, {});

    row_ = new ShortcutRow(center, recorder, column);
    columnLayout->addWidget(row_, OverhangBoxLayout::Options{OverhangBoxLayout::Cross::leading, 2, false});

    row->addWidget(column, OverhangBoxLayout::Options{OverhangBoxLayout::Cross::center, 0, true});
    row->addStretch();
}

}  // namespace kestrine
