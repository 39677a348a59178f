#pragma once
// Private profile (INI) files with the semantics the program's settings files
// have always had: section and key names are compared without regard to case,
// keys stay in the order they were first written, an integer read takes the
// leading digits of the text (none gives 0), and a missing file, section or key
// gives the caller's default.
#include <string>

namespace platform {

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& def, const std::string& file);
int GetPrivateProfileInt(const std::string& section, const std::string& key, int def,
                         const std::string& file);
// Writes (or replaces) one key. The file is rewritten through a temporary file
// and renamed over the old one, so a failed write (full disk, no permission)
// leaves the old file as it was; two writers at once never mix their lines.
// Returns false on failure, for a section, key or value holding a line break or
// NUL, and for a file that exists but cannot be read (it is left alone).
bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& file);
// True when the key is present in the file.
bool HasProfileKey(const std::string& section, const std::string& key, const std::string& file);

// The integer rule alone: optional blanks, an optional sign, then the leading
// decimal digits; text without digits gives 0.
int ProfileTextToInt(const std::string& text);

}  // namespace platform
