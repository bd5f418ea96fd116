#pragma once
// The settings store: every key of wirvela.ini held as text, addressed by section and
// key, with display names and hints for the parameter editor taken from local.txt.
// The store is untyped; each reader decides what a value means (GetNumber for numbers,
// flags and colours, GetText for texts) and gives its own default at the call site.
//
// Lookups are exact and case-sensitive (the file reader itself is not). The set of
// sections and keys is fixed when the file is loaded: SetText never adds a key.
// No lock: the store is filled before any worker thread exists; afterwards readers and
// single-value writers run without one, as they always have.
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace wirvela {

struct SettingDefault;
struct SettingKey;

struct TParameter {
    std::string Key;
    std::string DisplayName;
    std::string Value;
    std::string Hint;
    bool Changed = false;  // set since loading or the last save
};

struct TSection {
    std::string Name;
    std::string DisplayName;
    std::int32_t First = 0;  // index in Params of the section's first parameter
};

// A key of the settings file that the store does not hold: the section's content is read
// through a buffer of TParameters::kListBufferBytes, and the entries before this one
// (a value edited by hand to great length) filled it.
struct HiddenSetting {
    std::string section;
    std::string key;
    std::string value;
};

class TParameters {
public:
    static constexpr int kSectionSlots = 100;  // the last loaded section is followed by the end marker
    static constexpr int kMaxSections = kSectionSlots - 1;
    static constexpr int kMaxParameters = 1000;
    static constexpr std::size_t kListBufferBytes = 10000;  // section list, one section's content
    static constexpr std::size_t kMaxEntryChars = 999;      // one key=value line
    static constexpr std::size_t kNameBufferBytes = 10000;  // display names and hints
    static constexpr std::size_t kNumberBufferBytes = 300;  // a value read as a number

    TParameters();

    // Loads directory/fileName and the names of directory/namesName. A missing or empty
    // settings file gives an empty store; a missing names file gives empty names.
    void Load(const std::filesystem::path& directory, std::string_view fileName, std::string_view namesName);

    // Forgets every section and key, so every reader gets its built-in default; the file
    // names stay, and SaveAll then writes nothing.
    void Clear();

    std::string GetText(std::string_view section, std::string_view key, std::string_view def) const;
    // The value by the decimal prefix rule with commas read as points; `def` when absent.
    double GetNumber(std::string_view section, std::string_view key, double def) const;
    // 0 when the key was found and replaced; -1 (nothing changes) when it is not in the store.
    int SetText(std::string_view section, std::string_view key, std::string_view value);
    // Writes the parameters back under their keys, keeping every other line of the file:
    // those set since loading (or the last save), and those the file no longer holds. A
    // key this store did not change keeps the file's value, so a change another process
    // (wirvela-cli, the desktop program) saved in the meantime is not undone; the file is
    // read and written under the settings file lock. Returns false, with the reason in
    // `error`, when the file could not be written; the file is then unchanged. An empty
    // store writes nothing and succeeds.
    bool SaveAll(std::string* error = nullptr);

    // The same by descriptor of the settings registry (config/Settings.h), with the key's
    // own default, or with the named second default of the places that read it so.
    std::string GetText(const SettingKey& key) const;
    std::string GetText(const SettingKey& key, const SettingDefault& siteDefault) const;
    double GetNumber(const SettingKey& key) const;
    double GetNumber(const SettingKey& key, const SettingDefault& siteDefault) const;
    // On when the number is not 0 (NaN included).
    bool GetFlag(const SettingKey& key) const;
    int SetText(const SettingKey& key, std::string_view value);
    // A key that stands in numbered sections (one per material), in one of them.
    std::string GetText(std::string_view section, const SettingKey& key) const;
    double GetNumber(std::string_view section, const SettingKey& key) const;
    int SetText(std::string_view section, const SettingKey& key, std::string_view value);

    int FindSection(std::string_view section) const;
    int FindParameter(std::string_view section, std::string_view key) const;
    std::string HintOf(std::string_view section, std::string_view key) const;
    std::string DisplayNameOf(std::string_view section, std::string_view key) const;
    std::string KeyOfDisplayName(std::string_view section, std::string_view displayName) const;
    std::string SectionDisplayName(std::string_view section) const;
    std::string SectionOfDisplayName(std::string_view displayName) const;

    int SectionCount() const { return sectionCount_; }
    int ParameterCount() const { return Sections[static_cast<std::size_t>(sectionCount_)].First; }
    // Index range [first, end) of section i's parameters in Params.
    int SectionEnd(int i) const { return Sections[static_cast<std::size_t>(i) + 1].First; }

    // The keys the last Load could not take, in file order; empty for every file whose
    // sections fit the buffer.
    const std::vector<HiddenSetting>& HiddenSettings() const { return hidden_; }

    const std::filesystem::path& FileName() const { return fileName_; }
    const std::filesystem::path& NamesFileName() const { return namesFileName_; }

    // Sections 0 .. SectionCount()-1, then the end marker (empty name).
    std::array<TSection, kSectionSlots> Sections;
    TParameter& Params(int i) { return (*params_)[static_cast<std::size_t>(i)]; }
    const TParameter& Params(int i) const { return (*params_)[static_cast<std::size_t>(i)]; }

private:
    // Records entries[read…] of a section as hidden.
    void NoteHidden(const std::string& section, const std::vector<std::string>& entries, std::size_t read);

    std::unique_ptr<std::array<TParameter, kMaxParameters>> params_;
    std::filesystem::path fileName_;
    std::filesystem::path namesFileName_;
    std::vector<HiddenSetting> hidden_;
    int sectionCount_ = 0;
};

}  // namespace wirvela
