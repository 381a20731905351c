#pragma once

#include <QString>

// The mode word: the text of the main window's status panel 0, which is the program's
// busy state. It is compared by exact text.
namespace volmarin::mode {

inline const QString Idle = QString();
inline const QString Loading = QStringLiteral("読込中");
inline const QString LoadStopped = QStringLiteral("読込中断");
inline const QString Loaded = QStringLiteral("読込完了");
inline const QString Movable = QStringLiteral("移動可能");
inline const QString Moving = QStringLiteral("移動中");

// While the word is busy, every menu command does nothing and the list ignores the user.
inline bool isBusy(const QString& word) {
    return word == Loading || word == Moving;
}

} // namespace volmarin::mode
