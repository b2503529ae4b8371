#pragma once

// Design-time property sets: what a window, a control or a menu item is given when it is
// built, applied in one step.

#include <QColor>
#include <QString>

namespace framework {

enum Anchor : unsigned {
    AnchorLeft = 1,
    AnchorTop = 2,
    AnchorRight = 4,
    AnchorBottom = 8,
};

struct WindowDesign
{
    QString title;
    int width;
    int height;
    int minWidth;
    int minHeight;
    int maxWidth;
    int maxHeight;
    QColor background;
};

enum class ControlClass { EditField, PushButton, ProgressBar };

struct ControlDesign
{
    QString name;
    ControlClass controlClass;
    int left;
    int top;
    int width;
    int height;
    QString caption;
    unsigned anchors;
    QString fontName;
    int fontSize;
    bool defaultButton = false;
    bool cancelButton = false;
    bool multiline = false;
    bool readOnly = false;
    QColor background = {};
};

struct MenuItemDesign
{
    QString name;
    QString text;
    QString commandKey; // the letter pressed together with Command, or empty
    bool autoEnable;
};

} // namespace framework
