#include "ui/TForm11.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/windows/ScaleDialogModel.h"
#include "ui/ControlBinding.h"
#include "ui/QtLocalisableWindow.h"
#include "ui/ViewSupport.h"

namespace wirvela {

namespace {

// The anchor buttons where they lie in the 3 × 3 block: column = horizontal anchor
// (left, centre, right), row = vertical anchor (top, middle, bottom).
struct Anchor {
    const char* name;
    const char* arrow;
    int column;
    int row;
};

constexpr Anchor kAnchors[] = {
    {"Button1", "\u2196", 0, 0}, {"Button3", "\u2191", 1, 0}, {"Button2", "\u2197", 2, 0},
    {"Button4", "\u2190", 0, 1}, {"Button5", "\u2022", 1, 1}, {"Button6", "\u2192", 2, 1},
    {"Button7", "\u2199", 0, 2}, {"Button8", "\u2193", 1, 2}, {"Button9", "\u2198", 2, 2},
};

}  // namespace

TForm11::TForm11(ScaleDialogModel& model, const TMessages& messages, QWidget* parent)
    : QDialog(parent), model_(model), localisable_(std::make_unique<QtLocalisableWindow>(*this, ScaleDialogModel::kFormName)) {
    setObjectName("Form11");
    setWindowTitle(QStringLiteral("Skalowanie"));
    auto* edit = Named(new QLineEdit(this), "Edit1");
    edit->setMaximumWidth(80);
    auto* scale = new QHBoxLayout;
    scale->addWidget(Named(new QLabel(QStringLiteral("Scale"), this), "Label1"));
    scale->addWidget(edit);
    scale->addWidget(Named(new QLabel(QStringLiteral("%"), this), "Label2"));
    scale->addStretch();

    auto* anchors = new QGridLayout;
    for (const Anchor& a : kAnchors) {
        auto* button = Named(new QPushButton(QString::fromUtf8(a.arrow), this), a.name);
        button->setFixedSize(44, 44);
        button->setAutoDefault(false);
        anchors->addWidget(button, a.row, a.column);
        const std::string name = a.name;
        connect(button, &QPushButton::clicked, this, [this, name] {
            if (model_.ClickButton(name) == ModalResult::Ok) QDialog::accept();
        });
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(scale);
    layout->addLayout(anchors);
    OnEdited(edit, this, [this](const QString& text) { model_.SetEdit1(FromQt(text)); });

    model_.Create(&messages, localisable_.get());
}

TForm11::~TForm11() = default;

void TForm11::showEvent(QShowEvent* event) {
    model_.Show();
    Refresh();
    QDialog::showEvent(event);
}

void TForm11::reject() {
    model_.Cancel();
    QDialog::reject();
}

void TForm11::Refresh() {
    ControlState s;
    s.text = model_.Edit1();
    ApplyControlState(*FindControl(*this, "Edit1"), s);
}

}  // namespace wirvela
