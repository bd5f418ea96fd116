#include "ui/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <utility>

#include "app/AppCore.h"
#include "config/Messages.h"
#include "platform/EventChannel.h"
#include "ui/ControlBinding.h"
#include "ui/Icons.h"
#include "ui/QtEventPump.h"
#include "ui/QtLocalisableWindow.h"
#include "ui/TForm11.h"
#include "ui/TForm110.h"
#include "ui/TForm13.h"
#include "ui/TForm14.h"
#include "ui/TForm2.h"
#include "ui/TForm3.h"
#include "ui/TForm4.h"
#include "ui/TForm5.h"
#include "ui/TForm6.h"
#include "ui/TForm7.h"
#include "ui/TForm8.h"
#include "ui/TForm9.h"
#include "ui/ViewSupport.h"

namespace wirvela {

namespace {

using Dialog = MainWindowModel::Dialog;
using ZoomCommand = DrawingView::ZoomCommand;

constexpr int kToolButtonSize = 36;  // pixels, inside the 40-pixel tool bar
constexpr int kIconSize = 28;
constexpr int kWheelStep = 120;  // angle delta of one wheel notch (1/8 degree units)

// The speed buttons in tool-bar order, with their pictures ("" : a text button).
struct SpeedButton {
    const char* name;
    const char* icon;
    void (MainWindowModel::*command)();
    bool separatorBefore;
};
// The pendant window does not exist yet: its button stays hidden (the model says so) and
// does nothing.
constexpr SpeedButton kSpeedButtons[] = {
    {"SpeedButton1", "open", &MainWindowModel::Open, false},
    {"SpeedButton9", "figure2-open", &MainWindowModel::OpenFigure2, false},
    {"SpeedButton3", "", &MainWindowModel::Join, true},
    {"SpeedButton2", "simulate", &MainWindowModel::Simulate, true},
    {"SpeedButton6", "cut", &MainWindowModel::Cut, false},
    {"SpeedButton4", "stop", &MainWindowModel::Stop, false},
    {"SpeedButton5", "manual", &MainWindowModel::ManualControl, true},
    {"SpeedButton7", "project", &MainWindowModel::RotaryProject, true},
    {"SpeedButton8", "multiply", &MainWindowModel::Multiply, false},
    {"SpeedButton10", "figure2-scaled", &MainWindowModel::ScaledFigure2, false},
    {"SpeedButton11", "figure2-remove", &MainWindowModel::RemoveFigure2, false},
    {"SpeedButton12", "bent-moulding", &MainWindowModel::BentMoulding, false},
    {"SpeedButton13", "frame", &MainWindowModel::AddFrame, false},
    {"SpeedButton14", "clear", &MainWindowModel::Clear, true},
    {"SpeedButton15", "pendant-disconnected", nullptr, true},
};

struct MenuItem {
    const char* name;
    void (MainWindowModel::*command)();
    const char* keys;  // the accelerator; nullptr: none
};

struct ZoomItem {
    const char* name;
    ZoomCommand command;
};
constexpr ZoomItem kZoomItems[] = {
    {"Zoom1", ZoomCommand::All},       {"ZoomIn1", ZoomCommand::In},   {"ZoomInx21", ZoomCommand::InX2},
    {"ZoomInx51", ZoomCommand::InX5},  {"ZoomOut1", ZoomCommand::Out}, {"ZoomOut21", ZoomCommand::OutX2},
    {"ZoomOut51", ZoomCommand::OutX5},
};

// The drawings the loader reads, by their file name extension.
bool IsDrawingFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("plt") || suffix == QLatin1String("dxf") || suffix == QLatin1String("con");
}

QToolButton* ToolButton(QWidget* parent, const SpeedButton& b) {
    auto* button = Named(new QToolButton(parent), b.name);
    button->setAutoRaise(true);
    button->setFixedSize(kToolButtonSize, kToolButtonSize);
    button->setIconSize(QSize(kIconSize, kIconSize));
    // The tool bar is part of the keyboard road: Tab reaches every button, Space presses it.
    button->setFocusPolicy(Qt::TabFocus);
    const QIcon icon = WirvelaIcon(b.icon);
    if (icon.isNull()) {
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setMinimumWidth(kToolButtonSize);
        button->setMaximumWidth(QWIDGETSIZE_MAX);
    } else {
        button->setIcon(icon);
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    return button;
}

QLabel* Panel(QWidget* parent, int index, int width) {
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("StatusPanel%1").arg(index));
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    // Panels 1-3 (size, objects, lines) are centred; the last takes what is left.
    if (index >= 1 && index <= 3) label->setAlignment(Qt::AlignCenter);
    if (index < MainWindowModel::kPanelCount - 1) {
        label->setFixedWidth(width);
    } else {
        label->setMinimumWidth(width);
    }
    return label;
}

}  // namespace

