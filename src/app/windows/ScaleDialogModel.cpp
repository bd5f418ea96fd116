#include "app/windows/ScaleDialogModel.h"

#include <array>
#include <cstdio>
#include <memory>

#include "config/LocalisableWindow.h"
#include "config/Messages.h"
#include "config/NumberText.h"
#include "drawing/Drawing.h"

namespace wirvela {

namespace {

constexpr LocalisedControl kLocalised[] = {
    {"Label1", LocalisedText::Caption},
};

struct AnchorButton {
    const char* name;
    int a;
    int b;
};

constexpr std::array<AnchorButton, 9> kAnchors{{
    {"Button1", 1, 1},
    {"Button3", 2, 1},
    {"Button2", 3, 1},
    {"Button4", 1, 2},
    {"Button5", 2, 2},
    {"Button6", 3, 2},
    {"Button7", 1, 3},
    {"Button8", 2, 3},
    {"Button9", 3, 3},
}};

std::string Millimetres(double v) {
    char buffer[64];
    // + 0.0: a zero offset reads "0.00", never "-0.00".
    const int n = std::snprintf(buffer, sizeof buffer, "%.2f", v + 0.0);
    // Values too large for the buffer are no offset a machine can move.
    if (n < 0 || n >= static_cast<int>(sizeof buffer)) return "0.00";
    return buffer;
}

// Copies the records as they are: no snapping, no merging, so indices stay the same.
void CopyTables(const TDrawingSet& from, TDrawingSet& to) {
    const double grid = to.V.SnapGrid();
    const bool vertexDedup = to.V.Deduplication();
    const bool lineDedup = to.L.Deduplication();
    to.V.SetSnapGrid(0.0);
    to.V.SetDeduplication(false);
    to.L.SetDeduplication(false);
    for (const VertexRecord& v : from.V.Records()) {
        const int before = to.V.Count();
        const int index = to.V.AddVertex(v);
        if (to.V.Count() == before + 1) to.V.SetRecord(index, v);
    }
    for (const LineRecord& l : from.L.Records()) {
        const LineRef added = to.L.AddLineGetIndex(l);
        // Multiplicity and the other fields exactly as in figure 1.
        if (added.index >= 0) to.L.SetRecord(added.index, l);
    }
    to.V.SetSnapGrid(grid);
    to.V.SetDeduplication(vertexDedup);
    to.L.SetDeduplication(lineDedup);
}

}  // namespace

void ScaleDialogModel::Create(const TMessages* messages, LocalisableWindow* view) {
    if (messages != nullptr && view != nullptr) messages->LocaliseForm(*view, kLocalised);
}

void ScaleDialogModel::Show() {
    visible_ = true;
    result_ = ModalResult::None;
}

double ScaleDialogModel::Scale() const {
    return DecimalPrefixWithCommas(edit1_) / 100.0;
}

ModalResult ScaleDialogModel::ClickButton(std::string_view button) {
    for (const AnchorButton& anchor : kAnchors) {
        if (button != anchor.name) continue;
        a_ = anchor.a;
        b_ = anchor.b;
        visible_ = false;
        result_ = ModalResult::Ok;
        return result_;
    }
    return ModalResult::None;
}

ModalResult ScaleDialogModel::Cancel() {
    visible_ = false;
    result_ = ModalResult::Cancel;
    return result_;
}

ScaledFigureOffsets ScaleFigure2(TDrawing& drawing, double k, int a, int b, double scalePercent) {
    drawing.SelectFigure(TDrawing::kFigure1);
    const TDrawingSet& one = drawing.Set(TDrawing::kFigure1);
    TDrawingSet& two = drawing.Set(TDrawing::kFigure2);
    two.ClearTables();
    two.oelems = -1;
    two.cutPath.reset();

    CopyTables(one, two);
    if (one.cutPath != nullptr) {
        two.cutPath = std::make_unique<TLineList>(one.cutPath->Capacity());
        for (int i = 0; i < one.cutPath->Length(); ++i) two.cutPath->SetEntry(i, (*one.cutPath)[i]);
    }
    two.oelems = one.oelems;
    two.V.TransformPositions([k](double& x, double& y) {
        x *= k;
        y *= k;
    });

    const double w = one.V.MaxX(false) - one.V.MinX(false);
    const double h = one.V.MaxY(false) - one.V.MinY(false);
    ScaledFigureOffsets offsets;
    offsets.x = a == 2 ? (1 - k) * w / 2 : a == 3 ? (1 - k) * w : 0.0;
    offsets.y = b == 1 ? (1 - k) * h : b == 2 ? (1 - k) * h / 2 : 0.0;
    const double mmPerUnit = drawing.Settings().scale * scalePercent * 0.01;
    offsets.xMm = Millimetres(offsets.x * mmPerUnit);
    offsets.yMm = Millimetres(offsets.y * mmPerUnit);
    return offsets;
}

}  // namespace wirvela
