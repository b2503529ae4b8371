#include "fstools/Path.h"

#include "framework/EventLoop.h"

using framework::FolderItem;

namespace Path {

FolderItem descendantMethod(const FolderItem& start, const QStringList& names, bool createMissing,
                            bool createTarget)
{
    FolderItem current = start;
    if (current.isNil())
        current = framework::GetFolderItem(QString());

    for (const QString& name : names) {
        // A folder is made only once the walk stands on it, before its child is taken.
        if (createMissing && !current.Exists())
            current.CreateAsFolder();
        const FolderItem next = current.Child(name);
        if (next.isNil())
            return {};
        current = next;
        framework::yieldToEventLoop();
    }

    if (createMissing && createTarget && !current.Exists()) {
        current.CreateAsFolder();
        return current.Exists() ? current : FolderItem();
    }
    return current;
}

FolderItem descendant(const FolderItem& start, const QStringList& names)
{
    return descendantMethod(start, names, false, false);
}

bool exists(const FolderItem& item)
{
    return !item.isNil() && item.Exists();
}

} // namespace Path
