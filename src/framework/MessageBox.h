#pragma once

#include <QString>

namespace framework {

// A modal box showing one text; returns when the user has dismissed it.
void messageBox(const QString& text);

} // namespace framework
