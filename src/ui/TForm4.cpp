#include "ui/TForm4.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/windows/CuttingJob.h"
#include "config/Messages.h"
#include "platform/EventChannel.h"
#include "ui/ClickPanel.h"
#include "ui/ControlBinding.h"
#include "ui/QtEventPump.h"
#include "ui/QtLocalisableWindow.h"
#include "ui/ViewSupport.h"

namespace wirvela {

namespace {

constexpr LocalisedControl kLocalised[] = {
    {"Label1", LocalisedText::Caption},     {"Label31", LocalisedText::Caption},
    {"Label34", LocalisedText::Caption},    {"GroupBox1", LocalisedText::Caption},
    {"CheckBox1", LocalisedText::Caption},  {"Label2", LocalisedText::Caption},
    {"Label3", LocalisedText::Caption},     {"CheckBox4", LocalisedText::Caption},
    {"CheckBox2", LocalisedText::Caption},  {"Label4", LocalisedText::Caption},
    {"CheckBox3", LocalisedText::Caption},  {"GroupBox2", LocalisedText::Caption},
    {"Label8", LocalisedText::Caption},     {"Label9", LocalisedText::Caption},
    {"Label10", LocalisedText::Caption},    {"Label23", LocalisedText::Caption},
    {"GroupBox3", LocalisedText::Caption},  {"Label11", LocalisedText::Caption},
    {"Label13", LocalisedText::Caption},    {"Label16", LocalisedText::Caption},
    {"Label17", LocalisedText::Caption},    {"Panel1", LocalisedText::Caption},
    {"Button2", LocalisedText::Caption},    {"Button6", LocalisedText::Caption},
    {"Button5", LocalisedText::Caption},    {"Button1", LocalisedText::Caption},
    {"Button3", LocalisedText::Caption},    {"ScrollBar3", LocalisedText::Hint},
    {"ScrollBar4", LocalisedText::Hint},    {"Panel1", LocalisedText::Hint},
};

QScrollBar* Bar(QWidget* parent, const char* name) {
    auto* bar = Named(new QScrollBar(Qt::Horizontal, parent), name);
    bar->setMinimumWidth(160);
    bar->setPageStep(5);
    return bar;
}

QLabel* Value(QWidget* parent, const char* name) {
    auto* label = Named(new QLabel(parent), name);
    label->setMinimumWidth(70);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

void SetBar(QScrollBar* bar, int min, int max, int position) {
    bar->setRange(min, max);
    bar->setValue(position);
}

}  // namespace

TForm4::TForm4(CuttingJob& model, const TMessages& messages, QtEventPump* pump, QWidget* parent)
    : QDialog(parent), model_(model), pump_(pump), statusTimer_(this) {
    setObjectName("Form4");
    setWindowTitle(QStringLiteral("Wycinanie"));
    Build();
    Connect();
    statusTimer_.setSingleShot(true);
    statusTimer_.setInterval(CuttingJob::kStatusClearMs);
    statusTimer_.setObjectName("Timer1");
    connect(&statusTimer_, &QTimer::timeout, this, [this] { Act([this] { model_.StatusTimer(); }); });
    LocaliseWidget(messages, *this, "Form4", kLocalised);
    if (pump_) {
        pump_->Watch(model_.Channel());
        // A hidden window catches up when it is shown.
        connect(pump_, &QtEventPump::Handled, this, [this] {
            if (isVisible()) Refresh();
        });
    }
    Refresh();
}

TForm4::~TForm4() {
    if (pump_) pump_->Unwatch(model_.Channel());
}

void TForm4::Build() {
    // Material and heating.
    auto* materials = Named(new QListWidget(this), "ListBox1");
    materials->setMinimumSize(220, 190);
    auto* heating = Bar(this, "ScrollBar3");
    auto* v2 = Bar(this, "ScrollBar4");
    auto* left = new QGridLayout;
    left->addWidget(Named(new QLabel(QStringLiteral("Materiał"), this), "Label1"), 0, 0, 1, 3);
    left->addWidget(materials, 1, 0, 1, 3);
    left->addWidget(Named(new QPushButton(QStringLiteral("Edycja materiałów"), this), "Button3"), 2, 0, 1, 3);
    left->addWidget(Named(new QLabel(QStringLiteral("Grzanie"), this), "Label31"), 3, 0);
    left->addWidget(heating, 3, 1);
    left->addWidget(Value(this, "Label32"), 3, 2);
    left->addWidget(Named(new QLabel(QStringLiteral("V2"), this), "Label34"), 4, 0);
    left->addWidget(v2, 4, 1);
    left->addWidget(Value(this, "Label35"), 4, 2);

    // Rotary cut.
    auto* rotary = Named(new QGroupBox(QStringLiteral("Obróbka obrotowa"), this), "GroupBox1");
    auto* r = new QGridLayout(rotary);
    r->addWidget(Named(new QCheckBox(QStringLiteral("Cięcie obrotowe"), rotary), "CheckBox1"), 0, 0, 1, 3);
    r->addWidget(Named(new QLabel(QStringLiteral("Liczba ścian"), rotary), "Label2"), 1, 0);
    r->addWidget(Bar(rotary, "ScrollBar1"), 1, 1);
    r->addWidget(Named(new QLineEdit(rotary), "Edit1"), 1, 2);
    r->addWidget(Named(new QLabel(QStringLiteral("Kąt obrotu [°]"), rotary), "Label3"), 2, 0);
    r->addWidget(Bar(rotary, "ScrollBar2"), 2, 1);
    r->addWidget(Named(new QLineEdit(rotary), "Edit2"), 2, 2);
    r->addWidget(Named(new QCheckBox(QStringLiteral("Obracaj w przeciwną stronę"), rotary), "CheckBox4"), 3, 0, 1, 3);
    r->addWidget(Named(new QCheckBox(QStringLiteral("Obracaj w trakcie wycinania"), rotary), "CheckBox2"), 4, 0, 1, 3);
    r->addWidget(Named(new QLabel(QStringLiteral("Skok śruby [cm/obr.]"), rotary), "Label4"), 5, 0);
    r->addWidget(Named(new QLineEdit(rotary), "Edit5"), 5, 2);
    r->addWidget(Named(new QCheckBox(QStringLiteral("W przeciwną stronę"), rotary), "CheckBox3"), 6, 0, 1, 3);
    for (const char* name : {"Edit1", "Edit2", "Edit5"}) findChild<QLineEdit*>(name)->setMaximumWidth(70);

    // Estimate.
    auto* times = Named(new QGroupBox(QStringLiteral("Czas"), this), "GroupBox2");
    auto* t = new QGridLayout(times);
    t->addWidget(Named(new QLabel(QStringLiteral("Szacowany czas:"), times), "Label8"), 0, 0);
    t->addWidget(Value(times, "Label5"), 0, 1);
    t->addWidget(Named(new QLabel(QStringLiteral("Rozpoczęcie:"), times), "Label9"), 1, 0);
    t->addWidget(Value(times, "Label6"), 1, 1);
    t->addWidget(Named(new QLabel(QStringLiteral("Zakończenie:"), times), "Label10"), 2, 0);
    t->addWidget(Value(times, "Label7"), 2, 1);
    t->addWidget(Named(new QLabel(QStringLiteral("Długość cięcia [m]:"), times), "Label23"), 3, 0);
    t->addWidget(Value(times, "Label24"), 3, 1);

    // Wire wear.
    auto* wire = Named(new QGroupBox(QStringLiteral("Zużycie drutu"), this), "GroupBox3");
    auto* w = new QGridLayout(wire);
    w->addWidget(Named(new QLabel(QStringLiteral("Czas pracy drutu [min]:"), wire), "Label11"), 0, 0);
    w->addWidget(Value(wire, "Label12"), 0, 1);
    w->addWidget(Named(new QLabel(QStringLiteral("limit:"), wire), "Label13"), 0, 2);
    w->addWidget(Value(wire, "Label15"), 0, 3);
    w->addWidget(Named(new QLabel(QStringLiteral("Długość drutu [m]:"), wire), "Label16"), 1, 0);
    w->addWidget(Value(wire, "Label19"), 1, 1);
    w->addWidget(Named(new QLabel(QStringLiteral("limit:"), wire), "Label17"), 1, 2);
    w->addWidget(Value(wire, "Label20"), 1, 3);
    w->addWidget(Named(new ClickPanel(QStringLiteral("Drut wymieniony"), wire), "Panel1"), 2, 0, 1, 4);

    // Commands.
    auto* commands = new QHBoxLayout;
    for (const auto& [name, text] : {std::pair{"Button2", "Start"}, std::pair{"Button6", "Wstrzymaj"},
                                     std::pair{"Button5", "Kontynuuj"}, std::pair{"Button1", "Przerwij"}}) {
        auto* b = Named(new QPushButton(QString::fromUtf8(text), this), name);
        b->setMinimumHeight(36);
        commands->addWidget(b);
    }

    // Service commands, hidden.
    auto* service = new QHBoxLayout;
    auto* alg2 = Named(new QCheckBox(QStringLiteral("Alg2"), this), "CheckBox6");
    service->addWidget(alg2);
    service->addWidget(Named(new QPushButton(QStringLiteral("Tylko C-RESUME"), this), "Button4"));
    service->addWidget(Named(new ClickPanel(QStringLiteral("STATE"), this), "Panel5"));
    service->addWidget(Named(new ClickPanel(QStringLiteral("Asynch ( x )"), this), "Panel3"));
    service->addWidget(Named(new ClickPanel(QStringLiteral("Asynch?"), this), "Panel4"));
    for (const char* name : {"CheckBox6", "Button4", "Panel5", "Panel3", "Panel4"}) SetVisible(*this, name, false);

    auto* status = Named(new QLabel(this), "Lerrors");
    status->setWordWrap(true);
    status->setMinimumHeight(36);
    status->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);

