#include "app/settings/ShelfTile.h"

#include "app/Localization.h"
#include "app/settings/DropBar.h"
#include "app/settings/ViewMotion.h"
#include "app/style/KeySurface.h"
#include "app/style/KeySurfaceButton.h"
#include "app/style/Palette.h"
#include "app/style/Symbol.h"
#include "app/style/Typography.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

#include <algorithm>
#include <cmath>

namespace kestrine {

namespace {

// The remove badge: an xmark in canvas on an ink circle.
class RemoveBadge : public QAbstractButton {
public:
    explicit RemoveBadge(QWidget* parent) : QAbstractButton(parent) {
        setFocusPolicy(Qt::NoFocus);
        setFixedSize(ShelfTile::badgeSide, ShelfTile::badgeSide);
        const QString text = Localization::tr(QStringLiteral("shelf.remove"));
        setToolTip(text);
        setAccessibleName(text);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF circle(0, 0, ShelfTile::badgeSide, ShelfTile::badgeSide);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::ink());
        painter.drawEllipse(circle);
        SymbolPainter::paint(painter, Symbol::xmark, circle, ShelfTile::badgeSymbolSize, Palette::canvas(),
                             QFont::ExtraBold);
    }
    bool hitButton(const QPoint& pos) const override {
        const QPointF d = QPointF(pos) + QPointF(0.5, 0.5) - QPointF(width() / 2.0, height() / 2.0);
        return std::hypot(d.x(), d.y()) <= ShelfTile::badgeSide / 2.0;
    }
};

// The tile as one accessible element, its children hidden, with three named actions.
class ShelfTileAccessible : public QAccessibleWidget {
public:
    explicit ShelfTileAccessible(ShelfTile* tile) : QAccessibleWidget(tile, QAccessible::Button) {}

    ShelfTile* tile() const { return static_cast<ShelfTile*>(widget()); }

    static QString moveEarlierName() { return Localization::tr(QStringLiteral("shelf.moveEarlier")); }
    static QString moveLaterName() { return Localization::tr(QStringLiteral("shelf.moveLater")); }
    static QString removeName() { return Localization::tr(QStringLiteral("shelf.remove")); }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return QString::fromStdString(tile()->app().name);
        return QAccessibleWidget::text(t);
    }

    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QStringList actionNames() const override { return {moveEarlierName(), moveLaterName(), removeName()}; }
    QString localizedActionName(const QString& name) const override { return name; }
    QString localizedActionDescription(const QString& name) const override { return name; }
    QStringList keyBindingsForAction(const QString& name) const override {
        if (name == moveEarlierName()) return {QStringLiteral("Ctrl+Left")};
        if (name == moveLaterName()) return {QStringLiteral("Ctrl+Right")};
        if (name == removeName()) return {QStringLiteral("Delete")};
        return {};
    }

    void doAction(const QString& name) override {
        if (name == moveEarlierName()) {
            tile()->moveEarlier();
        } else if (name == moveLaterName()) {
            tile()->moveLater();
        } else if (name == removeName()) {
            tile()->remove();
        }
    }
};

QAccessibleInterface* shelfTileFactory(const QString&, QObject* object) {
    if (auto* tile = qobject_cast<ShelfTile*>(object)) return new ShelfTileAccessible(tile);
    return nullptr;
}

void installAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&shelfTileFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

int captionHeight() {
    return int(std::ceil(QFontMetricsF(Typography::font(TextStyle::caption)).height()));
}

}  // namespace

QMargins ShelfTile::room() {
    const QMarginsF shadow = KeySurface::shadowMargins();
    const qreal keyInset = (tileWidth - keySide) / 2.0;
    const qreal ring = KeySurfaceButton::focusRingGap + KeySurfaceButton::focusRingWidth;
    const qreal left = std::max({qreal(DropBar::offset), shadow.left() - keyInset, ring - keyInset});
    const qreal top = std::max({qreal(badgeOffset), shadow.top(), ring});
    const qreal right = std::max({qreal(badgeOffset) - keyInset, shadow.right() - keyInset, ring - keyInset});
    return QMargins(int(std::ceil(left)), int(std::ceil(top)), int(std::ceil(std::max(qreal(0), right))), 0);
}

QSize ShelfTile::visibleSize() {
    return QSize(tileWidth, int(std::ceil(keySide + keyDepth)) + labelSpacing + captionHeight());
}

