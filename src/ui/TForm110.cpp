#include "ui/TForm110.h"

#include <QColorDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/ClickPanel.h"
#include "ui/ControlBinding.h"
#include "ui/QtCanvas.h"
#include "ui/QtLocalisableWindow.h"
#include "ui/ViewSupport.h"

namespace wirvela {

TForm110::TForm110(ParameterEditorModel& model, QWidget* parent)
    : QDialog(parent),
      model_(model),
      localisable_(std::make_unique<QtLocalisableWindow>(*this, ParameterEditorModel::kFormName)) {
    setObjectName("Form110");
    setWindowTitle(ToQt(ParameterEditorModel::kCaption));
    dialog_ = [this](std::int32_t initial) -> std::optional<std::int32_t> {
        const QColor chosen = QColorDialog::getColor(QtCanvas::ToQColor(initial), this);
        if (!chosen.isValid()) return std::nullopt;
        return QtCanvas::FromQColor(chosen);
    };

    auto* tree = Named(new QTreeWidget(this), "TreeView1");
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setMinimumSize(360, 420);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* value = Named(new QLineEdit(this), "EValue");
    auto* hint = Named(new QPlainTextEdit(this), "Memo1");
    hint->setReadOnly(true);
    auto* colour = Named(new ClickPanel(QString(), this), "Panel1");
    colour->setMinimumWidth(60);
    colour->setCursor(Qt::PointingHandCursor);
    auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), "Button1");
    ok->setAutoDefault(false);

    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(value, 1);
    valueRow->addWidget(colour);
    auto* side = new QVBoxLayout;
    side->addWidget(Named(new QLabel(ToQt(ParameterEditorModel::kValueLabel), this), "Label2"));
    side->addLayout(valueRow);
    side->addWidget(hint, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    side->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(tree, 3);
    layout->addLayout(side, 2);

    connect(tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (updating_ || !item) return;
        model_.ClickNode(item->data(0, Qt::UserRole).toInt());
        Refresh();
    });
    OnEdited(value, this, [this](const QString& text) { model_.SetEValue(FromQt(text)); });
    connect(value, &QLineEdit::returnPressed, this, [this] {
        model_.Commit();
        Refresh();
    });
    connect(colour, &ClickPanel::clicked, this, [this] {
        model_.ClickColourPanel(dialog_);
        Refresh();
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        if (model_.Button1Click() == ModalResult::Ok) QDialog::accept();
    });

    // Localises the window and builds the tree.
    model_.Create(localisable_.get());
    Rebuild();
}

TForm110::~TForm110() = default;

void TForm110::showEvent(QShowEvent* event) {
    model_.Show();
    Rebuild();
    QDialog::showEvent(event);
}

void TForm110::done(int result) {
    model_.Close();
    QDialog::done(result);
}

QTreeWidgetItem* TForm110::Item(int node) const {
    return node >= 0 && node < static_cast<int>(items_.size()) ? items_[static_cast<std::size_t>(node)] : nullptr;
}

void TForm110::Rebuild() {
    updating_ = true;
    auto* tree = findChild<QTreeWidget*>("TreeView1");
    tree->clear();
    items_.clear();
    const auto& nodes = model_.TreeView1();
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        QTreeWidgetItem* parent = Item(nodes[i].parent);
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, ToQt(nodes[i].text));
        item->setData(0, Qt::UserRole, static_cast<int>(i));
        items_.push_back(item);
    }
    updating_ = false;
    Refresh();
}

void TForm110::Refresh() {
    const auto& nodes = model_.TreeView1();
    if (nodes.size() != items_.size()) {
        Rebuild();
        return;
    }
    updating_ = true;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const QString text = ToQt(nodes[i].text);
        if (items_[i]->text(0) != text) items_[i]->setText(0, text);
    }
    if (QTreeWidgetItem* selected = Item(model_.SelectedNode())) {
        findChild<QTreeWidget*>("TreeView1")->setCurrentItem(selected);
    }
    ControlState value;
    value.text = model_.EValue();
    ApplyControlState(*FindControl(*this, "EValue"), value);
    ControlState hint;
    hint.text = model_.Memo1();
    ApplyControlState(*FindControl(*this, "Memo1"), hint);
    findChild<ClickPanel*>("Panel1")->SetColours(QtCanvas::ToQColor(model_.Panel1()));
    updating_ = false;
}

}  // namespace wirvela
