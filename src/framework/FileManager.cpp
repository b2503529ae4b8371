#include "framework/FileManager.h"

#include "framework/TestApi.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDesktopServices>
#include <QUrl>

namespace framework {
namespace {

test::ShowFoldersCall s_showFolders;

const QString Service = QStringLiteral("org.freedesktop.FileManager1");

QString openWithDefaultHandler(const QUrl& url)
{
    if (QDesktopServices::openUrl(url))
        return QString();
    return QStringLiteral("No file manager could show %1").arg(url.toLocalFile());
}

bool fileManagerOnBus(const QDBusConnection& bus)
{
    if (!bus.isConnected() || !bus.interface())
        return false;
    if (bus.interface()->isServiceRegistered(Service))
        return true;
    const QDBusReply<QStringList> activatable = bus.interface()->activatableServiceNames();
    return activatable.isValid() && activatable.value().contains(Service);
}

} // namespace

QString showFolder(const QString& nativePath)
{
    const QUrl url = QUrl::fromLocalFile(nativePath);
    if (s_showFolders)
        return s_showFolders({url.toString()});

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!fileManagerOnBus(bus))
        return openWithDefaultHandler(url);

    // Asynchronous, so that a slow or hung file manager never stalls the window; if the
    // call fails, the default handler gets its turn.
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, QStringLiteral("/org/freedesktop/FileManager1"),
                                       Service, QStringLiteral("ShowFolders"));
    call << QStringList{url.toString()} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [url](QDBusPendingCallWatcher* done) {
                         if (done->isError())
                             openWithDefaultHandler(url);
                         done->deleteLater();
                     });
    return QString();
}

namespace test {
void setShowFoldersCall(ShowFoldersCall call)
{
    s_showFolders = std::move(call);
}
} // namespace test

} // namespace framework
