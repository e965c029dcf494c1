#pragma once
// The sub-commands of muraltoctl, as a table that also prints the help.
#include <stdexcept>
#include <string>
#include <vector>

namespace muraltoctl {

// A mistake of the user's: one line on standard error, exit status 1.
class UserError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using Arguments = std::vector<std::string>;

struct Command {
    const char* words;   // "buffer list"
    const char* usage;   // the arguments after the words
    const char* summary; // one line for --help
    int (*run)(const Arguments& args);
};

const std::vector<Command>& Commands();
std::string HelpText();
int Run(const Arguments& args);
// Whether the command needs Qt's graphical application (fonts, screens) or only its core.
bool NeedsGuiApplication(const Arguments& args);

} // namespace muraltoctl
