#include "ExtReg.h"

#include "platform/Paths.h"
#include "platform/Text.h"

namespace muralto {

void TExtention::SetMask(const std::string& mask) {
    mask_ = mask;
    patterns_.clear();
    size_t start = 0;
    while (start <= mask.size()) {
        size_t end = mask.find(';', start);
        if (end == std::string::npos)
            end = mask.size();
        std::string pattern = mask.substr(start, end - start);
        while (!pattern.empty() && pattern.front() == ' ')
            pattern.erase(pattern.begin());
        while (!pattern.empty() && pattern.back() == ' ')
            pattern.pop_back();
        if (!pattern.empty())
            patterns_.push_back(UpperAscii(pattern));
        start = end + 1;
    }
}

bool TExtention::Accepts(const std::string& fileName) const {
    const std::string name = UpperAscii(NameOf(fileName));
    for (const std::string& pattern : patterns_)
        if (MatchesWildcard(pattern, name))
            return true;
    return false;
}

bool MatchesWildcard(const std::string& pattern, const std::string& name) {
    // Iterative matching with one back-tracking point per '*'.
    size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace muralto
