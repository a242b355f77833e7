#include "app/settings/FooterBar.h"

#include "app/AppModel.h"
#include "app/LaunchAtLogin.h"
#include "app/Localization.h"
#include "app/settings/MorePopover.h"
#include "app/style/IconButton.h"
#include "app/style/KeyButton.h"
#include "app/style/Palette.h"
#include "app/style/PaletteLabel.h"
#include "app/style/ToggleSwitch.h"
#include "app/style/Typography.h"

#include <QBoxLayout>
#include <QEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace kestrine {

FooterBar::FooterBar(AppModel& model, LaunchAtLogin& loginItem, HotKeyCenter& center, QWidget* parent)
    : QWidget(parent), model_(model), loginItem_(loginItem), center_(center) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    defer = [this](std::chrono::milliseconds delay, std::function<void()> action) {
        QTimer::singleShot(delay, this, std::move(action));
    };

    // The hairline is painted along the top; the column starts under it. The parts keep their rooms
    // for focus rings and shadows inside them; the margins and gaps below are net of those rooms,
    // and those that depend on what is shown are set in refresh().
    const QMargins ring = ToggleSwitch::room();  // the icon button's is the same
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(horizontalPadding - ring.left(), 1 + verticalPadding - ring.top(),
                               horizontalPadding - ring.right(), 0);
    column->setSpacing(0);

    auto* row = new QWidget(this);
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(0);
    login_ = new ToggleSwitch(Localization::tr("footer.login"), Typography::font(TextStyle::caption),
                              Palette::Swatch::inkSoft, row);
    rowLayout->addWidget(login_, 0, Qt::AlignTop);
    // At least twice the spacing between what the two show: the stretch sits between two gaps.
    rowLayout->addStretch();
    rowLayout->addSpacing(2 * rowSpacing - ring.right() - ring.left());
    more_ = new IconButton(Symbol::gearshape, 13, QFont::Medium, row);
    more_->setToolTip(Localization::tr("footer.more"));
    more_->setAccessibleName(Localization::tr("footer.more"));
    rowLayout->addWidget(more_, 0, Qt::AlignTop);
    column->addWidget(row);
    belowRow_ = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
    column->addItem(belowRow_);

    // The approval row keeps a key's room, its button's; the text's margins give it the same.
    approvalRow_ = new QWidget(this);
    auto* approvalLayout = new QHBoxLayout(approvalRow_);
    openLoginItems_ = new KeyButton(Localization::tr("footer.login.open"), KeyButton::Style{.compact = true}, approvalRow_);
    const QMargins key = openLoginItems_->room();
    approvalLayout->setContentsMargins(key.left(), 0, 0, 0);
    approvalLayout->setSpacing(approvalSpacing - key.left());
    auto* approvalText = new PaletteLabel(Localization::tr("footer.login.approval"), Typography::font(TextStyle::caption),
                                          Palette::Swatch::inkSoft, approvalRow_);
    approvalText->setContentsMargins(0, key.top(), 0, key.bottom());
    approvalLayout->addWidget(approvalText, 0, Qt::AlignVCenter);
    approvalLayout->addWidget(openLoginItems_, 0, Qt::AlignTop);
    column->addWidget(approvalRow_, 0, Qt::AlignHCenter);

    status_ = new PaletteLabel(QString(), Typography::font(TextStyle::caption), Palette::Swatch::inkSoft, this);
    status_->setWrapping(true);
    status_->setContentsMargins(ring.left(), 0, ring.right(), 0);
    column->addWidget(status_);
    end_ = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
    column->addItem(end_);

    connect(login_, &QAbstractButton::clicked, this, [this](bool enabled) {
        loginItem_.setEnabled(enabled);
        refresh();
    });
    connect(more_, &QAbstractButton::clicked, this, [this] { setMoreShown(!isMoreShown()); });
    connect(openLoginItems_, &QAbstractButton::clicked, this, [this] { loginItem_.openLoginItemsSettings(); });
    connect(&loginItem_, &LaunchAtLogin::changed, this, &FooterBar::refresh);
    refresh();
}

