#pragma once
// Message boxes: notices, errors and Yes/No questions, titled "Muralto" unless told.
#include <string>
#include <vector>

namespace muralto {

class Prompt {
public:
    virtual ~Prompt() = default;
    virtual void Inform(const std::string& text, const std::string& title = "Muralto") = 0;
    virtual void ShowError(const std::string& text, const std::string& title = "Muralto") = 0;
    virtual bool AskYesNo(const std::string& text, const std::string& title = "Muralto") = 0;
};

// Without a display: texts go to standard error and questions take "Yes", the answer that
// keeps the program going.
class ConsolePrompt final : public Prompt {
public:
    void Inform(const std::string& text, const std::string& title) override;
    void ShowError(const std::string& text, const std::string& title) override;
    bool AskYesNo(const std::string& text, const std::string& title) override;
};

// Records what was shown; answers questions with a chosen answer.
class RecordingPrompt final : public Prompt {
public:
    struct Shown {
        std::string kind; // "info", "error" or "question"
        std::string title;
        std::string text;
    };
    void Inform(const std::string& text, const std::string& title) override;
    void ShowError(const std::string& text, const std::string& title) override;
    bool AskYesNo(const std::string& text, const std::string& title) override;

    std::vector<Shown> shown;
    bool answer = true;
};

} // namespace muralto
