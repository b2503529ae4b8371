#pragma once

#include "framework/FolderItem.h"
#include "framework/MemoryBlock.h"

#include <QString>

// POSIX paths of folder items, through the File Manager: item -> FSSpec -> FSRef -> path.
namespace OSXFileToolsBasic {

// The item's own name as its colon path writes it (a ":" of the name shows as "/").
QString carbonName(const framework::FolderItem& item);

// The item's FSSpec in a 350-byte block, or nil.
framework::MemoryBlock fsspec(const framework::FolderItem& item);

// The item's FSRef in a 100-byte block, or nil.
framework::MemoryBlock fsref(const framework::FolderItem& item);

// The item's POSIX path, also for an entry that does not exist yet (through its parents);
// the empty string when it cannot be formed. Never raises NilObjectException.
QString unixPath(const framework::FolderItem& item);

} // namespace OSXFileToolsBasic
