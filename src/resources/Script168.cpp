#include "resources/Script168.h"

#include "framework/FileManager.h"
#include "framework/FolderItem.h"
#include "framework/Scripts.h"

namespace resources {
namespace {

// Script 168: shows the folder named by its one parameter, a colon path, in the file
// manager. The result is empty on success and an error text otherwise.
QString revealFolder(const QList<framework::ScriptParameter>& parameters)
{
    const QString* colonPath =
        parameters.isEmpty() ? nullptr : std::get_if<QString>(&parameters.first());
    if (!colonPath)
        return QStringLiteral("The folder to show is missing.");
    const framework::FolderItem folder = framework::FolderItem::fromAbsolutePath(*colonPath);
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