ShelfTile::ShelfTile(const PresetApp& app, const QImage& icon, QWidget* parent)
    : QWidget(parent), app_(app), icon_(icon) {
    installAccessibility();
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    setAcceptDrops(true);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setToolTip(QString::fromStdString(app_.name));
    setAccessibleName(QString::fromStdString(app_.name));

    removeButton_ = new RemoveBadge(this);
    const QRectF key = keyRect();
    removeButton_->move(int(std::lround(key.right() - badgeSide + badgeOffset)), int(std::lround(key.top() - badgeOffset)));
    removeButton_->hide();
    connect(removeButton_, &QAbstractButton::clicked, this, &ShelfTile::remove);

    dropBar_ = new DropBar(this);
    dropBar_->placeBefore(visibleRect().topLeft());
}

void ShelfTile::setApp(const PresetApp& app, const QImage& icon) {
    const bool sameIcon = icon.cacheKey() == icon_.cacheKey();
    if (app == app_ && sameIcon) return;
    app_ = app;
    icon_ = icon;
    setToolTip(QString::fromStdString(app_.name));
    setAccessibleName(QString::fromStdString(app_.name));
    update();
}

void ShelfTile::setMoveLimits(bool canMoveEarlier, bool canMoveLater) {
    canMoveEarlier_ = canMoveEarlier;
    canMoveLater_ = canMoveLater;
}

void ShelfTile::moveEarlier() {
    if (canMoveEarlier_ && onMove) onMove(-1);
}

void ShelfTile::moveLater() {
    if (canMoveLater_ && onMove) onMove(1);
}

void ShelfTile::remove() {
    if (onRemove) onRemove();
}

QRect ShelfTile::visibleRect() const {
    const QMargins room = ShelfTile::room();
    return QRect(QPoint(room.left(), room.top()), visibleSize());
}

QRectF ShelfTile::keyRect() const {
    const QRect visible = visibleRect();
    return QRectF(visible.left() + (tileWidth - keySide) / 2.0, visible.top(), keySide, keySide);
}

QSize ShelfTile::sizeHint() const {
    const QMargins room = ShelfTile::room();
    const QSize visible = visibleSize();
    return QSize(visible.width() + room.left() + room.right(), visible.height() + room.top() + room.bottom());
}

void ShelfTile::setHovered(bool hovered) {
    if (hovered == hovered_) return;
    hovered_ = hovered;
    ViewMotion::fade(removeButton_, hovered);
    update();
}

void ShelfTile::setTargeted(bool targeted) {
    if (targeted == targeted_) return;
    targeted_ = targeted;
    dropBar_->setShown(targeted);
}

bool ShelfTile::isOverTile(const QPointF& pos) const {
    return QRectF(visibleRect()).contains(pos) || QRectF(removeButton_->geometry()).contains(pos);
}

void ShelfTile::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::TextAntialiasing);

    KeySurface::Params params;
    params.corner = keyCorner;
    params.depth = keyDepth;
    params.face = hovered_ ? Palette::raisedHover() : Palette::raised();
    params.side = Palette::keySide();
    const QRectF resting = keyRect();
    const QRectF face = KeySurface::paint(painter, resting, params);
    if (!icon_.isNull()) {
        const QRectF target(face.center() - QPointF(iconSide / 2, iconSide / 2), QSizeF(iconSide, iconSide));
        painter.drawImage(target, icon_);
    }
    if (hasFocus()) KeySurfaceButton::paintFocusRing(painter, KeySurface::plateRect(resting, keyDepth), keyCorner);

    const QRect visible = visibleRect();
    const QFont font = Typography::font(TextStyle::caption);
    const QRectF label(visible.left(), resting.bottom() + keyDepth + labelSpacing, tileWidth, captionHeight());
    painter.setFont(font);
    painter.setPen(Palette::ink());
    painter.drawText(label, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                     QFontMetricsF(font).elidedText(QString::fromStdString(app_.name), Qt::ElideRight, tileWidth));
}

void ShelfTile::enterEvent(QEnterEvent* event) {
    setHovered(isOverTile(event->position()));
    QWidget::enterEvent(event);
}

void ShelfTile::leaveEvent(QEvent* event) {
    setHovered(false);
    QWidget::leaveEvent(event);
}

