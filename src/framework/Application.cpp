#include "framework/Application.h"

#include "framework/Menu.h"
#include "framework/Runtime.h"

namespace framework {
namespace {
Application* s_application = nullptr;
} // namespace

Application::Application() : QApplication(argumentCount(), argumentValues())
{
    setApplicationName(QStringLiteral("PPD installer"));
    setQuitOnLastWindowClosed(true);
}

void Application::setMenuBar(MenuBar* bar)
{
    m_menuBar = bar;
}

MenuBar* Application::menuBar() const
{
    return m_menuBar;
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& exception) {
        unhandledException(&exception);
    } catch (...) {
        unhandledException(nullptr);
    }
    return false;
}

void registerApplication(Application* app)
{
    s_application = app;
}

Application* application()
{
    return s_application;
}

} // namespace framework
