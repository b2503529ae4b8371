#include "framework/Keyboard.h"

#include "framework/TestApi.h"

#include <QGuiApplication>

#include <optional>

namespace framework {
namespace {
std::optional<Qt::KeyboardModifiers> s_forced;
QList<int> s_reads;

Qt::KeyboardModifier modifierFor(int mask)
{
    switch (mask) {
    case Keyboard::CommandKey:
        return Qt::ControlModifier;
    case Keyboard::OptionKey:
        return Qt::AltModifier;
    default:
        return Qt::NoModifier;
    }
}
} // namespace

bool Keyboard::AsyncModifierDown(int mask) const
{
    s_reads.append(mask);
    const Qt::KeyboardModifier wanted = modifierFor(mask);
    if (wanted == Qt::NoModifier)
        return false;
    const Qt::KeyboardModifiers now =
        s_forced ? *s_forced : QGuiApplication::queryKeyboardModifiers();
    return now.testFlag(wanted);
}

Keyboard* keyboard()
{
    static Keyboard theKeyboard;
    return &theKeyboard;
}

namespace test {
void setKeyboardModifiers(std::optional<Qt::KeyboardModifiers> modifiers)
{
    s_forced = modifiers;
    s_reads.clear();
}
QList<int> keyboardReads()
{
    return s_reads;
}
} // namespace test

} // namespace framework
