#include "framework/EventLoop.h"
#include "framework/MessageBox.h"
#include "framework/NilObjectException.h"
#include "fstools/OSXFileToolsBasic.h"
#include "fstools/Path.h"
#include "installer/InstallationReport.h"
#include "installer/Window1.h"
#include "installer/debugRoutines.h"
#include "privileged/Authorized.h"

#include <QElapsedTimer>
#include <QProgressBar>
#include <QScopeGuard>
#include <QScopedValueRollback>

#include <optional>

using framework::FolderItem;

namespace {

const QString CopyTool = QStringLiteral("/bin/cp");
// Milliseconds between two values shown on the progress bar.
constexpr qint64 ProgressInterval = 40;

// The whole content of a file, or nothing when it cannot be read.
std::optional<QByteArray> contentOf(const FolderItem& item)
{
    const framework::BinaryStream stream = item.OpenBinaryFile(false);
    if (!stream)
        return std::nullopt;
    QByteArray content = stream.Read(stream.Length());
    stream.Close();
    return content;
}

// Whether a copy left the installed file equal to its source, byte for byte.
bool installedAsSource(const FolderItem& source, const FolderItem& installed)
{
    if (!Path::exists(installed) || !installed.Regular() || installed.Alias())
        return false;
    const std::optional<QByteArray> want = contentOf(source);
    const std::optional<QByteArray> have = contentOf(installed);
    return want && have && *want == *have;
}

} // namespace

void Window1::PushButtonInstall_Action()
{
    install();
}

void Window1::install()
{
    // The window stays live during a run, so a second press can arrive; it starts nothing.
    if (m_installing)
        return;
    // A quit asked for during the run was held off while the run had the window; it
    // goes through once the run has ended.
    const auto quitIfAsked = qScopeGuard([] {
        if (framework::quitRequested())
            framework::quitApplication();
    });
    QScopedValueRollback<bool> running(m_installing, true);

    try {
        if (!Path::exists(sourceFolder())) {
            framework::messageBox(QStringLiteral(
                "Fatal installer error: the input PPDs folder not found. No PPDs were installed."));
            return;
        }
        if (!Path::exists(PPDfolder())) {
            framework::messageBox(QStringLiteral("Fatal installer error: the OS X PPDs folder "
                                                 "was not found. No PPDs were installed."));
            return;
        }
        const QList<FolderItem> list = PPDlist();
        if (list.isEmpty()) {
            framework::messageBox(
                QStringLiteral("Fatal installer error: the input PPDs folder contained no PPD "
                               "files. No PPDs were installed."));
            return;
        }

        auto* progress = qobject_cast<QProgressBar*>(control(QStringLiteral("ProgressBarInstall")));
        if (progress) {
            progress->setRange(0, int(list.size()));
            progress->setValue(0);
            progress->show();
        }
        const auto hideProgress = qScopeGuard([progress] {
            if (progress)
                progress->hide();
        });
        // Each new value repaints the bar and the window behind it, which costs more than
        // checking an unchanged file; a few values a second are all a person can read.
        int processed = 0;
        QElapsedTimer sinceShown;
        sinceShown.start();

        InstallationOutcome outcome;
        for (const FolderItem& entry : list) {
            // Quitting during a run lets the copy under way finish, then stops.
            if (framework::quitRequested())
                return;
            const QString name = entry.Name();
            const QString source = OSXFileToolsBasic::unixPath(entry);
            const QString destination = OSXFileToolsBasic::unixPath(PPDfolder().Child(name));

            if (entry.Visible() && !entry.Directory()) {
                if (entry.Exists() && !entry.Regular()) {
                    // Turned into a device, pipe or socket since the listing: never read.
                    outcome.failed.append(name);
                } else if (match(name)) {
                    outcome.unchanged.append(name);
                } else {
                    // Using a nil folder or entry raises, which ends the run below.
                    const FolderItem installed = PPDfolder().Child(name);
                    const bool existed = installed.Exists();
                    // A folder or a link in the file's place is not written through: the
                    // copy would land inside the folder or wherever the link points.
                    if (existed && (installed.Directory() || installed.Alias())) {
                        outcome.failed.append(name);
                    } else {
                        Authorized::execPrivileged(CopyTool,
                                                   {QStringLiteral("-fp"), source, destination});
                        if (!installedAsSource(entry, installed))
                            outcome.failed.append(name);
                        else if (existed)
                            outcome.replaced.append(name);
                        else
                            outcome.added.append(name);
                    }
                }
            }
            ++processed;
            if (progress &&
                (processed == list.size() || sinceShown.elapsed() >= ProgressInterval)) {
                progress->setValue(processed);
                sinceShown.restart();
            }
            framework::yieldToEventLoop();
        }

        for (const QString& line : installationReport(outcome)) {
            debugRoutines::outputDebugLine(line);
            framework::yieldToEventLoop();
        }
    } catch (const NilObjectException&) {
        framework::messageBox(
            QStringLiteral("Unexpected error, nil object exception in Install routine"));
    }
}
