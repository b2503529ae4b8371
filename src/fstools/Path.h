#pragma once

#include "framework/FolderItem.h"

#include <QStringList>

// Walking down a folder tree by entry names, one name per level.
namespace Path {

// The entry reached from start (the application's folder when start is nil) through the
// names, or nil when a level cannot be formed. With createMissing, each folder the walk
// stands on is created when missing; with createTarget as well, the last entry too, and
// nil is returned when it still does not exist.
framework::FolderItem descendantMethod(const framework::FolderItem& start, const QStringList& names,
                                       bool createMissing, bool createTarget);

// The same walk, creating nothing: a handle that need not exist, or nil.
framework::FolderItem descendant(const framework::FolderItem& start, const QStringList& names);

// False for nil, otherwise whether the entry exists.
bool exists(const framework::FolderItem& item);

} // namespace Path
