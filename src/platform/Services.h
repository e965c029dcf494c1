#pragma once
// The outside services the program uses, chosen in one place. Programs call
// UseDesktopServices or keep the console defaults; tests put fakes in.
#include "DateTime.h"
#include "Desktop.h"
#include "Keyboard.h"
#include "Prompt.h"
#include "Sound.h"

#include <memory>

namespace muralto {

struct Services {
    std::unique_ptr<Clock> clock;
    std::unique_ptr<Keyboard> keyboard;
    std::unique_ptr<Prompt> prompt;
    std::unique_ptr<DesktopBackend> desktop;
    std::unique_ptr<SoundPlayer> sound;
};

// Created on first use with console defaults: system clock, no Shift, prompts on standard
// error, the desktop back-end of the session, no sound.
Services& Platform();
// The graphical program: message boxes and the keyboard of the display.
void UseDesktopServices();
// Tests: a fixed clock, a fake keyboard, a recording prompt, a fake desktop and a
// recording sound player.
void UseFakeServices();

} // namespace muralto
