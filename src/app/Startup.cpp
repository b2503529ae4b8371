#include "app/Startup.h"

#include "app/App.h"
#include "app/MenuBar1.h"
#include "framework/NilObjectException.h"
#include "framework/Runtime.h"
#include "installer/Window1.h"
#include "resources/Script168.h"

using framework::nonNil;

namespace startup {
namespace {
framework::PluginEntrypoints* s_pluginEntrypoints = nullptr;
} // namespace

int entryPoint(int argc, char** argv)
{
    static int argumentCount = argc; // the toolkit keeps a reference to it
    framework::initialise(argumentCount, argv);
    resources::registerScripts();
    Main();
    return framework::exitRoutine();
}

void Main()
{
    try {
        InitPluginEntrypoints();
        framework::registerFileType(QStringLiteral("text"), QStringLiteral("R*ch"),
                                    QStringLiteral("TEXT"), QString());
        framework::registerFileType(QStringLiteral("special/any"), QStringLiteral("????"),
                                    QStringLiteral("????"), QString());
        framework::registerFileType(QStringLiteral("special/disk"), QStringLiteral("MACS"),
                                    QStringLiteral("disk"), QString());
        framework::registerFileType(QStringLiteral("special/folder"), QStringLiteral("MACS"),
                                    QStringLiteral("fold"), QString());
        NewAppInstance();
        MakeDefaultView();
        framework::runEventLoop();
    } catch (const std::exception& exception) {
        framework::unhandledException(&exception);
    } catch (...) {
        framework::unhandledException(nullptr);
    }
}

void InitPluginEntrypoints()
{
    s_pluginEntrypoints = framework::allocatePluginEntrypoints(0);
}

void NewAppInstance()
{
    App* app = nonNil(new App);
    app->setMenuBar(MenuBar1::shared());
    framework::registerApplication(app);
}

void MakeDefaultView()
{
    nonNil(Window1::accessor())->updateNow();
}

} // namespace startup
