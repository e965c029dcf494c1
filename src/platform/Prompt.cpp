#include "Prompt.h"

#include <cstdio>

namespace muralto {

void ConsolePrompt::Inform(const std::string& text, const std::string& title) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
}

void ConsolePrompt::ShowError(const std::string& text, const std::string& title) {
    std::fprintf(stderr, "%s: error: %s\n", title.c_str(), text.c_str());
}

bool ConsolePrompt::AskYesNo(const std::string& text, const std::string& title) {
    std::fprintf(stderr, "%s: %s [yes]\n", title.c_str(), text.c_str());
    return true;
}

void RecordingPrompt::Inform(const std::string& text, const std::string& title) {
    shown.push_back({"info", title, text});
}

void RecordingPrompt::ShowError(const std::string& text, const std::string& title) {
    shown.push_back({"error", title, text});
}

bool RecordingPrompt::AskYesNo(const std::string& text, const std::string& title) {
    shown.push_back({"question", title, text});
    return answer;
}

} // namespace muralto
