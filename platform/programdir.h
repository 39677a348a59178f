#pragma once
#include <string>

namespace platform {

// The directory of the running program, with its trailing '/': the home of the
// language packages, the driver plug-ins and the help pages.
std::string ProgramDir();

// Where the settings files, "temp.tmp" and the default "Data" folder live: the
// directory named by RECVIEW_HOME when set, else the program directory when it
// can be written and is not below /usr, else (an installed program) "recview" in the user's data
// directory, $XDG_DATA_HOME/recview or ~/.local/share/recview, made when
// missing. Always ends with '/'.
std::string SettingsDir();

// The choice of SettingsDir from its inputs (the environment variables
// RECVIEW_HOME, XDG_DATA_HOME and HOME, null when unset). Falls back to the
// program directory when no user directory can be made.
std::string ChooseSettingsDir(const char* recviewHome, const std::string& programDir,
                              const char* xdgDataHome, const char* home);

// SettingsDir() + name.
std::string SettingsPath(const std::string& name);

}  // namespace platform
