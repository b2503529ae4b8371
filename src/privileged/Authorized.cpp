#include "privileged/Authorized.h"

#include "framework/EventLoop.h"
#include "framework/MessageBox.h"
#include "privileged/AuthorizationShell1.h"

#include <QSocketNotifier>

#include <utility>

namespace Authorized {

const char* const CommandStillRunning = "Aborted: another privileged command is still running.";

namespace {

// The shared shell: made at the first command and kept for the rest of the run.
AuthorizationShell1* auth = nullptr;

// Set for as long as a command is being started or waited for.
bool s_commandUnderWay = false;

const std::pair<int32_t, const char*> Messages[] = {
    {0, "The operation completed successfully"},
    {-60001, "The set parameter is invalid."},
    {-60002, "The authorization parameter is invalid."},
    {-60003, "The tag parameter is invalid."},
    {-60004, "The authorizedRights parameter is invalid."},
    {-60005, "The authorization was denied."},
    {-60006, "The authorization was cancelled by the user."},
    {-60007, "The authorization was denied since no user interaction was possible."},
    {-60008, "Something else went wrong."},
    {-60009, "authorization externalization denied."},
    {-60010, "authorization internalization denied."},
    {-60011, "invalid option flag(s)."},
    {-60031, "cannot execute privileged tool."},
    {-60032, "privileged tool environment error."},
    {-60033, "invalid socket address requested."},
};

// Polls until the tool's output has ended. Between polls the wait sleeps until something
// happens, the tool's stream among the things watched, so a slow tool costs no processor
// time and the window stays live.
void waitForTheEnd()
{
    QSocketNotifier stream(fileno(auth->file()), QSocketNotifier::Read);
    stream.setEnabled(false);
    // Only a wake-up call: the poll does the reading. Switched off at once, so that unread
    // output cannot keep a nested event loop (a message box) spinning.
    QObject::connect(&stream, &QSocketNotifier::activated, &stream,
                     [&stream] { stream.setEnabled(false); });
    for (;;) {
        auth->Poll();
        if (auth->done())
            break;
        stream.setEnabled(true);
        framework::yieldAndWait();
        // The poll may close the stream, which a watching notifier must not outlive.
        stream.setEnabled(false);
    }
}

} // namespace

QByteArray execPrivileged(const QString& path, const QStringList& args)
{
    // A second command on the shared shell would replace the first one's stream while it
    // runs and mix the two outputs.
    if (s_commandUnderWay) {
        framework::messageBox(QStringLiteral("Another privileged command is still running, so "
                                             "this one was not started: %1")
                                  .arg(path));
        return CommandStillRunning;
    }
    s_commandUnderWay = true;
    struct Release
    {
        ~Release() { s_commandUnderWay = false; }
    } release;

    if (!auth)
        auth = new AuthorizationShell1;
    auth->setDone(false);
    if (!auth->AuthorizeAndExecuteArray(path, args)) {
        const int32_t code = auth->ErrorNumber();
        if (code != 0) {
            framework::messageBox(QStringLiteral("auth.errorNumber ") + errorString(code));
            return (QStringLiteral("Aborted due to error ") + errorString(code)).toUtf8();
        }
        return {};
    }
    waitForTheEnd();
    return auth->ReadAll();
}

QString errorString(int32_t code)
{
    QString text = QString::number(code);
    for (const auto& [number, message] : Messages) {
        if (number == code)
            return text + QStringLiteral(", ") + QString::fromLatin1(message);
    }
    return text;
}

QString reportargs(const QStringList& args)
{
    QString text;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(' ');
        text += QLatin1Char('"') + args.at(i) + QLatin1Char('"');
        framework::yieldToEventLoop();
    }
    return text;
}

} // namespace Authorized