// The drawing area: shows the off-screen bitmap at its top-left corner and hands the mouse
// to the drawing view in bitmap coordinates (the area's own).
class TForm1::Area final : public QWidget {
public:
    explicit Area(TForm1& form) : QWidget(&form), form_(form) {
        setObjectName(QStringLiteral("DrawingArea"));
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(true);
        // Focus lets the keyboard open the pop-up menu (menu key, Shift+F10).
        setFocusPolicy(Qt::StrongFocus);
        setMinimumSize(120, 80);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QImage& image = form_.canvas_.Image();
        painter.drawImage(0, 0, image);
        // Around a bitmap smaller than the area (between a resize and its repaint).
        for (const QRect& r : QRegion(rect()).subtracted(QRegion(image.rect()))) painter.fillRect(r, Qt::black);
    }
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        form_.AreaResized();
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || !Usable()) return;
        const QPoint p = event->position().toPoint();
        form_.Model().View().MouseDown(DrawingView::MouseButton::Left, p.x(), p.y());
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || !Usable()) return;
        const QPoint p = event->position().toPoint();
        form_.Model().View().MouseUp(DrawingView::MouseButton::Left, p.x(), p.y());
        form_.RefreshPanels();
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!Usable()) return;
        const QPoint p = event->position().toPoint();
        form_.Model().View().MouseMove(p.x(), p.y());
        form_.RefreshPanels();
    }
    void wheelEvent(QWheelEvent* event) override {
        if (!Usable()) return;
        // Fine-grained wheels (touch pads) add up to whole notches.
        wheel_ += event->angleDelta().y();
        const QPoint p = event->position().toPoint();
        while (std::abs(wheel_) >= kWheelStep) {
            const bool up = wheel_ > 0;
            wheel_ += up ? -kWheelStep : kWheelStep;
            form_.Model().View().Wheel(up, p.x(), p.y());
        }
        form_.RefreshPanels();
        event->accept();
    }
    void contextMenuEvent(QContextMenuEvent* event) override {
        if (!Usable()) return;
        form_.Model().View().PopupAt(event->pos().x(), event->pos().y());
        form_.popup_->exec(event->globalPos());
    }

private:
    bool Usable() const { return !form_.shutDown_; }

    TForm1& form_;
    int wheel_ = 0;
};

TForm1::TForm1(AppCore& core, QtEventPump& pump, Prompt& prompt, QWidget* parent)
    : QMainWindow(parent), core_(core), pump_(pump), prompt_(prompt) {
    setObjectName(QString::fromLatin1(MainWindowModel::kFormName));
    setWindowIcon(WirvelaIcon("wirvela"));
    setAcceptDrops(true);
    BuildMenus();
    BuildToolBar();
    BuildCentre();
    BuildStatusBar();
    BuildTimers();
    TabOrder();
    resize(1100, 740);
    SetHooks();
    // Events of the worker threads and the controller change the model without a command.
    connect(&pump_, &QtEventPump::Handled, this, &TForm1::Refresh);
    Refresh();
}

TForm1::~TForm1() {
    Shutdown();
}

QWidget* TForm1::DrawingArea() const {
    return area_;
}

MainWindowModel& TForm1::Model() const {
    return core_.MainWindow();
}

void TForm1::Command(void (MainWindowModel::*command)()) {
    if (shutDown_ || command == nullptr) return;
    (Model().*command)();
    Refresh();
}

// ---- construction ------------------------------------------------------------------------

