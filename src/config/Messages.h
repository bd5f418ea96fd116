#pragma once
// The numbered message table and the window texts of local.txt, the file that holds
// every text the operator sees. Translating the program means replacing that file.
//
// Lifecycle: CheckLocalFile once at start-up (after the settings store), then, when
// the file is present, LoadMessages; every window localises itself at the end of its
// creation. The table is filled before any worker thread exists and is only read
// afterwards, so lookups take no lock.
#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/LocalisableWindow.h"
#include "platform/IniFile.h"

namespace wirvela {

// What the start-up check found in local.txt. Sound also covers a file marked absent
// (Present=0): that is the operator's choice and gets the missing-file warning.
struct LocalFileCheck {
    enum class State {
        Sound,
        Missing,     // no file, or one marked absent
        Unreadable,  // there, but it cannot be read
        Garbled,     // damaged bytes or structure, or none of the messages the program shows
        Incomplete,  // well formed, but some messages the program shows are not in it
    };
    State state = State::Sound;
    std::size_t line = 0;  // first bad line, 1-based; 0 when the fault has no line
    std::string what;      // "holds a NUL byte", "lacks 3 messages the program shows: 00600, …"
};

class TMessages {
public:
    static constexpr int kKeyCount = 2000;  // keys 0 … 1999 of section Strings
    static constexpr const char* kFileName = "local.txt";
    static constexpr const char* kUnknownString = "!!! Unknown string !!!";
    static constexpr const char* kMissingWindowText = "Text ?!";
    static constexpr const char* kDefaultTitle = "Ploter termiczny";
    // The warning the caller shows (exclamation icon, OK button) when CheckLocalFile
    // reports the file missing; these two are the only texts not taken from the file.
    static constexpr const char* kMissingFileText = "Brak pliku LOCAL.TXT\nLOCAL.TXT file not found.";
    static constexpr const char* kMissingFileCaption = "Ostrzezenie | Warning";
    // The first line of the warning about a file that is there but cannot serve as it is;
    // the file's name, the line and what is wrong follow (LocalFileWarning).
    static constexpr const char* kDamagedFileText = "Uszkodzony plik LOCAL.TXT\nLOCAL.TXT file is damaged.";

    // Buffer sizes of the reads, as characters + terminator: a message keeps at most
    // 899 characters, a window text at most 989.
    static constexpr std::size_t kPresentBuffer = 90;
    static constexpr std::size_t kMessageBuffer = 900;
    static constexpr std::size_t kWindowTextBuffer = 990;

    TMessages() { index_.fill(-1); }

    // Remembers directory/local.txt and reads its presence flag: section Present, key
    // Present, non-zero by the integer prefix rule. A missing file, a missing key and
    // the value 0 all count as "no file". Returns the flag. Also examines the file for
    // damage (FileCheck): the texts of a damaged file marked present are still used as
    // far as they could be read.
    bool CheckLocalFile(const std::filesystem::path& directory);

    const LocalFileCheck& FileCheck() const { return check_; }
    // One line for the operator about a file that is there but damaged, unreadable or
    // incomplete: its path, the line and what is wrong, and what the program does about
    // it. Empty for a sound or missing file (the missing-file warning covers that).
    std::string LocalFileWarning() const;

    // Fills the table from section Strings (keys "%05d", 0 … 1999) and takes key 0 as
    // the application title. Does nothing when the presence flag is clear, so a file
    // marked absent never supplies texts. Replaces an earlier table. Returns the number
    // of entries.
    int LoadMessages();

    // The text of a key, or kUnknownString. The reference stays valid until
    // FreeMessages or the next LoadMessages. Safe from any thread once loaded.
    const std::string& MessageText(int key) const;

    void FreeMessages();

    // Applies the window's texts from its section (title, then each control in the
    // list's order) and the character set of section Main, key CharsetCode. Does
    // nothing when the presence flag is clear, so windows keep their design-time texts.
    void LocaliseForm(LocalisableWindow& window, std::span<const LocalisedControl> controls) const;

    bool Present() const { return present_; }
    const std::string& ApplicationTitle() const { return title_; }
    const std::filesystem::path& FilePath() const { return path_; }
    int Count() const { return static_cast<int>(entries_.size()); }

    // Turns the two-character sequences backslash-n and backslash-t into a line feed
    // and a tab, scanning left to right; every other character stays as it is.
    static std::string Unescape(std::string_view text);

private:
    struct Entry {
        int key;
        std::string text;
    };

    LocalFileCheck Examine() const;

    std::filesystem::path path_;
    IniFile file_;
    LocalFileCheck check_;
    bool present_ = false;
    std::string title_ = kDefaultTitle;
    std::vector<Entry> entries_;  // ascending key order
    // Position of each key's entry in entries_, -1 when absent; every key occurs at most
    // once, so this gives the same text as a first-match search of the entries.
    std::array<std::int16_t, kKeyCount> index_;
};

}  // namespace wirvela
