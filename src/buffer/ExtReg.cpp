#include "ExtReg.h"

#include "platform/FolderListing.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <algorithm>

namespace muralto {

namespace {

std::string Folded(const std::string& text, TExtCharCase charCase) {
    std::string out = text;
    for (char& c : out) {
        if (charCase == eccUpper && c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        else if (charCase == eccLower && c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return out;
}

std::string WithSlash(const std::string& folder) {
    return folder.empty() || folder.back() == '/' ? folder : folder + '/';
}

// Whether a listing asks for an entry with these attributes: hidden entries only when
// asked for; read-only and ordinary ones always (system and volume entries do not occur).
bool Wanted(const FolderEntry& e, uint8_t bits) {
    return !e.hidden || (bits & efaHidden);
}

} // namespace

void TExtention::SetMask(const std::string& text) {
    if (text == mask_)
        return;
    mask_ = Folded(text, charCase_);
    Parse();
}

void TExtention::Parse() {
    entries_.clear();
    std::string token;
    auto end = [&] {
        if (token == ".")
            entries_.push_back(asterisk_ ? "*.*" : ".*");
        else if (!token.empty())
            entries_.push_back(asterisk_ ? "*" + token : token);
        token.clear();
    };
    for (const char c : mask_) {
        if (c == ';' || c == '*')
            end();
        else
            token += c;
    }
    end();
}

bool TExtention::Matches(const std::string& fileName) const {
    const std::string name = NameOf(fileName);
    const size_t dot = name.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    if (asterisk_)
        extension = "*" + extension;
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const std::string& e) { return SameTextAscii(e, extension); });
}

void TExtention::ListFiles(const std::string& folder, std::vector<std::string>& names) const {
    const std::string base = WithSlash(folder);
    const std::vector<FolderEntry> listing = ListFolder(base);
    for (const std::string& entry : entries_) {
        const std::string pattern = asterisk_ ? entry : "*" + entry;
        // "*.*" names every file, as the platform's search did.
        const bool all = pattern == "*.*";
        for (const FolderEntry& e : listing) {
            if (e.folder || !Wanted(e, FileAttr))
                continue;
            const size_t dot = e.name.rfind('.');
            const std::string extension = dot == std::string::npos ? "" : e.name.substr(dot);
            if (all || SameTextAscii("*" + extension, pattern))
                names.push_back(base + e.name);
        }
    }
}

void TExtention::ListFilesRecursive(const std::string& folder,
                                    std::vector<std::string>& names) const {
    const std::string base = WithSlash(folder);
    ListFiles(base, names);
    // Sub-folders depth-first in pre-order; a folder reached again through a link is
    // left out, so a loop of links ends.
    std::vector<std::string> folders;
    std::vector<std::string> seen{RealFolder(base)};
    std::vector<std::string> pending{base};
    while (!pending.empty()) {
        const std::string current = pending.back();
        pending.pop_back();
        std::vector<std::string> children;
        for (const FolderEntry& e : ListFolder(current))
            if (e.folder && Wanted(e, DirAttr))
                children.push_back(current + e.name + "/");
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            const std::string real = RealFolder(*it);
            if (std::find(seen.begin(), seen.end(), real) != seen.end())
                continue;
            seen.push_back(real);
            pending.push_back(*it);
        }
        if (current != base)
            folders.push_back(current);
    }
    for (const std::string& sub : folders)
        ListFiles(sub, names);
}

void TExtention::Assign(const TExtention& source) {
    charCase_ = source.charCase_;
    asterisk_ = source.asterisk_;
    Attr = source.Attr;
    mask_ = source.mask_;
    entries_ = source.entries_;
}

void TExtention::SetAsterisk(bool on) {
    if (on == asterisk_)
        return;
    asterisk_ = on;
    for (std::string& e : entries_) {
        if (on && (e.empty() || e[0] != '*'))
            e = "*" + e;
        else if (!on && !e.empty() && e[0] == '*')
            e.erase(0, 1);
    }
}

void TExtention::SetCharCase(TExtCharCase charCase) {
    if (charCase == charCase_)
        return;
    charCase_ = charCase;
    if (charCase != eccNormal)
        for (std::string& e : entries_)
            e = Folded(e, charCase);
}

} // namespace muralto
