#pragma once
// Message boxes and questions to the operator, asked through one interface: the GUI
// answers with real message boxes, the CLI and tests with scripted answers. Core code
// never shows anything itself; actions that the pendant can also start ask only when
// they run interactively.
#include <functional>
#include <iosfwd>
#include <string>

namespace wirvela {

enum class PromptIcon { None, Information, Warning, Error, Question };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No, Retry };

struct PromptRequest {
    std::string text;
    std::string caption;
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
    int messageKey = -1;  // the local.txt key of the text, when it is one message (-1 otherwise)
};

class Prompt {
public:
    virtual ~Prompt() = default;
    virtual PromptAnswer Ask(const PromptRequest& request) = 0;
};

// The first button's "yes" answer for a set of buttons: Ok, Yes or Retry.
PromptAnswer AffirmativeAnswer(PromptButtons buttons);

// The cautious answer for a set of buttons, as if the operator had closed the box: Ok
// for Ok alone, No for YesNo, Cancel otherwise. Given when no one can answer (the window
// is gone) or the answer cannot be understood.
PromptAnswer NegativeAnswer(PromptButtons buttons);

// Answers every question affirmatively (Ok / Yes / Retry) and, when given a stream,
// prints each text as "message N: text" (or "message: text" for composed texts).
class AcceptingPrompt : public Prompt {
public:
    explicit AcceptingPrompt(std::ostream* out = nullptr) : out_(out) {}
    PromptAnswer Ask(const PromptRequest& request) override;

private:
    std::ostream* out_;
};

// Answers through a function; tests script their answers with it and keep what was asked.
class ScriptedPrompt : public Prompt {
public:
    using Script = std::function<PromptAnswer(const PromptRequest&)>;
    explicit ScriptedPrompt(Script script) : script_(std::move(script)) {}
    PromptAnswer Ask(const PromptRequest& request) override { return script_(request); }

private:
    Script script_;
};

}  // namespace wirvela
