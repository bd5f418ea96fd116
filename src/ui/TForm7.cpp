#include "ui/TForm7.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "config/Messages.h"
#include "controller/DeviceList.h"
#include "ui/ControlBinding.h"
#include "ui/QtLocalisableWindow.h"
#include "ui/ViewSupport.h"

namespace wirvela {

namespace {

constexpr LocalisedControl kLocalised[] = {
    {"Label1", LocalisedText::Caption},
    {"Button1", LocalisedText::Caption},
    {"Button2", LocalisedText::Caption},
};

}  // namespace

TForm7::TForm7(DeviceList& model, TParameters& parameters, Prompt& prompt, const TMessages& messages,
               QWidget* parent)
    : QDialog(parent), model_(model), parameters_(parameters), prompt_(prompt) {
    setObjectName("Form7");
    setWindowTitle(QStringLiteral("Podlaczone urzadzenia"));
    auto* label = Named(new QLabel(QStringLiteral("Wybierz sterownik plotera:"), this), "Label1");
    auto* list = Named(new QListWidget(this), "ListBox1");
    list->setMinimumSize(520, 160);
    auto* choose = Named(new QPushButton(QStringLiteral("Wybierz"), this), "Button1");
    auto* cancel = Named(new QPushButton(QStringLiteral("Anuluj"), this), "Button2");
    choose->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(choose);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(list);
    layout->addLayout(buttons);

    connect(list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (updating_) return;
        model_.Select(row);
        Refresh();
    });
    connect(list, &QListWidget::itemDoubleClicked, this, [this, list](QListWidgetItem* item) {
        model_.Select(list->row(item));
        Choose();
    });
    connect(choose, &QPushButton::clicked, this, &TForm7::Choose);
    connect(cancel, &QPushButton::clicked, this, &TForm7::reject);

    LocaliseWidget(messages, *this, "Form7", kLocalised);
}

void TForm7::showEvent(QShowEvent* event) {
    model_.Show();
    Refresh();
    QDialog::showEvent(event);
}

void TForm7::Refresh() {
    updating_ = true;
    auto* list = findChild<QListWidget*>("ListBox1");
    const auto& lines = model_.Lines();
    bool same = list->count() == static_cast<int>(lines.size());
    for (int i = 0; same && i < list->count(); ++i) same = FromQt(list->item(i)->text()) == lines[static_cast<std::size_t>(i)];
    if (!same) {
        list->clear();
        for (const std::string& line : lines) list->addItem(ToQt(line));
    }
    list->setCurrentRow(model_.Selected() < list->count() ? model_.Selected() : -1);
    SetEnabled(*this, "Button1", model_.ChooseEnabled());
    updating_ = false;
}

void TForm7::Choose() {
    if (model_.Choose(parameters_, prompt_) == DeviceList::Result::Ok) {
        QDialog::accept();
        return;
    }
    Refresh();
}

void TForm7::reject() {
    model_.Cancel();
    QDialog::reject();
}

}  // namespace wirvela
