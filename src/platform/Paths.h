#pragma once
// Where the program's files live. The program folder is the folder of the running
// executable; the writable files go there too unless it is read-only, and then to the
// user's data folder. MURALTO_HOME redirects the writable folder for tests and demos.
#include <string>

namespace muralto {

// Both end with '/'.
std::string ProgramFolder();
std::string WritableProgramFolder();
// $XDG_DATA_HOME/muralto/ (or ~/.local/share/muralto/), created on demand.
std::string UserDataFolder();
// What stands in for the system folder: "system/" in the user's data folder.
std::string SystemFolder();

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// Creates one folder level; true when it exists afterwards.
bool CreateFolder(const std::string& path);
bool CreateFolders(const std::string& path);
std::string FolderOf(const std::string& path);    // with trailing '/'
std::string NameOf(const std::string& path);      // the last component
std::string ExtensionOf(const std::string& path); // without the dot, as written
std::string Environment(const char* name);        // empty when unset
// The folder with links resolved (the path itself when it cannot be resolved).
std::string RealFolder(const std::string& path);

} // namespace muralto
