#include "generators/GeneratorMessage.h"

#include <cmath>

#include "config/MessageFormat.h"
#include "config/Messages.h"
#include "config/NumberText.h"
#include "config/Prompt.h"

namespace wirvela {

std::string GeneratorMessage::Text(const TMessages& messages) const {
    std::vector<FormatArg> filled;
    filled.reserve(args.size());
    for (const std::string& a : args) filled.emplace_back(a);
    return FormatMessage(messages.MessageText(number), filled);
}

void ShowRefusal(Prompt& prompt, const TMessages& messages, const GeneratorMessage& refusal,
                 const std::string& caption) {
    PromptRequest box;
    box.text = refusal.Text(messages);
    box.caption = caption;
    box.icon = PromptIcon::Error;
    box.messageKey = refusal.number;
    prompt.Ask(box);
}

GeneratorMessage NotANumber(const std::string& field, const std::string& text) {
    return {kNotANumberMessage, {field, text}};
}

bool ReadFieldNumber(const std::string& field, const std::string& text, double& value, GeneratorMessage& refusal) {
    // The prefix rule alone would read "abc" as 0 and "1e999" as infinity and go on with
    // them; a typing slip must not become a frame of size 0 or a moulding without end.
    const double read = DecimalPrefixWithCommas(text);
    if (!IsDecimalNumber(text) || !std::isfinite(read)) {
        refusal = NotANumber(field, text);
        return false;
    }
    value = read;
    return true;
}

}  // namespace wirvela
