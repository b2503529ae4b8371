#pragma once

// The installer window as it was laid out at design time.

#include "framework/Design.h"

#include <array>

namespace resources {

using namespace framework;

inline const WindowDesign Window1Window = {
    QStringLiteral("PPD Installer"), 691, 555, 64, 64, 32000, 32000, QColor(0xFF, 0xFF, 0xFF)};

// In creation order.
inline const std::array<ControlDesign, 5> Window1Controls = {{
    {QStringLiteral("EditFieldLog"), ControlClass::EditField, 13, 14, 658, 416, QString(),
     AnchorLeft | AnchorTop | AnchorRight | AnchorBottom, QStringLiteral("System"), 12, false,
     false, true, true, QColor(0xFF, 0xFF, 0xFF)},
    {QStringLiteral("PushButtonQuit"), ControlClass::PushButton, 562, 517, 109, 20,
     QStringLiteral("Quit"), AnchorRight | AnchorBottom, QStringLiteral("System"), 12, false, true},
    {QStringLiteral("PushButtonDebug"), ControlClass::PushButton, 12, 515, 69, 20,
     QStringLiteral("Debug"), AnchorLeft | AnchorBottom, QStringLiteral("System"), 12},
    {QStringLiteral("PushButton1"), ControlClass::PushButton, 562, 482, 109, 20,
     QStringLiteral("Show in Finder"), AnchorRight | AnchorBottom, QStringLiteral("System"), 12},
    {QStringLiteral("PushButtonInstall"), ControlClass::PushButton, 562, 447, 109, 20,
     QStringLiteral("Install PPDs"), AnchorRight | AnchorBottom, QStringLiteral("System"), 12,
     true},
}};

// Shown left of the buttons while an installation runs: how many files are done.
inline const ControlDesign Window1Progress = {QStringLiteral("ProgressBarInstall"),
                                              ControlClass::ProgressBar,
                                              13,
                                              447,
                                              527,
                                              20,
                                              QStringLiteral("Installation progress"),
                                              AnchorLeft | AnchorRight | AnchorBottom,
                                              QStringLiteral("System"),
                                              12};

} // namespace resources
