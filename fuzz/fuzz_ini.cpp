// libFuzzer target of the INI reader behind wirvela.ini and local.txt: any bytes, read as
// a profile file. Whatever it reads must write back to a text that reads the same, a key
// written into a section read from the file must read back, and every stored value goes
// through the domain check of its setting, as `param set` and a cut's start make it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/SettingCheck.h"
#include "platform/IniFile.h"

namespace {

constexpr std::size_t kLargeBuffer = 1 << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    wirvela::IniFile ini = wirvela::IniFile::FromText(text);

    // Written back and read again, the profile is the same text.
    const std::string written = ini.Text();
    if (wirvela::IniFile::FromText(written).Text() != written) __builtin_trap();

    const std::vector<std::string> sections = ini.SectionNames(kLargeBuffer);
    for (const std::string& section : sections) {
        if (!ini.HasSection(section)) __builtin_trap();
        for (const std::string& entry : ini.SectionEntries(section, kLargeBuffer)) {
            const std::size_t eq = entry.find('=');
            if (eq == std::string::npos) continue;
            const std::string_view key = std::string_view(entry).substr(0, eq);
            (void)wirvela::settings::Refusal(section, key, std::string_view(entry).substr(eq + 1));
            (void)ini.GetString(section, key, "", 900);
            (void)ini.GetInt(section, key, -1);
        }
    }

    // A key written into the first section the file has, or into a new one, reads back.
    const std::string section = sections.empty() ? std::string("FuzzSection") : sections.front();
    ini.SetString(section, "FuzzKey", "42");
    const wirvela::IniFile reread = wirvela::IniFile::FromText(ini.Text());
    if (reread.GetInt(section, "FuzzKey", -1) != 42) __builtin_trap();
    return 0;
}
