#include "installer/Window1.h"

// placeholder until discovery lands
framework::FolderItem Window1::sourceFolder() { return framework::GetFolderItem(QStringLiteral("PPDs")); }
framework::FolderItem Window1::PPDfolder() { return {}; }
QList<framework::FolderItem> Window1::PPDlist() { return {}; }
void Window1::writeIntroduction() {}
