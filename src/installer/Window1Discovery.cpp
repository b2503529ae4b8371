#include "framework/EventLoop.h"
#include "framework/MessageBox.h"
#include "framework/Strings.h"
#include "fstools/Path.h"
#include "installer/Window1.h"
#include "installer/debugRoutines.h"

using debugRoutines::outputDebugLine;
using framework::FolderItem;

FolderItem Window1::sourceFolder()
{
    return framework::GetFolderItem(QStringLiteral("PPDs"));
}

FolderItem Window1::PPDfolder()
{
    const FolderItem bootVolume = framework::Volume(0);
    const QStringList names = {QStringLiteral("Library"),   QStringLiteral("Printers"),
                               QStringLiteral("PPDs"),      QStringLiteral("Contents"),
                               QStringLiteral("Resources"), QStringLiteral("en.lproj")};
    return Path::descendant(bootVolume, names);
}

QList<FolderItem> Window1::PPDlist()
{
    QList<FolderItem> list;
    const QString dot = QStringLiteral(".");
    // The folder is asked afresh at every step, so the listing follows it as it changes.
    for (int index = 1; index <= sourceFolder().Count(); ++index) {
        const FolderItem entry = sourceFolder().Item(index);
        // Only a regular file (or a link to one) is a PPD file: a FIFO, socket or device
        // named like one would block or never end, and a broken link has nothing to copy.
        if (entry.Visible() && !entry.Directory() && entry.Regular()) {
            const QString name = entry.Name();
            const QString last = framework::NthField(name, dot, framework::CountFields(name, dot));
            if (framework::equalIgnoringCase(last, QStringLiteral("PPD")))
                list.append(entry);
        }
        framework::yieldToEventLoop();
    }
    return list;
}

void Window1::writeIntroduction()
{
    const QList<FolderItem> list = PPDlist();
    if (list.isEmpty()) {
        framework::messageBox(QStringLiteral("Fatal installer error: the input PPDs folder "
                                             "contained no PPD files. No PPDs were installed."));
        return;
    }
    outputDebugLine(
        QStringLiteral("This program will copy these PPD files into the OSX PPD directory:"));
    for (const FolderItem& ppd : list) {
        outputDebugLine(QStringLiteral("    ") + ppd.Name());
        framework::yieldToEventLoop();
    }
    outputDebugLine(QString());
    outputDebugLine(QStringLiteral("If any of these PPDs exist already and differ from the "
                                   "versions on the CD, they will be replaced with the CD "
                                   "versions."));
    outputDebugLine(QString());
    outputDebugLine(QStringLiteral("Press \"Install PPDs\" to perform the installation."));
    outputDebugLine(QStringLiteral("Press \"Show in Finder\" to view the OSX PPD directory."));
    outputDebugLine(QString());
}
