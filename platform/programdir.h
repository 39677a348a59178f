#pragma once
#include <string>

namespace platform {

// The directory of the running program, with its trailing '/': the home of the
// language packages, the driver plug-ins and the help pages.
std::string ProgramDir();

// Where the settings files, "temp.tmp" and the default "Data" folder live: the
// directory named by RECVIEW_HOME when set, else the program directory. Always
// ends with '/'.
std::string SettingsDir();

// SettingsDir() + name.
std::string SettingsPath(const std::string& name);

}  // namespace platform
