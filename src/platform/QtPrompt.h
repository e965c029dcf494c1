#pragma once
#include "Prompt.h"

namespace muralto {

// The platform's standard message boxes, centred over the active window.
class QtPrompt final : public Prompt {
public:
    void Inform(const std::string& text, const std::string& title) override;
    void ShowError(const std::string& text, const std::string& title) override;
    bool AskYesNo(const std::string& text, const std::string& title) override;
};

} // namespace muralto
