// The kestrine program: one running instance per user, reached through its global shortcut and
// its settings window, ending only when asked to quit (or terminated) after writing pending Dock
// work.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "app/AppDelegate.h"
#include "app/AppIcon.h"
#include "app/AppWiring.h"
#include "app/DockSelection.h"
#include "app/LaunchAtLogin.h"
#include "app/SettingsWindowController.h"
#include "app/cli/CommandLine.h"
#include "app/cli/CommandSession.h"
#include "app/ShortcutRecorder.h"
#include "app/settings/SettingsView.h"
#include "app/panel/FloatingPanelController.h"
#include "app/panel/KeyPanel.h"
#include "app/platform/linux/SingleInstance.h"
#include "app/platform/linux/TerminationSignals.h"

namespace {

using namespace kestrine;

// With KESTRINE_TRACE_STARTUP=1, prints a line to stderr when the settings window and the key
// panel are first painted after being shown, so that start-up and response times can be measured
// from outside.
class PaintTrace final : public QObject {
public:
    explicit PaintTrace(AppDelegate& delegate) : delegate_(delegate) {
        clock_.start();
        connect(&delegate, &AppDelegate::settingsShown, this, [this] {
            if (auto* settings = delegate_.settingsController()) watch(settings->window(), "settings-shown");
        });
        connect(&delegate, &AppDelegate::panelToggled, this, [this] {
            if (auto* panel = delegate_.panelController(); panel && panel->isShown())
                watch(panel->panel(), "panel-shown");
        });
    }

    static void line(const char* marker) {
        std::fprintf(stderr, "kestrine-trace %s\n", marker);
        std::fflush(stderr);
    }

    static bool enabled() {
        const char* value = std::getenv("KESTRINE_TRACE_STARTUP");
        return value && std::strcmp(value, "1") == 0;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched == watched_) {
            std::fprintf(stderr, "kestrine-trace %s %lld\n", marker_, static_cast<long long>(clock_.elapsed()));
            std::fflush(stderr);
            watched_->removeEventFilter(this);
            watched_ = nullptr;
        }
        return false;
    }

private:
    void watch(QWidget* window, const char* marker) {
        if (!window) return;
        if (watched_) watched_->removeEventFilter(this);
        watched_ = window;
        marker_ = marker;
        window->installEventFilter(this);
    }

    AppDelegate& delegate_;
    QElapsedTimer clock_;
    QPointer<QWidget> watched_;
    const char* marker_ = "";
};

// The running delegate while the event loop runs. When the loop never returns because the
// process is ended from inside (Qt calls exit() when the X server goes away, as at logout),
// the exit handler still writes pending Dock work.
AppDelegate* runningDelegate = nullptr;
bool tracingExit = false;

void flushAtExit() {
    AppDelegate* delegate = std::exchange(runningDelegate, nullptr);
    if (!delegate) return;
    const bool wrote = delegate->prepareToQuit();
    if (tracingExit) PaintTrace::line(wrote ? "exit-flush wrote" : "exit-flush idle");
}

}  // namespace

