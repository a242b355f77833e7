#include "app/panel/MiniDockView.h"

#include "app/AppModel.h"
#include "app/HotKeyCenter.h"
#include "app/Localization.h"
#include "app/panel/SelectionState.h"
#include "app/style/Palette.h"
#include "app/style/ReduceMotion.h"
#include "app/style/Typography.h"

#include <QEasingCurve>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QVariantAnimation>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace kestrine {

namespace {

// A row that scrolls sideways only, without scroll bars; a vertical wheel scrolls it too.
class HorizontalRow final : public QScrollArea {
public:
    explicit HorizontalRow(QWidget* parent) : QScrollArea(parent) {
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setWidgetResizable(false);
        setFocusPolicy(Qt::NoFocus);
        setAutoFillBackground(false);
        viewport()->setAutoFillBackground(false);
    }

protected:
    void wheelEvent(QWheelEvent* event) override {
        const QPoint delta = event->angleDelta();
        const int steps = std::abs(delta.x()) > std::abs(delta.y()) ? delta.x() : delta.y();
        QScrollBar* bar = horizontalScrollBar();
        bar->setValue(bar->value() - steps / 2);
        event->accept();
    }
};

}  // namespace

QSize MiniDockView::panelSize(int availableWidth, int count) {
    const int n = std::max(count, 1);
    int width = keyWidth * n + keySpacing * (n - 1) + 2 * trayPadding;
    width = std::max(width, minPanelWidth);
    width = std::min(width, availableWidth);
    const int height = 2 * trayPadding + keyHeight + keyDepth + rowSpacing + hintHeight;
    return {width, height};
}

MiniDockView::MiniDockView(AppModel& model, SelectionState& selection, HotKeyCenter& center,
                           ApplyAction onApply, QWidget* parent)
    : QWidget(parent), model_(model), selection_(selection), center_(center), onApply_(std::move(onApply)) {
    setFocusPolicy(Qt::NoFocus);

    row_ = new HorizontalRow(this);
    content_ = new QWidget;
    content_->setAutoFillBackground(false);
    row_->setWidget(content_);
    // setWidget() turns the background filling on; the tray shows through instead.
    content_->setAutoFillBackground(false);
    row_->viewport()->setAutoFillBackground(false);

    scroll_ = new QVariantAnimation(this);
    QEasingCurve easeOut(QEasingCurve::BezierSpline);
    easeOut.addCubicBezierSegment(QPointF(0, 0), QPointF(0.58, 1), QPointF(1, 1));
    scroll_->setEasingCurve(easeOut);
    connect(scroll_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { row_->horizontalScrollBar()->setValue(value.toInt()); });

    connect(&model_, &AppModel::changed, this, &MiniDockView::modelChanged);
    connect(&selection_, &SelectionState::indexChanged, this, &MiniDockView::selectionChanged);
    connect(&center_, &HotKeyCenter::changed, this, [this] {
        setAccessibleDescription(hintText());
        update();
    });
    setAccessibleDescription(hintText());
    rebuildKeys();
}

MiniDockView::~MiniDockView() = default;

QString MiniDockView::hintText() const {
    return Localization::format("mini.hint", HotKeyCenter::displayText(center_.spec()));
}

QString MiniDockView::emptyText() const {
    return keys_.empty() ? Localization::tr("mini.empty") : QString();
}

int MiniDockView::rowHeight() const {
    // The key row plus room for the keys' shadows, which may reach into the gap above the hint.
    return trayPadding + keyHeight + keyDepth + int(std::ceil(KeySurface::shadowMargins().bottom()));
}

int MiniDockView::contentLeading() const {
    // The row starts inside the tray's hairline; the first key sits trayPadding from the tray's
    // edge, or centred when all keys fit with room to spare.
    const int n = int(keys_.size());
    const int keysWidth = n * keyWidth + std::max(n - 1, 0) * keySpacing;
    const int viewport = rowViewportWidth();
    const int padded = trayPadding - int(hairlineWidth);
    return std::max(padded, (viewport - keysWidth) / 2);
}

int MiniDockView::rowViewportWidth() const {
    return row_->viewport()->width();
}

void MiniDockView::modelChanged() {
    std::vector<Shown> now;
    for (const auto& preset : model_.presets()) now.push_back({preset.id, preset.name, preset.displayEmoji()});
    if (now == shown_ && model_.activeID() == shownActiveID_) return;
    rebuildKeys();
}

void MiniDockView::rebuildKeys() {
    for (PresetKey* key : keys_) key->deleteLater();
    keys_.clear();
    shown_.clear();
    shownActiveID_ = model_.activeID();

    const auto& presets = model_.presets();
    for (std::size_t i = 0; i < presets.size(); ++i) {
        const Preset& preset = presets[i];
        shown_.push_back({preset.id, preset.name, preset.displayEmoji()});
        auto* key = new PresetKey(preset, int(i), preset.id == shownActiveID_, content_);
        const std::string id = preset.id;
        const int index = int(i);
        connect(key, &QAbstractButton::clicked, this, [this, index] {
            selection_.setIndex(index);
            if (onApply_) onApply_(index);
        });
        connect(key, &PresetKey::hoverChanged, this, [this, id](bool hovered) { keyHovered(id, hovered); });
        key->show();
        keys_.push_back(key);
    }
    if (hoveredID_ && std::none_of(shown_.begin(), shown_.end(), [&](const Shown& s) { return s.id == *hoveredID_; }))
        hoveredID_.reset();
    for (PresetKey* key : keys_) key->setHovered(hoveredID_ && key->preset().id == *hoveredID_);
    updateFocusedKey();
    layoutRow();
    setAccessibleName(emptyText());
    update();
}

