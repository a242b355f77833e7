#include "app/ShortcutRecorder.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWindow>

#include "app/HotKeyCenter.h"
#include "app/Localization.h"
#include "app/platform/linux/KeyCodeMap.h"

namespace kestrine {
namespace {

// Key codes with a meaning of their own while recording.
constexpr std::uint32_t kEscape = 53, kDelete = 51, kForwardDelete = 117;
// A code outside the shortcut key table, for keys that have no code there.
constexpr std::uint32_t kUnknownKey = 0xFFFF;

} // namespace

ShortcutRecorder::ShortcutRecorder(HotKeyCenter& center, QObject* parent) : QObject(parent), center_(center) {}

ShortcutRecorder::~ShortcutRecorder() {
    if (monitoring_) qApp->removeEventFilter(this);
    QObject::disconnect(resignObserver_);
}

void ShortcutRecorder::toggle() {
    if (recording_) stop();
    else start();
}

void ShortcutRecorder::start() {
    if (recording_) return;
    recording_ = true;
    hint_.reset();
    center_.setErrorMessage(std::nullopt);
    center_.setSuspended(true);
    qApp->installEventFilter(this);
    monitoring_ = true;
    QPointer<ShortcutRecorder> self(this);
    // The window that has the keyboard losing it (the user went elsewhere) ends the recording.
    // A window gaining it does not: clicking "Change" in a window that was not active makes that
    // window active just as the recording starts.
    keyWindow_ = qGuiApp->focusWindow();
    resignObserver_ = QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [self](QWindow* now) {
        if (!self) return;
        if (!self->keyWindow_ || self->keyWindow_ == now) {
            self->keyWindow_ = now;
            return;
        }
        QMetaObject::invokeMethod(
            self.data(),
            [self] {
                if (self) self->stop();
            },
            Qt::QueuedConnection);
    });
    emit changed();
}

void ShortcutRecorder::stop() {
    if (!recording_) return;
    recording_ = false;
    hint_.reset();
    if (monitoring_) qApp->removeEventFilter(this);
    monitoring_ = false;
    QObject::disconnect(resignObserver_);
    resignObserver_ = {};
    keyWindow_ = nullptr;
    center_.ensureRegistered();
    emit changed();
}

HotKeySpec ShortcutRecorder::specFor(const QKeyEvent& event) {
    HotKeySpec::Modifiers modifiers;
    const auto flags = event.modifiers();
    if (flags & Qt::MetaModifier) modifiers.insert(HotKeySpec::Modifiers::command);
    if (flags & Qt::ControlModifier) modifiers.insert(HotKeySpec::Modifiers::control);
    if (flags & Qt::AltModifier) modifiers.insert(HotKeySpec::Modifiers::option);
    if (flags & Qt::ShiftModifier) modifiers.insert(HotKeySpec::Modifiers::shift);
    std::optional<std::uint32_t> code;
    if (flags & Qt::KeypadModifier) return HotKeySpec(kUnknownKey, modifiers); // the keypad is not supported
    if (event.nativeVirtualKey() != 0) code = linux_keys::keyCodeForKeysym(event.nativeVirtualKey());
    if (!code) code = linux_keys::keyCodeForQtKey(event.key());
    return HotKeySpec(code.value_or(kUnknownKey), modifiers);
}

bool ShortcutRecorder::eventFilter(QObject* watched, QEvent* event) {
    if (!recording_) return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // Keep the window's own shortcuts (Ctrl+W, Ctrl+Q) from taking the press.
        event->accept();
        return true;
    }
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    // Modifier keys on their own are part of the combination being pressed.
    switch (key->key()) {
    case Qt::Key_Control: case Qt::Key_Alt: case Qt::Key_Shift: case Qt::Key_Meta:
    case Qt::Key_Super_L: case Qt::Key_Super_R: case Qt::Key_AltGr: case Qt::Key_CapsLock:
        return true;
    default:
        break;
    }
    handleKeyPress(*key);
    return true;
}

void ShortcutRecorder::handleKeyPress(const QKeyEvent& event) {
    HotKeySpec spec = specFor(event);
    if (spec.modifiers.isEmpty() && spec.keyCode == kEscape) {
        stop();
        return;
    }
    if (spec.modifiers.isEmpty() && (spec.keyCode == kDelete || spec.keyCode == kForwardDelete)) {
        stop();
        center_.update(HotKeySpec::defaultSpec());
        return;
    }
    switch (spec.validation()) {
    case HotKeySpec::Validation::missingModifier:
        hint_ = Localization::tr("hotkey.error.needsModifier");
        emit changed();
        return;
    case HotKeySpec::Validation::unsupportedKey:
        hint_ = Localization::tr("hotkey.error.unsupported");
        emit changed();
        return;
    case HotKeySpec::Validation::valid:
        stop();
        center_.update(spec);
        return;
    }
}

} // namespace kestrine
