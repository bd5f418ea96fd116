#include "ui/TForm8.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/ControlBinding.h"
#include "ui/ViewSupport.h"

namespace wirvela {

namespace {

constexpr int kCommands = 7;
constexpr const char* kButtons[kCommands] = {"SpeedButton1", "SpeedButton2", "SpeedButton3", "SpeedButton6",
                                             "SpeedButton5", "SpeedButton4", "SpeedButton7"};

// The model's picture (colour values 0x00BBGGRR) as an image.
QImage ToImage(const RasterCanvas& canvas) {
    QImage image(canvas.Width(), canvas.Height(), QImage::Format_RGB32);
    const std::vector<std::int32_t>& pixels = canvas.Pixels();
    for (int y = 0; y < canvas.Height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < canvas.Width(); ++x) {
            const auto c = static_cast<std::uint32_t>(pixels[static_cast<std::size_t>(y * canvas.Width() + x)]);
            row[x] = qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                          static_cast<int>((c >> 16) & 0xFF));
        }
    }
    return image;
}

void SetBar(QScrollBar* bar, const Control& c) {
    bar->setRange(c.min, c.max);
    bar->setValue(c.position);
    bar->setEnabled(c.enabled);
}

}  // namespace

TForm8::TForm8(RotaryProjectModel& model, const TMessages& /*messages*/, QWidget* parent)
    : QDialog(parent), model_(model) {
    setObjectName(QString::fromLatin1(RotaryProjectModel::kFormName));
    setWindowTitle(ToQt(model_.Title()));
    Build();
    Connect();
    RotaryProjectModel::Hooks h;
    h.changed = [this] { Refresh(); };
    h.openDialog = Dialog("OpenDialog2", false);
    h.profileDialog = Dialog("OpenDialog1", false);
    h.saveDialog = Dialog("SaveDialog1", true);
    h.materialsTable = [this] {
        if (openMaterials_) openMaterials_();
    };
    model_.SetHooks(std::move(h));
    Refresh();
}

TForm8::~TForm8() {
    model_.SetHooks({});
}

RotaryProjectModel::FileDialog TForm8::Dialog(const char* name, bool save) {
    return [this, name, save](const RotaryProjectModel::FileRequest& request)
               -> std::optional<RotaryProjectModel::FileChoice> {
        if (fileDialog_) return fileDialog_(name, request);
        FileDialogSpec spec;
        spec.name = name;
        spec.filter = request.filter;
        spec.filterIndex = request.filterIndex;
        spec.defaultExtension = request.defaultExtension;
        spec.save = save;
        const std::optional<FileDialogChoice> choice = RunFileDialog(this, spec);
        if (!choice) return std::nullopt;
        return RotaryProjectModel::FileChoice{choice->file, choice->filterIndex};
    };
}

void TForm8::Build() {
    grid_ = Named(new QTableWidget(ProfileList::kRows, 2, this), "StringGrid1");
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->hide();
    grid_->setColumnWidth(0, 200);
    grid_->setColumnWidth(1, 170);
    grid_->setMinimumSize(400, 320);
    grid_->viewport()->installEventFilter(this);

    auto* image = Named(new QLabel(this), "Image2");
    image->setFixedSize(RotaryProjectModel::kPreviewWidth, RotaryProjectModel::kPreviewHeight);
    auto* previewBar = Named(new QScrollBar(Qt::Vertical, this), "ScrollBar1");
    auto* row = Named(new QLabel(this), "Label1");
    auto* preview = new QGridLayout;
    preview->addWidget(image, 0, 0);
    preview->addWidget(previewBar, 0, 1);
    preview->addWidget(row, 1, 0, 1, 2);

    auto* top = new QHBoxLayout;
    top->addWidget(grid_, 1);
    top->addLayout(preview);

    auto* material = Named(new QComboBox(this), "ComboBox1");
    material->setMinimumWidth(200);
    material->installEventFilter(this);
    auto* heating = Named(new QScrollBar(Qt::Horizontal, this), "ScrollBar3");
    heating->setMinimumWidth(160);
    heating->setPageStep(RotaryProjectModel::kHeatingLargeStep);
    auto* settings = new QHBoxLayout;
    settings->addWidget(material);
    settings->addWidget(Named(new QLabel(this), "Label31"));
    settings->addWidget(heating);
    settings->addWidget(Named(new QLabel(this), "Label23"));
    settings->addWidget(Named(new QLabel(this), "Label2"));
    settings->addStretch();

    auto* commands = new QHBoxLayout;
    for (int i = 0; i < kCommands; ++i) {
        auto* b = Named(new QToolButton(this), kButtons[i]);
        b->setMinimumSize(72, 32);
        commands->addWidget(b);
    }
    commands->addStretch();

    auto* status = Named(new QLabel(this), "Lerrors");
    status->setWordWrap(true);
    status->setMinimumHeight(36);
    status->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(commands);
    layout->addLayout(top);
    layout->addLayout(settings);
    layout->addWidget(status);
}

