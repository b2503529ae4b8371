#include "app/Startup.h"
#include "framework/FolderItem.h"

// The same program, installing into the folder "volume" beside it instead of "/".
int main(int argc, char** argv)
{
    framework::setBootVolumeRoot(framework::applicationFolderPath() + QStringLiteral("/volume"));
    return startup::entryPoint(argc, argv);
}
