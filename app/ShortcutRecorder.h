#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QWindow>
#include <QString>

#include <optional>

#include "core/hotkey/HotKeySpec.h"

class QKeyEvent;

namespace kestrine {

class HotKeyCenter;

/// Records a new global shortcut from key presses. While recording, the current shortcut
/// is switched off and every key press in the application is captured: Escape cancels,
/// Delete alone restores the default, an invalid combination leaves a hint and keeps
/// recording, and a valid one goes to the hot-key centre.
class ShortcutRecorder : public QObject {
    Q_OBJECT
public:
    explicit ShortcutRecorder(HotKeyCenter& center, QObject* parent = nullptr);
    ~ShortcutRecorder() override;

    bool isRecording() const { return recording_; }
    const std::optional<QString>& hint() const { return hint_; }

    void toggle();
    void start();
    void stop();

    /// The shortcut key code and modifiers of a key event: the key from its X keysym (or
    /// its Qt key when the platform gives none), the modifiers control, Alt as option,
    /// Shift and Super as command. Nothing for keys outside the shortcut key table.
    static HotKeySpec specFor(const QKeyEvent& event);

signals:
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void handleKeyPress(const QKeyEvent& event);

    HotKeyCenter& center_;
    bool recording_ = false;
    std::optional<QString> hint_;
    bool monitoring_ = false;
    QMetaObject::Connection resignObserver_;
    // The window that had the keyboard when recording started or gained it since.
    QPointer<QWindow> keyWindow_;
};

} // namespace kestrine
