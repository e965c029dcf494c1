#include "Services.h"

#include "QtPrompt.h"

namespace muralto {

namespace {

Services MakeConsoleServices() {
    Services s;
    s.clock = std::make_unique<SystemClock>();
    s.keyboard = std::make_unique<FakeKeyboard>();
    s.prompt = std::make_unique<ConsolePrompt>();
    s.desktop = ChooseDesktopBackend();
    s.sound = std::make_unique<SilentSoundPlayer>();
    return s;
}

} // namespace

Services& Platform() {
    static Services services = MakeConsoleServices();
    return services;
}

void UseDesktopServices() {
    Services& s = Platform();
    s.keyboard = std::make_unique<QtKeyboard>();
    s.prompt = std::make_unique<QtPrompt>();
}

void UseFakeServices() {
    Services& s = Platform();
    s.clock = std::make_unique<FixedClock>(EncodeDateTime({2026, 12, 11, 9, 30, 0, 0}));
    s.keyboard = std::make_unique<FakeKeyboard>();
    s.prompt = std::make_unique<RecordingPrompt>();
    s.desktop = std::make_unique<FakeDesktop>();
    s.sound = std::make_unique<RecordingSoundPlayer>();
}

} // namespace muralto