int main(int argc, char** argv) {
    // The dock to switch: --dock=NAME, else KESTRINE_DOCK, else what this desktop runs. A dock
    // name that is not understood ends the start before anything is touched.
    DockSelection::Request dockRequest;
    try {
        dockRequest = DockSelection::read(std::vector<std::string>(argv + 1, argv + argc),
                                          AppPaths::processEnvironment());
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "Kestrine: %s\n%s", error.what(), CommandLine::usage().c_str());
        return 2;
    }
    const auto parsed = CommandLine::parse(dockRequest.remaining);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        std::fprintf(stderr, "Kestrine: %s\n%s", error->message.c_str(), CommandLine::usage().c_str());
        return 2;
    }
    Command command = std::get<Command>(parsed);
    if (command.kind == Command::Kind::help) {
        std::fputs(CommandLine::usage().c_str(), stdout);
        return 0;
    }
    if (command.kind == Command::Kind::version) {
        std::printf("kestrine %s\n", KESTRINE_VERSION);
        return 0;
    }
    if (dockRequest.dock) command.dock = dockRequest.dock->name();
    if (!CommandSession::confirm(command)) return 1;

    // Another instance running? Then this start only asks it to show its window, or passes
    // the command on to it. The dock is detected only when this process does the work.
    std::unique_ptr<SingleInstance> instance;
    try {
        instance = std::make_unique<SingleInstance>(SingleInstance::defaultDirectory());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Kestrine: %s\n", error.what());
        return 1;
    }
    // A command goes to the running instance when there is one.
    if (command.kind != Command::Kind::start && instance->claim() == SingleInstance::Role::secondary)
        return CommandSession::sendToRunning(command, *instance);
    // A running instance that is quitting holds the lock without answering; a start then
    // waits for it to end and takes over.
    switch (instance->claimOrReopen()) {
    case SingleInstance::Start::reopened:
        return 0;
    case SingleInstance::Start::unanswered:
        std::fprintf(stderr, "Kestrine is already running, but did not answer: %s\n", instance->problem().c_str());
        return 1;
    case SingleInstance::Start::run:
        if (instance->role() == SingleInstance::Role::unguarded)
            std::fprintf(stderr, "Kestrine: running without the single-instance guard: %s\n",
                         instance->problem().c_str());
        break;
    }

    // Commands that need no window do their work here, under the lock, and end.
    const DockChoice dock = DockSelection::resolve(dockRequest, AppPaths::processEnvironment());
    const AppLocations locations = AppLocations::fromEnvironment(dock);
    if (command.kind != Command::Kind::start && !command.needsWindows())
        return CommandSession::runHere(command, locations, argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrine"));
    QApplication::setDesktopFileName(QStringLiteral("kestrine"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(AppIcon::icon());

    if (instance->role() == SingleInstance::Role::primary && !instance->listen())
        std::fprintf(stderr, "Kestrine: a second start will not find this one: %s\n", instance->problem().c_str());

    std::unique_ptr<AppDelegate> delegate;
    try {
        delegate = AppDelegate::make(locations);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Kestrine: %s\n", error.what());
        return 1;
    }
    std::unique_ptr<PaintTrace> trace;
    if (PaintTrace::enabled()) trace = std::make_unique<PaintTrace>(*delegate);

    QObject::connect(instance.get(), &SingleInstance::reopenRequested, delegate.get(), &AppDelegate::showSettings);
    instance->setCommandHandler(CommandSession::handler(*delegate, locations));
    AppDelegate* running = delegate.get();
    const bool tracing = PaintTrace::enabled();
    // SIGTERM, SIGINT and SIGHUP write pending Dock work at once, then end the program through the
    // normal quit path.
    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::received, running, [running, tracing] {
        const bool wrote = running->prepareToQuit();
        if (tracing) PaintTrace::line(wrote ? "signal-flush wrote" : "signal-flush idle");
        QCoreApplication::quit();
    });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, running, [running, tracing] {
        const bool wrote = running->prepareToQuit();
        if (tracing) PaintTrace::line(wrote ? "quit-flush wrote" : "quit-flush idle");
    });

    // "kestrine panel" (a desktop shortcut under Wayland) opens the settings window at start
    // only as the login item does: before the user has seen it once.
    delegate->finishLaunching(command.loginItem || command.kind == Command::Kind::panel);
    // "kestrine panel" or "kestrine settings" with no instance running: started, now do it.
    if (command.kind == Command::Kind::panel) delegate->togglePanel();
    if (command.kind == Command::Kind::settings) delegate->showSettings();
    // Once the event loop runs, the shortcut is registered and the first windows are on screen.
    if (tracing) QMetaObject::invokeMethod(&app, [] { PaintTrace::line("launched"); }, Qt::QueuedConnection);
    // Registered last, so that it runs before the exit handlers and static objects of
    // everything set up above.
    tracingExit = tracing;
    std::atexit(flushAtExit);
    runningDelegate = running;
    const int status = QApplication::exec();
    runningDelegate = nullptr;
    trace.reset();
    delegate.reset();
    return status;
}
