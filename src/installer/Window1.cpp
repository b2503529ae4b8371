#include "installer/Window1.h"

#include "app/MenuBar1.h"
#include "framework/Controls.h"
#include "framework/EventLoop.h"
#include "framework/Keyboard.h"
#include "framework/Menu.h"
#include "framework/NilObjectException.h"
#include "resources/Window1Design.h"
#include "system/scriptreveal.h"

#include <QCloseEvent>
#include <QProgressBar>

using framework::Keyboard;
using framework::nonNil;

Window1* Window1::accessor()
{
    if (Window1* existing = framework::Window::find<Window1>())
        return existing;
    auto* window = new Window1;
    window->construct();
    return qobject_cast<Window1*>(window);
}

void Window1::Layout()
{
    setWindowMenuBar(MenuBar1::shared());
    applyDesign(resources::Window1Window);
}

void Window1::CreateControls()
{
    using Handler = void (Window1::*)();
    const auto handlerOf = [](const QString& name) -> Handler {
        if (name == QLatin1String("PushButtonQuit"))
            return &Window1::PushButtonQuit_Action;
        if (name == QLatin1String("PushButtonDebug"))
            return &Window1::PushButtonDebug_Action;
        if (name == QLatin1String("PushButton1"))
            return &Window1::PushButton1_Action;
        if (name == QLatin1String("PushButtonInstall"))
            return &Window1::PushButtonInstall_Action;
        return nullptr;
    };

    for (const framework::ControlDesign& design : resources::Window1Controls) {
        QWidget* created = nullptr;
        if (design.controlClass == framework::ControlClass::EditField)
            created = new framework::EditField;
        else
            created = new framework::PushButton;
        addControl(created, design.name);
        applyControlDesign(nonNil(control(design.name)), design);
        if (design.controlClass == framework::ControlClass::PushButton) {
            const Handler handler = handlerOf(design.name);
            if (!handler)
                throw NilObjectException();
            nonNil(qobject_cast<framework::PushButton*>(control(design.name)))
                ->setActionHandler([this, handler] { (this->*handler)(); });
        }
    }

    auto* progress = new QProgressBar;
    addControl(progress, resources::Window1Progress.name);
    applyControlDesign(progress, resources::Window1Progress);
    progress->setFormat(QStringLiteral("%v of %m"));
    progress->setTextVisible(true);
    progress->hide();
}

void Window1::closeEvent(QCloseEvent* event)
{
    // The run under way holds this window; closing it then quits once the copy in hand
    // has finished (the run asks to quit again when it ends).
    if (m_installing) {
        event->ignore();
        if (!framework::quitRequested())
            framework::quitApplication();
        return;
    }
    framework::Window::closeEvent(event);
}

void Window1::Open()
{
    // Command and Option held down at this moment select debug mode; Option is only read
    // while Command is down.
    bool commandAndOption = false;
    if (nonNil(framework::keyboard())->AsyncModifierDown(Keyboard::CommandKey))
        commandAndOption = nonNil(framework::keyboard())->AsyncModifierDown(Keyboard::OptionKey);
    m_debugMode = commandAndOption;

    nonNil(control(QStringLiteral("PushButtonDebug")))->setVisible(m_debugMode);
    nonNil(accessor())->setWindowTitle(QStringLiteral("PPD installer"));
    writeIntroduction();
}

void Window1::PushButtonQuit_Action()
{
    framework::quitApplication();
}

void Window1::PushButtonDebug_Action() {}

void Window1::PushButton1_Action()
{
    try {
        QList<framework::Variant> parameters;
        parameters.append(PPDfolder().AbsolutePath());
        scriptreveal::scriptreveal(parameters);
    } catch (const NilObjectException&) {
        // No system PPD folder to show: the button does nothing.
    }
}

framework::MenuItem* Window1::menuItem(const QString& name)
{
    return nonNil(windowMenuBar())->Child(name);
}

framework::MenuItem* Window1::FileMenu()
{
    return menuItem(QStringLiteral("FileMenu"));
}

framework::MenuItem* Window1::EditMenu()
{
    return menuItem(QStringLiteral("EditMenu"));
}

framework::MenuItem* Window1::EditUndo()
{
    return menuItem(QStringLiteral("EditUndo"));
}

framework::MenuItem* Window1::EditCut()
{
    return menuItem(QStringLiteral("EditCut"));
}

framework::MenuItem* Window1::EditCopy()
{
    return menuItem(QStringLiteral("EditCopy"));
}

framework::MenuItem* Window1::EditPaste()
{
    return menuItem(QStringLiteral("EditPaste"));
}

framework::MenuItem* Window1::EditClear()
{
    return menuItem(QStringLiteral("EditClear"));
}

framework::QuitMenuItem* Window1::FileQuit()
{
    return qobject_cast<framework::QuitMenuItem*>(menuItem(QStringLiteral("FileQuit")));
}
