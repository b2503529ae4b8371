#pragma once

// The menu bar's titles and items as they were laid out at design time.

#include "framework/Design.h"

namespace resources {

using framework::MenuItemDesign;

inline const MenuItemDesign FileMenu = {QStringLiteral("FileMenu"), QStringLiteral("&File"), {}, false};
inline const MenuItemDesign FileQuit = {QStringLiteral("FileQuit"), QStringLiteral("Quit"), QStringLiteral("Q"), true};
inline const MenuItemDesign EditMenu = {QStringLiteral("EditMenu"), QStringLiteral("&Edit"), {}, false};
inline const MenuItemDesign EditUndo = {QStringLiteral("EditUndo"), QStringLiteral("&Undo"), QStringLiteral("Z"), true};
inline const MenuItemDesign EditSeparator = {{}, QStringLiteral("-"), {}, true};
inline const MenuItemDesign EditCut = {QStringLiteral("EditCut"), QStringLiteral("Cu&t"), QStringLiteral("X"), true};
inline const MenuItemDesign EditCopy = {QStringLiteral("EditCopy"), QStringLiteral("&Copy"), QStringLiteral("C"), true};
inline const MenuItemDesign EditPaste = {QStringLiteral("EditPaste"), QStringLiteral("&Paste"), QStringLiteral("V"), true};
inline const MenuItemDesign EditClear = {QStringLiteral("EditClear"), QStringLiteral("Clear"), {}, true};

} // namespace resources