void TForm8::Connect() {
    const auto button = [this](const char* name, std::function<void()> action) {
        connect(findChild<QToolButton*>(name), &QToolButton::clicked, this,
                [this, action = std::move(action)] { Act(action); });
    };
    button("SpeedButton1", [this] { model_.Open(); });
    button("SpeedButton2", [this] { model_.Save(); });
    button("SpeedButton3", [this] { model_.Start(); });
    button("SpeedButton4", [this] { model_.StopRun(); });
    button("SpeedButton5", [this] { model_.Continue(); });
    button("SpeedButton6", [this] { model_.Hold(); });
    button("SpeedButton7", [this] { model_.Show3D(); });
    connect(findChild<QScrollBar*>("ScrollBar1"), &QScrollBar::valueChanged, this, [this](int v) {
        if (!updating_) Act([&] { model_.MovePreviewBar(v); });
    });
    connect(findChild<QScrollBar*>("ScrollBar3"), &QScrollBar::valueChanged, this, [this](int v) {
        if (!updating_) Act([&] { model_.MoveHeatingBar(v); });
    });
    connect(findChild<QComboBox*>("ComboBox1"), &QComboBox::activated, this,
            [this](int index) { Act([&] { model_.SelectMaterial(index); }); });
    connect(grid_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (updating_) return;
        model_.SetCell(item->column(), item->row(), FromQt(item->text()));
    });
}

bool TForm8::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QModelIndex at = grid_->indexAt(mouse->position().toPoint());
            if (mouse->button() == Qt::LeftButton && at.isValid()) {
                const bool shift = mouse->modifiers().testFlag(Qt::ShiftModifier);
                Act([&] { model_.GridMouseDown(at.column(), at.row(), shift); });
                // The chosen profile is in its cell; the press is not also an edit.
                if (shift && at.column() == 0) return true;
            }
        } else if (event->type() == QEvent::Leave) {
            Act([this] { model_.GridMouseLeave(); });
        }
    } else if (event->type() == QEvent::MouseButtonDblClick && watched->objectName() == "ComboBox1") {
        Act([this] { model_.MaterialsDoubleClick(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm8::Act(const std::function<void()>& action) {
    action();
    Refresh();
}

void TForm8::showEvent(QShowEvent* event) {
    model_.Show();
    Refresh();
    QDialog::showEvent(event);
}

void TForm8::done(int result) {
    if (model_.Visible()) model_.Close();
    QDialog::done(result);
}

void TForm8::RefreshGrid() {
    for (int row = 0; row < ProfileList::kRows; ++row) {
        for (int column = 0; column < 2; ++column) {
            const QString text = ToQt(model_.Cell(column, row));
            QTableWidgetItem* item = grid_->item(row, column);
            if (item == nullptr) {
                item = new QTableWidgetItem(text);
                if (row == 0) {
                    item->setFlags(Qt::ItemIsEnabled);
                    QFont bold = item->font();
                    bold.setBold(true);
                    item->setFont(bold);
                }
                grid_->setItem(row, column, item);
            } else if (item->text() != text) {
                item->setText(text);
            }
        }
    }
}

void TForm8::Refresh() {
    if (updating_) return;
    updating_ = true;
    setWindowTitle(ToQt(model_.Title()));
    model_.ForEachControl([this](std::string_view name, const Control& c) {
        QObject* control = FindControl(*this, name);
        if (control == nullptr || name.starts_with("ScrollBar")) return;  // bars below; dialogs have no widget
        ControlState s = StateOf(c);
        s.text.reset();
        // The command buttons carry no pictures: they show their hints, 3D its caption.
        if (name.starts_with("SpeedButton") && s.caption->empty()) s.caption = c.hint;
        if (name == "ComboBox1") s.caption.reset();  // it lists the materials
        ApplyControlState(*control, s);
    });
    const RotaryProjectModel::Controls& f = model_.Form();
    SetBar(findChild<QScrollBar*>("ScrollBar1"), f.ScrollBar1);
    SetBar(findChild<QScrollBar*>("ScrollBar3"), f.ScrollBar3);

    auto* material = findChild<QComboBox*>("ComboBox1");
    const auto& names = model_.MaterialNames();
    if (material->count() != static_cast<int>(names.size())) {
        material->clear();
        for (const std::string& name : names) material->addItem(ToQt(name));
    } else {
        for (int i = 0; i < material->count(); ++i) material->setItemText(i, ToQt(names[static_cast<std::size_t>(i)]));
    }
    material->setCurrentIndex(model_.SelectedMaterial());
    findChild<QLabel*>("Image2")->setPixmap(QPixmap::fromImage(ToImage(model_.Preview())));
    RefreshGrid();
    updating_ = false;

    if (isVisible() && !model_.Visible()) done(model_.Result() == ModalResult::Cancel ? Rejected : Accepted);
}

}  // namespace wirvela
