#pragma once
// The program's start and end: the single-instance rule, the data start-up that loads the
// settings and the group's data files, and the data shutdown that saves them.
#include <string>
#include <vector>

namespace muralto {

class TSetting;

// True when this start may go on. A running program is told of the second start (which
// then ends); a marker left by a program that ended abnormally asks whether to restart.
bool CheckSingleInstance();
// Removes this run's single-instance marker.
void ReleaseSingleInstance();

// The settings store's start-up events: the first group when there is none, the notice
// of an old catalogue format.
void PrepareSettingsEvents(TSetting& setting);

// Returns the messages of the data files that failed to load (already shown).
std::vector<std::string> DataStartup();
// Saves the data files and settings unless saving is off; reports a failed save.
void DataShutdown();

// The whole program: returns the exit status.
int RunProgram(int argc, char** argv);

} // namespace muralto
