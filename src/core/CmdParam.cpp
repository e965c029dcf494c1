#include "CmdParam.h"

#include "platform/Text.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace muralto {

TParamOption::TParamOption(std::vector<std::string> arguments) : arguments_(std::move(arguments)) {}

TParamOption TParamOption::FromMain(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return TParamOption(std::move(arguments));
}

int TParamOption::IndexOfOption(const std::string& option) const {
    for (size_t i = 0; i < arguments_.size(); ++i)
        if (SameTextAscii(arguments_[i], option))
            return int(i);
    return -1;
}

bool TParamOption::HasOption(const std::string& option) const {
    return IndexOfOption(option) >= 0;
}

bool TParamOption::HasOption(const std::string& option, const std::string& alternative) const {
    return HasOption(option) || HasOption(alternative);
}

bool TParamOption::GetParamString(const std::string& option, std::string& out,
                                  const std::string& defaultValue) const {
    out = defaultValue;
    const int index = IndexOfOption(option);
    if (index < 0 || size_t(index) + 1 >= arguments_.size())
        return false;
    out = arguments_[size_t(index) + 1];
    return true;
}

bool TParamOption::GetParamInteger(const std::string& option, int& out, int defaultValue) const {
    out = defaultValue;
    std::string text;
    if (!GetParamString(option, text, ""))
        return false;
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < INT_MIN || value > INT_MAX)
        return false;
    out = int(value);
    return true;
}

void TParamOption::AddParam(const std::string& argument) {
    arguments_.push_back(argument);
}

TParamOption& ParamOption() {
    static TParamOption options;
    return options;
}

} // namespace muralto