    auto* right = new QVBoxLayout;
    right->addWidget(rotary);
    right->addWidget(times);
    right->addWidget(wire);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(commands);
    layout->addLayout(service);
    layout->addWidget(status);
}

void TForm4::Connect() {
    auto* materials = findChild<QListWidget*>("ListBox1");
    connect(materials, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!updating_ && row >= 0) Act([&] { model_.ClickMaterial(row); });
    });
    const auto bar = [this](const char* name, std::function<void(int)> move) {
        connect(findChild<QScrollBar*>(name), &QScrollBar::valueChanged, this, [this, move](int v) {
            if (!updating_) Act([&] { move(v); });
        });
    };
    bar("ScrollBar3", [this](int v) { model_.MoveHeatingBar(v); });
    bar("ScrollBar4", [this](int v) { model_.MoveV2Bar(v); });
    bar("ScrollBar1", [this](int v) { model_.MoveFacesBar(v); });
    bar("ScrollBar2", [this](int v) { model_.MoveAngleBar(v); });
    const auto box = [this](const char* name, std::function<void(bool)> set) {
        connect(findChild<QCheckBox*>(name), &QCheckBox::clicked, this, [this, set](bool on) { Act([&] { set(on); }); });
    };
    box("CheckBox1", [this](bool on) { model_.SetRotaryCut(on); });
    box("CheckBox4", [this](bool on) { model_.SetReverseFaces(on); });
    box("CheckBox2", [this](bool on) { model_.SetTurnDuringCut(on); });
    box("CheckBox3", [this](bool on) { model_.SetReverseTurn(on); });
    box("CheckBox6", [this](bool on) { model_.SetAlg2(on); });
    const auto edit = [this](const char* name, std::function<void(std::string_view)> type) {
        OnEdited(findChild<QLineEdit*>(name), this,
                 [this, type](const QString& text) { Act([&] { type(FromQt(text)); }); });
    };
    edit("Edit1", [this](std::string_view t) { model_.TypeFaces(t); });
    edit("Edit2", [this](std::string_view t) { model_.TypeAngle(t); });
    edit("Edit5", [this](std::string_view t) { model_.TypePitch(t); });

    const auto button = [this](const char* name, std::function<void()> action) {
        connect(findChild<QPushButton*>(name), &QPushButton::clicked, this,
                [this, action = std::move(action)] { Act(action); });
    };
    button("Button2", [this] { model_.Start(true); });
    button("Button1", [this] { model_.Stop(true); });
    button("Button6", [this] { model_.Hold(true); });
    button("Button5", [this] { model_.Continue(true); });
    button("Button4", [this] { model_.ResumeOnly(); });
    button("Button3", [this] {
        if (openMaterials_) openMaterials_();
    });
    const auto panel = [this](const char* name, std::function<void()> action) {
        connect(findChild<ClickPanel*>(name), &ClickPanel::clicked, this,
                [this, action = std::move(action)] { Act(action); });
    };
    panel("Panel1", [this] { model_.WireReplaced(); });
    panel("Panel5", [this] { model_.QueryStateButton(); });
    panel("Panel3", [this] { model_.TakeLinkBack(); });
    panel("Panel4", [this] { model_.AsynchQuery(); });
    // Enter in a field must not start a cut.
    for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
}

