#include "config/Prompt.h"

#include <ostream>

namespace wirvela {

PromptAnswer AffirmativeAnswer(PromptButtons buttons) {
    switch (buttons) {
        case PromptButtons::YesNo:
        case PromptButtons::YesNoCancel:
            return PromptAnswer::Yes;
        case PromptButtons::RetryCancel:
            return PromptAnswer::Retry;
        case PromptButtons::Ok:
        case PromptButtons::OkCancel:
            break;
    }
    return PromptAnswer::Ok;
}

PromptAnswer NegativeAnswer(PromptButtons buttons) {
    switch (buttons) {
        case PromptButtons::Ok:
            return PromptAnswer::Ok;
        case PromptButtons::YesNo:
            return PromptAnswer::No;
        case PromptButtons::OkCancel:
        case PromptButtons::YesNoCancel:
        case PromptButtons::RetryCancel:
            break;
    }
    return PromptAnswer::Cancel;
}

PromptAnswer AcceptingPrompt::Ask(const PromptRequest& request) {
    if (out_) {
        *out_ << "message";
        if (request.messageKey >= 0) *out_ << ' ' << request.messageKey;
        *out_ << ": " << request.text << '\n';
    }
    return AffirmativeAnswer(request.buttons);
}

}  // namespace wirvela