void TForm1::BuildMenus() {
    const auto add = [this](QMenu* menu, const MenuItem& item) {
        auto* action = Named(new QAction(menu), item.name);
        if (item.keys != nullptr) action->setShortcut(QKeySequence(QString::fromLatin1(item.keys)));
        if (item.command != nullptr) {
            const auto command = item.command;
            connect(action, &QAction::triggered, this, [this, command] { Command(command); });
        }
        menu->addAction(action);
    };
    const auto menu = [this](const char* name) {
        auto* m = Named(new QMenu(menuBar()), name);
        menuBar()->addMenu(m);
        return m;
    };

    QMenu* file = menu("Plik1");
    add(file, {"Wczytaj1", &MainWindowModel::Open, "Ctrl+O"});
    add(file, {"Zapiszjako1", &MainWindowModel::SaveAs, "Ctrl+S"});
    add(file, {"Projekt1", &MainWindowModel::RotaryProject, nullptr});
    file->addSeparator();
    add(file, {"Zakocz1", &MainWindowModel::Exit, "Alt+F4"});

    QMenu* tools = menu("Narzdzia1");
    add(tools, {"Poczobiekty1", &MainWindowModel::Join, nullptr});
    add(tools, {"Liniacicia1", &MainWindowModel::Simulate, nullptr});
    add(tools, {"Sterowanierczne1", &MainWindowModel::ManualControl, nullptr});
    add(tools, {"Wycinanie1", &MainWindowModel::Cut, nullptr});

    QMenu* settings = menu("Ustawienia1");
    add(settings, {"Kolory1", &MainWindowModel::Colours, nullptr});
    add(settings, {"Materiay1", &MainWindowModel::Materials, nullptr});
    add(settings, {"Parametryzaawansowane1", &MainWindowModel::AdvancedParameters, nullptr});
    add(settings, {"Urzdzenia1", &MainWindowModel::Devices, nullptr});

    // Info is a menu-bar item of its own, without a drop-down.
    auto* info = Named(new QAction(menuBar()), "Info1");
    connect(info, &QAction::triggered, this, [this] { Command(&MainWindowModel::Info); });
    menuBar()->addAction(info);

    popup_ = Named(new QMenu(this), "PopupMenu1");
    for (const ZoomItem& item : kZoomItems) {
        auto* action = Named(new QAction(popup_), item.name);
        const ZoomCommand command = item.command;
        connect(action, &QAction::triggered, this, [this, command] {
            if (shutDown_) return;
            if (command == ZoomCommand::All) {
                Model().ZoomAll();
            } else {
                Model().View().MenuCommand(command);
            }
            Refresh();
        });
        popup_->addAction(action);
        if (command == ZoomCommand::All) popup_->addSeparator();
    }
}

