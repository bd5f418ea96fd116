#include "ui/TForm14.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/windows/FrameModel.h"
#include "ui/ControlBinding.h"
#include "ui/QtLocalisableWindow.h"
#include "ui/ViewSupport.h"

namespace wirvela {

namespace {

constexpr const char* kEdits[FrameModel::kFieldCount] = {"Edit1", "Edit2", "Edit3", "Edit4"};
constexpr const char* kLabels[FrameModel::kFieldCount] = {"Label1", "Label2", "Label3", "Label4"};

// A radio group of two items named "<group>_0" and "<group>_1".
QGroupBox* RadioGroup(QWidget* parent, const char* name, const std::function<void(int)>& chosen) {
    auto* group = Named(new QGroupBox(parent), name);
    auto* layout = new QVBoxLayout(group);
    for (int i = 0; i < 2; ++i) {
        const std::string item = std::string(name) + "_" + std::to_string(i);
        auto* radio = new QRadioButton(group);
        radio->setObjectName(ToQt(item));
        layout->addWidget(radio);
        QObject::connect(radio, &QRadioButton::clicked, group, [chosen, i] { chosen(i); });
    }
    return group;
}

// The grey of a read-only field (a Windows colour value: 0x00BBGGRR).
QColor FieldColour(int colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

}  // namespace

TForm14::TForm14(FrameModel& model, QWidget* parent)
    : QDialog(parent), model_(model), localisable_(std::make_unique<QtLocalisableWindow>(*this, FrameModel::kFormName)) {
    setObjectName(FrameModel::kFormName);
    setWindowTitle(QString::fromUtf8(FrameModel::kCaption));
    auto* groups = new QHBoxLayout;
    groups->addWidget(RadioGroup(this, "RadioGroup1", [this](int i) {
        model_.SetShape(i);
        Refresh();
    }));
    groups->addWidget(RadioGroup(this, "RadioGroup2", [this](int i) {
        model_.SetSizing(i);
        Refresh();
    }));
    auto* fields = new QGridLayout;
    for (int i = 0; i < FrameModel::kFieldCount; ++i) {
        auto* label = Named(new QLabel(this), kLabels[i]);
        auto* edit = Named(new QLineEdit(this), kEdits[i]);
        edit->setMaximumWidth(100);
        label->setBuddy(edit);
        fields->addWidget(label, i, 0);
        fields->addWidget(edit, i, 1);
        const int n = i + 1;
        OnEdited(edit, this, [this, n](const QString& text) { model_.SetField(n, FromQt(text)); });
    }
    auto* add = Named(new QPushButton(this), "Button1");
    auto* cancel = Named(new QPushButton(this), "Button2");
    add->setDefault(true);
    connect(add, &QPushButton::clicked, this, [this] {
        if (model_.Add() == ModalResult::Ok) QDialog::accept();
    });
    connect(cancel, &QPushButton::clicked, this, &TForm14::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(add);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    // The design texts first; local.txt then replaces those it holds.
    model_.ForEachControl([this](std::string_view name, const Control& c) { ApplyControl(*this, name, c); });
    model_.Create(localisable_.get());
    Refresh();
}

TForm14::~TForm14() = default;

void TForm14::showEvent(QShowEvent* event) {
    model_.Show();
    Refresh();
    QDialog::showEvent(event);
}

void TForm14::reject() {
    model_.Cancel();
    QDialog::reject();
}

void TForm14::Refresh() {
    model_.ForEachControl([this](std::string_view name, const Control& c) {
        // The buttons' and groups' captions are local.txt's once the window is localised.
        if (name.substr(0, 6) == "Button" || name.substr(0, 10) == "RadioGroup") {
            ControlState s = StateOf(c);
            s.caption.reset();
            if (QObject* w = FindControl(*this, name)) ApplyControlState(*w, s);
            return;
        }
        ApplyControl(*this, name, c);
    });
    const FrameModel::Controls& f = model_.Form();
    const std::pair<const char*, int> chosen[] = {{"RadioGroup1", f.RadioGroup1Index}, {"RadioGroup2", f.RadioGroup2Index}};
    for (const auto& [group, index] : chosen) {
        const auto& items = std::string_view(group) == "RadioGroup1" ? f.RadioGroup1Items : f.RadioGroup2Items;
        for (int i = 0; i < 2; ++i) {
            const std::string item = std::string(group) + "_" + std::to_string(i);
            if (QObject* radio = FindControl(*this, item)) {
                ControlState s;
                s.checked = i == index;
                s.caption = items[static_cast<std::size_t>(i)];
                ApplyControlState(*radio, s);
            }
        }
    }
    for (int i = 0; i < FrameModel::kFieldCount; ++i) {
        auto* edit = qobject_cast<QLineEdit*>(FindControl(*this, kEdits[i]));
        if (edit == nullptr) continue;
        const bool readOnly = f.ReadOnly[static_cast<std::size_t>(i)];
        edit->setReadOnly(readOnly);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, readOnly ? FieldColour(f.Colour[static_cast<std::size_t>(i)])
                                                  : QApplication::palette().color(QPalette::Base));
        edit->setPalette(palette);
    }
}

}  // namespace wirvela
