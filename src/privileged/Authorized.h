#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

// Privileged commands as if they were ordinary calls. One shared shell runs them, so the
// rights the user grants at the first command serve all later ones.
namespace Authorized {

// Runs the tool with administrator rights and returns everything it wrote (output and
// errors alike); empty when the user cancelled the authentication dialog. A start that
// fails shows its status and returns "Aborted due to error " and the status's text. The
// window stays live meanwhile, and the tool's output reaches the log as it comes.
//
// One command at a time: a call made from an event handler while another command waits
// starts nothing; it shows why and returns the text of CommandStillRunning.
QByteArray execPrivileged(const QString& path, const QStringList& args);

// What a call made while another command waits returns.
extern const char* const CommandStillRunning;

// The status's number, then ", " and its message when it has one.
QString errorString(int32_t code);

// The arguments, each in double quotes, separated by one blank.
QString reportargs(const QStringList& args);

} // namespace Authorized
