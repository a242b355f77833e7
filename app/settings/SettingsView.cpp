#include "app/settings/SettingsView.h"

#include <QMessageBox>  // complete before the card view's header, whose inline accessors convert it

#include "app/AppModel.h"
#include "app/Localization.h"
#include "app/layout/WidgetRoom.h"
#include "app/settings/DockShelfView.h"
#include "app/settings/ErrorBanner.h"
#include "app/settings/FooterBar.h"
#include "app/settings/HeaderView.h"
#include "app/settings/PresetCardsView.h"
#include "app/settings/PresetEditor.h"
#include "app/settings/ShelfHeader.h"
#include "app/style/KeySurface.h"
#include "app/style/Palette.h"
#include "app/style/PaletteLabel.h"
#include "app/style/SpringCurve.h"
#include "app/style/ReduceMotion.h"
#include "app/style/Typography.h"

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>

namespace kestrine {

namespace {

// How the banner comes and goes: a spring (response 0.35 s, damping fraction 0.8), or a 0.12 s
// fade with reduce motion.
void animatePresence(QVariantAnimation* presence, qreal from, qreal to) {
    presence->stop();
    presence->setStartValue(from);
    presence->setEndValue(to);
    if (ReduceMotion::isOn()) {
        presence->setDuration(120);
        presence->setEasingCurve(QEasingCurve::InOutCubic);
    } else {
        presence->setDuration(500);
        presence->setEasingCurve(springCurve<0.35, 0.8, 500>());
    }
    presence->start();
}

// Reading order of two sibling widgets by what they show: side by side (their visible heights
// overlap, neither spanning the other) left to right, otherwise top to bottom.
bool readsBefore(const QWidget* a, const QWidget* b) {
    const QRect ra = WidgetRoom::shown(a);
    const QRect rb = WidgetRoom::shown(b);
    const bool overlap = ra.top() <= rb.bottom() && rb.top() <= ra.bottom();
    const bool spans = (ra.top() <= rb.top() && ra.bottom() >= rb.bottom()) ||
                       (rb.top() <= ra.top() && rb.bottom() >= ra.bottom());
    if (overlap && !spans && ra.left() != rb.left()) return ra.left() < rb.left();
    if (ra.top() != rb.top()) return ra.top() < rb.top();
    return ra.left() < rb.left();
}

// Appends the widgets under `parent` that take focus with Tab, in reading order; a container's
// widgets come in its place. Windows of their own (the editor sheet, popovers) are not included.
void collectTabOrder(const QWidget* parent, QList<QWidget*>& order) {
    QList<QWidget*> children;
    for (QObject* object : parent->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child->isWindow() || !child->isVisibleTo(parent)) continue;
        // A small insertion sort: the relation is not a strict order for arbitrary rectangles,
        // so nothing here may rely on one.
        qsizetype at = children.size();
        while (at > 0 && readsBefore(child, children[at - 1])) --at;
        children.insert(at, child);
    }
    for (QWidget* child : children) {
        if ((child->focusPolicy() & Qt::TabFocus) && child->isEnabled()) order.append(child);
        collectTabOrder(child, order);
    }
}

}  // namespace

