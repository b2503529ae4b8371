#include "resources/Script168.h"

#include "framework/FileManager.h"
#include "framework/FolderItem.h"
#include "framework/Scripts.h"

namespace resources {
namespace {

// The folder item named by a colon path: a volume's name, then one name per level.
framework::FolderItem folderOfColonPath(const QString& colonPath)
{
    for (int number = 0;; ++number) {
        const framework::FolderItem volume = framework::Volume(number);
        if (!volume)
            return {};
        const QString prefix = volume.Name() + QLatin1Char(':');
        if (!colonPath.startsWith(prefix))
            continue;
        framework::FolderItem item = volume;
        const QStringList names =
            colonPath.mid(prefix.size()).split(QLatin1Char(':'), Qt::SkipEmptyParts);
        for (QString name : names) {
            // On the Mac a "/" in a colon path is a ":" in the name.
            name.replace(QLatin1Char('/'), QLatin1Char(':'));
            item = item.Child(name);
            if (!item)
                return {};
        }
        return item;
    }
}

// Script 168: shows the folder named by its one parameter, a colon path, in the file
// manager. The result is empty on success and an error text otherwise.
QString revealFolder(const QList<framework::ScriptParameter>& parameters)
{
    const QString* colonPath =
        parameters.isEmpty() ? nullptr : std::get_if<QString>(&parameters.first());
    if (!colonPath)
        return QStringLiteral("The folder to show is missing.");
    const framework::FolderItem folder = folderOfColonPath(*colonPath);
    if (!folder || !folder.Directory())
        return QStringLiteral("There is no folder %1").arg(*colonPath);
    return framework::showFolder(folder.nativePath());
}

} // namespace

void registerScripts()
{
    framework::registerScript(168, revealFolder);
}

} // namespace resources
