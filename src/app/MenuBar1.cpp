#include "app/MenuBar1.h"

#include "framework/NilObjectException.h"
#include "resources/MenuBar1Design.h"

using framework::MenuItem;
using framework::nonNil;

MenuBar1* MenuBar1::shared()
{
    static MenuBar1* const instance = new MenuBar1;
    return instance;
}

MenuBar1::MenuBar1()
{
    setObjectName(QStringLiteral("MenuBar1"));

    auto* fileMenu = new MenuItem(this);
    fileMenu->applyDesign(resources::FileMenu);
    Append(fileMenu);

    auto* fileQuit = new framework::QuitMenuItem(this);
    fileQuit->applyDesign(resources::FileQuit);
    nonNil(Menu(0))->Append(fileQuit);

    auto* editMenu = new MenuItem(this);
    editMenu->applyDesign(resources::EditMenu);
    Append(editMenu);

    for (const framework::MenuItemDesign* design :
         {&resources::EditUndo, &resources::EditSeparator, &resources::EditCut,
          &resources::EditCopy, &resources::EditPaste, &resources::EditClear}) {
        auto* item = new MenuItem(this);
        item->applyDesign(*design);
        nonNil(Menu(1))->Append(item);
    }
}
