#include "installer/Window1.h"

// placeholder until the installation run lands
void Window1::install() {}
void Window1::PushButtonInstall_Action()
{
    install();
}
