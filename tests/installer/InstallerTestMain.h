#pragma once

// main() for tests of the installer window: the program's own application object and menu
// bar, as start-up makes them.

#include "app/Startup.h"
#include "resources/Script168.h"
#include "support/TestMain.h"

#define PPD_INSTALLER_TEST_MAIN(TestClass)                                                         \
    PPD_TEST_MAIN_WITH(TestClass, resources::registerScripts(); startup::NewAppInstance())
