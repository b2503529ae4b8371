#pragma once

// Seams for the tests: they replace what a person would see or do (message boxes, held
// keys, the file manager) and count what the program does (event-loop yields).

#include <QList>
#include <QString>
#include <QStringList>
#include <Qt>

#include <functional>
#include <optional>

namespace framework::test {

// Message boxes go to the handler instead of opening; an empty handler restores the box.
using MessageBoxHandler = std::function<void(const QString&)>;
void setMessageBoxHandler(MessageBoxHandler handler);

// How many event-loop yields the program has made since it started.
long yieldCount();

// Modifier keys as the keyboard object reports them; nullopt asks the real keyboard.
// Setting also clears the record of which masks were read.
void setKeyboardModifiers(std::optional<Qt::KeyboardModifiers> modifiers);
QList<int> keyboardReads();

// Forgets an earlier quit request, for tests that quit more than once.
void resetQuitRequest();

// The file manager's "show these folders" call; returns an error text or empty.
using ShowFoldersCall = std::function<QString(const QStringList& urls)>;
void setShowFoldersCall(ShowFoldersCall call);

} // namespace framework::test
