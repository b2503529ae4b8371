#pragma once

#include "framework/FolderItem.h"
#include "framework/Window.h"

#include <QList>
#include <QString>

namespace framework {
class EditField;
class MenuItem;
class PushButton;
class QuitMenuItem;
} // namespace framework

// The installer window: the log pane, the buttons, and the installer's working methods.
class Window1 : public framework::Window
{
    Q_OBJECT

public:
    // The window accessor: the existing installer window, or a new one, built and opened.
    static Window1* accessor();

    bool debugMode() const { return m_debugMode; }

    // Logs one line naming the item's last error, when there is one.
    void reportAnyErrorCode(const QString& context, const framework::FolderItem& item);

    // The folder "PPDs" beside the application.
    framework::FolderItem sourceFolder();
    // The system PPD folder on the boot volume, or nil when a level cannot be formed.
    framework::FolderItem PPDfolder();
    // Whether the installed copy of the named PPD may be left alone.
    bool match(const QString& name);
    // The installation run of "Install PPDs".
    void install();
    // The PPD files of the source folder, in the folder's order.
    QList<framework::FolderItem> PPDlist();

    // The menu items of the window's current menu bar, by name.
    framework::MenuItem* FileMenu();
    framework::MenuItem* EditMenu();
    framework::MenuItem* EditUndo();
    framework::MenuItem* EditCut();
    framework::MenuItem* EditCopy();
    framework::MenuItem* EditPaste();
    framework::MenuItem* EditClear();
    framework::QuitMenuItem* FileQuit();

protected:
    void closeEvent(QCloseEvent* event) override;
    void Layout() override;
    void CreateControls() override;
    void Open() override;

private:
    Window1() = default;

    void PushButtonQuit_Action();
    void PushButtonDebug_Action();
    void PushButton1_Action();
    void PushButtonInstall_Action();

    // What the window writes to its log when it opens: the PPD files it will install.
    void writeIntroduction();

    framework::MenuItem* menuItem(const QString& name);

    bool m_debugMode = false;
    bool m_installing = false;
};
