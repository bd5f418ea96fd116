#pragma once
// The colours dialog ("Ustawianie kolorów", TForm2): thirteen coloured panels, one per key
// of section kolory, with which the drawing view and the simulation paint. Showing loads
// the panels from the store (with the dialog's own defaults), "Zastosuj" writes all of
// them, "Anuluj" writes nothing. Colours are platform colour values (0x00BBGGRR, red in
// the low byte) stored as decimal integers.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "app/windows/ModalResult.h"
#include "config/Settings.h"

namespace wirvela {

class LocalisableWindow;
class TMessages;
class TParameters;

class ColoursModel {
public:
    static constexpr const char* kFormName = "Form2";
    static constexpr const char* kCaption = "Ustawianie kolorów";
    static constexpr int kPanels = 13;

    struct Panel {
        const char* name;   // Panel1 … Panel13
        const char* label;  // the design-time caption of its label
        const char* group;  // GroupBox1 "Rysunek 1", GroupBox2 "Rysunek 2", or none
        const SettingKey* key;  // of section kolory, with the dialog's default as its second one
    };

    // In the order the dialog lays them out: background, segment lines, faulty node, the
    // five colours of figure 1, the five of figure 2.
    static constexpr std::array<Panel, kPanels> kPanelTable{{
        {"Panel1", "Tło programu", nullptr, &settings::kTlo},
        {"Panel12", "Kolor linii segmentw", nullptr, &settings::kKolor_linii_segmentow},
        {"Panel13", "Niepoprawny wezel jednoznacznosci", nullptr, &settings::kNiepoprawny_wezel_jednoczesnosci},
        {"Panel2", "Obiekty", "GroupBox1", &settings::kObiekty},
        {"Panel3", "Linie łączące", "GroupBox1", &settings::kLinie_laczace},
        {"Panel4", "Pierwsze cięcie", "GroupBox1", &settings::kLinia_1_ciecia},
        {"Panel5", "Drugie cięcie", "GroupBox1", &settings::kLinia_2_ciecia},
        {"Panel6", "Inna prędkość", "GroupBox1", &settings::kKolor_szybkosc_2},
        {"Panel7", "Obiekty", "GroupBox2", &settings::kObiekty_2},
        {"Panel8", "Linie łączące", "GroupBox2", &settings::kLinie_laczace_2},
        {"Panel9", "Pierwsze cięcie", "GroupBox2", &settings::kLinia_1_ciecia_2},
        {"Panel10", "Drugie cięcie", "GroupBox2", &settings::kLinia_2_ciecia_2},
        {"Panel11", "Inna prędkość", "GroupBox2", &settings::kKolor_szybkosc_2_2},
    }};


    // The standard colour dialog, opened with the panel's colour: the chosen colour, or
    // nothing when the operator cancels.
    using ColourDialog = std::function<std::optional<std::int32_t>(std::int32_t initial)>;

    explicit ColoursModel(TParameters& parameters) : parameters_(parameters) {}

    // Creation: the localised texts (caption, Label1 … Label13, GroupBox1, GroupBox2,
    // Button1, Button2) onto the view, when both are given.
    void Create(const TMessages* messages, LocalisableWindow* view);

    // Showing: every panel from its key, with the dialog's defaults.
    void Show();
    bool Visible() const { return visible_; }

    // Colours by position in kPanelTable (0 … 12) or by panel name; an unknown panel gives
    // -1 and is not set.
    std::int32_t Colour(int index) const;
    std::int32_t Colour(std::string_view panel) const;
    bool SetColour(int index, std::int32_t colour);
    bool SetColour(std::string_view panel, std::int32_t colour);
    // Clicking a panel: the colour dialog; a confirmed colour goes to the panel.
    void ClickPanel(std::string_view panel, const ColourDialog& dialog);

    // "Zastosuj" (Button1): all thirteen colours to their keys (keys the settings file
    // lacks stay missing); closes with Ok.
    ModalResult Button1Click();
    // "Anuluj" (Button2), or the window closed otherwise: closes with Cancel, nothing written.
    ModalResult Button2Click();
    ModalResult Result() const { return result_; }

    static int IndexOf(std::string_view panel);

private:
    TParameters& parameters_;
    std::array<std::int32_t, kPanels> colours_{};
    bool visible_ = false;
    ModalResult result_ = ModalResult::None;
};

}  // namespace wirvela
