#pragma once
// Which file names a buffer accepts: a mask of wildcard patterns separated by ';'
// ("*.bmp;*.jpg"), matched against the name without regard to ASCII case.
#include <string>
#include <vector>

namespace muralto {

class TExtention {
public:
    void SetMask(const std::string& mask);
    const std::string& Mask() const { return mask_; }
    bool Accepts(const std::string& fileName) const;

    bool Asterisk = false;

private:
    std::string mask_;
    std::vector<std::string> patterns_;
};

bool MatchesWildcard(const std::string& pattern, const std::string& name);

} // namespace muralto
