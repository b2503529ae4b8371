#pragma once

// main() for tests of the installer window: the program's own application object and menu
// bar, as start-up makes them, on the offscreen platform.

#include "app/Startup.h"
#include "framework/Runtime.h"
#include "resources/Script168.h"

#include <QTest>

#define PPD_INSTALLER_TEST_MAIN(TestClass)                                                         \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                        \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        static int count = argc;                                                                   \
        framework::initialise(count, argv);                                                        \
        resources::registerScripts();                                                              \
        startup::NewAppInstance();                                                                 \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
