#include "app/panel/FloatingPanelController.h"

#include "app/AppModel.h"
#include "app/panel/KeyPanel.h"
#include "app/panel/MiniDockView.h"
#include "app/platform/linux/X11Desktop.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include <algorithm>

namespace kestrine {

// The key handler while the panel is shown: it sees every key press meant for the panel or any
// widget on it before that widget does, and swallows the keys the key table consumes. It lives as
// long as the controller and is only installed while the panel is shown, since a key it handles
// may close the panel from inside its own filter.
class FloatingPanelController::KeyMonitor final : public QObject {
public:
    explicit KeyMonitor(FloatingPanelController& owner) : owner_(owner) {}
    ~KeyMonitor() override { uninstall(); }

    void install() {
        if (installed_) return;
        qApp->installEventFilter(this);
        installed_ = true;
    }
    void uninstall() {
        if (!installed_) return;
        qApp->removeEventFilter(this);
        installed_ = false;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !installed_ || !watched->isWidgetType()) return false;
        KeyPanel* panel = owner_.panel();
        if (!panel || static_cast<QWidget*>(watched)->window() != panel) return false;
        return owner_.handleKey(*static_cast<QKeyEvent*>(event));
    }

private:
    FloatingPanelController& owner_;
    bool installed_ = false;
};

FloatingPanelController::FloatingPanelController(AppModel& model, HotKeyCenter& center, QObject* parent)
    : QObject(parent), model_(model), center_(center), monitor_(std::make_unique<KeyMonitor>(*this)) {}

FloatingPanelController::~FloatingPanelController() {
    teardown();
}

KeyPanel* FloatingPanelController::panel() const {
    return panel_;
}

MiniDockView* FloatingPanelController::view() const {
    return view_;
}

bool FloatingPanelController::isShown() const {
    return panel_ && panel_->isVisible();
}

int FloatingPanelController::count() const {
    return int(model_.presets().size());
}

void FloatingPanelController::toggle() {
    if (isShown()) close();
    else show();
}

QRect FloatingPanelController::trayGeometry(const QRect& area, int count) {
    const QSize size = MiniDockView::panelSize(area.width() - sideRoom, count);
    // Qt's y grows downwards: the bottom of the free area is y + height.
    const int x = area.x() + (area.width() - size.width()) / 2;
    const int y = area.y() + area.height() - bottomGap - size.height();
    return QRect(QPoint(x, y), size);
}

QRect FloatingPanelController::areaUnderPointer() {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : fallbackArea;
}

void FloatingPanelController::setAreaProvider(std::function<QRect()> provider) {
    areaProvider_ = std::move(provider);
}

void FloatingPanelController::show() {
    teardown();
    model_.refreshPresets();

    const auto& presets = model_.presets();
    const auto active = std::find_if(presets.begin(), presets.end(),
                                     [&](const Preset& p) { return p.id == model_.activeID(); });
    selection_.setIndex(active == presets.end() ? 0 : int(active - presets.begin()));

    const QRect area = areaProvider_ ? areaProvider_() : areaUnderPointer();
    const QRect tray = trayGeometry(area, count());

    auto* panel = new KeyPanel(X11Desktop::hasCompositingManager());
    panel->setAttribute(Qt::WA_DeleteOnClose, false);
    QPointer<FloatingPanelController> self(this);
    auto* view = new MiniDockView(model_, selection_, center_, [self](int index) {
        if (self) self->apply(index);
    });
    panel->setContent(view, tray.size());
    panel->moveContentTo(tray.topLeft());
    panel_ = panel;
    view_ = view;

    monitor_->install();
    QPointer<KeyPanel> shownPanel(panel);
    resignObserver_ = connect(panel, &KeyPanel::deactivated, this, [self, shownPanel] {
        // Later, so that the event that took the focus away finishes first; a panel shown
        // since then is left alone.
        QMetaObject::invokeMethod(
            self,
            [self, shownPanel] {
                if (self && shownPanel && self->panel_ == shownPanel) self->close();
            },
            Qt::QueuedConnection);
    });

    panel->show();
    panel->raise();
    panel->activateWindow();
    panel->setFocus(Qt::ActiveWindowFocusReason);
    X11Desktop::takeFocus(panel);
}

void FloatingPanelController::teardown() {
    monitor_->uninstall();
    disconnect(resignObserver_);
    resignObserver_ = {};
    if (panel_) {
        KeyPanel* panel = panel_;
        // The panel goes later, but from now on it must not follow the model: it reads this
        // controller's selection, which may be gone by the time the model next changes.
        if (view_) disconnect(&model_, nullptr, view_, nullptr);
        panel_ = nullptr;
        view_ = nullptr;
        panel->hide();
        // Possibly inside one of the panel's own event handlers: delete it afterwards.
        panel->deleteLater();
    }
}

void FloatingPanelController::close() {
    if (!panel_) return;
    teardown();
    // A preset chosen in the panel reaches the Dock now rather than after the debounce.
    model_.flushPending();
}

void FloatingPanelController::apply(int index) {
    if (index < 0 || index >= count()) return;
    model_.activate(index);
    close();
}

bool FloatingPanelController::handleKey(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        apply(selection_.index());
        return true;
    case Qt::Key_Right:
        if (count() > 0) selection_.setIndex(std::min(selection_.index() + 1, count() - 1));
        return true;
    case Qt::Key_Left:
        selection_.setIndex(std::max(selection_.index() - 1, 0));
        return true;
    case Qt::Key_Escape:
        close();
        return true;
    default:
        break;
    }
    // Any other key: its characters, read as a decimal number, choose a key by its digit.
    QString text = event.text();
    if (text.isEmpty() || !text.at(0).isPrint()) {
        // With Control or Alt held the platform may give no printable text; use the key itself.
        if (event.key() >= Qt::Key_0 && event.key() <= Qt::Key_9) text = QString(QChar(event.key()));
    }
    bool ok = false;
    const int n = text.toInt(&ok, 10);
    if (!ok || n < 1) return false;
    apply(n - 1);
    return true;
}

}  // namespace kestrine