void MiniDockView::layoutRow() {
    const int inset = int(hairlineWidth);
    row_->setGeometry(inset, inset, std::max(0, width() - 2 * inset), rowHeight() - inset);
    row_->setVisible(!keys_.empty());

    const int viewport = rowViewportWidth();
    const int leading = contentLeading();
    const int n = int(keys_.size());
    const int keysWidth = n * keyWidth + std::max(n - 1, 0) * keySpacing;
    const int trailing = trayPadding - inset;
    content_->resize(std::max(viewport, leading + keysWidth + trailing), row_->viewport()->height());

    const int faceTop = trayPadding - inset;
    for (int i = 0; i < n; ++i) {
        PresetKey* key = keys_[std::size_t(i)];
        const QPointF offset = key->restingFaceRect().topLeft();
        const QPoint face(leading + i * (keyWidth + keySpacing), faceTop);
        key->setGeometry(QRect(face - offset.toPoint(), key->sizeHint()));
    }
}

void MiniDockView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutRow();
    if (positioned_) scrollTo(centringOffset(selection_.index()), false);
}

void MiniDockView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!positioned_) {
        // The selection starts in view; only later changes scroll with an animation.
        layoutRow();
        scrollTo(centringOffset(selection_.index()), false);
        positioned_ = true;
    }
}

int MiniDockView::centringOffset(int index) const {
    if (index < 0 || index >= int(keys_.size())) return scrollOffset();
    const int centre = contentLeading() + index * (keyWidth + keySpacing) + keyWidth / 2;
    const int maximum = std::max(0, content_->width() - rowViewportWidth());
    return std::clamp(centre - rowViewportWidth() / 2, 0, maximum);
}

int MiniDockView::scrollOffset() const {
    return row_->horizontalScrollBar()->value();
}

int MiniDockView::scrollTarget() const {
    return isScrolling() ? scroll_->endValue().toInt() : scrollOffset();
}

bool MiniDockView::isScrolling() const {
    return scroll_->state() == QAbstractAnimation::Running;
}

void MiniDockView::finishScrolling() {
    if (!isScrolling()) return;
    scroll_->setCurrentTime(scroll_->duration());
    scroll_->stop();
}

void MiniDockView::scrollTo(int offset, bool animated) {
    scroll_->stop();
    QScrollBar* bar = row_->horizontalScrollBar();
    bar->setRange(0, std::max(0, content_->width() - rowViewportWidth()));
    if (!animated || offset == bar->value()) {
        bar->setValue(offset);
        return;
    }
    scroll_->setDuration(ReduceMotion::isOn() ? reducedScrollMilliseconds : scrollMilliseconds);
    scroll_->setStartValue(bar->value());
    scroll_->setEndValue(offset);
    scroll_->start();
}

void MiniDockView::selectionChanged(int index) {
    updateFocusedKey();
    if (index >= 0 && index < int(keys_.size())) scrollTo(centringOffset(index), positioned_);
}

void MiniDockView::updateFocusedKey() {
    for (PresetKey* key : keys_) key->setFocusedKey(key->index() == selection_.index());
}

void MiniDockView::keyHovered(const std::string& id, bool hovered) {
    if (hovered) {
        hoveredID_ = id;
    } else if (hoveredID_ == id) {
        // Only the key that still holds the hover clears it: when the pointer moves from A to B,
        // A's leave may arrive after B's enter.
        hoveredID_.reset();
    }
    for (PresetKey* key : keys_) key->setHovered(hoveredID_ && key->preset().id == *hoveredID_);
}

void MiniDockView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    // The tray: canvas, with a hairline drawn just inside its edge.
    const QRectF tray = QRectF(rect());
    QPainterPath shape;
    shape.addRoundedRect(tray, trayCorner, trayCorner);
    painter.fillPath(shape, Palette::canvas());
    const qreal half = hairlineWidth / 2;
    painter.setPen(QPen(Palette::hairline(), hairlineWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(tray.adjusted(half, half, -half, -half), trayCorner - half, trayCorner - half);

    painter.setPen(Palette::inkSoft());
    const qreal rowTop = trayPadding;
    const qreal rowHeightWithSide = keyHeight + keyDepth;
    if (keys_.empty()) {
        painter.setFont(Typography::font(TextStyle::callout));
        const QRectF line(trayPadding, rowTop, width() - 2 * trayPadding, rowHeightWithSide);
        painter.drawText(line, Qt::AlignCenter | Qt::TextSingleLine,
                         painter.fontMetrics().elidedText(emptyText(), Qt::ElideRight, int(line.width())));
    }
    painter.setFont(Typography::font(TextStyle::caption));
    const QRectF hint(trayPadding, rowTop + rowHeightWithSide + rowSpacing, width() - 2 * trayPadding, hintHeight);
    painter.drawText(hint, Qt::AlignCenter | Qt::TextSingleLine,
                     painter.fontMetrics().elidedText(hintText(), Qt::ElideRight, int(hint.width())));
}

void MiniDockView::changeEvent(QEvent* event) {
    if (Palette::isAppearanceChange(event)) update();
    QWidget::changeEvent(event);
}

}  // namespace kestrine
