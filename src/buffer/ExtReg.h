#pragma once
// File masks: a mask text such as "*.bmp;*.jpg" becomes a list of extension entries that
// decide which file names match, and that list the matching files of a folder.
#include "platform/FolderListing.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace muralto {

enum TExtCharCase { eccNormal, eccUpper, eccLower };

// Which files a listing returns, and which sub-folders a recursive listing enters.
enum TExtFileAttr : uint8_t {
    efaNormal = 0x00,
    efaReadOnly = 0x01,
    efaHidden = 0x02,
    efaSysFile = 0x04,
    efaVolumeID = 0x08,
    efaArchive = 0x20,
    efaAnyFile = 0x3F
};
enum TExtDirAttr : uint8_t {
    edaReadOnly = 0x01,
    edaHidden = 0x02,
    edaSysFile = 0x04,
    edaArchive = 0x20
};

class TExtention {
public:
    void SetMask(const std::string& text);
    const std::string& Mask() const { return mask_; }
    bool Matches(const std::string& fileName) const;
    // Kept for the callers that ask it that way.
    bool Accepts(const std::string& fileName) const { return Matches(fileName); }
    // Appends the full paths of the matching files directly in the folder.
    void ListFiles(const std::string& folder, std::vector<std::string>& names) const;
    // The same for the folder and all its sub-folders, collected depth-first.
    void ListFilesRecursive(const std::string& folder, std::vector<std::string>& names) const;
    // The same files, handed over folder by folder as each is read (a folder without
    // matching files as an empty list); take returns false to end the listing.
    void ListFilesByFolder(const std::string& folder,
                           const std::function<bool(std::vector<std::string>&)>& take) const;
    void Assign(const TExtention& source);

    void SetAsterisk(bool on);
    bool Asterisk() const { return asterisk_; }
    void SetCharCase(TExtCharCase charCase);
    TExtCharCase CharCase() const { return charCase_; }
    int Count() const { return int(entries_.size()); }
    const std::vector<std::string>& Entries() const { return entries_; }

    uint16_t Attr = 63;
    uint8_t FileAttr = efaNormal; // bits of TExtFileAttr
    uint8_t DirAttr = 0;          // bits of TExtDirAttr

private:
    void Parse();
    void Collect(const std::string& base, const std::vector<FolderEntry>& listing,
                 std::vector<std::string>& names) const;
    std::string mask_ = "*.*";
    std::vector<std::string> entries_;
    bool asterisk_ = true;
    TExtCharCase charCase_ = eccLower;
};

} // namespace muralto
