#pragma once
// Why a generator refused its input: a message of local.txt and the texts that fill its
// conversions (every one a %s, so numbers come as the operator typed them or as counts).
// The drawing is left exactly as it was whenever a generator refuses.
#include <string>
#include <vector>

namespace wirvela {

class Prompt;
class TMessages;

struct GeneratorMessage {
    int number = 0;  // 0: nothing refused
    std::vector<std::string> args;

    explicit operator bool() const { return number != 0; }
    // The message's text with its arguments filled in.
    std::string Text(const TMessages& messages) const;
};

// The refusal in a message box with this caption and the stop icon, as the dialogs show it.
void ShowRefusal(Prompt& prompt, const TMessages& messages, const GeneratorMessage& refusal,
                 const std::string& caption);

// Messages of the generators beyond the dialogs' own.
inline constexpr int kNotANumberMessage = 615;      // field, text
inline constexpr int kNotPositiveMessage = 616;     // what must be greater than 0
inline constexpr int kNegativeMessage = 617;        // what must not be negative
inline constexpr int kFrameTooLargeMessage = 618;   // vertices needed, room left
inline constexpr int kMouldingTooLargeMessage = 619;  // vertices needed, room

// "field" with its text when the text is no finite number by the decimal prefix rule
// with commas (the number the program reads from it otherwise).
GeneratorMessage NotANumber(const std::string& field, const std::string& text);
// The text as a finite number, or the refusal of NotANumber.
bool ReadFieldNumber(const std::string& field, const std::string& text, double& value, GeneratorMessage& refusal);

}  // namespace wirvela
