#include "config/Parameters.h"

#include <cassert>
#include <limits>

#include "config/NumberText.h"
#include "config/SettingKey.h"
#include "platform/IniFile.h"
#include "platform/SettingsFileLock.h"

namespace wirvela {

namespace {

constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();

// "\n" in a hint becomes a blank and a line feed, so the text keeps its length.
std::string HintText(std::string hint) {
    for (std::size_t i = 0; i + 1 < hint.size(); ++i) {
        if (hint[i] == '\\' && hint[i + 1] == 'n') {
            hint[i] = ' ';
            hint[i + 1] = '\n';
            ++i;
        }
    }
    return hint;
}

}  // namespace

TParameters::TParameters() : params_(std::make_unique<std::array<TParameter, kMaxParameters>>()) {}

void TParameters::Load(const std::filesystem::path& directory, std::string_view fileName,
                       std::string_view namesName) {
    fileName_ = directory / fileName;
    namesFileName_ = directory / namesName;
    Clear();

    const IniFile settings = IniFile::Load(fileName_);
    const IniFile names = IniFile::Load(namesFileName_);

    hidden_.clear();
    std::vector<std::string> sectionNames = settings.SectionNames(kListBufferBytes);
    if (sectionNames.size() > static_cast<std::size_t>(kMaxSections)) sectionNames.resize(kMaxSections);

    int j = 0;
    int n = 0;
    for (const std::string& name : sectionNames) {
        TSection& section = Sections[static_cast<std::size_t>(j)];
        section.Name = name;
        section.DisplayName = names.GetString("SectionsNames", name, "", kNameBufferBytes);
        section.First = n;
        const std::vector<std::string> entries = settings.SectionEntries(name, kListBufferBytes);
        NoteHidden(name, settings.SectionEntries(name, kUnlimited), entries.size());
        for (const std::string& line : entries) {
            if (n >= kMaxParameters || line.empty()) break;
            std::string entry = line.substr(0, kMaxEntryChars);
            if (entry.front() == '#') continue;
            TParameter& p = Params(n);
            std::size_t eq = entry.find('=');
            p.Key = entry.substr(0, eq);
            p.Value = eq == std::string::npos ? std::string() : entry.substr(eq + 1);
            p.DisplayName = names.GetString("ParametersNames", p.Key, "", kNameBufferBytes);
            p.Hint = HintText(names.GetString("ParametersHints", p.Key, "", kNameBufferBytes));
            ++n;
        }
        ++j;
    }
    sectionCount_ = j;
    Sections[static_cast<std::size_t>(j)].First = n;
}

void TParameters::Clear() {
    Sections.fill(TSection{});
    params_->fill(TParameter{});
    sectionCount_ = 0;
    hidden_.clear();
}

void TParameters::NoteHidden(const std::string& section, const std::vector<std::string>& entries, std::size_t read) {
    for (std::size_t i = read; i < entries.size(); ++i) {
        const std::string& entry = entries[i];
        if (entry.front() == '#') continue;  // switched off anyway
        const std::size_t eq = entry.find('=');
        hidden_.push_back({section, entry.substr(0, eq), eq == std::string::npos ? std::string() : entry.substr(eq + 1)});
    }
}

int TParameters::FindSection(std::string_view section) const {
    for (int i = 0; i < sectionCount_; ++i)
        if (Sections[static_cast<std::size_t>(i)].Name == section) return i;
    return -1;
}

int TParameters::FindParameter(std::string_view section, std::string_view key) const {
    int s = FindSection(section);
    if (s < 0) return -1;
    for (int i = Sections[static_cast<std::size_t>(s)].First; i < SectionEnd(s); ++i)
        if (Params(i).Key == key) return i;
    return -1;
}

std::string TParameters::GetText(std::string_view section, std::string_view key, std::string_view def) const {
    int i = FindParameter(section, key);
    return i < 0 ? std::string(def) : Params(i).Value;
}

double TParameters::GetNumber(std::string_view section, std::string_view key, double def) const {
    std::string text = GetText(section, key, NumberToText(def));
    if (text.size() > kNumberBufferBytes - 1) text.resize(kNumberBufferBytes - 1);
    return DecimalPrefixWithCommas(text);
}

int TParameters::SetText(std::string_view section, std::string_view key, std::string_view value) {
    int i = FindParameter(section, key);
    if (i < 0) return -1;
    Params(i).Value = std::string(value);
    Params(i).Changed = true;
    return 0;
}

bool TParameters::SaveAll(std::string* error) {
    if (sectionCount_ == 0) return true;
    SettingsFileLock lock(fileName_);
    IniFile file = IniFile::Load(fileName_);
    for (int s = 0; s < sectionCount_; ++s) {
        const TSection& section = Sections[static_cast<std::size_t>(s)];
        for (int i = section.First; i < SectionEnd(s); ++i) {
            const TParameter& p = Params(i);
            if (p.Changed || !file.HasKey(section.Name, p.Key)) file.SetString(section.Name, p.Key, p.Value);
        }
    }
    if (!file.Save(fileName_, error)) return false;
    for (int i = 0; i < Sections[static_cast<std::size_t>(sectionCount_)].First; ++i) Params(i).Changed = false;
    return true;
}

std::string TParameters::GetText(const SettingKey& key) const {
    return GetText(key.section, key.key, key.def.text);
}

std::string TParameters::GetText(const SettingKey& key, const SettingDefault& siteDefault) const {
    assert(siteDefault.text == key.def.text || siteDefault.text == key.second.text);
    return GetText(key.section, key.key, siteDefault.text);
}

double TParameters::GetNumber(const SettingKey& key) const {
    return GetNumber(key.section, key.key, key.def.number);
}

double TParameters::GetNumber(const SettingKey& key, const SettingDefault& siteDefault) const {
    assert(siteDefault.number == key.def.number || siteDefault.number == key.second.number);
    return GetNumber(key.section, key.key, siteDefault.number);
}

bool TParameters::GetFlag(const SettingKey& key) const {
    return GetNumber(key) != 0;
}

int TParameters::SetText(const SettingKey& key, std::string_view value) {
    return SetText(key.section, key.key, value);
}

std::string TParameters::GetText(std::string_view section, const SettingKey& key) const {
    return GetText(section, key.key, key.def.text);
}

double TParameters::GetNumber(std::string_view section, const SettingKey& key) const {
    return GetNumber(section, key.key, key.def.number);
}

int TParameters::SetText(std::string_view section, const SettingKey& key, std::string_view value) {
    return SetText(section, key.key, value);
}

std::string TParameters::HintOf(std::string_view section, std::string_view key) const {
    int i = FindParameter(section, key);
    return i < 0 ? std::string() : Params(i).Hint;
}

std::string TParameters::DisplayNameOf(std::string_view section, std::string_view key) const {
    if (FindSection(section) < 0) return "-1";
    int i = FindParameter(section, key);
    return i < 0 ? std::string() : Params(i).DisplayName;
}

std::string TParameters::KeyOfDisplayName(std::string_view section, std::string_view displayName) const {
    int s = FindSection(section);
    if (s < 0) return "-1";
    for (int i = Sections[static_cast<std::size_t>(s)].First; i < SectionEnd(s); ++i)
        if (Params(i).DisplayName == displayName) return Params(i).Key;
    return {};
}

std::string TParameters::SectionDisplayName(std::string_view section) const {
    int s = FindSection(section);
    return s < 0 ? std::string() : Sections[static_cast<std::size_t>(s)].DisplayName;
}

std::string TParameters::SectionOfDisplayName(std::string_view displayName) const {
    for (int i = 0; i < sectionCount_; ++i)
        if (Sections[static_cast<std::size_t>(i)].DisplayName == displayName) return Sections[static_cast<std::size_t>(i)].Name;
    return {};
}

}  // namespace wirvela