void TForm1::BuildToolBar() {
    auto* bar = Named(new QToolBar(this), "ToolBar1");
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setFixedHeight(MainWindowModel::kToolBarHeight);
    bar->toggleViewAction()->setVisible(false);
    // One widget holds everything: widgets put on a QToolBar directly cannot be hidden
    // through the widgets themselves, and the model shows and hides them by name.
    auto* strip = Named(new QWidget(bar), "ToolStrip");
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(2);
    for (const SpeedButton& b : kSpeedButtons) {
        if (b.separatorBefore) row->addSpacing(8);
        QToolButton* button = ToolButton(strip, b);
        if (b.command != nullptr) {
            const auto command = b.command;
            connect(button, &QToolButton::clicked, this, [this, command] { Command(command); });
        }
        row->addWidget(button);
    }
    row->addSpacing(16);

    const auto label = [strip, row](const char* name) {
        auto* l = Named(new QLabel(strip), name);
        row->addWidget(l);
        return l;
    };
    const auto field = [strip, row](const char* name, int width) {
        auto* e = Named(new QLineEdit(strip), name);
        e->setFixedWidth(width);
        row->addWidget(e);
        return e;
    };

    QLabel* scaleLabel = label("Label1");
    QLineEdit* scale = field("Edit2", 64);
    scaleLabel->setBuddy(scale);
    OnEdited(
        scale, this,
        [this](const QString& text) {
            if (!shutDown_) Model().Edit2Changed(FromQt(text));
        },
        [this, scale] {
            if (!shutDown_) Model().Edit2Changed(FromQt(scale->text()));
        });
    row->addSpacing(8);

    QLabel* speedLabel = label("Label6");
    speedBar_ = Named(new QScrollBar(Qt::Horizontal, strip), "ScrollBar1");
    speedBar_->setFixedWidth(160);
    speedBar_->setPageStep(25);
    speedBar_->setFocusPolicy(Qt::StrongFocus);
    speedLabel->setBuddy(speedBar_);
    row->addWidget(speedBar_);
    connect(speedBar_, &QScrollBar::valueChanged, this, [this](int position) {
        if (!refreshing_ && !shutDown_) Model().ScrollBar1Changed(position);
    });
    row->addSpacing(8);

    const auto offset = [&](const char* labelName, const char* name, void (MainWindowModel::*typed)(std::string_view)) {
        QLabel* l = label(labelName);
        QLineEdit* e = field(name, 64);
        l->setBuddy(e);
        OnEdited(e, this, [this, typed](const QString& text) {
            if (!shutDown_) (Model().*typed)(FromQt(text));
        });
        connect(e, &QLineEdit::returnPressed, this, [this] {
            if (!shutDown_) Model().OffsetEnter();
        });
    };
    offset("Label4", "TEoffsetX", &MainWindowModel::OffsetXChanged);
    offset("Label5", "TEoffsetY", &MainWindowModel::OffsetYChanged);
    row->addStretch(1);

    bar->addWidget(strip);
    addToolBar(Qt::TopToolBarArea, bar);
}

void TForm1::BuildCentre() {
    auto* centre = new QWidget(this);
    auto* columns = new QHBoxLayout(centre);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);
    area_ = new Area(*this);
    columns->addWidget(area_, 1);

    // Debug mode: the object finder, the drawing switches and the log memo.
    debugPanel_ = Named(new QWidget(centre), "DebugPanel");
    debugPanel_->setFixedWidth(kMemoWidth);
    auto* column = new QVBoxLayout(debugPanel_);
    column->setContentsMargins(4, 2, 2, 2);
    auto* finder = new QHBoxLayout;
    auto* object = Named(new QLineEdit(debugPanel_), "Edit1");
    object->setFixedWidth(70);
    OnEdited(object, this, [this](const QString& text) {
        if (!shutDown_) Model().Edit1Changed(FromQt(text));
    });
    auto* show = Named(new QPushButton(debugPanel_), "Button100");
    show->setAutoDefault(false);
    connect(show, &QPushButton::clicked, this, [this] { Command(&MainWindowModel::ShowObject); });
    connect(object, &QLineEdit::returnPressed, this, [this] { Command(&MainWindowModel::ShowObject); });
    finder->addWidget(object);
    finder->addWidget(show);
    finder->addStretch(1);
    column->addLayout(finder);
    for (int n = 1; n <= 3; ++n) {
        auto* box = new QCheckBox(debugPanel_);
        box->setObjectName(QStringLiteral("CheckBox%1").arg(n));
        connect(box, &QCheckBox::clicked, this, [this, n](bool checked) {
            if (shutDown_) return;
            Model().CheckBoxChanged(n, checked);
            Refresh();
        });
        column->addWidget(box);
    }
    memo_ = Named(new QPlainTextEdit(debugPanel_), "Memo1");
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setMaximumBlockCount(static_cast<int>(MainWindowModel::kMemoLines));
    memo_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    column->addWidget(memo_, 1);
    columns->addWidget(debugPanel_);
    setCentralWidget(centre);
}

void TForm1::BuildStatusBar() {
    auto* bar = Named(new QStatusBar(this), "StatusBar1");
    for (int i = 0; i < MainWindowModel::kPanelCount; ++i) {
        QLabel* panel = Panel(bar, i, MainWindowModel::kPanelWidths[static_cast<std::size_t>(i)]);
        panels_[static_cast<std::size_t>(i)] = panel;
        // Permanent: menu hints never cover the panels.
        bar->addPermanentWidget(panel, i == MainWindowModel::kPanelCount - 1 ? 1 : 0);
    }
    setStatusBar(bar);
}

