#pragma once

#include <QAbstractButton>
#include <QKeyEvent>

namespace kestrine {

/// Return and keypad Enter press a focused button, as Space does (Qt's buttons know only
/// Space). Returns whether the event was taken.
inline bool clickOnReturn(QAbstractButton& button, QKeyEvent* event) {
    if ((event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) ||
        (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    if (!event->isAutoRepeat()) button.click();
    event->accept();
    return true;
}

} // namespace kestrine
