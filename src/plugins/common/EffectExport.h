#pragma once
// Only the entry points meant for the host leave an effect library.
#define EFFECT_EXPORT extern "C" __attribute__((visibility("default")))
