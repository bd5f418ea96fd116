#pragma once
// The materials table ("Parametry materiałów"): ten named materials with their wire
// speed, heating, preheating time, corner pause and corner limit angle, edited in a grid,
// checked against the limits of section ParamsLimits and kept in sections "Material1" …
// "Material10" of the settings store. The grid is the working copy for the whole run:
// it is loaded once at creation and written to the store only by a successful close
// check; values set by the pendant are stored at once.
//
// This is the dialog's model (StringGrid1, the range labels, the remembered cell, the
// result); the view mirrors it. The cutting window reads the selected material from here
// and is kept up to date through MaterialsObserver; a connected pendant is told the values
// of the selected material through the Pendant interface. Both are optional: nothing attached,
// nothing told.
//
// Numbering: material numbers n are 1 … 10 and are the grid rows; the selected material
// `Ostatni` (section Material) is the 0-based index, row = index + 1.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "app/windows/ModalResult.h"
#include "settings/MaterialValues.h"

namespace wirvela {

class LocalisableWindow;
class Pendant;
class Prompt;
class TMessages;
class TParameters;

// The cutting window as the materials table keeps it up to date.
class MaterialsObserver {
public:
    virtual ~MaterialsObserver() = default;
    // ListBox1 gets the ten names and entry `selected` (0-based) is selected.
    virtual void SetMaterialNames(const std::array<std::string, 10>& names, int selected) = 0;
    // The 0-based index of the material selected in the window's list; -1 when none.
    virtual int SelectedMaterial() const = 0;
    // The heating bar (ScrollBar3) moves to `position` and the change is applied as the
    // bar's own change handling does (label, live heating, pendant).
    virtual void SetHeatingBar(int position) = 0;
    // Re-reads the selected material (the window's material selection handling).
    virtual void ReReadMaterial() = 0;
};

class Materials {
public:
    static constexpr int kMaterials = 10;
    static constexpr int kColumns = 6;
    static constexpr int kRows = kMaterials + 1;  // row 0 is the header
    static constexpr const char* kFormName = "Form5";
    static constexpr std::array<int, kColumns> kColumnWidths{184, 61, 56, 86, 94, 110};  // pixels
    // Column c of the header shows message 160 + c.
    static constexpr int kHeaderMessage = 160;
    static constexpr int kRowFailsMessage = 166;
    static constexpr int kCaptionMessage = 167;

    using Grid = std::array<std::array<std::string, kColumns>, kRows>;  // [row][column]


    // Columns 1 … 5 of the grid.
    struct ColumnLimits {
        int min = 0;
        int max = 0;
    };

    struct Services {
        TParameters* parameters = nullptr;    // required
        const TMessages* messages = nullptr;  // required
        Prompt* prompt = nullptr;             // required: the cell and close checks always ask
        MaterialsObserver* cutting = nullptr;
        Pendant* pendant = nullptr;
        // The main window's status line: pendant error texts.
        std::function<void(std::string_view)> mainStatus;
    };

    explicit Materials(Services services) : s_(std::move(services)) {}

    // Creation: localised texts (caption, Label1, Label7, Button1) when a view is given,
    // header cells, the first range label from VxyMax, the ten rows from their sections
    // with the defaults (empty, 50, 35, 100, 100, 90), then the cutting window refreshed.
    void Create(LocalisableWindow* view = nullptr);

    // Show (modal): forgets the remembered cell.
    void Show();
    bool Visible() const { return visible_; }

    // An edit of a cell's text by the operator; remembers the cell. Cells outside the
    // material rows (the header, bad indices) are ignored.
    void SetCell(int column, int row, std::string_view text);
    const Grid& StringGrid1() const { return grid_; }
    const std::string& Cell(int column, int row) const;

