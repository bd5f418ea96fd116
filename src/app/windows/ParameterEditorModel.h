#pragma once
// The parameter editor ("Parametry", TForm110): every section and key of the settings
// store as a tree of display names, each parameter shown as "name=value"; the operator
// picks one, edits its value as text (or as a colour) and the store is written back to
// wirvela.ini when the editor is confirmed or closed and at program end.
//
// The editor maps a clicked node back to its section and key by display name, so of
// several parameters (or sections) sharing a display name only the first can be edited;
// parameters without a display name share the empty one.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/windows/ModalResult.h"

namespace wirvela {

class LocalisableWindow;
class TMessages;
class TParameters;

class ParameterEditorModel {
public:
    static constexpr const char* kFormName = "Form110";
    static constexpr int kValueRefused = 600;  // "%s=%s is not stored: it %s."
    static constexpr const char* kCaption = "Parametry";
    static constexpr const char* kValueLabel = "Wartość";  // Label2


    // One node of TreeView1. Sections are top-level nodes (parent -1), each followed by
    // its parameters; `section` and `parameter` are the store indices the node was built
    // from (parameter -1 for a section node), for views that want to show more.
    struct Node {
        std::string text;
        int parent = -1;
        int section = -1;
        int parameter = -1;
    };

    // The standard colour dialog, opened with the panel's colour: the chosen colour, or
    // nothing when the operator cancels.
    using ColourDialog = std::function<std::optional<std::int32_t>(std::int32_t initial)>;

    struct Services {
        TParameters* parameters = nullptr;    // required
        const TMessages* messages = nullptr;  // localisation only
        // The main window's simulation speed bar position, stored at program end.
        std::function<int()> simulationSpeed;
    };

    explicit ParameterEditorModel(Services services) : s_(std::move(services)) {}

    // Creation: the localised texts (caption, Label2, Button1) onto the view, when given;
    // then the tree is built as on showing.
    void Create(LocalisableWindow* view = nullptr);
    // Showing: the tree rebuilt from the store, no parameter selected.
    void Show();
    bool Visible() const { return visible_; }

    const std::vector<Node>& TreeView1() const { return nodes_; }
    // Index of the node whose parameter is being edited; -1 when none.
    int SelectedNode() const { return selected_; }
    const std::string& CurrentSection() const { return section_; }
    const std::string& CurrentKey() const { return key_; }

    // EValue, Memo1 (the hint) and Panel1 (the value as a colour).
    const std::string& EValue() const { return value_; }
    void SetEValue(std::string_view text) { value_ = std::string(text); }
    // The hint, or why the edited value was refused.
    const std::string& Memo1() const { return refusal_.empty() ? hint_ : refusal_; }
    const std::string& Refusal() const { return refusal_; }
    std::int32_t Panel1() const { return colour_; }

    // Clicking a node: the edited value is committed, then the clicked parameter selected
    // (a section node selects nothing). An index outside the tree changes nothing.
    void ClickNode(int index);
    // Clicking the colour panel: on a confirmed colour, EValue gets it as a decimal
    // number, the panel takes it and the value is committed.
    void ClickColourPanel(const ColourDialog& dialog);

    // Button1: commit, SaveAll, close with Ok; a refused value keeps the window open (None). The view then closes the window, which runs
    // Close as well.
    ModalResult Button1Click();
    // Closing the window: commit and SaveAll.
    void Close();
    // Program end: commit, the simulation speed bar's position stored as
    // DefaultSimulationSpeed of section Ploter, SaveAll.
    void Destroy();
    ModalResult Result() const { return result_; }
    // The reason the last SaveAll failed; empty after a successful one.
    const std::string& SaveError() const { return saveError_; }

    // The two steps, for views that drive them separately. Commit stores the edited value
    // unless it is outside the setting's domain: then nothing is stored, Refusal() says
    // why and Commit is false.
    bool Commit();
    void Select(int index);

private:
    void Rebuild();
    bool Save();
    bool IsAncestor(int ancestor, int node) const;

    Services s_;
    std::vector<Node> nodes_;
    int selected_ = -1;
    std::string section_;
    std::string key_;
    std::string value_;
    std::string hint_;
    std::string refusal_;
    std::int32_t colour_ = 0;
    bool visible_ = false;
    ModalResult result_ = ModalResult::None;
    std::string saveError_;
};

}  // namespace wirvela
