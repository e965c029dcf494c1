#pragma once
// The command-line option list. Options are whole arguments compared without regard to
// case; the value of an option is the argument after it; the first occurrence counts.
#include <string>
#include <vector>

namespace muralto {

class TParamOption {
public:
    TParamOption() = default;
    explicit TParamOption(std::vector<std::string> arguments);
    static TParamOption FromMain(int argc, char** argv);

    bool HasOption(const std::string& option) const;
    // Either of two spellings ("/E" and "+E").
    bool HasOption(const std::string& option, const std::string& alternative) const;
    bool GetParamString(const std::string& option, std::string& out,
                        const std::string& defaultValue) const;
    bool GetParamInteger(const std::string& option, int& out, int defaultValue) const;
    void AddParam(const std::string& argument);
    const std::vector<std::string>& Arguments() const { return arguments_; }
    void Clear() { arguments_.clear(); }

private:
    int IndexOfOption(const std::string& option) const;
    std::vector<std::string> arguments_;
};

// The one option list of the run.
TParamOption& ParamOption();

} // namespace muralto
