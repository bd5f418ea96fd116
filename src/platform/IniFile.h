#pragma once
// INI profile files with the semantics of the classic profile API that the settings
// store and the message table were designed against:
//  - section and key names are matched case-insensitively (ASCII), first match wins;
//  - names and values are trimmed of blanks and tabs; a value enclosed in a pair of
//    matching quotes (' or ") is read without them;
//  - every read takes the size of the caller's buffer and returns what fits in it
//    (size - 1 characters for a single value);
//  - a write replaces the value of an existing key in place and leaves every other
//    line, comments included, untouched; a missing key is added at the end of its
//    section, a missing section at the end of the file.
// Lines starting with ';' are comments. Writes go to a temporary file that is renamed
// over the original, so a crash never leaves a half-written file behind.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace wirvela {

class IniFile {
public:
    // Files larger than this are read only up to it; writing to one is refused rather
    // than cutting it short.
    static constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;

    IniFile() = default;

    // Reads a profile file. A missing or unreadable file gives an empty profile.
    static IniFile Load(const std::filesystem::path& path);
    static IniFile FromText(std::string_view text);

    // The value of a key, or `def` when the section or key is absent; at most
    // bufferSize - 1 characters (bufferSize 0 gives an empty text).
    std::string GetString(std::string_view section, std::string_view key, std::string_view def,
                          std::size_t bufferSize) const;

    // The integer prefix of a key's value; `def` when the section or key is absent.
    long GetInt(std::string_view section, std::string_view key, long def) const;

    // Section names in file order. As with a caller's buffer of bufferSize bytes holding
    // NUL-terminated names and a final NUL, names that do not fit whole are not returned.
    std::vector<std::string> SectionNames(std::size_t bufferSize) const;

    // The whole content of a section: every non-blank, non-';' line, trimmed, keys and
    // values as "key=value" (a line without '=' as it stands). Entries that do not fit
    // whole into a buffer of bufferSize bytes are not returned.
    std::vector<std::string> SectionEntries(std::string_view section, std::size_t bufferSize) const;

    bool HasSection(std::string_view section) const;
    bool HasKey(std::string_view section, std::string_view key) const { return FindEntry(section, key) != nullptr; }

    // Replaces or adds one key in memory, as the classic writer does in the file.
    void SetString(std::string_view section, std::string_view key, std::string_view value);

    // The profile as file text, with the line ending the file was read with.
    std::string Text() const;

    // Writes the profile atomically. Fails (returns false, `error` says why) when the
    // target exists and is read-only, or when the temporary file cannot be written or
    // renamed; the original file is then unchanged.
    bool Save(const std::filesystem::path& path, std::string* error = nullptr) const;

    // Read-modify-write of one key of a file, atomically.
    static bool WriteKey(const std::filesystem::path& path, std::string_view section,
                         std::string_view key, std::string_view value, std::string* error = nullptr);

    // Reads one integer key straight from a file.
    static long ReadInt(const std::filesystem::path& path, std::string_view section,
                        std::string_view key, long def);

    bool TooLarge() const { return tooLarge_; }
    // The file exists but could not be read (no permission, a folder).
    bool Unreadable() const { return unreadable_; }

    // A line that no profile reader would take as it was meant: one holding a control
    // character (NUL and the other bytes below 32 but the tab; a carriage return only at
    // the line's end), text before the first section that is no comment, a section header
    // without its closing bracket, a line without '=' or with nothing before it. The
    // readers above skip such lines or read them as odd keys; this says where the file
    // went wrong. Bytes from 128 up are text of some code page and pass.
    struct Flaw {
        std::size_t line = 0;  // 1-based
        std::string what;      // "holds a NUL byte", …
    };
    std::optional<Flaw> FirstFlaw() const;

private:
    struct Entry {
        std::string key;
        std::string value;
        bool hasEquals = false;
        std::size_t line = 0;
    };
    // Names compare without regard to ASCII case; lookups take a string_view.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const;
    };
    struct NameEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    // Name → position of its first occurrence. The settings and the message table are
    // read key by key, hundreds of keys in sections of hundreds: a scan per key made
    // loading them quadratic.
    using NameIndex = std::unordered_map<std::string, std::size_t, NameHash, NameEqual>;

    struct Section {
        std::string name;
        std::size_t header = 0;    // line of "[name]"
        std::size_t lastLine = 0;  // last non-blank line belonging to the section
        std::vector<Entry> entries;
        NameIndex keys;
    };

    void Parse();
    void IndexNames();
    const Section* FindSection(std::string_view name) const;
    const Entry* FindEntry(std::string_view section, std::string_view key) const;

    std::vector<std::string> lines_;
    std::string eol_ = "\n";
    std::vector<Section> sections_;
    NameIndex sectionIndex_;
    bool tooLarge_ = false;
    bool finalBreak_ = true;
    bool unreadable_ = false;  // the file exists but could not be read
};

}  // namespace wirvela
