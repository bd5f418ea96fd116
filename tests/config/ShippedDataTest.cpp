// Keeps the shipped data/local.txt and data/wirvela.ini complete: every message number
// that some part of the program shows has a text whose printf placeholders match what
// that part passes, and every section and key that the program reads or writes stands in
// the settings file (the store never adds keys, so a missing one loses its changes) and
// has a name and a hint in the parameter editor.
//
// The messages come from the table of used messages (config/UsedMessages.h), settings
// from the settings registry (config/Settings.h).
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/Messages.h"
#include "config/Settings.h"
#include "config/UsedMessages.h"
#include "platform/IniFile.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

// Read sizes of the program's own readers.
constexpr std::size_t kMessageBuffer = 900;     // a message keeps at most 899 characters
constexpr std::size_t kStoreBuffer = 10000;     // section list and section contents of the store
constexpr std::size_t kStoreMaxSections = 99;   // the store keeps one slot as its end marker
constexpr std::size_t kStoreMaxParameters = 1000;
constexpr std::size_t kStoreMaxEntry = 999;     // one key=value line
constexpr std::size_t kUnlimited = 1 << 20;     // reads that must see everything
constexpr const char* kAbsent = "???#";         // the message loader's "key absent" default

const IniFile& LocalTxt() {
    static const IniFile file = IniFile::Load(test::ShippedDataDir() / "local.txt");
    return file;
}

const IniFile& WirvelaIni() {
    static const IniFile file = IniFile::Load(test::ShippedDataDir() / "wirvela.ini");
    return file;
}

std::string MessageKey(int key) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%05d", key);
    return buffer;
}

std::string KeyOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// ---------------------------------------------------------------------------------------
// printf conversions

