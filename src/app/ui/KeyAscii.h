// The character a key types, as the boxes' key filters count characters.
#pragma once

#include <QKeyEvent>

namespace app {

// -1 for a key that types none (arrows, Delete, shortcuts), which the filters
// let through.
inline int keyAscii(const QKeyEvent* key) {
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return -1;
    switch (key->key()) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Delete:
        return -1;
    default:
        break;
    }
    const QString text = key->text();
    return text.isEmpty() ? -1 : int(text.at(0).unicode());
}

} // namespace app