void TForm1::BuildTimers() {
    const std::array<void (MainWindowModel::*)(), 3> ticks{&MainWindowModel::OnTimer1, &MainWindowModel::OnTimer2,
                                                           &MainWindowModel::OnTimer3};
    for (std::size_t i = 0; i < timers_.size(); ++i) {
        auto* timer = new QTimer(this);
        timer->setObjectName(QStringLiteral("Timer%1").arg(i + 1));
        const auto tick = ticks[i];
        connect(timer, &QTimer::timeout, this, [this, tick] { Command(tick); });
        timers_[i] = timer;
    }
}

void TForm1::TabOrder() {
    std::vector<QWidget*> chain;
    for (const SpeedButton& b : kSpeedButtons) chain.push_back(findChild<QWidget*>(b.name));
    for (const char* name : {"Edit2", "ScrollBar1", "TEoffsetX", "TEoffsetY"})
        chain.push_back(findChild<QWidget*>(name));
    chain.push_back(area_);
    for (const char* name : {"Edit1", "Button100", "CheckBox1", "CheckBox2", "CheckBox3", "Memo1"})
        chain.push_back(findChild<QWidget*>(name));
    for (std::size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

void TForm1::SetHooks() {
    MainWindowModel::Hooks h;
    h.changed = [this] { Refresh(); };
    h.bitmap = &canvas_;
    h.present = [this] { area_->update(); };
    h.openDialog = [this](const MainWindowModel::OpenDialogRequest& request) { return RunOpenDialog(request); };
    h.saveDialog = [this](const MainWindowModel::OpenDialogRequest& request) {
        return RunFileDialog(request, true);
    };
    h.showModal = [this](Dialog dialog) { return ShowModal(dialog); };
    // The memo column appears or goes: the layout resizes the drawing area, whose resize
    // gives the bitmap its new size.
    h.layoutChanged = [this] { Refresh(); };
    Model().SetHooks(std::move(h));
}

// ---- mirroring ---------------------------------------------------------------------------

void TForm1::Refresh() {
    if (shutDown_ || refreshing_) return;
    refreshing_ = true;
    const MainWindowModel& model = Model();
    const MainWindowModel::Controls& form = model.Form();
    setWindowTitle(ToQt(model.Title()));

    model.ForEachControl([this](std::string_view name, const Control& control) {
        // The memo's lines are its own (RefreshMemo); its record holds no text.
        if (name == "Memo1") {
            ControlState s;
            s.visible = control.visible;
            s.enabled = control.enabled;
            if (memo_) ApplyControlState(*memo_, s);
            return;
        }
        ApplyControl(*this, name, control);
    });
    for (const SpeedButton& b : kSpeedButtons) {
        if (auto* button = findChild<QToolButton*>(b.name)) button->setAccessibleName(button->toolTip());
    }
    if (auto* pendant = findChild<QToolButton*>("SpeedButton15")) {
        pendant->setIcon(WirvelaIcon(form.PendantConnectedPicture ? "pendant-connected" : "pendant-disconnected"));
    }
    const bool memoColumn = form.Memo1.visible;
    if (debugPanel_->isHidden() == memoColumn) debugPanel_->setVisible(memoColumn);

    {
        const QSignalBlocker blocker(speedBar_);
        speedBar_->setRange(form.ScrollBar1Min, form.ScrollBar1Max);
        speedBar_->setValue(form.ScrollBar1Position);
    }
    RefreshPanels();
    RefreshMemo();
    RefreshTimers();
    refreshing_ = false;
}

void TForm1::RefreshPanels() {
    if (shutDown_) return;
    const auto& texts = Model().Form().Panels;
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        const QString text = ToQt(texts[i]);
        if (panels_[i]->text() != text) panels_[i]->setText(text);
    }
}

void TForm1::RefreshMemo() {
    if (memo_->isHidden()) return;
    const std::vector<std::string>& lines = Model().Form().Memo1Lines;
    // The model keeps the latest kMemoLines lines. Until it drops any, the new lines are
    // those after the last one shown; once it does, the memo is filled again.
    const bool continues = memoShown_ <= lines.size() && lines.size() < MainWindowModel::kMemoLines &&
                           (memoShown_ == 0 || lines[memoShown_ - 1] == memoLast_);
    if (!continues && memoShown_ == lines.size() && !lines.empty() && lines.back() == memoLast_) return;
    const std::size_t from = continues ? memoShown_ : 0;
    if (continues && from == lines.size()) return;
    QStringList added;
    for (std::size_t i = from; i < lines.size(); ++i) added.push_back(ToQt(lines[i]));
    if (!continues) memo_->clear();
    if (!added.isEmpty()) memo_->appendPlainText(added.join(QLatin1Char('\n')));
    memoShown_ = lines.size();
    memoLast_ = lines.empty() ? std::string() : lines.back();
}

void TForm1::RefreshTimers() {
    const MainWindowModel::Controls& form = Model().Form();
    const std::array<const TimerState*, 3> states{&form.Timer1, &form.Timer2, &form.Timer3};
    for (std::size_t i = 0; i < timers_.size(); ++i) {
        const TimerState& state = *states[i];
        QTimer& timer = *timers_[i];
        const int interval = std::max(state.interval, 1);
        if (!state.enabled) {
            timer.stop();
        } else if (!timer.isActive() || state.starts != timerStarts_[i] || timer.interval() != interval) {
            timer.start(interval);
        }
        timerStarts_[i] = state.starts;
    }
}

void TForm1::AreaResized() {
    if (shutDown_) return;
    canvas_.Resize(area_->size());
    MainWindowModel& model = Model();
    model.Resized(area_->width(), area_->height());
    // Before the first fit nothing repaints on a resize: the background at least.
    if (!model.ViewReady()) model.Repaint();
    area_->update();
    RefreshPanels();
}

// ---- activation, closing -----------------------------------------------------------------

void TForm1::SetStartupFile(std::filesystem::path file) {
    startupFile_ = std::move(file);
}

void TForm1::SetDocumentDirectory(std::filesystem::path directory) {
    documentDirectory_ = std::move(directory);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (activationQueued_ || shutDown_ || !Model().FirstActivationPending()) return;
    activationQueued_ = true;
    // After the window is on the screen: the splash is modal over it.
    QTimer::singleShot(0, this, &TForm1::FirstActivation);
}

void TForm1::FirstActivation() {
    if (shutDown_) return;
    Model().FirstActivation();
    Refresh();
    if (startupFile_ && !shutDown_) {
        const std::filesystem::path file = *startupFile_;
        startupFile_.reset();
        OpenFile(file);
    }
    activated_ = true;
    emit activated();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Not under a window or message box of the program: they still use the models.
    if (QApplication::activeModalWidget() != nullptr || dialog_) {
        event->ignore();
        return;
    }
    Shutdown();
    event->accept();
}

void TForm1::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    for (QTimer* timer : timers_) timer->stop();
    MainWindowModel& model = Model();
    // The view goes away: the model must not call into it while it closes.
    model.SetHooks({});
    model.Close();
    for (EventChannel* channel : core_.Channels()) pump_.Unwatch(*channel);
    core_.Shutdown();
}

