#pragma once
// "Config.ini": the language and the last file opened or saved.
#include <string>

namespace platform {

// The program directory with its trailing '/'.
std::string GetProgramDir();

// "LanguageSetting"/"Language": 0 Chinese, 1 English; 2 and above read as 0;
// a negative value is returned as it is (no language package: the start ends).
int ReadLanguage();
bool WriteLanguage(int language);

// Creates the "Data" folder of the settings directory (every call), then reads
// "FileSetting"/"LastDir" with that folder as the default.
std::string ReadLastDir();
bool WriteLastDir(const std::string& path);

// The default data folder, with its trailing '/'.
std::string DataDir();

}  // namespace platform