void ShelfTile::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isOverTile(event->position())) {
        pressed_ = true;
        pressPos_ = event->position().toPoint();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void ShelfTile::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        setHovered(isOverTile(event->position()));
        QWidget::mouseMoveEvent(event);
        return;
    }
    if (pressed_ && (event->position().toPoint() - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
        pressed_ = false;
        startDrag();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void ShelfTile::mouseReleaseEvent(QMouseEvent* event) {
    pressed_ = false;
    QWidget::mouseReleaseEvent(event);
}

void ShelfTile::startDrag() {
    auto* data = new QMimeData;
    data->setText(QString::fromStdString(app_.id));
    QPointer<ShelfTile> self(this);
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    if (!icon_.isNull()) {
        const qreal ratio = devicePixelRatioF();
        QPixmap preview{QSize(int(iconSide), int(iconSide)) * ratio};
        preview.setDevicePixelRatio(ratio);
        preview.fill(Qt::transparent);
        QPainter painter(&preview);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(0, 0, iconSide, iconSide), icon_);
        painter.end();
        drag->setPixmap(preview);
        drag->setHotSpot(QPoint(int(iconSide / 2), int(iconSide / 2)));
    }
    dragging_ = true;
    drag->exec(Qt::MoveAction, Qt::MoveAction);
    if (!self) return;
    dragging_ = false;
    if (retired_) {
        deleteLater();
        return;
    }
    setHovered(underMouse());
}

void ShelfTile::retire() {
    hide();
    setTargeted(false);
    retired_ = true;
    // The drag's event loop runs inside startDrag(); the tile must outlive it.
    if (!dragging_) deleteLater();
}

QMenu* ShelfTile::makeContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    QPointer<ShelfTile> self(this);
    QAction* remove = menu->addAction(Localization::tr(QStringLiteral("shelf.remove")), menu, [self] {
        if (self) self->remove();
    });
    remove->setProperty("destructive", true);
    return menu;
}

void ShelfTile::openContextMenu(const QPoint& globalPos) {
    QMenu* menu = makeContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

void ShelfTile::contextMenuEvent(QContextMenuEvent* event) {
    const QPoint at = event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                                  : mapToGlobal(keyRect().center().toPoint());
    openContextMenu(at);
    event->accept();
}

void ShelfTile::keyPressEvent(QKeyEvent* event) {
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) && modifiers == Qt::NoModifier) {
        if (!event->isAutoRepeat()) remove();
        event->accept();
        return;
    }
    if (modifiers == Qt::ControlModifier && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
        if (event->key() == Qt::Key_Left) moveEarlier();
        else moveLater();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier) {
        openContextMenu(mapToGlobal(keyRect().center().toPoint()));
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ShelfTile::focusInEvent(QFocusEvent* event) {
    update();
    QWidget::focusInEvent(event);
}

void ShelfTile::focusOutEvent(QFocusEvent* event) {
    update();
    QWidget::focusOutEvent(event);
}

QString ShelfTile::draggedID(const QMimeData* data) {
    if (!data || !data->hasText()) return {};
    const QString text = data->text();
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    QString first = end < 0 ? text : text.left(end);
    if (first.endsWith(QLatin1Char('\r'))) first.chop(1);
    return first;
}

bool ShelfTile::acceptsDrop(const QMimeData* data) const {
    const QString id = draggedID(data);
    return !id.isEmpty() && id != QString::fromStdString(app_.id);
}

bool ShelfTile::answerMove(QDropEvent* event, bool wanted) {
    if (!wanted) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    return true;
}

void ShelfTile::dragEnterEvent(QDragEnterEvent* event) {
    if (answerMove(event, acceptsDrop(event->mimeData()))) setTargeted(true);
}

void ShelfTile::dragMoveEvent(QDragMoveEvent* event) {
    setTargeted(answerMove(event, acceptsDrop(event->mimeData())));
}

void ShelfTile::dragLeaveEvent(QDragLeaveEvent* event) {
    setTargeted(false);
    QWidget::dragLeaveEvent(event);
}

void ShelfTile::dropEvent(QDropEvent* event) {
    setTargeted(false);
    if (!answerMove(event, acceptsDrop(event->mimeData()))) return;
    const std::string dragged = draggedID(event->mimeData()).toStdString();
    if (onDropBefore) onDropBefore(dragged);
}

void ShelfTile::changeEvent(QEvent* event) {
    if (Palette::isAppearanceChange(event)) update();
    QWidget::changeEvent(event);
}

}  // namespace kestrine
