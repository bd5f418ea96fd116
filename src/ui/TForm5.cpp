#include "ui/TForm5.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/windows/Materials.h"
#include "config/Messages.h"
#include "ui/ControlBinding.h"
#include "ui/QtLocalisableWindow.h"
#include "ui/ViewSupport.h"

namespace wirvela {

namespace {

constexpr LocalisedControl kLocalised[] = {
    {"Label1", LocalisedText::Caption},
    {"Label7", LocalisedText::Caption},
    {"Button1", LocalisedText::Caption},
};

// Grid rows 1 … 10 are the table's rows 0 … 9; row 0 (the header) is the table header.
constexpr int kFirstRow = 1;

}  // namespace

TForm5::TForm5(Materials& model, const TMessages& messages, QWidget* parent) : QDialog(parent), model_(model) {
    setObjectName("Form5");
    setWindowTitle(QStringLiteral("Parametry materiałów"));
    auto* grid = Named(new QTableWidget(Materials::kMaterials, Materials::kColumns, this), "StringGrid1");
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->installEventFilter(this);

    auto* limits = new QGridLayout;
    limits->addWidget(Named(new QLabel(ToQt(Materials::kLimitsHeading), this), "Label1"), 0, 0, 1, 6);
    // One range label under each value column; the screw's speed range under the first.
    for (int c = 1; c < Materials::kColumns; ++c) {
        auto* label = Named(new QLabel(this), ("Label" + std::to_string(c + 1)).c_str());
        label->setAlignment(Qt::AlignCenter);
        limits->addWidget(label, 1, c);
    }
    auto* screw = Named(new QLabel(ToQt(Materials::kScrewRangeLabel), this), "Label7");
    screw->setAlignment(Qt::AlignCenter);
    limits->addWidget(screw, 2, 1);
    for (int c = 0; c < Materials::kColumns; ++c) limits->setColumnMinimumWidth(c, 40);

    auto* close = Named(new QPushButton(QStringLiteral("Zamknij"), this), "Button1");
    close->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid);
    layout->addLayout(limits);
    layout->addLayout(buttons);

    connect(grid, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (updating_) return;
        // A committed edit: Enter, another cell or the grid left, each of which checks it.
        model_.SetCell(item->column(), item->row() + kFirstRow, FromQt(item->text()));
        model_.CellCheck();
        Refresh();
    });
    connect(grid, &QTableWidget::currentCellChanged, this, [this] {
        if (updating_) return;
        model_.CellCheck();
        Refresh();
    });
    connect(close, &QPushButton::clicked, this, [this] {
        if (model_.Button1Click() == ModalResult::Ok) {
            QDialog::accept();
            return;
        }
        Refresh();
    });

    LocaliseWidget(messages, *this, Materials::kFormName, kLocalised);
    Refresh();
}

void TForm5::showEvent(QShowEvent* event) {
    model_.Show();
    Refresh();
    QDialog::showEvent(event);
}

bool TForm5::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->objectName() == "StringGrid1") {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            model_.KeyPress('\r');
            Refresh();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm5::reject() {
    model_.CloseByOtherMeans();
    QDialog::done(model_.Result() == ModalResult::Ok ? Accepted : Rejected);
}

void TForm5::Refresh() {
    updating_ = true;
    auto* grid = findChild<QTableWidget*>("StringGrid1");
    const Materials::Grid& cells = model_.StringGrid1();
    QStringList header;
    for (int c = 0; c < Materials::kColumns; ++c) header << ToQt(cells[0][static_cast<std::size_t>(c)]);
    grid->setHorizontalHeaderLabels(header);
    // The design widths, widened where a heading of the message file needs more.
    for (int c = 0; c < Materials::kColumns; ++c) {
        const int heading = grid->horizontalHeader()->sectionSizeHint(c);
        grid->setColumnWidth(c, std::max(Materials::kColumnWidths[static_cast<std::size_t>(c)], heading));
    }
    // Room for the whole table.
    const int frame = 2 * grid->frameWidth();
    grid->setMinimumWidth(grid->verticalHeader()->sizeHint().width() + grid->horizontalHeader()->length() + frame +
                          grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    grid->setMinimumHeight(grid->horizontalHeader()->sizeHint().height() + grid->verticalHeader()->length() + frame);
    for (int row = kFirstRow; row < Materials::kRows; ++row) {
        for (int c = 0; c < Materials::kColumns; ++c) {
            const QString text = ToQt(cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(c)]);
            QTableWidgetItem* item = grid->item(row - kFirstRow, c);
            if (!item) {
                grid->setItem(row - kFirstRow, c, new QTableWidgetItem(text));
            } else if (item->text() != text) {
                item->setText(text);
            }
        }
    }
    const auto& ranges = model_.RangeLabels();
    for (int c = 1; c < Materials::kColumns; ++c)
        SetCaption(*this, "Label" + std::to_string(c + 1), ranges[static_cast<std::size_t>(c - 1)]);
    updating_ = false;
}

}  // namespace wirvela