// ---- opening files -----------------------------------------------------------------------

void TForm1::OpenFile(const std::filesystem::path& file) {
    if (shutDown_) return;
    const Control* open = Model().Find("SpeedButton1");
    if (open == nullptr || !open->enabled) return;
    pendingOpen_ = file;
    Model().Open();
    pendingOpen_.reset();
    Refresh();
}

std::optional<MainWindowModel::OpenDialogResult> TForm1::RunOpenDialog(
    const MainWindowModel::OpenDialogRequest& request) {
    if (pendingOpen_) {
        MainWindowModel::OpenDialogResult chosen;
        chosen.file = *pendingOpen_;
        chosen.filterIndex = request.filterIndex;
        pendingOpen_.reset();
        return chosen;
    }
    return RunFileDialog(request, false);
}

std::optional<MainWindowModel::OpenDialogResult> TForm1::RunFileDialog(
    const MainWindowModel::OpenDialogRequest& request, bool save) {
    FileDialogSpec spec;
    spec.name = save ? "SaveDialog1" : "OpenDialog1";
    spec.filter = request.filter;
    spec.filterIndex = request.filterIndex;
    spec.defaultExtension = request.defaultExtension;
    spec.save = save;
    spec.directory = documentDirectory_;
    const std::optional<FileDialogChoice> choice = wirvela::RunFileDialog(this, spec);
    if (!choice) return std::nullopt;
    documentDirectory_ = choice->file.parent_path();
    return MainWindowModel::OpenDialogResult{choice->file, choice->filterIndex};
}

