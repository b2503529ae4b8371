#include "app/Startup.h"
#include "framework/FolderItem.h"

int main(int argc, char** argv)
{
    framework::setBootVolumeRoot(QStringLiteral("/"));
    return startup::entryPoint(argc, argv);
}
