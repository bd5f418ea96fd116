#pragma once
// The bent moulding dialog (TForm13): the moulding's dimensions, arc or angle mode, the
// outer radius reduced to the band, and the burn allowance. "Oblicz" computes how many
// notches the bend needs and how long the strip is (generators/BentMoulding.h) and shows N
// and L; "Utworz linie ciecia" computes and, when that succeeds, replaces the current set's
// drawing by the cutting outline and closes with Ok. The main window then makes the
// outline's walk the cut path (Walk()).
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Control.h"
#include "app/windows/ModalResult.h"
#include "generators/BentMoulding.h"
#include "platform/Sync.h"

namespace wirvela {

class LocalisableWindow;
class Prompt;
class TDrawing;
class TMessages;

class MouldingModel {
public:
    static constexpr const char* kFormName = "Form13";
    static constexpr int kCaptionMessage = 379;

    struct Services {
        const TMessages* messages = nullptr;  // required
        Prompt* prompt = nullptr;             // required: refusals (caption 379, stop icon)
        TDrawing* drawing = nullptr;          // required: the outline goes to its current set
        RecursiveTimedMutex* drawingMutex = nullptr;  // optional
    };

    struct Controls {
        Control Edit_H = Control::Field("100");
        Control Edit_r = Control::Field("500");
        Control Edit_l = Control::Field("1000");
        Control Edit_eps = Control::Field("5");
        Control Edit_d = Control::Field("5");
        Control Edit_alpha = Control::Field("90");
        Control Edit_N = Control::Field("8");
        Control Edit1 = Control::Field("50");   // e, lead lines
        Control Edit2 = Control::Field("0.1");  // b, burn allowance
        // The fields' labels, in the order of the fields above.
        Control Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9;
        Control RadioButton1;  // arc mode
        Control RadioButton2;  // angle mode
        Control CheckBox1 = Control::CheckedBox();  // reduce the outer radius to the band
        Control CheckBox2;                          // compensate the burn allowance
        Control Label_N;                            // N
        Control Label_L;                            // L, "%5.0lf mm"
        Control Button1;                            // "Oblicz"
        Control Button2;                            // "Utworz linie ciecia"
    };

    explicit MouldingModel(Services services);

    // The localised texts onto the view, when one is given.
    void Create(LocalisableWindow* view);
    void Show();
    bool Visible() const { return visible_; }

    // Typing in a field, by its name (Edit_H … Edit_N, Edit1, Edit2); disabled fields keep
    // their text.
    void SetField(std::string_view name, std::string_view text);
    void SetAngleMode(bool angle);   // RadioButton2 (true) / RadioButton1 (false)
    void SetReduce(bool on);         // CheckBox1
    void SetBurn(bool on);           // CheckBox2

    // "Oblicz": false (with the message shown) when the input is refused.
    bool Compute();
    // "Utworz linie ciecia": computes, builds the outline and closes with Ok.
    ModalResult CreateLines();
    ModalResult Cancel();
    ModalResult Result() const { return result_; }

    // The last computed record, and the outline's walk after CreateLines.
    const Moulding& Computed() const { return computed_; }
    const std::vector<OutlineStep>& Walk() const { return walk_; }

    const Controls& Form() const { return c_; }
    void ForEachControl(const std::function<void(std::string_view name, const Control&)>& f) const;
    const Control* Find(std::string_view name) const;

private:
    void ApplyEnabling();
    void Refuse(const GeneratorMessage& refusal);
    Control* FindMutable(std::string_view name);

    Services s_;
    Controls c_;
    Moulding computed_;
    std::vector<OutlineStep> walk_;
    bool visible_ = false;
    ModalResult result_ = ModalResult::None;
};

}  // namespace wirvela
