#pragma once
// Whether a text is a value of a setting: the check `param set` and the parameter editor
// make before they write, and the check a run makes of the settings it is about to use,
// so that a value edited into the file by hand (mmPerStep=abc, SkalaHPGL=-1, V=0 for a
// material) refuses the run instead of cutting the wrong part.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/SettingKey.h"

namespace wirvela {

class TMessages;
class TParameters;

// A stored value outside its key's domain.
struct SettingProblem {
    std::string section;
    std::string key;
    std::string value;
    std::string reason;  // "is not a number", "must be above 0", …

    // "[Ploter] mmPerStep=abc: is not a number"
    std::string Text() const;
    // What refuses a run that would use the value: message 601 filled in.
    static constexpr int kUnusableMessage = 601;
    std::string UnusableText(const TMessages& messages) const;
};

namespace settings {

// The descriptor of `key` in `section` ("Material3" finds the material keys); null for a
// key the program does not read, which then has no domain but its length.
const SettingKey* Find(std::string_view section, std::string_view key);

// Empty when `value` may be stored under `key` of `section`, else why not. The length
// limit holds for every key: a longer line is cut short when the file is read back.
std::string Refusal(std::string_view section, std::string_view key, std::string_view value);

// The first value the store holds in `section` that is outside its key's domain; else
// the first key of `section` that the program reads but the store could not hold
// (TParameters::HiddenSettings), since the run would take its default in silence.
std::optional<SettingProblem> FirstProblem(const TParameters& store, std::string_view section);

// One line per section of the settings file whose last keys the store could not hold:
// the section, those keys and the buffer they did not fit. Empty when there are none.
std::vector<std::string> HiddenSettingWarnings(const TParameters& store);

}  // namespace settings

}  // namespace wirvela
