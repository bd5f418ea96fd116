#include "config/Messages.h"

#include <climits>
#include <cstdio>
#include <limits>
#include <system_error>

#include "config/NumberText.h"
#include "config/UsedMessages.h"

namespace wirvela {

namespace {

const std::string& UnknownString() {
    static const std::string text = TMessages::kUnknownString;
    return text;
}

// Read in place of an absent message key; a message that is literally this text is
// treated as absent too.
constexpr std::string_view kAbsentMarker = "???#";

std::string KeyName(int key) {
    char name[16];
    std::snprintf(name, sizeof name, "%05d", key);
    return name;
}

// How many missing keys a warning names before it stops counting them out.
constexpr std::size_t kNamedMissingKeys = 5;

int ToCharset(long value) {
    if (value < INT_MIN) return INT_MIN;
    if (value > INT_MAX) return INT_MAX;
    return static_cast<int>(value);
}

}  // namespace

bool TMessages::CheckLocalFile(const std::filesystem::path& directory) {
    path_ = directory / kFileName;
    file_ = IniFile::Load(path_);
    const std::string flag = file_.GetString("Present", "Present", "0", kPresentBuffer);
    present_ = IntegerPrefix(flag) != 0;
    check_ = Examine();
    return present_;
}

LocalFileCheck TMessages::Examine() const {
    using State = LocalFileCheck::State;
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path_, ec);
    if (!std::filesystem::exists(status)) return {State::Missing, 0, "is missing"};
    if (std::filesystem::is_directory(status)) return {State::Unreadable, 0, "is a folder"};
    if (file_.Unreadable()) return {State::Unreadable, 0, "cannot be read"};
    if (auto flaw = file_.FirstFlaw()) return {State::Garbled, flaw->line, std::move(flaw->what)};
    if (file_.SectionNames(std::numeric_limits<std::size_t>::max()).empty())
        return {State::Garbled, 0, "holds no section"};
    // A file marked absent supplies nothing, so what it lacks does not matter.
    if (!present_) return {};

    std::vector<int> missing;
    for (const UsedMessage& m : UsedMessages()) {
        if (file_.GetString("Strings", KeyName(m.key), kAbsentMarker, kMessageBuffer) == kAbsentMarker)
            missing.push_back(m.key);
    }
    if (missing.empty()) return {};
    if (missing.size() == UsedMessages().size())
        return {State::Garbled, 0, "holds none of the messages the program shows (section Strings, keys 00000 to 01999)"};
    std::string what = "lacks " + std::to_string(missing.size()) + " of the messages the program shows: ";
    for (std::size_t i = 0; i < missing.size() && i < kNamedMissingKeys; ++i) what += (i ? ", " : "") + KeyName(missing[i]);
    if (missing.size() > kNamedMissingKeys) what += ", …";
    return {State::Incomplete, 0, std::move(what)};
}

std::string TMessages::LocalFileWarning() const {
    using State = LocalFileCheck::State;
    if (check_.state == State::Sound || check_.state == State::Missing) return {};
    std::string text = path_.string();
    text += check_.line > 0 ? ": line " + std::to_string(check_.line) + " " : " ";
    text += check_.what;
    if (!present_) return text + "; the program runs without its texts";
    if (check_.state == State::Incomplete) return text + "; those show as \"" + kUnknownString + "\"";
    return text + "; the texts that could be read are used";
}

std::string TMessages::Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == 't')) {
            out.push_back(text[i + 1] == 'n' ? '\n' : '\t');
            ++i;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

int TMessages::LoadMessages() {
    FreeMessages();
    if (!present_) return 0;
    entries_.reserve(kKeyCount);
    for (int key = 0; key < kKeyCount; ++key) {
        const std::string raw = file_.GetString("Strings", KeyName(key), kAbsentMarker, kMessageBuffer);
        if (raw == kAbsentMarker) continue;
        index_[static_cast<std::size_t>(key)] = static_cast<std::int16_t>(entries_.size());
        entries_.push_back({key, Unescape(raw)});
        if (key == 0) title_ = entries_.back().text;
    }
    return Count();
}

const std::string& TMessages::MessageText(int key) const {
    if (key < 0 || key >= kKeyCount) return UnknownString();
    const int at = index_[static_cast<std::size_t>(key)];
    return at < 0 ? UnknownString() : entries_[static_cast<std::size_t>(at)].text;
}

void TMessages::FreeMessages() {
    entries_.clear();
    entries_.shrink_to_fit();
    index_.fill(-1);
}

void TMessages::LocaliseForm(LocalisableWindow& window,
                             std::span<const LocalisedControl> controls) const {
    if (!present_) return;
    const int charset = ToCharset(
        IntegerPrefix(file_.GetString("Main", "CharsetCode", kMissingWindowText, kWindowTextBuffer)));
    window.SetFontCharset(charset);

    const std::string section(window.FormName());
    window.SetTitle(file_.GetString(section, "Caption", kMissingWindowText, kWindowTextBuffer));

    for (const LocalisedControl& control : controls) {
        std::string key(control.name);
        key += '.';
        key += static_cast<char>(control.text);
        const std::string text = file_.GetString(section, key, kMissingWindowText, kWindowTextBuffer);
        switch (control.text) {
            case LocalisedText::Caption:
                window.SetControlCaption(control.name, text);
                window.SetControlFontCharset(control.name, charset);
                break;
            case LocalisedText::Hint:
                window.SetControlHint(control.name, text);
                break;
            case LocalisedText::Filter:
                window.SetControlFilter(control.name, text);
                break;
        }
    }
}

}  // namespace wirvela
