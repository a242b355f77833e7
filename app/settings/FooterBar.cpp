#include "app/settings/FooterBar.h"

#include "app/AppModel.h"
#include "app/LaunchAtLogin.h"
#include "app/Localization.h"
#include "app/settings/MorePopover.h"
#include "app/style/IconButton.h"
#include "app/style/KeyButton.h"
#include "app/style/OverhangBoxLayout.h"
#include "app/style/Palette.h"
#include "app/style/PaletteLabel.h"
#include "app/style/ToggleSwitch.h"
#include "app/style/Typography.h"

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

    // The hairline is painted along the top; the column starts under it.
    auto* column = new OverhangBoxLayout(Qt::Vertical, columnSpacing, this);
    column->setContentsMargins(horizontalPadding, 1 + verticalPadding, horizontalPadding, verticalPadding);

    auto* row = new QWidget(this);
    auto* rowLayout = new OverhangBoxLayout(Qt::Horizontal, rowSpacing, row);
    rowLayout->setPaddingAndRoom(row, QMargins(), QMargins(ToggleSwitch::focusRoom, ToggleSwitch::focusRoom,
                                                          ToggleSwitch::focusRoom, ToggleSwitch::focusRoom));
    login_ = new ToggleSwitch(Localization::tr("footer.login"), Typography::font(TextStyle::caption),
                              Palette::Swatch::inkSoft, row);
    rowLayout->addWidget(login_, {});
    rowLayout->addStretch();
    more_ = new IconButton(Symbol::gearshape, 13, QFont::Medium, row);
    more_->setToolTip(Localization::tr("footer.more"));
    more_->setAccessibleName(Localization::tr("footer.more"));
    rowLayout->addWidget(more_, {});
    column->addWidget(row, OverhangBoxLayout::Options{OverhangBoxLayout::Cross::fill, 0, false});

    approvalRow_ = new QWidget(this);
    auto* approvalLayout = new OverhangBoxLayout(Qt::Horizontal, approvalSpacing, approvalRow_);
    approvalLayout->setPaddingAndRoom(approvalRow_, QMargins());
    auto* approvalText = new PaletteLabel(Localization::tr("footer.login.approval"), Typography::font(TextStyle::caption),
                                          Palette::Swatch::inkSoft, approvalRow_);
    approvalLayout->addWidget(approvalText, OverhangBoxLayout::Options{OverhangBoxLayout::Cross::center, 0, true});
    openLoginItems_ = new KeyButton(Localization::tr("footer.login.open"), KeyButton::Style{.compact = true}, approvalRow_);
    approvalLayout->addWidget(openLoginItems_, {});
    column->addWidget(approvalRow_, OverhangBoxLayout::Options{OverhangBoxLayout::Cross::center, 0, false});

    status_ = new PaletteLabel(QString(), Typography::font(TextStyle::caption), Palette::Swatch::inkSoft, this);
    status_->setWrapping(true);
    column->addWidget(status_, OverhangBoxLayout::Options{OverhangBoxLayout::Cross::fill, 0, false});

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
