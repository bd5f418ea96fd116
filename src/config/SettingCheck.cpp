#include "config/SettingCheck.h"

#include <cctype>
#include <cmath>

#include "config/MessageFormat.h"
#include "config/Messages.h"
#include "config/NumberText.h"
#include "config/Parameters.h"
#include "config/Settings.h"

namespace wirvela {

std::string SettingProblem::Text() const {
    return "[" + section + "] " + key + "=" + value + ": " + reason;
}

std::string SettingProblem::UnusableText(const TMessages& messages) const {
    return FormatMessage(messages.MessageText(kUnusableMessage), {section, key, value, reason});
}

namespace settings {

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

std::string LimitsText(const SettingLimits& limits) {
    const bool hasLower = std::isfinite(limits.lower);
    const bool hasUpper = std::isfinite(limits.upper);
    if (hasLower && hasUpper) return "must be between " + NumberToText(limits.lower) + " and " + NumberToText(limits.upper);
    if (hasLower) return (limits.lowerOpen ? "must be above " : "must be at least ") + NumberToText(limits.lower);
    if (hasUpper) return "must be at most " + NumberToText(limits.upper);
    return "must be a finite number";
}

std::string NumberRefusal(const SettingKey& key, std::string_view text) {
    // An empty value is read as 0, so 0 is what must be in the domain.
    if (text.empty()) text = "0";
    if (!IsDecimalNumber(text)) return "is not a number";
    const double value = DecimalPrefixWithCommas(text);
    if (key.type == SettingType::Flag) return value == 0 || value == 1 ? std::string() : "must be 0 or 1";
    if (!std::isfinite(value)) return "is not a finite number";
    if (key.type == SettingType::Integer && value != std::trunc(value)) return "is not a whole number";
    if (!key.limits.Contains(value)) return LimitsText(key.limits);
    return {};
}

bool InSection(const SettingKey& key, std::string_view section) {
    if (key.numberedSections == 0) return key.section == section;
    if (section.substr(0, key.section.size()) != key.section) return false;
    for (int n = 1; n <= key.numberedSections; ++n)
        if (section == NumberedSection(key, n)) return true;
    return false;
}

// Completes "it …" of the refusal of a run.
std::string HiddenReason() {
    return "lies beyond the " + std::to_string(TParameters::kListBufferBytes) +
           " bytes the program reads of its section, so its default would be used";
}

}  // namespace

const SettingKey* Find(std::string_view section, std::string_view key) {
    for (const SettingKey* k : All())
        if (k->key == key && InSection(*k, section)) return k;
    return nullptr;
}

std::string Refusal(std::string_view section, std::string_view key, std::string_view value) {
    // One key=value line longer than this is cut short on reading.
    const std::size_t maxValue = TParameters::kMaxEntryChars - key.size() - 1;
    if (value.size() > maxValue) return "is longer than " + std::to_string(maxValue) + " characters";
    const SettingKey* k = Find(section, key);
    if (k == nullptr || k->type == SettingType::Text) return {};
    // A number is read from its first characters only.
    const std::size_t maxNumber = TParameters::kNumberBufferBytes - 1;
    if (value.size() > maxNumber) return "is longer than " + std::to_string(maxNumber) + " characters";
    return NumberRefusal(*k, Trimmed(value));
}

std::optional<SettingProblem> FirstProblem(const TParameters& store, std::string_view section) {
    const int s = store.FindSection(section);
    if (s < 0) return std::nullopt;
    for (int i = store.Sections[static_cast<std::size_t>(s)].First; i < store.SectionEnd(s); ++i) {
        const TParameter& p = store.Params(i);
        std::string reason = Refusal(section, p.Key, p.Value);
        if (!reason.empty()) return SettingProblem{std::string(section), p.Key, p.Value, std::move(reason)};
    }
    for (const HiddenSetting& h : store.HiddenSettings()) {
        if (h.section == section && Find(section, h.key) != nullptr)
            return SettingProblem{h.section, h.key, h.value, HiddenReason()};
    }
    return std::nullopt;
}

std::vector<std::string> HiddenSettingWarnings(const TParameters& store) {
    std::vector<std::string> lines;
    const std::vector<HiddenSetting>& hidden = store.HiddenSettings();
    for (std::size_t i = 0; i < hidden.size();) {
        std::string line = "[" + hidden[i].section + "]: ";
        std::string keys;
        std::size_t count = 0;
        for (; i + count < hidden.size() && hidden[i + count].section == hidden[i].section; ++count)
            keys += (count ? ", " : "") + hidden[i + count].key;
        line += count == 1 ? "the key " + keys + " is" : "the keys " + keys + " are";
        line += std::string(" not read: the entries before ") + (count == 1 ? "it" : "them") + " fill the " + std::to_string(TParameters::kListBufferBytes) +
                " bytes the program reads of a section (a value there is too long)";
        lines.push_back(std::move(line));
        i += count;
    }
    return lines;
}

}  // namespace settings

}  // namespace wirvela
