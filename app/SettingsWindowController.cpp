#include "app/SettingsWindowController.h"

#include "app/AppModel.h"
#include "app/HotKeyCenter.h"
#include "app/LaunchAtLogin.h"
#include "app/Localization.h"
#include "app/ShortcutRecorder.h"
#include "app/settings/SettingsView.h"
#include "app/style/Palette.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

namespace kestrine {

SettingsWindowController::SettingsWindowController(AppModel& model, HotKeyCenter& center, QObject* parent)
    : SettingsWindowController(model, center, nullptr, parent) {}

SettingsWindowController::SettingsWindowController(AppModel& model, HotKeyCenter& center,
                                                   LoginItemFactory makeLoginItem, QObject* parent)
    : QObject(parent), model_(model), center_(center), makeLoginItem_(std::move(makeLoginItem)) {
    if (!makeLoginItem_) makeLoginItem_ = [] { return LaunchAtLogin::makeDefault(); };
}

SettingsWindowController::~SettingsWindowController() {
    // The window's views refer to the login item and the recorder: the window goes first.
    if (window_) {
        window_->removeEventFilter(this);
        delete window_.data();
    }
    delete loginItem_.data();
    delete recorder_.data();
}

bool SettingsWindowController::isShown() const {
    return window_ && window_->isVisible();
}

void SettingsWindowController::build() {
    loginItem_ = makeLoginItem_().release();
    recorder_ = new ShortcutRecorder(center_);

    auto* window = new QWidget(nullptr, Qt::Window);
    window_ = window;
    window->setWindowTitle(Localization::tr("app.name"));
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->setAutoFillBackground(true);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, Palette::canvas());
    window->setPalette(palette);

    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new SettingsView(model_, *loginItem_, center_, *recorder_, window);
    layout->addWidget(view_);

    window->setMinimumSize(minimumWidth, minimumHeight);
    window->setMaximumSize(maximumWidth, maximumHeight);
    window->resize(contentWidth, contentHeight);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        QRect frame(QPoint(0, 0), window->size());
        frame.moveCenter(area.center());
        frame.moveTop(std::max(frame.top(), area.top()));
        window->move(frame.topLeft());
    }

    // The application's menu on this platform: close the window, quit.
    auto* close = new QAction(Localization::tr("menu.close"), window);
    close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    close->setShortcutContext(Qt::WindowShortcut);
    connect(close, &QAction::triggered, window, &QWidget::close);
    window->addAction(close);
    auto* quit = new QAction(Localization::tr("menu.quit"), window);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setShortcutContext(Qt::WindowShortcut);
    connect(quit, &QAction::triggered, this, [] { QCoreApplication::quit(); });
    window->addAction(quit);

    window->installEventFilter(this);
}

void SettingsWindowController::show() {
    if (!window_) build();
    model_.reload();
    if (loginItem_) loginItem_->refresh();
    model_.setSettingsVisible(true);
    window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

bool SettingsWindowController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_) {
        switch (event->type()) {
        case QEvent::WindowActivate:
            // Back from elsewhere: show what changed outside (the Dock, the login item).
            model_.reload();
            if (loginItem_) loginItem_->refresh();
            break;
        case QEvent::Close:
            windowClosed();
            break;
        case QEvent::PaletteChange:
        case QEvent::ApplicationPaletteChange: {
            QPalette palette = window_->palette();
            if (palette.color(QPalette::Window) != Palette::canvas()) {
                palette.setColor(QPalette::Window, Palette::canvas());
                window_->setPalette(palette);
            }
            break;
        }
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void SettingsWindowController::windowClosed() {
    if (recorder_) recorder_->stop();
    model_.setSettingsVisible(false);
    model_.releaseResources();
    // The next show() builds everything anew. The window is deleted first, then what its views
    // refer to, all once the close has been handled.
    QWidget* window = window_;
    window->removeEventFilter(this);
    window_ = nullptr;
    view_ = nullptr;
    window->deleteLater();
    if (loginItem_) loginItem_->deleteLater();
    if (recorder_) recorder_->deleteLater();
    loginItem_ = nullptr;
    recorder_ = nullptr;
}

}  // namespace kestrine
