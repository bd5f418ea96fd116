#include "ui/TForm9.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/windows/MultiplicationModel.h"
#include "ui/ControlBinding.h"
#include "ui/ViewSupport.h"

namespace wirvela {

namespace {

// The fields in the dialog's order: counts, material size, gaps; then the multi-wire ones.
constexpr const char* kCopyFields[] = {"Edit1", "Edit2", "Edit5", "Edit6", "Edit3", "Edit4"};
constexpr const char* kWireFields[] = {"Edit7", "Edit8", "Edit9"};

}  // namespace

TForm9::TForm9(MultiplicationModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    setObjectName("Form9");
    auto* layout = new QVBoxLayout(this);

    auto* mode = new QHBoxLayout;
    for (const char* name : {"RadioButton1", "RadioButton2"}) {
        auto* radio = Named(new QRadioButton(this), name);
        mode->addWidget(radio);
        connect(radio, &QRadioButton::toggled, this, [this, name](bool on) {
            if (on) model_.SetChecked(name, true);
        });
    }
    layout->addLayout(mode);

    const auto addFields = [this](QGridLayout* grid, auto& names, int columns) {
        int i = 0;
        for (const char* name : names) {
            auto* label = new QLabel(this);
            auto* edit = Named(new QLineEdit(this), name);
            edit->setMaximumWidth(90);
            label->setBuddy(edit);
            labels_[name] = label;
            grid->addWidget(label, i / columns, (i % columns) * 2);
            grid->addWidget(edit, i / columns, (i % columns) * 2 + 1);
            OnEdited(edit, this, [this, name](const QString& text) { model_.SetText(name, FromQt(text)); });
            ++i;
        }
    };
    auto* copies = new QGridLayout;
    addFields(copies, kCopyFields, 2);
    layout->addLayout(copies);

    layout->addWidget(CheckBox("CheckBox1"));
    auto* wires = new QGridLayout;
    addFields(wires, kWireFields, 1);
    layout->addLayout(wires);
    layout->addWidget(CheckBox("CheckBox2"));
    layout->addWidget(CheckBox("CheckBox3"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* powiel = Named(new QPushButton(this), "Button1");
    auto* anuluj = Named(new QPushButton(this), "Button2");
    powiel->setDefault(true);
    connect(powiel, &QPushButton::clicked, this, [this] {
        if (model_.Powiel() == ModalResult::Ok) accept();
    });
    connect(anuluj, &QPushButton::clicked, this, [this] { reject(); });
    buttons->addWidget(powiel);
    buttons->addWidget(anuluj);
    layout->addLayout(buttons);

    for (QTimer* timer : {&timer1_, &timer2_}) timer->setSingleShot(true);
    timer1_.setObjectName("Timer1");
    timer2_.setObjectName("Timer2");
    connect(&timer1_, &QTimer::timeout, this, [this] { model_.OnTimer1(); });
    connect(&timer2_, &QTimer::timeout, this, [this] { model_.OnTimer2(); });

    MultiplicationModel::Hooks hooks;
    hooks.changed = [this] { Refresh(); };
    hooks.close = [this](ModalResult result) {
        if (isVisible()) done(result == ModalResult::Ok ? Accepted : Rejected);
    };
    model_.SetHooks(std::move(hooks));
    Refresh();
}

TForm9::~TForm9() {
    model_.SetHooks({});
}

QCheckBox* TForm9::CheckBox(const char* name) {
    auto* box = Named(new QCheckBox(this), name);
    connect(box, &QCheckBox::toggled, this, [this, name](bool on) { model_.SetChecked(name, on); });
    return box;
}

void TForm9::reject() {
    model_.Anuluj();
    timer1_.stop();
    timer2_.stop();
    QDialog::reject();
}

void TForm9::showEvent(QShowEvent* event) {
    model_.Show();
    Refresh();
    QDialog::showEvent(event);
}

void TForm9::FollowTimer(QTimer& timer, bool enabled, int interval, unsigned starts, unsigned& seen) {
    if (!enabled) {
        timer.stop();
    } else if (!timer.isActive() || starts != seen) {
        timer.start(interval);
    }
    seen = starts;
}

void TForm9::Refresh() {
    setWindowTitle(ToQt(model_.Title()));
    model_.ForEachControl([this](std::string_view name, const Control& c) {
        ApplyControl(*this, name, c);
        if (const auto label = labels_.find(std::string(name)); label != labels_.end()) {
            label->second->setText(ToQt(c.caption));
            label->second->setEnabled(c.enabled);
        }
    });
    const MultiplicationModel::Controls& f = model_.Form();
    FollowTimer(timer1_, f.Timer1.enabled, f.Timer1.interval, f.Timer1.starts, timer1Starts_);
    FollowTimer(timer2_, f.Timer2.enabled, f.Timer2.interval, f.Timer2.starts, timer2Starts_);
}

}  // namespace wirvela
