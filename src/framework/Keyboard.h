#pragma once

namespace framework {

// The keyboard's modifier state at the moment of asking, not at the time of an event.
// Masks are the classic Mac ones; Command is Control here and Option is Alt.
class Keyboard
{
public:
    static constexpr int CommandKey = 0x0100;
    static constexpr int OptionKey = 0x0800;

    bool AsyncModifierDown(int mask) const;
};

// The framework's keyboard object.
Keyboard* keyboard();

} // namespace framework
