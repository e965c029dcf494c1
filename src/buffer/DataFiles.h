#pragma once
// Loading and saving all data files of the group in use. A data file that fails to load
// is reported and marked: before the next save writes over it, it is kept aside as
// "<name>.damaged", so nothing the user had is lost.
#include <string>
#include <vector>

namespace muralto {

extern const char* const kBufferFileName; // "BUFFERS.MWF"

enum class TDataFileState { NotLoaded, Loaded, Failed };

// Returns one message per data file that failed to load (also shown to the user).
std::vector<std::string> LoadData();
void SaveData();

TDataFileState DataFileState(const std::string& fileName);
// Forgets the load state of every data file (a new run or a new group).
void ResetDataFileStates();

} // namespace muralto
