#pragma once
// The state of the keys that change how the program starts.
namespace muralto {

class Keyboard {
public:
    virtual ~Keyboard() = default;
    virtual bool ShiftHeld() const = 0;
};

// Asks the display; never held when there is none.
class QtKeyboard final : public Keyboard {
public:
    bool ShiftHeld() const override;
};

class FakeKeyboard final : public Keyboard {
public:
    bool ShiftHeld() const override { return shift; }
    bool shift = false;
};

} // namespace muralto
