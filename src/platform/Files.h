#pragma once
// Whole-file reads and writes. A write never leaves half a file: the bytes go to a
// temporary file in the same folder, are flushed to disk and renamed over the old file.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace muralto {

class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string ReadWholeFile(const std::string& path);                        // throws FileError
void WriteFileAtomically(const std::string& path, std::string_view bytes); // throws FileError
// The same for a file made of pieces, written one after another without joining them.
void WriteFileAtomically(const std::string& path, const std::vector<std::string_view>& pieces);
// Renames a file that failed to load to "<name>.damaged" ("<name>.N.damaged" when that
// exists) and returns the new path; empty when there was nothing to move.
std::string KeepAside(const std::string& path);
bool RemoveFile(const std::string& path);
bool RenameFile(const std::string& from, const std::string& to);
// Moves a file or folder to the desktop's Trash; false when that failed.
bool MoveToTrash(const std::string& path);

} // namespace muralto
