#include "framework/Menu.h"

#include "framework/EventLoop.h"
#include "framework/NilObjectException.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>

namespace framework {

MenuItem::MenuItem(QObject* parent) : QAction(parent)
{
    connect(this, &QAction::triggered, this, &MenuItem::performStandardEdit);
}

void MenuItem::applyDesign(const MenuItemDesign& design)
{
    setObjectName(design.name);
    if (design.text == QLatin1String("-"))
        setSeparator(true);
    else
        setText(design.text);
    if (!design.commandKey.isEmpty())
        setShortcut(QKeySequence(Qt::CTRL | QKeySequence(design.commandKey)[0].key()));
    m_autoEnable = design.autoEnable;
}

void MenuItem::Append(MenuItem* item)
{
    nonNil(menu())->addAction(item);
}

// The standard edit items act on the focused text, as the toolkit's own edit actions do.
void MenuItem::performStandardEdit()
{
    QWidget* focus = QApplication::focusWidget();
    const QString name = objectName();
    if (auto* text = qobject_cast<QPlainTextEdit*>(focus)) {
        if (name == QLatin1String("EditUndo"))
            text->undo();
        else if (name == QLatin1String("EditCut"))
            text->cut();
        else if (name == QLatin1String("EditCopy"))
            text->copy();
        else if (name == QLatin1String("EditPaste"))
            text->paste();
        else if (name == QLatin1String("EditClear") && !text->isReadOnly())
            text->textCursor().removeSelectedText();
    } else if (auto* line = qobject_cast<QLineEdit*>(focus)) {
        if (name == QLatin1String("EditUndo"))
            line->undo();
        else if (name == QLatin1String("EditCut"))
            line->cut();
        else if (name == QLatin1String("EditCopy"))
            line->copy();
        else if (name == QLatin1String("EditPaste"))
            line->paste();
        else if (name == QLatin1String("EditClear"))
            line->del();
    }
}

QuitMenuItem::QuitMenuItem(QObject* parent) : MenuItem(parent)
{
    setMenuRole(QAction::QuitRole);
    connect(this, &QAction::triggered, this, [] { quitApplication(); });
}

MenuBar::MenuBar() = default;

void MenuBar::Append(MenuItem* title)
{
    auto* menu = new QMenu(title->text(), this);
    menu->setObjectName(title->objectName());
    title->setMenu(menu);
    addAction(title);
}

MenuItem* MenuBar::Menu(int index) const
{
    const QList<QAction*> titles = actions();
    if (index < 0 || index >= titles.size())
        return nullptr;
    return qobject_cast<MenuItem*>(titles.at(index));
}

MenuItem* MenuBar::Child(const QString& name) const
{
    for (QAction* title : actions()) {
        if (title->objectName() == name)
            return qobject_cast<MenuItem*>(title);
        if (QMenu* menu = title->menu()) {
            for (QAction* item : menu->actions()) {
                if (item->objectName() == name)
                    return qobject_cast<MenuItem*>(item);
            }
        }
    }
    return nullptr;
}

} // namespace framework