SettingsView::SettingsView(AppModel& model, LaunchAtLogin& loginItem, HotKeyCenter& center, ShortcutRecorder& recorder,
                           QWidget* parent)
    : QWidget(parent), model_(model) {
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);

    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    // No stop of its own in the Tab order: Tab scrolls to the control it reaches, and the paging
    // keys still arrive here from the control that has the focus.
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll_->viewport()->setAutoFillBackground(false);
    scroll_->setAutoFillBackground(false);
    styleScrollBar();

    content_ = new QWidget(scroll_);
    content_->setAutoFillBackground(false);
    // The header, the shelf's section and the cards keep a composite's room around what they show,
    // inside their geometry; the dock line has none but its margins. The column's margins and gaps
    // are net of those rooms: its spacing is what stands between the shelf and the cards, the
    // other gaps are made up with spacings of their own (the one under the header is below zero:
    // the header's room overlaps the dock line).
    const QMargins room = KeySurface::containerRoom();
    const QMargins padding = contentPadding();
    auto* column = new QVBoxLayout(content_);
    column->setContentsMargins(padding - room);
    column->setSpacing(contentSpacing - room.bottom() - room.top());

    header_ = new HeaderView(center, recorder, content_);
    column->addWidget(header_);
    column->addSpacing(dockLineGap - room.bottom() - column->spacing());
    // Which dock this run switches, just under the header.
    dockLine_ = new PaletteLabel(dockDescription(model_.dock()), Typography::font(TextStyle::caption),
                                 Palette::Swatch::inkSoft, content_);
    dockLine_->setWrapping(true);
    dockLine_->setContentsMargins(room.left(), 0, room.right(), 0);
    column->addWidget(dockLine_);
    // Under the dock line comes the shelf's section or, without an active preset, the cards.
    column->addSpacing(contentSpacing - room.top() - column->spacing());

    shelfSection_ = new QWidget(content_);
    auto* shelfColumn = new QVBoxLayout(shelfSection_);
    shelfColumn->setContentsMargins(room);
    shelfColumn->setSpacing(shelfSpacing);
    shelfHeader_ = new ShelfHeader(shelfSection_);
    shelfColumn->addWidget(shelfHeader_);
    shelf_ = new DockShelfView(model_, shelfSection_);
    shelfColumn->addWidget(shelf_);
    shelfHint_ = new PaletteLabel(Localization::tr("shelf.hint"), Typography::font(TextStyle::caption),
                                  Palette::Swatch::inkSoft, shelfSection_);
    shelfHint_->setWrapping(true);
    shelfColumn->addWidget(shelfHint_, 0, Qt::AlignLeft);
    column->addWidget(shelfSection_);

    cards_ = new PresetCardsView(model_, content_);
    column->addWidget(cards_);
    // Room left over stays below the last part.
    column->addStretch();

    scroll_->setWidget(content_);
    // The scroll area fills its widget with the window colour; the canvas shows through instead.
    content_->setAutoFillBackground(false);
    stack->addWidget(scroll_, 1);

    footer_ = new FooterBar(model_, loginItem, center, this);
    stack->addWidget(footer_, 0);

    shelfHeader_->onEdit = [this] {
        if (auto active = model_.activePreset()) openEditor(PresetEditorMode::details(*active));
    };
    shelf_->onAddApps = [this] { openEditor(PresetEditorMode::addApps()); };
    cards_->onEditor = [this](const PresetEditorMode& mode) { openEditor(mode); };

    connect(&model_, &AppModel::changed, this, &SettingsView::modelChanged);
    modelChanged();
}

SettingsView::~SettingsView() = default;

ErrorBanner* SettingsView::errorBanner() const {
    return banner_;
}

PresetEditor* SettingsView::editorSheet() const {
    return sheet_;
}

QString SettingsView::dockDescription(const DockChoice& dock) {
    switch (dock.kind) {
    case DockChoice::Kind::file: return Localization::tr("dock.line.file");
    case DockChoice::Kind::gnome: return Localization::tr("dock.line.gnome");
    case DockChoice::Kind::plank: return Localization::format("dock.line.plank", QString::fromStdString(dock.plankDock));
    }
    return {};
}

void SettingsView::modelChanged() {
    const std::optional<Preset> active = model_.activePreset();
    if (active) shelfHeader_->setPreset(*active);
    shelfSection_->setVisible(active.has_value());
    updateBanner();
}

void SettingsView::openEditor(const PresetEditorMode& mode) {
    // One sheet at a time: asking again while one is open changes nothing.
    if (sheet_ || editor_) return;
    editor_ = mode;
    auto* sheet = new PresetEditor(model_, mode, this);
    sheet_ = sheet;
    sheet->setWindowModality(Qt::WindowModal);
    auto closed = [this, sheet] {
        if (sheet_ == sheet || !sheet_) {
            sheet_ = nullptr;
            editor_.reset();
        }
    };
    connect(sheet, &QDialog::finished, this, [sheet, closed] {
        closed();
        sheet->deleteLater();
    });
    connect(sheet, &QObject::destroyed, this, closed);
    sheet->open();
}

