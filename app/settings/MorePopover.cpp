#include "app/settings/MorePopover.h"

#include "app/AppModel.h"
#include "app/HotKeyCenter.h"
#include "app/Localization.h"
#include "app/style/KeyButton.h"
#include "app/style/Palette.h"
#include "app/style/PaletteLabel.h"
#include "app/style/ToggleSwitch.h"
#include "app/style/Typography.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace kestrine {

namespace {

// A thin hairline across the popover.
class Divider : public QWidget {
public:
    // `inset` keeps it clear of the room its neighbours keep at the sides.
    Divider(int inset, QWidget* parent) : QWidget(parent) {
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setContentsMargins(inset, 0, inset, 0);
    }
    QSize sizeHint() const override { return QSize(1, 1); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(contentsRect(), Palette::hairline());
    }
};

PaletteLabel* sectionTitle(const QString& text, QWidget* parent) {
    return new PaletteLabel(text, Typography::font(TextStyle::subheadline, QFont::DemiBold), Palette::Swatch::ink, parent);
}

PaletteLabel* sectionBody(const QString& text, QWidget* parent) {
    auto* body = new PaletteLabel(text, Typography::font(TextStyle::caption), Palette::Swatch::inkSoft, parent);
    body->setWrapping(true);
    return body;
}

}  // namespace

MorePopover::MorePopover(AppModel& model, HotKeyCenter& center, QWidget* parent)
    : QFrame(parent, Qt::Popup), model_(model), center_(center) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(Localization::tr("footer.more"));

    // Each section keeps a key's room at the sides and below, for its button's shadow (the recents
    // switch its focus ring's above); the texts have none but their margins. The margins and gaps
    // are net of those rooms.
    const KeyButton::Style compact{.prominent = false, .compact = true, .active = false};
    restore_ = new KeyButton(Localization::tr("more.restore.button"), compact);
    const QMargins key = restore_->room();
    const QMargins ring = ToggleSwitch::room();
    const QMargins textInset(key.left(), 0, key.right(), 0);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding - key.left(), padding - (model_.supportsRecents() ? ring.top() : 0),
                               padding - key.right(), padding - key.bottom());
    column->setSpacing(0);

    // Recents: on means the Dock's recent-applications section is hidden. Docks without such a
    // section (GNOME Shell, Plank) get no switch.
    if (model_.supportsRecents()) {
        auto* recentsSection = new QWidget(this);
        auto* recentsLayout = new QVBoxLayout(recentsSection);
        recentsLayout->setContentsMargins(key.left() - ring.left(), 0, key.right() - ring.right(), 0);
        recentsLayout->setSpacing(0);
        recents_ = new ToggleSwitch(Localization::tr("more.recents.title"),
                                    Typography::font(TextStyle::subheadline, QFont::DemiBold), Palette::Swatch::ink, recentsSection);
        recents_->setSpread(true);
        recentsLayout->addWidget(recents_);
        recentsLayout->addSpacing(sectionSpacing - ring.bottom());
        auto* body = sectionBody(Localization::tr("more.recents.body"), recentsSection);
        body->setContentsMargins(ring.left(), 0, ring.right(), 0);
        recentsLayout->addWidget(body);
        column->addWidget(recentsSection);
        connect(recents_, &QAbstractButton::clicked, this, [this](bool hidden) {
            model_.setRecentsHidden(hidden);
            refresh();
        });

        column->addSpacing(spacing);
        column->addWidget(new Divider(key.left(), this));
        column->addSpacing(spacing);
    }

    auto section = [&](const QString& title, PaletteLabel* body, KeyButton* button) {
        auto* box = new QWidget(this);
        auto* layout = new QVBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        auto* heading = sectionTitle(title, box);
        heading->setContentsMargins(textInset);
        layout->addWidget(heading, 0, Qt::AlignLeft);
        layout->addSpacing(sectionSpacing);
        body->setParent(box);
        body->setContentsMargins(textInset);
        layout->addWidget(body);
        button->setParent(box);
        layout->addSpacing(sectionSpacing + 2 - key.top());
        layout->addWidget(button, 0, Qt::AlignLeft);
        column->addWidget(box);
    };

    section(Localization::tr("more.restore.title"), sectionBody(Localization::tr("more.restore.body"), nullptr), restore_);
    connect(restore_, &QAbstractButton::clicked, this, [this] {
        if (onRestore) onRestore();
    });

    column->addSpacing(spacing - key.bottom());
    column->addWidget(new Divider(key.left(), this));
    column->addSpacing(spacing);

    quitBody_ = sectionBody(QString(), nullptr);
    quit_ = new KeyButton(Localization::tr("more.quit.button"), compact);
    section(Localization::tr("more.quit.title"), quitBody_, quit_);
    // Quitting goes through the application's own way out, which writes pending Dock work.
    connect(quit_, &QAbstractButton::clicked, this, [] { QCoreApplication::quit(); });

    connect(&model_, &AppModel::changed, this, &MorePopover::refresh);
    connect(&center_, &HotKeyCenter::changed, this, &MorePopover::refresh);
    refresh();
    setFixedWidth(popoverWidth);
}

void MorePopover::refresh() {
    if (recents_) recents_->setChecked(model_.recentsHidden());
    quitBody_->setText(Localization::format("more.quit.body", HotKeyCenter::displayText(center_.spec())));
    if (layout()) setFixedHeight(layout()->heightForWidth(popoverWidth));
}

QRect MorePopover::placement(const QRect& anchorRect, const QSize& size, const QRect& available) {
    QRect place(QPoint(anchorRect.center().x() - size.width() / 2, anchorRect.bottom() + 1 + anchorGap), size);
    if (place.bottom() > available.bottom() && anchorRect.top() - anchorGap - size.height() >= available.top())
        place.moveBottom(anchorRect.top() - 1 - anchorGap);
    if (place.right() > available.right()) place.moveRight(available.right());
    if (place.left() < available.left()) place.moveLeft(available.left());
    return place;
}

void MorePopover::popUp(QWidget* anchor) {
    anchor_ = anchor;
    refresh();
    const QSize size(popoverWidth, layout()->heightForWidth(popoverWidth));
    QRect anchorRect = anchor ? QRect(anchor->mapToGlobal(QPoint(0, 0)), anchor->size()) : QRect();
    QScreen* screen = anchor && anchor->screen() ? anchor->screen() : nullptr;
    const QRect available = screen ? screen->availableGeometry() : QRect(anchorRect.topLeft() - QPoint(4000, 4000), QSize(8000, 8000));
    setGeometry(placement(anchorRect, size, available));
    show();
    setFocus(Qt::PopupFocusReason);
}

void MorePopover::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Palette::raised());
    painter.setPen(QPen(Palette::hairline(), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

void MorePopover::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        event->accept();
        return;
    }
    QFrame::keyPressEvent(event);
}

void MorePopover::mousePressEvent(QMouseEvent* event) {
    // A click on the button that opened the popover only closes it: it must not reach the button
    // and open the popover again.
    if (anchor_ && !rect().contains(event->position().toPoint())) {
        const QRect anchorRect(anchor_->mapToGlobal(QPoint(0, 0)), anchor_->size());
        if (anchorRect.contains(event->globalPosition().toPoint())) setAttribute(Qt::WA_NoMouseReplay);
    }
    QFrame::mousePressEvent(event);
}

void MorePopover::hideEvent(QHideEvent* event) {
    QFrame::hideEvent(event);
    emit dismissed();
}

void MorePopover::changeEvent(QEvent* event) {
    if (Palette::isAppearanceChange(event)) update();
    QFrame::changeEvent(event);
}

}  // namespace kestrine
