#include "app/settings/PresetCard.h"

#include "app/Localization.h"
#include "app/style/IconButton.h"
#include "app/settings/ViewMotion.h"
#include "app/style/KeyCap.h"
#include "app/style/Palette.h"
#include "app/style/ReduceMotion.h"
#include "app/style/Typography.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QGraphicsOpacityEffect>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace kestrine {

namespace {

// The card as one accessible element: a button named by its preset, selected while active, whose
// children (the delete button) stay reachable.
class PresetCardAccessible : public QAccessibleWidget {
public:
    explicit PresetCardAccessible(PresetCard* card) : QAccessibleWidget(card, QAccessible::Button) {}

    PresetCard* card() const { return static_cast<PresetCard*>(widget()); }

    QString text(QAccessible::Text t) const override {
        switch (t) {
        case QAccessible::Name: return QString::fromStdString(card()->preset().name);
        case QAccessible::Description: return card()->appCountText();
        default: return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectable = true;
        s.selected = card()->isActive();
        return s;
    }

    QStringList actionNames() const override { return {pressAction(), showMenuAction()}; }

    void doAction(const QString& name) override {
        if (name == pressAction()) {
            card()->click();
        } else if (name == showMenuAction()) {
            card()->openContextMenu(card()->mapToGlobal(card()->rect().center()));
        }
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

QAccessibleInterface* presetCardFactory(const QString&, QObject* object) {
    if (auto* card = qobject_cast<PresetCard*>(object)) return new PresetCardAccessible(card);
    return nullptr;
}

void installAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&presetCardFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

QString elided(const QString& text, const QFont& font, qreal width) {
    return QFontMetricsF(font).elidedText(text, Qt::ElideRight, width);
}

}  // namespace

PresetCard::PresetCard(const Preset& preset, int index, bool active, QWidget* parent)
    : KeySurfaceButton(parent), preset_(preset), index_(index), active_(active) {
    installAccessibility();
    setAccessibleName(QString::fromStdString(preset_.name));

    deleteButton_ = new IconButton(Symbol::xmark, 10, QFont::Bold, this);
    deleteButton_->setFocusPolicy(Qt::NoFocus);  // the Delete key does this from the keyboard
    deleteButton_->setToolTip(Localization::tr(QStringLiteral("preset.delete.help")));
    deleteButton_->setAccessibleName(Localization::tr(QStringLiteral("preset.delete.help")));
    deleteOpacity_ = new QGraphicsOpacityEffect(deleteButton_);
    deleteOpacity_->setOpacity(0);
    deleteButton_->setGraphicsEffect(deleteOpacity_);
    deleteButton_->hide();
    connect(deleteButton_, &QAbstractButton::clicked, this, [this] {
        if (onDelete) onDelete();
    });

    hoverAnimation_ = new QVariantAnimation(this);
    hoverAnimation_->setEasingCurve(QEasingCurve::OutCubic);
    connect(hoverAnimation_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setHoverProgress(value.toReal()); });

    connect(this, &QAbstractButton::clicked, this, [this] {
        // No haptic feedback device on this platform.
        if (onSelect) onSelect();
    });

    surfaceGeometryChanged();
    placeDeleteButton();
}

QMargins PresetCard::surfaceRoom() {
    const QMarginsF shadow = KeySurface::shadowMargins();
    const qreal ring = focusRingGap + focusRingWidth;
    auto side = [ring](qreal reach) { return int(std::ceil(std::max(reach, ring))); };
    return QMargins(side(shadow.left()), side(shadow.top()), side(shadow.right()), side(shadow.bottom()));
}

void PresetCard::setPreset(const Preset& preset, int index, bool active) {
    if (preset == preset_ && index == index_ && active == active_) return;
    const bool deletableBefore = isDeletable();
    const bool activeBefore = active_;
    preset_ = preset;
    index_ = index;
    active_ = active;
    setAccessibleName(QString::fromStdString(preset_.name));
    if (deletableBefore != isDeletable()) followHover();
    update();
    if (activeBefore != active_ && QAccessible::isActive()) {
        QAccessible::State selection;
        selection.selected = true;
        QAccessibleStateChangeEvent changed(this, selection);
        QAccessible::updateAccessibility(&changed);
    }
}

KeySurface::Params PresetCard::surfaceParams() const {
    return KeySurface::key(corner, depth, hover_, active_ ? std::optional<QColor>(Palette::accent()) : std::nullopt);
}


QString PresetCard::appCountText(std::size_t count) {
    if (count == 1) return Localization::tr(QStringLiteral("preset.apps.one"));
    return Localization::format(QStringLiteral("preset.apps.other"), qulonglong(count));
}

QString PresetCard::digitText(int index) {
    if (index < 0 || index >= digitCount) return {};
    return QString::number(index + 1);
}

void PresetCard::paintLabel(QPainter& painter, const QRectF& face) {
    const QRectF content = face.adjusted(padding, padding, -padding, -padding);
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing);

    // Top row: the emoji at the left, the "current" badge at the right.
    const QFont emojiFont = Typography::systemFont(emojiSize);
    const QFontMetricsF emojiMetrics(emojiFont);
    painter.setFont(emojiFont);
    painter.setPen(Palette::ink());
    painter.drawText(QRectF(content.left(), content.top(), content.width(), emojiMetrics.height()),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, QString::fromStdString(preset_.displayEmoji()));