void SettingsView::updateBanner() {
    const std::optional<QString>& message = model_.errorMessage();
    if (message) {
        if (banner_) {
            banner_->setMessage(*message);
            placeBanner(banner_, banner_->property("presence").toReal());
            return;
        }
        auto* banner = new ErrorBanner(*message, this);
        banner_ = banner;
        banner->onDismiss = [this] { model_.setErrorMessage(std::nullopt); };
        auto* fade = new QGraphicsOpacityEffect(banner);
        banner->setGraphicsEffect(fade);
        auto* presence = new QVariantAnimation(banner);
        QPointer<ErrorBanner> guard(banner);
        connect(presence, &QVariantAnimation::valueChanged, this, [this, guard](const QVariant& value) {
            if (guard) placeBanner(guard, value.toReal());
        });
        // A banner that has finished leaving goes away.
        connect(presence, &QVariantAnimation::finished, this, [this, guard, presence] {
            if (guard && guard != banner_ && presence->endValue().toReal() == 0) guard->deleteLater();
        });
        banner->setProperty("presence", 0.0);
        placeBanner(banner, 0);
        banner->show();
        banner->raise();
        animatePresence(presence, 0, 1);
        return;
    }
    if (!banner_) return;
    ErrorBanner* leaving = banner_;
    banner_ = nullptr;
    leaving->onDismiss = nullptr;
    leaving->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* presence = leaving->findChild<QVariantAnimation*>();
    const qreal shown = leaving->property("presence").toReal();
    if (presence && shown > 0) {
        // Deleted when the animation reaches 0 (see the finished handler).
        animatePresence(presence, shown, 0);
    } else {
        leaving->deleteLater();
    }
}

void SettingsView::placeBanner(ErrorBanner* banner, qreal presence) {
    if (!banner) return;
    banner->setProperty("presence", presence);
    const QMargins room = ErrorBanner::shadowRoom();
    const int cardWidth = std::max(0, width() - 2 * bannerInset);
    const int widgetWidth = cardWidth + room.left() + room.right();
    const int height = banner->heightForWidth(widgetWidth);
    const int cardHeight = height - room.top() - room.bottom();
    // With reduce motion the banner only fades; otherwise it also slides down from the top edge.
    const qreal shift = ReduceMotion::isOn() ? 0 : (1 - presence) * (bannerTop + cardHeight + room.bottom());
    banner->setGeometry(bannerInset - room.left(), int(bannerTop - room.top() - shift), widgetWidth, height);
    if (auto* fade = qobject_cast<QGraphicsOpacityEffect*>(banner->graphicsEffect()))
        fade->setOpacity(std::clamp(presence, qreal(0), qreal(1)));
}

void SettingsView::styleScrollBar() {
    // A slim indicator that stays out of the way: no arrows, no groove, a soft rounded thumb.
    scrollBarDark_ = Palette::isDark();
    const QColor thumb = withOpacity(Palette::ink(), 0.25);
    scroll_->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { background: transparent; width: 8px; margin: 2px 2px 2px 0; }"
                       "QScrollBar::handle:vertical { background: rgba(%1, %2, %3, %4); border-radius: 3px; min-height: 32px; }"
                       "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
                       "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }")
            .arg(thumb.red())
            .arg(thumb.green())
            .arg(thumb.blue())
            .arg(thumb.alpha()));
}

QList<QWidget*> SettingsView::tabOrder() const {
    QList<QWidget*> order;
    // The banner lies over the top of the content; it comes first, as it reads first.
    if (banner_ && banner_->isVisibleTo(this)) collectTabOrder(banner_, order);
    for (QWidget* part : {static_cast<QWidget*>(scroll_), static_cast<QWidget*>(footer_)}) {
        if ((part->focusPolicy() & Qt::TabFocus) && part->isEnabled()) order.append(part);
        collectTabOrder(part, order);
    }
    return order;
}

bool SettingsView::focusNextPrevChild(bool next) {
    // Tiles and cards are rebuilt as the model changes, which would put them at the end of the
    // focus chain; the chain is laid out again along the layout before each move.
    const QList<QWidget*> order = tabOrder();
    for (qsizetype i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
    return QWidget::focusNextPrevChild(next);
}

void SettingsView::paintEvent(QPaintEvent*) {
    if (scrollBarDark_ != Palette::isDark()) styleScrollBar();
    QPainter painter(this);
    painter.fillRect(rect(), Palette::canvas());
}

void SettingsView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (banner_) placeBanner(banner_, banner_->property("presence").toReal());
    for (auto* child : findChildren<ErrorBanner*>(Qt::FindDirectChildrenOnly))
        if (child != banner_) placeBanner(child, child->property("presence").toReal());
}

void SettingsView::changeEvent(QEvent* event) {
    if (Palette::isAppearanceChange(event)) {
        styleScrollBar();
        update();
    }
    QWidget::changeEvent(event);
}

}  // namespace kestrine
