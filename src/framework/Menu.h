#pragma once

#include "framework/Design.h"

#include <QAction>
#include <QMenuBar>

namespace framework {

// A menu title or a menu item. A title appended to a bar gets a menu of its own, which
// receives the items appended to the title.
class MenuItem : public QAction
{
    Q_OBJECT

public:
    explicit MenuItem(QObject* parent = nullptr);

    void applyDesign(const MenuItemDesign& design);
    void Append(MenuItem* item);

    QString Name() const { return objectName(); }
    bool AutoEnable() const { return m_autoEnable; }

private:
    void performStandardEdit();

    bool m_autoEnable = false;
};

// The item that quits the application when chosen.
class QuitMenuItem : public MenuItem
{
    Q_OBJECT

public:
    explicit QuitMenuItem(QObject* parent = nullptr);
};

class MenuBar : public QMenuBar
{
    Q_OBJECT

public:
    MenuBar();

    void Append(MenuItem* title);
    // The title at a position (from 0), or nil.
    MenuItem* Menu(int index) const;
    // The title or item of that name anywhere in the bar, or nil.
    MenuItem* Child(const QString& name) const;
};

} // namespace framework
