#pragma once
// The effect commands: the loaded libraries and their effects, one effect or one pattern
// run on a picture.
#include "Commands.h"

namespace muraltoctl {

int Effects(const Arguments& args);
int RunEffectCommand(const Arguments& args);

} // namespace muraltoctl
