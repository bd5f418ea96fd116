#pragma once
// The scale dialog (TForm11) and the command it serves: figure 2 becomes a copy of
// figure 1 scaled by k about the origin, placed by an offset so that the chosen anchor of
// its box (left / centre / right, top / middle / bottom) meets the same anchor of
// figure 1's box. The two wire ends then follow a larger and a smaller outline of one
// shape: a tapered part.
#include <string>
#include <string_view>

#include "app/windows/ModalResult.h"

namespace wirvela {

class LocalisableWindow;
class TDrawing;
class TMessages;

// Figure 2's offset on the view after a scaling: drawing units, and millimetres as the
// main window's TEoffsetX / TEoffsetY show them ("%.2f").
struct ScaledFigureOffsets {
    double x = 0.0;
    double y = 0.0;
    std::string xMm;
    std::string yMm;
};

class ScaleDialogModel {
public:
    static constexpr const char* kFormName = "Form11";
    static constexpr const char* kDefaultScale = "100";


    // Creation: the localised texts (caption, Label1) onto the view, when both are given.
    void Create(const TMessages* messages, LocalisableWindow* view);
    // Showing keeps Edit1 as the operator left it (100 at the start).
    void Show();
    bool Visible() const { return visible_; }

    // Edit1: the scale in per cent.
    const std::string& Edit1() const { return edit1_; }
    void SetEdit1(std::string_view text) { edit1_ = std::string(text); }
    // k = Edit1 ÷ 100 (decimal prefix rule, commas read as points).
    double Scale() const;

    // One of the nine anchor buttons, Button1 … Button9: sets the anchors and closes with
    // Ok. Another name changes nothing (None).
    ModalResult ClickButton(std::string_view button);
    // Closed without an anchor (window closed, Escape).
    ModalResult Cancel();
    ModalResult Result() const { return result_; }
    // Horizontal anchor a: 1 left, 2 centre, 3 right; vertical b: 1 top, 2 middle, 3 bottom.
    int AnchorX() const { return a_; }
    int AnchorY() const { return b_; }

private:
    std::string edit1_ = kDefaultScale;
    int a_ = 1;
    int b_ = 1;
    bool visible_ = false;
    ModalResult result_ = ModalResult::None;
};

// Makes figure 2 a copy of figure 1 scaled by k: figure 2's tables are emptied and its cut
// path discarded, figure 1's vertices and lines copied record by record (its cut path
// too, when it has one), the last object number taken over, every vertex of figure 2
// multiplied by k; then the offset from figure 1's box (its vertices without excluded
// ones; w, h its width and height): x = 0, (1 − k)·w/2 or (1 − k)·w for a = 1, 2, 3 and
// y = (1 − k)·h, (1 − k)·h/2 or 0 for b = 1, 2, 3, in millimetres through the drawing's
// scale and the scale percentage. Figure 1 is left selected.
ScaledFigureOffsets ScaleFigure2(TDrawing& drawing, double k, int a, int b, double scalePercent);

}  // namespace wirvela