std::optional<std::filesystem::path> TForm1::DroppedDrawing(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return std::nullopt;
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return std::nullopt;
    const QString file = urls.front().toLocalFile();
    if (!IsDrawingFile(file)) return std::nullopt;
    return ToPath(file);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    const Control* open = shutDown_ ? nullptr : Model().Find("SpeedButton1");
    if (open != nullptr && open->enabled && DroppedDrawing(event->mimeData())) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const std::optional<std::filesystem::path> file = DroppedDrawing(event->mimeData());
    if (!file) return;
    event->acceptProposedAction();
    // Not inside the drag and drop: loading may ask questions in message boxes.
    QTimer::singleShot(0, this, [this, path = *file] { OpenFile(path); });
}

// ---- the other windows -------------------------------------------------------------------

bool TForm1::ShowModal(Dialog which) {
    if (shutDown_) return false;
    const TMessages& messages = core_.Messages();
    std::unique_ptr<QDialog> window;
    std::function<void()> refresh;
    switch (which) {
        case Dialog::Colours: {
            auto* w = new TForm2(core_.Colours(), messages, this);
            window.reset(w);
            break;
        }
        case Dialog::ManualControl: {
            auto* w = new TForm3(core_.ManualControlWindow(), messages, nullptr, this);
            refresh = [w] { w->Refresh(); };
            window.reset(w);
            break;
        }
        case Dialog::Cutting: {
            auto* w = new TForm4(core_.Cutting(), messages, nullptr, this);
            w->SetOpenMaterials([this, w] {
                TForm5 materials(core_.MaterialsWindow(), core_.Messages(), w);
                materials.exec();
                w->Refresh();
            });
            refresh = [w] { w->Refresh(); };
            window.reset(w);
            break;
        }
        case Dialog::Materials:
            window = std::make_unique<TForm5>(core_.MaterialsWindow(), messages, this);
            break;
        case Dialog::About:
        case Dialog::Splash:
            window = std::make_unique<TForm6>(core_.About(), messages, this);
            break;
        case Dialog::Devices:
            window = std::make_unique<TForm7>(core_.Devices(), core_.Parameters(), prompt_, messages, this);
            break;
        case Dialog::Scale:
            window = std::make_unique<TForm11>(core_.Scale(), messages, this);
            break;
        case Dialog::Multiplication:
            window = std::make_unique<TForm9>(core_.Multiplication(), this);
            break;
        case Dialog::ParameterEditor:
            window = std::make_unique<TForm110>(core_.ParameterEditor(), this);
            break;
        case Dialog::Moulding:
            window = std::make_unique<TForm13>(core_.Moulding(), this);
            break;
        case Dialog::Frame:
            window = std::make_unique<TForm14>(core_.Frame(), this);
            break;
        case Dialog::RotaryProject: {
            auto* w = new TForm8(core_.RotaryProject(), messages, this);
            w->SetOpenMaterials([this, w] {
                TForm5 materials(core_.MaterialsWindow(), core_.Messages(), w);
                materials.exec();
            });
            refresh = [w] { w->Refresh(); };
            window.reset(w);
            break;
        }
    }
    if (!window) return false;
    // The cutting and manual-control windows follow their controller's reports; the pump
    // drains their channels for the whole run (a view that watched them itself would stop
    // the draining when it closes).
    if (refresh) connect(&pump_, &QtEventPump::Handled, window.get(), refresh);
    dialog_ = window.get();
    const int result = which == Dialog::Splash ? static_cast<TForm6*>(window.get())->ExecSplash() : window->exec();
    dialog_ = nullptr;
    window.reset();
    Refresh();
    return result == QDialog::Accepted;
}

}  // namespace wirvela
