#pragma once

#include "framework/Design.h"

#include <QMainWindow>
#include <QPointer>

class QPushButton;

namespace framework {

class MenuBar;

// The framework's window. Building it runs the layout hook, the control-creation hook and
// then, once it is on screen, the open hook. Controls sit at fixed positions in a content
// area and keep the distances to the edges they are anchored to when the window resizes.
class Window : public QMainWindow
{
    Q_OBJECT

public:
    Window();
    ~Window() override;

    // The default window constructor: builds the window and opens it.
    void construct();

    void applyDesign(const WindowDesign& design);
    void setWindowMenuBar(MenuBar* bar);
    MenuBar* windowMenuBar() const;

    // Adds a control under a name; applyControlDesign then places and styles it.
    void addControl(QWidget* control, const QString& name);
    void applyControlDesign(QWidget* control, const ControlDesign& design);
    // The control of that name, or nil.
    QWidget* control(const QString& name) const;

    // The first window of the given class that the toolkit holds, or nil.
    template <typename W> static W* find()
    {
        for (QWidget* widget : allWindows()) {
            if (auto* window = qobject_cast<W*>(widget))
                return window;
        }
        return nullptr;
    }

    // Forces the window's contents onto the screen now.
    void updateNow();

protected:
    virtual void Layout() = 0;
    virtual void CreateControls() = 0;
    virtual void Open() = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static QList<QWidget*> allWindows();
    void placeControls();

    QWidget* m_content;
    QPointer<MenuBar> m_menuBar;
    QPointer<QPushButton> m_defaultButton;
    QPointer<QPushButton> m_cancelButton;
};

} // namespace framework
