#pragma once

#include <QByteArray>
#include <QString>

// The log pane: the installer window's field "EditFieldLog". Lines end with a carriage
// return; text is appended unchanged and the end of the log is kept in view.
namespace debugRoutines {

void outputDebugString(const QByteArray& text);
void outputDebugString(const QString& text);
void outputDebugLine(const QByteArray& text);
void outputDebugLine(const QString& text);

} // namespace debugRoutines
