#pragma once

// main() for a test program on the offscreen platform: the framework comes up, the
// application object is made by the given statements, then the test class runs.

#include "framework/Application.h"
#include "framework/Runtime.h"

#include <QTest>

#define PPD_TEST_MAIN_WITH(TestClass, makeApplication)                                             \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                        \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        static int count = argc;                                                                   \
        framework::initialise(count, argv);                                                        \
        makeApplication;                                                                           \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

#define PPD_TEST_MAIN(TestClass) PPD_TEST_MAIN_WITH(TestClass, framework::Application application)
