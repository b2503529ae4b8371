#pragma once

#include <QString>

namespace framework {

// Asks the desktop's file manager to show a folder: the freedesktop FileManager1 service
// on the session bus when there is one, the desktop's default handler for folders
// otherwise. Returns an error text, or empty when the request went out.
QString showFolder(const QString& nativePath);

} // namespace framework