    // The cell check, run when the grid loses the focus, when another cell is selected
    // and when Enter is typed: a remembered cell of columns 1 … 5 outside its limits
    // gets its message (168 with VxyMax for the speed, 169 … 172 for the others; caption
    // 167) and is set to the nearer limit. Clears the remembered cell. True when the
    // cell was corrected.
    bool CellCheck();
    // A character typed in the grid: CR and LF run the cell check.
    void KeyPress(char key);
    // The remembered cell, {-1, -1} when none.
    int RememberedColumn() const { return rememberedColumn_; }
    int RememberedRow() const { return rememberedRow_; }

    // "Zamknij" (Button1): the grid loses the focus to the button (cell check), then the
    // close check. Ok: stored and closed. None: a row fails its limits (message 166), the
    // dialog stays open and nothing is stored.
    ModalResult Button1Click();
    // Closing the window by other means: the close check; a failing row closes the dialog
    // all the same (Cancel), without storing.
    ModalResult CloseByOtherMeans();
    ModalResult Result() const { return result_; }

    // The value set by the pendant (request "set material parameter"): material 1 … 10,
    // column 1 … 5. The cell gets the value and its key is stored at once, without a
    // limit check; when the material is the one selected in the cutting window, a
    // heating value moves that window's heating bar to 100 − value and the window
    // re-reads the material. False (nothing changes) for a material or column out of range.
    bool SetFromPendant(int material, int column, std::int32_t value);

    // Sends the five values of material n (1 … 10) to the pendant with set material
    // parameter (numbers 1, 3, 4, 5, 6), under shared access, stopping at the first
    // failure, whose error text goes to the main window's status line. Returns 0, the
    // failing pendant code, or −1 when nothing was sent (no pendant, access not taken,
    // n out of range).
    int SendToPendant(int material);

    // Fills the cutting window's material list, selects entry Ostatni, sets its heating
    // bar to 100 − T of that material and has it re-read the material. Runs at creation
    // and whenever the dialog is hidden.
    void RefreshCutting();

    // ---- readers ----------------------------------------------------------------
    // Material n (1 … 10) from the grid; n out of range gives an empty record.
    MaterialValues Material(int material) const;
    // Column c (0 … 5) of material n as an integer (0 for a text without a number).
    int Value(int material, int column) const;
    // The selected material, Ostatni (section Material, default 0), kept within 0 … 9.
    int Selected() const;
    // Stores Ostatni (0-based index; ignored outside 0 … 9).
    void SetSelected(int index);

    // The limits of column 1 … 5 from section ParamsLimits, truncated to integers.
    ColumnLimits Limits(int column) const;
    // The range labels under the grid, columns 1 … 5, and the second-line speed label.
    // The first follows VxyMax at creation; the others are fixed texts.
    const std::array<std::string, kColumns - 1>& RangeLabels() const { return rangeLabels_; }
    static constexpr const char* kLimitsHeading = "Dopuszczalne wartości parametrów:";
    static constexpr const char* kScrewRangeLabel = "4 - 60 (śruba)";

    // The material parameter numbers of the pendant for columns 1 … 5 (1, 3, 4, 5, 6),
    // and back; -1 for a number or column without a partner.
    static int PendantParameterOfColumn(int column);
    static int ColumnOfPendantParameter(int parameter);

private:
    enum class CloseBy { Button, OtherMeans };
    ModalResult CloseCheck(CloseBy by);
    // The first material row (1 … 10) with a value outside its limits, 0 when none.
    int FirstFailingRow() const;
    bool StoreAll();
    void ForgetCell();
    void Box(std::string text, int key);
    void Hide();

    Services s_;
    Grid grid_;
    std::array<std::string, kColumns - 1> rangeLabels_{"4 - 60", "1 - 100", "1 - 10000", "1 - 10000", "0 - 180"};
    int rememberedColumn_ = -1;
    int rememberedRow_ = -1;
    bool visible_ = false;
    ModalResult result_ = ModalResult::None;
};

}  // namespace wirvela