// The conversions of a format text, each reduced to the argument it consumes: "%d" an
// int-sized integer (d i o u x X, optionally h or hh), "%ld", "%lld", "%f" a double
// (f F e E g G a A, optionally l), "%Lf", "%s", "%c", "%p". "%%" consumes nothing.
// nullopt when the text is no safe format: a '%' at the end, '*' width or precision,
// %n, or an unknown conversion.
std::optional<std::vector<std::string>> Conversions(std::string_view text) {
    std::vector<std::string> result;
    const auto has = [&](std::size_t i) { return i < text.size(); };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        ++i;
        if (!has(i)) return std::nullopt;
        if (text[i] == '%') continue;
        while (has(i) && std::string_view("-+ #0'").find(text[i]) != std::string_view::npos) ++i;
        if (has(i) && text[i] == '*') return std::nullopt;
        while (has(i) && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
        if (has(i) && text[i] == '.') {
            ++i;
            if (has(i) && text[i] == '*') return std::nullopt;
            while (has(i) && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
        }
        std::string length;
        while (has(i) && std::string_view("hlLjzt").find(text[i]) != std::string_view::npos) {
            length += text[i++];
        }
        if (!has(i)) return std::nullopt;
        const char conversion = text[i];
        if (std::string_view("diouxX").find(conversion) != std::string_view::npos) {
            if (length.empty() || length == "h" || length == "hh") result.push_back("%d");
            else if (length == "l") result.push_back("%ld");
            else if (length == "ll") result.push_back("%lld");
            else return std::nullopt;
        } else if (std::string_view("fFeEgGaA").find(conversion) != std::string_view::npos) {
            if (length.empty() || length == "l") result.push_back("%f");
            else if (length == "L") result.push_back("%Lf");
            else return std::nullopt;
        } else if (length.empty() && (conversion == 's' || conversion == 'c' || conversion == 'p')) {
            result.push_back(std::string("%") + conversion);
        } else {
            return std::nullopt;
        }
    }
    return result;
}

std::string Joined(const std::vector<std::string>& conversions) {
    std::string text;
    for (const auto& c : conversions) text += c;
    return text.empty() ? "(none)" : text;
}

TEST(PrintfConversions, ReducesEachConversionToTheArgumentItConsumes) {
    EXPECT_EQ(Joined(*Conversions("Loc %X: VID %04X %-5s %c")), "%d%d%s%c");
    EXPECT_EQ(Joined(*Conversions("%5.1lf x %.2f, %e")), "%f%f%f");
    EXPECT_EQ(Joined(*Conversions("%ld %lld %Lf")), "%ld%lld%Lf");
    EXPECT_EQ(Joined(*Conversions("100%% done")), "(none)");
    EXPECT_EQ(Joined(*Conversions("%d%%")), "%d");
    // A stray percent sign before a blank is a conversion with the blank flag.
    EXPECT_EQ(Joined(*Conversions("100% sure")), "%s");
}

TEST(PrintfConversions, RejectsFormatsThatAreNotSafe) {
    EXPECT_FALSE(Conversions("50%"));
    EXPECT_FALSE(Conversions("100%!"));
    EXPECT_FALSE(Conversions("%*d"));
    EXPECT_FALSE(Conversions("%.*f"));
    EXPECT_FALSE(Conversions("%n"));
    EXPECT_FALSE(Conversions("%ls"));
}

// ---------------------------------------------------------------------------------------
// Messages

void ExpectTextWithThePlaceholdersItsCallerPasses(const UsedMessage& m) {
    const std::string text = LocalTxt().GetString("Strings", MessageKey(m.key), kAbsent, kUnlimited);
    ASSERT_NE(text, kAbsent) << "no text for message " << MessageKey(m.key);
    EXPECT_NE(text.find_first_not_of(" \t"), std::string::npos) << "blank message";
    EXPECT_LT(text.size(), kMessageBuffer) << "the loader would cut this text";

    const auto actual = Conversions(text);
    ASSERT_TRUE(actual) << "not a safe printf format (write a percent sign as %%): " << text;
    const auto expected = Conversions(m.placeholders);
    ASSERT_TRUE(expected);
    EXPECT_EQ(Joined(*actual), Joined(*expected)) << text;
}

TEST(ShippedMessages, EveryRequiredMessageHasATextWithThePlaceholdersItsCallerPasses) {
    for (const UsedMessage& m : UsedMessages()) {
        SCOPED_TRACE("message " + MessageKey(m.key));
        ExpectTextWithThePlaceholdersItsCallerPasses(m);
    }
}

TEST(ShippedMessages, FileIsMarkedPresentWithTitleAndCharacterSet) {
    for (const char* name : {"local.txt", "wirvela.ini"}) {
        const auto path = test::ShippedDataDir() / name;
        ASSERT_TRUE(std::filesystem::is_regular_file(path)) << "missing " << path;
    }
    const IniFile& local = LocalTxt();
    EXPECT_EQ(local.GetInt("Present", "Present", 0), 1);
    EXPECT_EQ(local.GetString("Main", "CharsetCode", "missing", 990), "0");
    EXPECT_NE(local.GetString("Strings", "00000", "", kMessageBuffer), "");
}

TEST(ShippedMessages, FileLoadsCleanWithEveryMessage) {
    TMessages messages;
    ASSERT_TRUE(messages.CheckLocalFile(test::ShippedDataDir()));
    EXPECT_EQ(messages.FileCheck().state, LocalFileCheck::State::Sound) << messages.LocalFileWarning();
    EXPECT_EQ(messages.LocalFileWarning(), "");
}

// A key outside the table is a typo (the program would show "!!! Unknown string !!!" for
// the intended number) or a text no part shows; a repeated key hides its second text.
TEST(ShippedMessages, EveryStringsKeyIsAFiveDigitNumberThatAPartUses) {
    std::set<int> required;
    for (const auto& m : UsedMessages()) required.insert(m.key);

    std::set<std::string> seen;
    for (const std::string& entry : LocalTxt().SectionEntries("Strings", kUnlimited)) {
        const std::string key = KeyOf(entry);
        ASSERT_EQ(key.size(), 5u) << entry;
        for (char c : key) ASSERT_TRUE(std::isdigit(static_cast<unsigned char>(c))) << entry;
        EXPECT_TRUE(required.count(std::atoi(key.c_str()))) << "message no part uses: " << entry;
        EXPECT_TRUE(seen.insert(key).second) << "repeated key " << key;
    }
}

// Names are looked up without regard to case and the first match wins, so a repeated
// key in any section of local.txt silently loses its second value.
TEST(ShippedMessages, NoSectionRepeatsAKey) {
    for (const std::string& section : LocalTxt().SectionNames(kUnlimited)) {
        std::set<std::string> seen;
        for (const std::string& entry : LocalTxt().SectionEntries(section, kUnlimited)) {
            EXPECT_TRUE(seen.insert(Lower(KeyOf(entry))).second)
                << "[" << section << "] repeats " << KeyOf(entry);
        }
    }
}

// ---------------------------------------------------------------------------------------
// Settings

struct RequiredSetting {
    std::string section;
    std::string key;
};

// Every registered key in every section it stands in.
std::vector<RequiredSetting> RequiredSettingList() {
    std::vector<RequiredSetting> list;
    for (const SettingKey* key : settings::All()) {
        for (const std::string& section : settings::SectionsOf(*key)) list.push_back({section, std::string(key->key)});
    }
    return list;
}

using SettingsFile = std::map<std::string, std::map<std::string, std::string>>;

// The settings file as the store sees it: names compared exactly, byte for byte.
SettingsFile ShippedSettings() {
    SettingsFile settings;
    for (const std::string& section : WirvelaIni().SectionNames(kUnlimited)) {
        auto& keys = settings[section];
        for (const std::string& entry : WirvelaIni().SectionEntries(section, kUnlimited)) {
            const auto eq = entry.find('=');
            keys[entry.substr(0, eq)] = eq == std::string::npos ? "" : entry.substr(eq + 1);
        }
    }
    return settings;
}

void ExpectInTheSettingsFileWithANameAndAHint(const SettingsFile& shipped, const RequiredSetting& s) {
    const auto section = shipped.find(s.section);
    ASSERT_NE(section, shipped.end()) << "wirvela.ini has no section [" << s.section << "]";
    EXPECT_TRUE(section->second.count(s.key)) << "[" << s.section << "] has no key " << s.key;

    EXPECT_NE(LocalTxt().GetString("SectionsNames", s.section, "", kUnlimited), "");
    const std::string name = LocalTxt().GetString("ParametersNames", s.key, "", kUnlimited);
    EXPECT_NE(name, "") << "no display name for " << s.key;
    // The parameter editor shows "name=value" and cuts a clicked node at its first '='.
    EXPECT_EQ(name.find('='), std::string::npos) << name;
    EXPECT_NE(LocalTxt().GetString("ParametersHints", s.key, "", kUnlimited), "")
        << "no hint for " << s.key;
}

TEST(ShippedSettings, EveryRegisteredKeyStandsInTheSettingsFileWithANameAndAHint) {
    const SettingsFile shipped = ShippedSettings();
    for (const RequiredSetting& s : RequiredSettingList()) {
        SCOPED_TRACE("[" + s.section + "] " + s.key);
        ExpectInTheSettingsFileWithANameAndAHint(shipped, s);
    }
}

// A key the program does not know is a typo: the program then reads its default and
// cannot keep a changed value.
TEST(ShippedSettings, EveryEntryIsASettingTheProgramUses) {
    std::set<std::pair<std::string, std::string>> required;
    for (const auto& s : RequiredSettingList()) required.insert({s.section, s.key});

    for (const std::string& section : WirvelaIni().SectionNames(kUnlimited)) {
        std::set<std::string> seen;
        for (const std::string& entry : WirvelaIni().SectionEntries(section, kUnlimited)) {
            EXPECT_NE(entry.find('='), std::string::npos) << "[" << section << "] " << entry;
            EXPECT_NE(entry.front(), '#') << "switched-off key [" << section << "] " << entry;
            EXPECT_TRUE(required.count({section, KeyOf(entry)})) << "unknown [" << section << "] " << entry;
            EXPECT_TRUE(seen.insert(Lower(KeyOf(entry))).second) << "[" << section << "] repeats " << entry;
        }
    }
}

// The store silently drops what does not fit its buffers and tables.
TEST(ShippedSettings, FitTheLimitsOfTheSettingsStore) {
    const IniFile& ini = WirvelaIni();
    const auto sections = ini.SectionNames(kUnlimited);
    EXPECT_EQ(ini.SectionNames(kStoreBuffer).size(), sections.size());
    EXPECT_LE(sections.size(), kStoreMaxSections);

    std::size_t parameters = 0;
    for (const std::string& section : sections) {
        const auto entries = ini.SectionEntries(section, kUnlimited);
        EXPECT_EQ(ini.SectionEntries(section, kStoreBuffer).size(), entries.size()) << section;
        for (const auto& entry : entries) EXPECT_LE(entry.size(), kStoreMaxEntry) << entry;
        parameters += entries.size();
    }
    EXPECT_LE(parameters, kStoreMaxParameters);
}

// The parameter editor maps a clicked node back to its section and key by display name,
// taking the first match: names must be unique among sections and within each section.
TEST(ShippedSettings, DisplayNamesAreUniqueWhereTheEditorLooksThemUp) {
    std::set<std::string> sectionNames;
    for (const std::string& section : WirvelaIni().SectionNames(kUnlimited)) {
        const std::string name = LocalTxt().GetString("SectionsNames", section, "", kUnlimited);
        EXPECT_TRUE(sectionNames.insert(name).second) << "section name \"" << name << "\" repeats";

        std::set<std::string> keyNames;
        for (const std::string& entry : WirvelaIni().SectionEntries(section, kUnlimited)) {
            const std::string keyName =
                LocalTxt().GetString("ParametersNames", KeyOf(entry), "", kUnlimited);
            EXPECT_TRUE(keyNames.insert(keyName).second)
                << "[" << section << "] name \"" << keyName << "\" repeats";
        }
    }
}

// The value of a key in one section of the settings file; throws when either is missing.
const std::string& ShippedText(const SettingsFile& shipped, std::string_view section, std::string_view key) {
    return shipped.at(std::string(section)).at(std::string(key));
}

long ShippedInteger(const SettingsFile& shipped, std::string_view section, const SettingKey& key) {
    return std::strtol(ShippedText(shipped, section, key.key).c_str(), nullptr, 10);
}

// A shipped material outside the limits would make the materials dialog refuse every close.
TEST(ShippedSettings, MaterialsLieWithinTheirLimits) {
    const SettingsFile shipped = ShippedSettings();
    struct Column {
        const SettingKey& value;
        const SettingKey& min;
        const SettingKey& max;
    };
    const Column columns[] = {
        {settings::kMaterialV, settings::kVxyMin, settings::kVxyMax},
        {settings::kMaterialT, settings::kTempMin, settings::kTempMax},
        {settings::kMaterialRozgrzew, settings::kHeatingTimeMin, settings::kHeatingTimeMax},
        {settings::kMaterialOpWKacie, settings::kPauseMin, settings::kPauseMax},
        {settings::kMaterialKatGr, settings::kAlphaBoundsMin, settings::kAlphaBoundsMax},
    };

    for (int n = 1; n <= settings::kMaterialSections; ++n) {
        const std::string section = settings::MaterialSection(n);
        ASSERT_TRUE(shipped.count(section)) << section;
        EXPECT_NE(ShippedText(shipped, section, settings::kMaterialNazwa.key), "") << section;
        for (const Column& c : columns) {
            const long value = ShippedInteger(shipped, section, c.value);
            EXPECT_GE(value, ShippedInteger(shipped, c.min.section, c.min)) << section << "/" << c.value.key;
            EXPECT_LE(value, ShippedInteger(shipped, c.max.section, c.max)) << section << "/" << c.value.key;
        }
    }
    const long selected = ShippedInteger(shipped, settings::kOstatni.section, settings::kOstatni);
    EXPECT_GE(selected, 0);
    EXPECT_LT(selected, settings::kMaterialSections);
}

// A first start must find the simulated cutter, so a new user can run a job without a machine.
TEST(ShippedSettings, FirstStartSelectsTheSimulatedController) {
    const SettingsFile shipped = ShippedSettings();
    EXPECT_EQ(ShippedText(shipped, settings::kRSparam, settings::kVID.key), "1027");
    EXPECT_EQ(ShippedText(shipped, settings::kRSparam, settings::kPID.key), "24592");
    EXPECT_EQ(ShippedText(shipped, settings::kRSparam, settings::kSerialNo.key), "SIM00001");
}

}  // namespace
}  // namespace wirvela
