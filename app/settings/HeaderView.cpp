#include "app/settings/HeaderView.h"

#include "app/Localization.h"
#include "app/layout/LayoutOverhang.h"
#include "app/settings/ShortcutRow.h"
#include "app/style/DropShadow.h"
#include "app/style/KeySurface.h"
#include "app/style/OverhangBoxLayout.h"
#include "app/style/Palette.h"
#include "app/style/PaletteLabel.h"
#include "app/style/Typography.h"

#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
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
    }
    static QMargins room() {
        return DropShadow::reach(HeaderView::iconShadowRadius, QPointF(0, HeaderView::iconShadowOffset)).toMargins();
    }
    QSize sizeHint() const override {
        const QMargins r = room();
        const int side = int(HeaderView::iconSide);
        return QSize(side + r.left() + r.right(), side + r.top() + r.bottom());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (image_.isNull() || darkPainted_ != Palette::isDark()) {
            image_ = HeaderView::applicationIcon();
            darkPainted_ = Palette::isDark();
        }
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QMargins r = room();
        const QRectF target(r.left(), r.top(), HeaderView::iconSide, HeaderView::iconSide);
        DropShadow::paintImage(painter, image_, target, HeaderView::iconShadowRadius,
                               QPointF(0, HeaderView::iconShadowOffset), Palette::shadow());
        painter.drawImage(target, image_);
    }
    void changeEvent(QEvent* event) override {
        if (Palette::isAppearanceChange(event)) update();
        QWidget::changeEvent(event);
    }

private:
    QImage image_;
    bool darkPainted_ = false;
};

}  // namespace

QImage HeaderView::placeholderIcon() {
    const int pixels = int(iconSide * kIconScale);
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(kIconScale);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // A large accent key: the face stands on its side plate, with room for the plate inside the
    // icon's square (the window's shadow does the rest).
    const qreal inset = 5, depth = 5;
    KeySurface::Params params;
    params.corner = 14;
    params.depth = depth;
    params.face = Palette::color(Palette::Swatch::accent, false);
    params.side = Palette::color(Palette::Swatch::accentSide, false);
    params.highlight = QColor::fromRgbF(1, 1, 1, 0.35f);
    params.shadow = QColor(Qt::transparent);
    const QRectF face(inset, inset, iconSide - 2 * inset, iconSide - 2 * inset - depth);
    const QRectF shown = KeySurface::paint(painter, face, params);
    QFont font = Typography::systemFont(30, QFont::DemiBold);
    painter.setFont(font);
    painter.setPen(Palette::color(Palette::Swatch::onAccent, false));
    painter.drawText(shown, Qt::AlignCenter, QStringLiteral("K"));
    return image;
}

QImage HeaderView::applicationIcon() {
    const QSize pixels(int(iconSide * kIconScale), int(iconSide * kIconScale));
    QImage bundled(QStringLiteral(":/icons/kestrine.png"));
    if (!bundled.isNull()) {
        QImage scaled = bundled.scaled(pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        scaled.setDevicePixelRatio(kIconScale);
        return scaled;
    }
    const QIcon windowIcon = QGuiApplication::windowIcon();
    if (!windowIcon.isNull()) {
        QImage image = windowIcon.pixmap(QSize(int(iconSide), int(iconSide)), kIconScale).toImage();
        if (!image.isNull()) {
            image.setDevicePixelRatio(kIconScale);
            return image;
        }
    }
    return placeholderIcon();
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