MorePopover* FooterBar::morePopover() const {
    return popover_;
}

QMessageBox* FooterBar::restoreAlert() const {
    return alert_;
}

QPushButton* FooterBar::restoreConfirmButton() const {
    return confirm_;
}

void FooterBar::refresh() {
    login_->setChecked(loginItem_.isEnabled());
    const bool approval = loginItem_.status() == LaunchAtLogin::Status::requiresApproval;
    approvalRow_->setVisible(approval);
    QString text;
    if (!approval) {
        if (loginItem_.errorMessage()) {
            text = *loginItem_.errorMessage();
            status_->setSwatch(Palette::Swatch::danger);
            status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        } else if (!loginItem_.isAppBundle()) {
            text = Localization::tr("footer.login.unavailable");
            status_->setSwatch(Palette::Swatch::inkSoft);
            status_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        }
    }
    status_->setText(text);
    status_->setVisible(!text.isEmpty());

    // Under the row comes the approval row (a key's room above and below it), the status line (no
    // room) or nothing; the row keeps the focus ring's room.
    const QMargins ring = ToggleSwitch::room();
    const QMargins key = openLoginItems_->room();
    const int below = approval ? columnSpacing - ring.bottom() - key.top() : !text.isEmpty() ? columnSpacing - ring.bottom() : 0;
    const int last = approval ? key.bottom() : !text.isEmpty() ? 0 : ring.bottom();
    belowRow_->changeSize(0, below, QSizePolicy::Minimum, QSizePolicy::Fixed);
    end_->changeSize(0, verticalPadding - last, QSizePolicy::Minimum, QSizePolicy::Fixed);
    layout()->invalidate();
}

void FooterBar::setMoreShown(bool shown) {
    if (shown == isMoreShown()) return;
    if (!shown) {
        MorePopover* popover = popover_;
        popover_ = nullptr;
        popover->close();
        popover->deleteLater();
        return;
    }
    auto* popover = new MorePopover(model_, center_, this);
    popover_ = popover;
    popover->onRestore = [this] { requestRestore(); };
    connect(popover, &MorePopover::dismissed, this, [this, popover] {
        // Closed by a click elsewhere or Escape.
        if (popover_ != popover) return;
        popover_ = nullptr;
        popover->deleteLater();
    });
    popover->popUp(more_);
}

void FooterBar::requestRestore() {
    setMoreShown(false);
    QPointer<FooterBar> self(this);
    defer(restoreAlertDelay, [self] {
        if (self) self->showRestoreAlert();
    });
}

void FooterBar::showRestoreAlert() {
    if (alert_) return;
    auto* alert = new QMessageBox(window());
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowModality(Qt::WindowModal);
    alert->setIcon(QMessageBox::Warning);
    alert->setWindowTitle(Localization::tr("restore.alert.title"));
    alert->setText(Localization::tr("restore.alert.title"));
    alert->setInformativeText(Localization::tr("restore.alert.message"));
    QPushButton* confirm = alert->addButton(Localization::tr("restore.alert.confirm"), QMessageBox::DestructiveRole);
    QPushButton* cancel = alert->addButton(Localization::tr("common.cancel"), QMessageBox::RejectRole);
    // Return must not restore by accident; Escape cancels.
    alert->setDefaultButton(cancel);
    alert->setEscapeButton(cancel);
    alert_ = alert;
    confirm_ = confirm;
    connect(alert, &QMessageBox::buttonClicked, this, [this, confirm](QAbstractButton* button) {
        if (button == confirm) model_.restoreOriginal();
    });
    connect(alert, &QObject::destroyed, this, [this] {
        alert_ = nullptr;
        confirm_ = nullptr;
    });
    alert->open();
}

void FooterBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Palette::canvas());
    painter.fillRect(QRect(0, 0, width(), 1), Palette::hairline());
}

void FooterBar::changeEvent(QEvent* event) {
    if (Palette::isAppearanceChange(event)) update();
    QWidget::changeEvent(event);
}

}  // namespace kestrine
