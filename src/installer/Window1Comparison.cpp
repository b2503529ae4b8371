#include "framework/EventLoop.h"
#include "framework/MessageBox.h"
#include "fstools/OSXFileToolsBasic.h"
#include "fstools/Path.h"
#include "installer/Window1.h"

#include <array>

using framework::BinaryStream;
using framework::FolderItem;

bool Window1::match(const QString& name)
{
    const QStringList names = {name};
    const std::array<FolderItem, 2> items = {Path::descendant(sourceFolder(), names),
                                             Path::descendant(PPDfolder(), names)};
    const FolderItem& source = items[0];
    const FolderItem& destination = items[1];

    if (!Path::exists(destination))
        return false;
    if (!Path::exists(source)) {
        framework::messageBox(QStringLiteral("Error, could not find source file ") + name);
        return true;
    }

    std::array<BinaryStream, 2> streams;
    std::array<QByteArray, 2> contents;
    for (size_t i = 0; i < items.size(); ++i) {
        streams[i] = items[i].OpenBinaryFile(false);
        if (streams[i].isNil()) {
            framework::messageBox(QStringLiteral("Unable to open ") +
                                  OSXFileToolsBasic::unixPath(items[i]));
        } else {
            contents[i] = streams[i].Read(streams[i].Length());
            streams[i].Close();
        }
        framework::yieldToEventLoop();
    }
    // Byte for byte: PPD keywords are case-sensitive, so a change in letter case is a
    // change that must be installed.
    return contents[0] == contents[1];
}
