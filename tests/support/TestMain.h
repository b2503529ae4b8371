#pragma once

// main() for a test program: the framework's application object on the offscreen
// platform, then the test class.

#include "framework/Application.h"
#include "framework/Runtime.h"

#include <QTest>

#define PPD_TEST_MAIN(TestClass)                                                               \
    int main(int argc, char** argv)                                                            \
    {                                                                                          \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                   \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                           \
        static int count = argc;                                                               \
        framework::initialise(count, argv);                                                    \
        framework::Application application;                                                    \
        TestClass test;                                                                        \
        return QTest::qExec(&test, argc, argv);                                                \
    }