    const qreal badgeOpacity = active_ ? (isDeletable() ? 1 - hover_ : 1.0) : 0.0;
    if (badgeOpacity > 0) {
        const QFont badgeFont = Typography::font(TextStyle::caption2, QFont::DemiBold);
        const QFontMetricsF badgeMetrics(badgeFont);
        const QString badge = Localization::tr(QStringLiteral("preset.current"));
        const QSizeF size(badgeMetrics.horizontalAdvance(badge) + 2 * badgePaddingX,
                          badgeMetrics.height() + 2 * badgePaddingY);
        const QRectF capsule(content.right() - size.width(), content.top(), size.width(), size.height());
        painter.setOpacity(badgeOpacity);
        QPainterPath shape;
        shape.addRoundedRect(capsule, size.height() / 2, size.height() / 2);
        painter.fillPath(shape, Palette::accent());
        painter.setFont(badgeFont);
        painter.setPen(Palette::onAccent());
        painter.drawText(capsule, Qt::AlignCenter | Qt::TextSingleLine, badge);
        painter.setOpacity(1);
    }

    // Bottom row: name and count at the left, the digit's key cap at the right.
    qreal trailing = 0;
    const QString digit = digitText();
    if (!digit.isEmpty()) {
        const QSizeF capFace = KeyCap::faceSize(digit, digitCapSize);
        const qreal capDepth = KeyCap::metrics(digitCapSize).depth;
        const QRectF cap(content.right() - capFace.width(), content.bottom() - capDepth - capFace.height(),
                         capFace.width(), capFace.height());
        KeyCap::paint(painter, cap, digit, digitCapSize);
        trailing = capFace.width() + 6;
    }
    const qreal textWidth = std::max(qreal(0), content.width() - trailing);
    const QFont nameFont = Typography::font(TextStyle::headline, QFont::DemiBold);
    const QFont countFont = Typography::font(TextStyle::caption);
    const qreal nameHeight = QFontMetricsF(nameFont).height();
    const qreal countHeight = QFontMetricsF(countFont).height();
    const QRectF countRect(content.left(), content.bottom() - countHeight, textWidth, countHeight);
    const QRectF nameRect(content.left(), countRect.top() - 2 - nameHeight, textWidth, nameHeight);
    painter.setFont(nameFont);
    painter.setPen(Palette::ink());
    painter.drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     elided(QString::fromStdString(preset_.name), nameFont, textWidth));
    painter.setFont(countFont);
    painter.setPen(Palette::inkSoft());
    painter.drawText(countRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     elided(appCountText(), countFont, textWidth));
    painter.restore();
}

void PresetCard::enterEvent(QEnterEvent* event) {
    KeySurfaceButton::enterEvent(event);
    followHover();
}

void PresetCard::leaveEvent(QEvent* event) {
    KeySurfaceButton::leaveEvent(event);
    followHover();
}

void PresetCard::followHover() {
    const qreal target = isHovered() ? 1.0 : 0.0;
    if (showsDeleteButton()) deleteButton_->show();
    if (hoverAnimation_->state() == QAbstractAnimation::Running && hoverAnimation_->endValue().toReal() == target)
        return;
    hoverAnimation_->stop();
    if (hover_ == target) {
        setHoverProgress(target);
        return;
    }
    hoverAnimation_->setStartValue(hover_);
    hoverAnimation_->setEndValue(target);
    hoverAnimation_->setDuration(ViewMotion::hoverDurationMs(ReduceMotion::isOn()));
    hoverAnimation_->start();
}

void PresetCard::setHoverProgress(qreal value) {
    hover_ = value;
    deleteOpacity_->setOpacity(isDeletable() ? value : 0.0);
    // Hidden once faded out, so that it takes no clicks.
    if (!showsDeleteButton() && (value <= 0 || !isDeletable())) deleteButton_->hide();
    update();
}

QMenu* PresetCard::makeContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    QPointer<PresetCard> self(this);
    menu->addAction(Localization::tr(QStringLiteral("preset.edit")), menu, [self] {
        if (self && self->onEdit) self->onEdit();
    });
    if (isDeletable()) {
        menu->addSeparator();
        QAction* remove = menu->addAction(Localization::tr(QStringLiteral("preset.delete.confirm")), menu, [self] {
            if (self && self->onDelete) self->onDelete();
        });
        remove->setProperty("destructive", true);
    }
    return menu;
}

void PresetCard::openContextMenu(const QPoint& globalPos) {
    QMenu* menu = makeContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

void PresetCard::contextMenuEvent(QContextMenuEvent* event) {
    const QPoint at = event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                                  : mapToGlobal(restingFaceRect().center().toPoint());
    openContextMenu(at);
    event->accept();
}

void PresetCard::keyPressEvent(QKeyEvent* event) {
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Delete && modifiers == Qt::NoModifier) {
        if (isDeletable() && onDelete && !event->isAutoRepeat()) onDelete();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier) {
        openContextMenu(mapToGlobal(restingFaceRect().center().toPoint()));
        event->accept();
        return;
    }
    KeySurfaceButton::keyPressEvent(event);
}

void PresetCard::resizeEvent(QResizeEvent* event) {
    KeySurfaceButton::resizeEvent(event);
    placeDeleteButton();
}

void PresetCard::placeDeleteButton() {
    const QRectF face = restingFaceRect();
    const QRectF frame = deleteButton_->frameRect();  // the 28 × 28 frame inside the button
    const QPointF topRight(face.right() - deleteButtonInset, face.top() + deleteButtonInset);
    deleteButton_->resize(deleteButton_->sizeHint());
    deleteButton_->move(QPointF(topRight.x() - frame.right(), topRight.y() - frame.top()).toPoint());
}

}  // namespace kestrine
