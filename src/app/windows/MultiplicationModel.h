#pragma once
// The multiplication dialog ("Powielanie rysunku", TForm9): the fields of a multiplication
// (copies by count or by material size, the gaps, multi-wire cutting with its line offset,
// line length, wire distance and the side of the lead line) and the "Powiel" command, which
// the MultiplyCommand service carries out. The dialog's 100 ms timers pace the row
// layout's joining: Timer1 starts it, Timer2 (armed when the joining worker has ended)
// runs the second pass.
//
// Event 2010 (multiply now, from the main window when a loaded project asked for a
// multiplication) runs "Powiel" without showing the dialog. Events reach the model through
// Channel(); the joining worker posts its end there too.
#include <functional>
#include <string>
#include <string_view>

#include "app/Control.h"
#include "app/windows/ModalResult.h"
#include "config/LocalisableWindow.h"
#include "formats/MultiplicationTexts.h"
#include "generators/Multiplication.h"
#include "platform/EventChannel.h"

namespace wirvela {

class MultiplyCommand;
class Prompt;
class TMessages;
class TParameters;

class MultiplicationModel : public LocalisableWindow {
public:
    static constexpr const char* kFormName = "Form9";
    static constexpr const char* kCaption = "Powielanie rysunku";
    static constexpr int kStepMs = 100;           // Timer1, Timer2
    static constexpr int kEventMultiplyNow = 2010;
    static constexpr int kEventJoinEnded = 0x7F10;  // the model's own: the row layout's joining has ended

    struct Services {
        const TParameters* parameters = nullptr;  // Multiwire of section Ploter; required
        const TMessages* messages = nullptr;      // required
        Prompt* prompt = nullptr;                 // refusals; nullptr: not shown
        MultiplyCommand* command = nullptr;       // required
        std::function<void()> notifier;           // wakes the GUI after an event is queued
    };

    struct Hooks {
        std::function<void()> changed;  // mirror the controls again
        // The press has ended with this result while the dialog may be shown (the second
        // pass of the row layout): the view closes with it.
        std::function<void(ModalResult)> close;
    };

    struct Controls {
        Control RadioButton1;  // "Liczba elementów": by count
        Control RadioButton2;  // "Rozmiar materiału": by material size
        Control Edit1;         // columns; its caption is the field's label
        Control Edit2;         // rows
        Control Edit3;         // horizontal gap, mm
        Control Edit4;         // vertical gap, mm
        Control Edit5;         // material width, mm
        Control Edit6;         // material height, mm
        Control Edit7;         // line offset, mm
        Control Edit8;         // line length, mm (0 no limit)
        Control Edit9;         // wire distance, mm
        Control CheckBox1;     // multi-wire cutting
        Control CheckBox2;     // row layout (not visible)
        Control CheckBox3;     // lead line on top
        Control Button1;       // "Powiel"
        Control Button2;       // "Anuluj"
        TimerState Timer1 = TimerState::Every(kStepMs);
        TimerState Timer2 = TimerState::Every(kStepMs);
    };

    explicit MultiplicationModel(Services services);
    void SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }

    // Creation: the layout from `Multiwire`, the lead line on top (checked, disabled), the
    // texts of section "Form9" when local.txt is present (a field's label is its edit's
    // caption, "Edit1.c").
    void Create();
    // Showing: the result is None again.
    void Show();

    // The operator's edits: a field's text (Edit1 … Edit9), a radio button or check box.
    void SetText(std::string_view control, std::string_view text);
    void SetChecked(std::string_view control, bool checked);

    // Button1: Ok when multiplied, None while the row layout joins or after a refusal
    // (whose message was shown; the dialog stays open).
    ModalResult Powiel();
    // Button2, or the window closed.
    ModalResult Anuluj();
    void OnTimer1();
    void OnTimer2();
    ModalResult Result() const { return result_; }

    // The fields as texts: the one record the project files and the command line exchange.
    MultiplicationTexts Texts() const;
    void SetTexts(const MultiplicationTexts& texts);
    MultiwireLayout Layout() const { return layout_; }
    // The last multiplication laid the copies out for several wires.
    bool SeveralWires() const;

    EventChannel& Channel() { return events_; }
    std::intptr_t HandleEvent(int code);

    const Controls& Form() const { return c_; }
    const Control* Find(std::string_view name) const;
    // Every control with its component name (views, tests).
    void ForEachControl(const std::function<void(std::string_view, const Control&)>& f) const;
    const std::string& Title() const { return title_; }

    // ---- LocalisableWindow ----------------------------------------------------------------
    std::string_view FormName() const override { return kFormName; }
    void SetTitle(std::string_view text) override { title_ = std::string(text); }
    void SetFontCharset(int) override {}
    void SetControlCaption(std::string_view control, std::string_view text) override;
    void SetControlFontCharset(std::string_view, int) override {}
    void SetControlHint(std::string_view, std::string_view) override {}
    void SetControlFilter(std::string_view, std::string_view) override {}

private:
    Control* FindMutable(std::string_view name);
    void ApplyEnabling();
    void Changed();
    // The service's step: a refusal is shown, a multiplication ends the dialog with Ok.
    ModalResult After(int step);
    // The field a refusal names, by its label.
    std::string FieldLabel(MultiplicationField field) const;

    Services s_;
    Hooks hooks_;
    Controls c_;
    std::string title_ = kCaption;
    MultiwireLayout layout_ = MultiwireLayout::None;
    ModalResult result_ = ModalResult::None;
    EventChannel events_;
};

}  // namespace wirvela
