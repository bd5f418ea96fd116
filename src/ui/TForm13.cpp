#include "ui/TForm13.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/windows/MouldingModel.h"
#include "ui/ControlBinding.h"
#include "ui/QtLocalisableWindow.h"
#include "ui/ViewSupport.h"

namespace wirvela {

namespace {

struct Field {
    const char* label;
    const char* edit;
};

// The fields in the dialog's order, each under its label.
constexpr Field kFields[] = {
    {"Label1", "Edit_H"}, {"Label2", "Edit_r"},     {"Label3", "Edit_l"}, {"Label4", "Edit_eps"}, {"Label5", "Edit_d"},
    {"Label6", "Edit_alpha"}, {"Label7", "Edit_N"}, {"Label8", "Edit1"},  {"Label9", "Edit2"},
};

// Controls whose captions local.txt gives once the window is localised.
bool Localised(std::string_view name) {
    return name.substr(0, 5) == "Label" ? name != "Label_N" && name != "Label_L" : name.substr(0, 4) != "Edit";
}

}  // namespace

TForm13::TForm13(MouldingModel& model, QWidget* parent)
    : QDialog(parent), model_(model), localisable_(std::make_unique<QtLocalisableWindow>(*this, MouldingModel::kFormName)) {
    setObjectName(MouldingModel::kFormName);
    setWindowTitle(QStringLiteral("Listwy gięte"));
    auto* fields = new QGridLayout;
    int row = 0;
    for (const Field& f : kFields) {
        auto* label = Named(new QLabel(this), f.label);
        auto* edit = Named(new QLineEdit(this), f.edit);
        edit->setMaximumWidth(100);
        label->setBuddy(edit);
        fields->addWidget(label, row, 0);
        fields->addWidget(edit, row, 1);
        ++row;
        const std::string name = f.edit;
        OnEdited(edit, this, [this, name](const QString& text) { model_.SetField(name, FromQt(text)); });
    }
    auto* arc = Named(new QRadioButton(this), "RadioButton1");
    auto* angle = Named(new QRadioButton(this), "RadioButton2");
    connect(arc, &QRadioButton::clicked, this, [this] {
        model_.SetAngleMode(false);
        Refresh();
    });
    connect(angle, &QRadioButton::clicked, this, [this] {
        model_.SetAngleMode(true);
        Refresh();
    });
    auto* reduce = Named(new QCheckBox(this), "CheckBox1");
    auto* burn = Named(new QCheckBox(this), "CheckBox2");
    connect(reduce, &QCheckBox::clicked, this, [this](bool on) { model_.SetReduce(on); });
    connect(burn, &QCheckBox::clicked, this, [this](bool on) {
        model_.SetBurn(on);
        Refresh();
    });
    auto* results = new QGridLayout;
    results->addWidget(new QLabel(QStringLiteral("N"), this), 0, 0);
    results->addWidget(Named(new QLabel(this), "Label_N"), 0, 1);
    results->addWidget(new QLabel(QStringLiteral("L"), this), 1, 0);
    results->addWidget(Named(new QLabel(this), "Label_L"), 1, 1);
    auto* compute = Named(new QPushButton(this), "Button1");
    auto* create = Named(new QPushButton(this), "Button2");
    compute->setAutoDefault(false);
    connect(compute, &QPushButton::clicked, this, [this] {
        model_.Compute();
        Refresh();
    });
    connect(create, &QPushButton::clicked, this, [this] {
        const bool done = model_.CreateLines() == ModalResult::Ok;
        Refresh();
        if (done) QDialog::accept();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(compute);
    buttons->addWidget(create);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(arc);
    layout->addWidget(angle);
    layout->addWidget(reduce);
    layout->addWidget(burn);
    layout->addLayout(results);
    layout->addLayout(buttons);

    model_.ForEachControl([this](std::string_view name, const Control& c) { ApplyControl(*this, name, c); });
    model_.Create(localisable_.get());
    Refresh();
}

TForm13::~TForm13() = default;

void TForm13::showEvent(QShowEvent* event) {
    model_.Show();
    Refresh();
    QDialog::showEvent(event);
}

void TForm13::reject() {
    model_.Cancel();
    QDialog::reject();
}

void TForm13::Refresh() {
    model_.ForEachControl([this](std::string_view name, const Control& c) {
        ControlState s = StateOf(c);
        if (Localised(name)) s.caption.reset();
        if (QObject* w = FindControl(*this, name)) ApplyControlState(*w, s);
    });
}

}  // namespace wirvela
