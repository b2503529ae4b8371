#pragma once

#include "framework/Application.h"

// The application object; everything it does is the framework's.
class App : public framework::Application
{
    Q_OBJECT
};
