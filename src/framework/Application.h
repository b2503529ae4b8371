#pragma once

#include <QApplication>
#include <QPointer>

namespace framework {

class MenuBar;

// The framework's application class. No exception may pass through the toolkit's event
// dispatch: one that leaves an event handler goes to the unhandled-exception routine.
class Application : public QApplication
{
    Q_OBJECT

public:
    Application();

    void setMenuBar(MenuBar* bar);
    MenuBar* menuBar() const;

    bool notify(QObject* receiver, QEvent* event) override;

private:
    QPointer<MenuBar> m_menuBar;
};

// The registered application object, or nil before registration.
void registerApplication(Application* application);
Application* application();

} // namespace framework