void TForm4::Act(const std::function<void()>& action) {
    action();
    Refresh();
}

void TForm4::showEvent(QShowEvent* event) {
    model_.Show();
    Refresh();
    QDialog::showEvent(event);
}

void TForm4::done(int result) {
    if (model_.Visible()) model_.Close();
    statusTimer_.stop();
    QDialog::done(result);
}

void TForm4::Refresh() {
    if (updating_) return;
    updating_ = true;
    const CuttingJob::Texts& text = model_.Text();

    auto* materials = findChild<QListWidget*>("ListBox1");
    const auto& names = model_.MaterialNames();
    if (materials->count() != static_cast<int>(names.size())) {
        materials->clear();
        for (const std::string& name : names) materials->addItem(ToQt(name));
    } else {
        for (int i = 0; i < materials->count(); ++i) materials->item(i)->setText(ToQt(names[static_cast<std::size_t>(i)]));
    }
    materials->setCurrentRow(model_.SelectedMaterial());

    SetBar(findChild<QScrollBar*>("ScrollBar3"), model_.HeatingMin(), model_.HeatingMax(), model_.HeatingPosition());
    SetBar(findChild<QScrollBar*>("ScrollBar4"), model_.V2Min(), model_.V2Max(), model_.V2Position());
    SetBar(findChild<QScrollBar*>("ScrollBar1"), CuttingJob::kFacesMin, CuttingJob::kFacesMax, model_.FacesPosition());
    SetBar(findChild<QScrollBar*>("ScrollBar2"), CuttingJob::kAngleMin, CuttingJob::kAngleMax, model_.AnglePosition());
    for (const char* name : {"ScrollBar4", "Label34", "Label35"}) SetVisible(*this, name, model_.V2Visible());

    struct Check {
        const char* name;
        bool checked;
        bool enabled;
    };
    for (const Check& c : {Check{"CheckBox1", model_.RotaryCut(), true},
                           Check{"CheckBox4", model_.ReverseFaces(), model_.FacesAndAngleEnabled()},
                           Check{"CheckBox2", model_.TurnDuringCut(), true},
                           Check{"CheckBox3", model_.ReverseTurn(), true},
                           Check{"CheckBox6", model_.Alg2(), true}}) {
        ControlState s;
        s.checked = c.checked;
        s.enabled = c.enabled;
        ApplyControlState(*FindControl(*this, c.name), s);
    }
    for (const char* name : {"ScrollBar1", "Edit1", "ScrollBar2", "Edit2"})
        SetEnabled(*this, name, model_.FacesAndAngleEnabled());
    SetEnabled(*this, "Edit5", model_.PitchEnabled());

    struct Field {
        const char* name;
        const std::string& text;
    };
    for (const Field& f : {Field{"Edit1", text.edit1}, Field{"Edit2", text.edit2}, Field{"Edit5", text.edit5}}) {
        ControlState s;
        s.text = f.text;
        ApplyControlState(*FindControl(*this, f.name), s);
    }
    for (const Field& f : {Field{"Label5", text.label5}, Field{"Label6", text.label6}, Field{"Label7", text.label7},
                           Field{"Label12", text.label12}, Field{"Label15", text.label15},
                           Field{"Label19", text.label19}, Field{"Label20", text.label20},
                           Field{"Label24", text.label24}, Field{"Label32", text.label32},
                           Field{"Label35", text.label35}, Field{"Lerrors", text.lerrors}}) {
        SetCaption(*this, f.name, f.text);
    }

    SetEnabled(*this, "Button2", model_.StartEnabled());
    SetEnabled(*this, "Button3", model_.MaterialsEnabled());
    SetEnabled(*this, "Button6", model_.HoldEnabled());
    SetVisible(*this, "Button6", model_.HoldVisible());
    SetEnabled(*this, "Button5", model_.ContinueEnabled());
    auto* wire = findChild<ClickPanel*>("Panel1");
    wire->setEnabled(model_.WirePanelEnabled());
    if (model_.WirePanelRed()) {
        wire->SetColours(Qt::red, Qt::white);
    } else {
        wire->SetColours(QColor());
    }

    // Timer1 clears the status line 5 s after the last text.
    if (!model_.StatusTimerEnabled()) {
        statusTimer_.stop();
    } else if (!statusTimer_.isActive() || shownStatus_ != text.lerrors) {
        statusTimer_.start();
    }
    shownStatus_ = text.lerrors;
    updating_ = false;

    if (isVisible() && !model_.Visible()) done(model_.Result() == ModalResult::Cancel ? Rejected : Accepted);
}

}  // namespace wirvela
