#include "ExtReg.h"

#include "platform/FolderListing.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <algorithm>
#include <iterator>
#include <unordered_set>

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
    const std::string_view path(fileName);
    const size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    const std::string_view extension =
        dot == std::string_view::npos ? std::string_view() : name.substr(dot);
    for (const std::string& e : entries_) {
        std::string_view entry(e);
        if (asterisk_) {
            if (entry.empty() || entry[0] != '*')
                continue;
            entry.remove_prefix(1);
        }
        if (SameTextAscii(entry, extension))
            return true;
    }
    return false;
}

void TExtention::ListFiles(const std::string& folder, std::vector<std::string>& names) const {
    const std::string base = WithSlash(folder);
    Collect(base, ListFolder(base), names);
}

void TExtention::Collect(const std::string& base, const std::vector<FolderEntry>& listing,
                         std::vector<std::string>& names) const {
    // Each file's extension once; then the files of each mask entry in turn.
    std::vector<std::string_view> extensions;
    extensions.reserve(listing.size());
    for (const FolderEntry& e : listing) {
        const size_t dot = e.folder || !Wanted(e, FileAttr) ? std::string::npos : e.name.rfind('.');
        extensions.push_back(dot == std::string::npos ? std::string_view()
                                                      : std::string_view(e.name).substr(dot));
    }
    for (const std::string& entry : entries_) {
        // The entry's extension part: "*.jpg" and ".jpg" both stand for ".jpg".
        const std::string_view wanted =
            asterisk_ ? std::string_view(entry).substr(1) : std::string_view(entry);
        const bool all = wanted == ".*"; // "*.*" names every file, as the search did
        for (size_t i = 0; i < listing.size(); ++i) {
            const FolderEntry& e = listing[i];
            if (e.folder || !Wanted(e, FileAttr))
                continue;
            if (all || SameTextAscii(extensions[i], wanted)) {
                std::string& path = names.emplace_back();
                path.reserve(base.size() + e.name.size()); // one allocation per path
                path.append(base).append(e.name);
            }
        }
    }
}

void TExtention::ListFilesRecursive(const std::string& folder,
                                    std::vector<std::string>& names) const {
    ListFilesByFolder(folder, [&](std::vector<std::string>& files) {
        names.insert(names.end(), std::make_move_iterator(files.begin()),
                     std::make_move_iterator(files.end()));
        return true;
    });
}

void TExtention::ListFilesByFolder(
    const std::string& folder, const std::function<bool(std::vector<std::string>&)>& take) const {
    // Sub-folders depth-first in pre-order, each folder read once: its own files are handed
    // over before its sub-folders are read. A folder reached again through a link is left
    // out, so a loop of links ends.
    std::unordered_set<std::string> seen{RealFolder(WithSlash(folder))};
    std::vector<std::string> pending{WithSlash(folder)};
    std::vector<std::string> files;
    while (!pending.empty()) {
        std::string current = std::move(pending.back());
        pending.pop_back();
        const std::vector<FolderEntry> listing = ListFolder(current);
        std::vector<std::string> children;
        for (const FolderEntry& e : listing)
            if (e.folder && Wanted(e, DirAttr))
                children.push_back(current + e.name + "/");
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            if (seen.insert(RealFolder(*it)).second)
                pending.push_back(*it);
        files.clear();
        Collect(current, listing, files);
        if (!take(files))
            return;
    }
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
