#pragma once
// The frame dialog (TForm14, "Ramka"): the shape (rectangle or circle), whether the
// lengths are offsets around the drawing or the frame's own size, and the lengths in
// millimetres. The fields that do not apply to the shape are read-only and grey; their
// labels say "dx", "dy", "dr" for offsets and "X", "Y", "R" for sizes. The shape and the
// kind of lengths are remembered in the settings; the main window adds the frame
// (generators/Frame.h) once the dialog closed with "Dodaj".
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "app/Control.h"
#include "app/windows/ModalResult.h"
#include "generators/Frame.h"

namespace wirvela {

class LocalisableWindow;
class Prompt;
class TMessages;
class TParameters;

class FrameModel {
public:
    static constexpr const char* kFormName = "Form14";
    static constexpr const char* kCaption = "Ramka";
    // Field colours: read-only grey, and the window colour (clWindow) of editable fields.
    static constexpr int kReadOnlyColour = 13619151;
    static constexpr int kWindowColour = -16777211;
    static constexpr int kFieldCount = 4;  // Edit1 … Edit4

    struct Services {
        TParameters* parameters = nullptr;    // required: FrameType, FrameSizeType
        const TMessages* messages = nullptr;  // required: the radio items, refusals
        Prompt* prompt = nullptr;             // required: a refused field
    };

    struct Controls {
        Control RadioGroup1;  // "Rodzaj": the shape
        Control RadioGroup2;  // "Typ wymiarow": offsets or sizes
        int RadioGroup1Index = 0;
        int RadioGroup2Index = 0;
        std::array<std::string, 2> RadioGroup1Items;  // messages 209, 210
        std::array<std::string, 2> RadioGroup2Items;  // messages 211, 212
        Control Edit1 = Control::Field("50");  // dx / X
        Control Edit2 = Control::Field("50");  // dy / Y
        Control Edit3 = Control::Field("50");  // dr / R
        Control Edit4 = Control::Field("0.1");  // epsilon
        Control Label1, Label2, Label3, Label4;
        Control Button1;  // "Dodaj"
        Control Button2;  // "Anuluj"
        std::array<bool, kFieldCount> ReadOnly{};
        std::array<int, kFieldCount> Colour{kWindowColour, kWindowColour, kWindowColour, kWindowColour};
    };

    explicit FrameModel(Services services);

    // The radio items from the message table and the localised texts onto the view (the
    // caption, Button1, Button2, RadioGroup1, RadioGroup2), when a view is given.
    void Create(LocalisableWindow* view);
    // Before showing: the stored shape and kind of lengths, then the rules of both.
    void Show();
    bool Visible() const { return visible_; }

    void SetShape(int index);   // RadioGroup1
    void SetSizing(int index);  // RadioGroup2
    // Edit1 … Edit4 (n = 1 … 4); read-only fields keep their text.
    void SetField(int n, std::string_view text);

    // "Dodaj": the fields of the chosen shape must hold numbers (else the refusal is shown
    // and the dialog stays open); the shape and kind are stored when they changed; closes
    // with Ok.
    ModalResult Add();
    // "Anuluj", or the window closed: nothing is stored.
    ModalResult Cancel();
    ModalResult Result() const { return result_; }
    // The frame the dialog closed with (valid after Add returned Ok).
    const FrameSpec& Spec() const { return spec_; }

    const Controls& Form() const { return c_; }
    // Every control with its name (for the view).
    void ForEachControl(const std::function<void(std::string_view name, const Control&)>& f) const;

private:
    void ApplyRules();
    Control& Field(int n);

    Services s_;
    Controls c_;
    FrameSpec spec_;
    bool visible_ = false;
    ModalResult result_ = ModalResult::None;
};

}  // namespace wirvela
