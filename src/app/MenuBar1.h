#pragma once

#include "framework/Menu.h"

// The program's one menu bar: File with Quit, and Edit.
class MenuBar1 : public framework::MenuBar
{
    Q_OBJECT

public:
    // The shared instance, built on the first request and kept for the life of the process.
    static MenuBar1* shared();

private:
    MenuBar1();
};
