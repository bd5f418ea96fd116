#pragma once
// The settings file of a folder: whether it can serve, and putting the shipped one in its
// place. A program that runs the machine on built-in fallbacks without saying so cuts
// with values nobody chose, so both front ends look before they load: the CLI refuses to
// drive the machine, the desktop program asks whether to start from the shipped settings.
#include <filesystem>
#include <string>

namespace wirvela {

inline constexpr const char* kSettingsFileName = "wirvela.ini";

// Why directory/wirvela.ini cannot serve: the folder or the file missing, not a file,
// unreadable, empty, or no settings file (NUL bytes, or no section). Empty when it can.
std::string SettingsFileProblem(const std::filesystem::path& directory);

struct SettingsRestore {
    bool ok = false;
    std::filesystem::path keptAs;  // where the file that stood there went; empty when none did
    std::string error;             // why not, when !ok
};

// Copies shipped/wirvela.ini to directory/wirvela.ini under the settings file lock.
// Whatever stands at that name (an unreadable or binary file, a folder) is first renamed
// to wirvela.ini.bad-<UTC date and time>, so nothing the operator had is lost; when that
// rename fails nothing is copied. The copy goes to a temporary name renamed into place, so
// an interrupted copy never leaves half a settings file.
SettingsRestore RestoreShippedSettings(const std::filesystem::path& directory, const std::filesystem::path& shipped);

}  // namespace wirvela
