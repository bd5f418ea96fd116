#include "ui/TForm2.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstring>

#include "ui/ClickPanel.h"
#include "ui/ControlBinding.h"
#include "ui/QtCanvas.h"
#include "ui/QtLocalisableWindow.h"
#include "ui/ViewSupport.h"

namespace wirvela {

namespace {

// Label N names panel N.
std::string LabelOf(const char* panel) { return "Label" + std::string(panel + std::strlen("Panel")); }

}  // namespace

TForm2::TForm2(ColoursModel& model, const TMessages& messages, QWidget* parent)
    : QDialog(parent), model_(model), localisable_(std::make_unique<QtLocalisableWindow>(*this, ColoursModel::kFormName)) {
    setObjectName("Form2");
    setWindowTitle(ToQt(ColoursModel::kCaption));
    dialog_ = [this](std::int32_t initial) -> std::optional<std::int32_t> {
        const QColor chosen = QColorDialog::getColor(QtCanvas::ToQColor(initial), this);
        if (!chosen.isValid()) return std::nullopt;
        return QtCanvas::FromQColor(chosen);
    };

    auto* layout = new QVBoxLayout(this);
    auto* general = new QGridLayout;
    layout->addLayout(general);
    QGroupBox* groups[2] = {Named(new QGroupBox(QStringLiteral("Rysunek 1"), this), "GroupBox1"),
                            Named(new QGroupBox(QStringLiteral("Rysunek 2"), this), "GroupBox2")};
    QGridLayout* groupLayouts[2] = {new QGridLayout(groups[0]), new QGridLayout(groups[1])};
    auto* figures = new QHBoxLayout;
    figures->addWidget(groups[0]);
    figures->addWidget(groups[1]);
    layout->addLayout(figures);

    int generalRow = 0;
    int groupRow[2] = {0, 0};
    for (const ColoursModel::Panel& p : ColoursModel::kPanelTable) {
        const int group = p.group == nullptr ? -1 : (std::strcmp(p.group, "GroupBox1") == 0 ? 0 : 1);
        QWidget* owner = group < 0 ? static_cast<QWidget*>(this) : groups[group];
        auto* label = Named(new QLabel(QString::fromUtf8(p.label), owner), LabelOf(p.name).c_str());
        auto* panel = Named(new ClickPanel(QString(), owner), p.name);
        panel->setMinimumWidth(60);
        panel->setCursor(Qt::PointingHandCursor);
        const std::string name = p.name;
        connect(panel, &ClickPanel::clicked, this, [this, name] {
            model_.ClickPanel(name, dialog_);
            Refresh();
        });
        QGridLayout* grid = group < 0 ? general : groupLayouts[group];
        const int row = group < 0 ? generalRow++ : groupRow[group]++;
        grid->addWidget(label, row, 0);
        grid->addWidget(panel, row, 1);
    }

    auto* apply = Named(new QPushButton(QStringLiteral("Zastosuj"), this), "Button1");
    auto* cancel = Named(new QPushButton(QStringLiteral("Anuluj"), this), "Button2");
    apply->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(apply);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(apply, &QPushButton::clicked, this, [this] {
        model_.Button1Click();
        QDialog::accept();
    });
    connect(cancel, &QPushButton::clicked, this, &TForm2::reject);

    model_.Create(&messages, localisable_.get());
}

TForm2::~TForm2() = default;

void TForm2::showEvent(QShowEvent* event) {
    model_.Show();
    Refresh();
    QDialog::showEvent(event);
}

void TForm2::reject() {
    model_.Button2Click();
    QDialog::reject();
}

void TForm2::Refresh() {
    for (const ColoursModel::Panel& p : ColoursModel::kPanelTable) {
        if (auto* panel = findChild<ClickPanel*>(p.name)) panel->SetColours(QtCanvas::ToQColor(model_.Colour(p.name)));
    }
}

}  // namespace wirvela
