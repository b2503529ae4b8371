#pragma once

#include "framework/Variant.h"

#include <QList>
#include <QString>

// Runs the reveal script, number 168, which shows a folder in the file manager.
namespace scriptreveal {

constexpr int ScriptNumber = 168;

// Integers travel to the script as integers, every other value as its string form.
QString scriptreveal(const QList<framework::Variant>& parameters);

} // namespace scriptreveal
