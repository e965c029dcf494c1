#include "Options.h"

#include "platform/Paths.h"
#include "platform/Services.h"

namespace muralto {

TSetting::TSetting() : LastChangeTime(Platform().clock->Now()) {}

bool TSetting::SystemBool(int bit) const {
    return bit >= 0 && bit <= 31 && ((SystemBools >> bit) & 1u);
}

void TSetting::SetSystemBool(int bit, bool on) {
    if (bit < 0 || bit > 31)
        return;
    if (on)
        SystemBools |= 1u << bit;
    else
        SystemBools &= ~(1u << bit);
}

namespace {
uint8_t Folded(uint8_t& type, uint8_t self) {
    if (type == self)
        type = 0;
    return type;
}
} // namespace

uint8_t TSetting::GetDefaultCalenderType() {
    return Folded(DefaultCalenderType, 3);
}
uint8_t TSetting::GetDefaultAnnoDominiType() {
    return Folded(DefaultAnnoDominiType, 3);
}
uint8_t TSetting::GetDefaultDrawFileNameType() {
    return Folded(DefaultDrawFileNameType, 3);
}
uint8_t TSetting::GetDefaultEffectType() {
    return Folded(DefaultEffectType, 4);
}

std::string TSetting::DataFolder() const {
    return WritableProgramFolder() + "Data/" + CurrentUser + "/";
}

TSetting& Setting() {
    static TSetting setting;
    return setting;
}

} // namespace muralto
