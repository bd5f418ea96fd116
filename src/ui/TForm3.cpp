#include "ui/TForm3.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "config/Messages.h"
#include "ui/ClickPanel.h"
#include "ui/ControlBinding.h"
#include "ui/QtEventPump.h"
#include "ui/QtLocalisableWindow.h"
#include "ui/ViewSupport.h"

namespace wirvela {

namespace {

constexpr LocalisedControl kLocalised[] = {
    {"Label1", LocalisedText::Caption},       {"Label2", LocalisedText::Caption},
    {"Label3", LocalisedText::Caption},       {"Label4", LocalisedText::Caption},
    {"Label5", LocalisedText::Caption},       {"Label6", LocalisedText::Caption},
    {"Label7", LocalisedText::Caption},       {"Label8", LocalisedText::Caption},
    {"GroupBox1", LocalisedText::Caption},    {"GroupBox2", LocalisedText::Caption},
    {"GroupBox3", LocalisedText::Caption},    {"Button9", LocalisedText::Caption},
    {"Button10", LocalisedText::Caption},     {"Button16", LocalisedText::Caption},
    {"Button24", LocalisedText::Caption},     {"BMoveStartXY", LocalisedText::Caption},
    {"BHeatExternalWire", LocalisedText::Caption}, {"BHeatExternalWireNoMove", LocalisedText::Caption},
    {"CheckBox1", LocalisedText::Caption},    {"CheckBox2", LocalisedText::Caption},
    {"Label24", LocalisedText::Caption},      {"Label26", LocalisedText::Caption},
    {"Panel5", LocalisedText::Caption},       {"Panel6", LocalisedText::Caption},
    {"SpeedButton1", LocalisedText::Caption}, {"SpeedButton1", LocalisedText::Hint},
    {"SpeedButton2", LocalisedText::Hint},    {"SpeedButton3", LocalisedText::Hint},
    {"ScrollBar1", LocalisedText::Hint},      {"ScrollBar2", LocalisedText::Hint},
    {"Button16", LocalisedText::Hint},        {"Lerrors", LocalisedText::Hint},
};

struct JogButton {
    const char* name;
    ManualControl::Jog direction;
    const char* arrow;
    int row;
    int column;
};

constexpr JogButton kJogs[] = {
    {"Button8", ManualControl::Jog::UpLeft, "\u2196", 0, 0},   {"Button1", ManualControl::Jog::Up, "\u2191", 0, 1},
    {"Button5", ManualControl::Jog::UpRight, "\u2197", 0, 2},  {"Button3", ManualControl::Jog::Left, "\u2190", 1, 0},
    {"Button4", ManualControl::Jog::Right, "\u2192", 1, 2},    {"Button7", ManualControl::Jog::DownLeft, "\u2199", 2, 0},
    {"Button2", ManualControl::Jog::Down, "\u2193", 2, 1},     {"Button6", ManualControl::Jog::DownRight, "\u2198", 2, 2},
};

// The virtual key code (97 … 105) of a numeric-keypad key, 0 for any other key. Without
// Num Lock the keypad sends the cursor keys, which count as their digits.
int KeypadCode(const QKeyEvent& key) {
    if (!(key.modifiers() & Qt::KeypadModifier)) return 0;
    const int k = key.key();
    if (k >= Qt::Key_1 && k <= Qt::Key_9) return ManualControl::kKeypad1 + (k - Qt::Key_1);
    switch (k) {
        case Qt::Key_End:
            return ManualControl::kKeypad1;
        case Qt::Key_Down:
            return ManualControl::kKeypad1 + 1;
        case Qt::Key_PageDown:
            return ManualControl::kKeypad1 + 2;
        case Qt::Key_Left:
            return ManualControl::kKeypad1 + 3;
        case Qt::Key_Clear:
            return ManualControl::kKeypad5;
        case Qt::Key_Right:
            return ManualControl::kKeypad1 + 5;
        case Qt::Key_Home:
            return ManualControl::kKeypad1 + 6;
        case Qt::Key_Up:
            return ManualControl::kKeypad1 + 7;
        case Qt::Key_PageUp:
            return ManualControl::kKeypad9;
        default:
            return 0;
    }
}

QLineEdit* Field(QWidget* parent, const char* name, int width = 80) {
    auto* edit = Named(new QLineEdit(parent), name);
    edit->setMaximumWidth(width);
    return edit;
}

}  // namespace

TForm3::TForm3(ManualControl& model, const TMessages& messages, QtEventPump* pump, QWidget* parent)
    : QDialog(parent), model_(model), pump_(pump), statusTimer_(this), blinkTimer_(this) {
    setObjectName("Form3");
    setWindowTitle(QStringLiteral("Ręczne sterownie ploterem"));
    localisable_ = std::make_unique<QtLocalisableWindow>(*this, ManualControl::kFormName);
    Build();
    Connect();
    statusTimer_.setObjectName("Timer1");
    statusTimer_.setSingleShot(true);
    statusTimer_.setInterval(ManualControl::kStatusClearMs);
    connect(&statusTimer_, &QTimer::timeout, this, [this] { Act([this] { model_.Timer1Fired(); }); });
    blinkTimer_.setObjectName("Timer2");
    blinkTimer_.setInterval(ManualControl::kBlinkMs);
    connect(&blinkTimer_, &QTimer::timeout, this, [this] { Act([this] { model_.Timer2Fired(); }); });
    messages.LocaliseForm(*localisable_, kLocalised);
    if (pump_) {
        pump_->Watch(model_.Channel());
        // A hidden window catches up when it is shown.
        connect(pump_, &QtEventPump::Handled, this, [this] {
            if (isVisible()) Refresh();
        });
    }
    Refresh();
}

TForm3::~TForm3() {
    ReleaseHeld();
    if (pump_) pump_->Unwatch(model_.Channel());
}

LocalisableWindow& TForm3::Localisable() { return *localisable_; }

void TForm3::Build() {
    // Jogging: eight directions around STOP, the table turns, the keypad.
    auto* jog = Named(new QGroupBox(QStringLiteral("Ruch"), this), "GroupBox1");
    auto* jogLayout = new QVBoxLayout(jog);
    auto* pad = new QGridLayout;
    jogLayout->addLayout(pad);
    QFont arrows = font();
    arrows.setPointSizeF(arrows.pointSizeF() * 1.8);
    for (const JogButton& j : kJogs) {
        auto* b = Named(new QPushButton(QString::fromUtf8(j.arrow), jog), j.name);
        b->setFixedSize(64, 56);
        b->setFont(arrows);
        b->setFocusPolicy(Qt::NoFocus);
        pad->addWidget(b, j.row, j.column);
    }
    auto* stop = Named(new QPushButton(QStringLiteral("STOP"), jog), "Button16");
    stop->setFixedSize(64, 56);
    stop->setStyleSheet(QStringLiteral("QPushButton { color: #c62828; font-weight: bold; }"));
    pad->addWidget(stop, 1, 1);
    auto* turnMinus = Named(new QPushButton(QStringLiteral("\u21BA -360\u00B0"), jog), "SpeedButton2");
    auto* turnPlus = Named(new QPushButton(QStringLiteral("\u21BB +360\u00B0"), jog), "SpeedButton3");
    for (QPushButton* b : {turnMinus, turnPlus}) b->setFocusPolicy(Qt::NoFocus);
    auto* turns = new QHBoxLayout;
    turns->addWidget(turnMinus);
    turns->addWidget(Named(new ClickPanel(QString(), jog), "Panel1"), 1);
    turns->addWidget(turnPlus);
    jogLayout->addStretch();
    jogLayout->addLayout(turns);

    // Distances and the turn angle.
    auto* move = Named(new QGroupBox(QStringLiteral("Przesunięcie"), this), "GroupBox2");
    auto* m = new QGridLayout(move);
    m->addWidget(Named(new QLabel(QStringLiteral("dx [mm]"), move), "Label4"), 0, 0);
    m->addWidget(Field(move, "Edit4"), 0, 1);
    m->addWidget(Named(new QLabel(QStringLiteral("dy [mm]"), move), "Label5"), 1, 0);
    m->addWidget(Field(move, "Edit5"), 1, 1);
    m->addWidget(Named(new QLabel(QStringLiteral("dx [cal]"), move), "Label7"), 0, 2);
    m->addWidget(Field(move, "Edit14", 110), 0, 3);
    m->addWidget(Named(new QLabel(QStringLiteral("dy [cal]"), move), "Label8"), 1, 2);
    m->addWidget(Field(move, "Edit15", 110), 1, 3);
    m->addWidget(Named(new QPushButton(QStringLiteral("[dx,dy]"), move), "Button9"), 2, 0, 1, 4);
    m->addWidget(Named(new QLabel(QStringLiteral("Kąt [°]"), move), "Label6"), 3, 0);
    m->addWidget(Field(move, "Edit6"), 3, 1);
    m->addWidget(Named(new QPushButton(QStringLiteral("[dA]"), move), "SpeedButton1"), 3, 2, 1, 2);
    m->addWidget(Named(new QPushButton(QStringLiteral("Do punktu startowego"), move), "BMoveStartXY"), 4, 0, 1, 4);
    m->addWidget(Named(new QPushButton(QStringLiteral("Grzej drut zewnętrzny"), move), "BHeatExternalWire"), 5, 0, 1, 2);
    m->addWidget(Named(new QPushButton(QStringLiteral("Grzej bez ruchu"), move), "BHeatExternalWireNoMove"), 5, 2, 1, 2);
    auto* mmPerStep = Field(move, "Edit3");
    mmPerStep->setVisible(false);
    m->addWidget(mmPerStep, 6, 0);

    // Speed, preheating, heating and the axes.
    auto* settings = Named(new QGroupBox(QStringLiteral("Parametry"), this), "GroupBox3");
    auto* s = new QGridLayout(settings);
    auto* speed = Named(new QScrollBar(Qt::Horizontal, settings), "ScrollBar2");
    speed->setMinimumWidth(160);
    s->addWidget(Named(new QLabel(QStringLiteral("Prędkość [cm/min]"), settings), "Label1"), 0, 0);
    s->addWidget(speed, 0, 1);
    s->addWidget(Field(settings, "Edit1", 70), 0, 2);
    s->addWidget(Named(new QLabel(QStringLiteral("Rozgrzewanie [ms]"), settings), "Label3"), 1, 0);
    s->addWidget(Field(settings, "Edit11", 70), 1, 2);
    s->addWidget(Named(new QCheckBox(QStringLiteral("Oś 1"), settings), "CheckBox1"), 2, 0);
    s->addWidget(Named(new QLabel(QStringLiteral("(X1, Y1)"), settings), "Label24"), 2, 1);
    s->addWidget(Named(new QCheckBox(QStringLiteral("Oś 2"), settings), "CheckBox2"), 3, 0);
    s->addWidget(Named(new QLabel(QStringLiteral("(X2, Y2)"), settings), "Label26"), 3, 1);
    auto* heating = Named(new QScrollBar(Qt::Vertical, settings), "ScrollBar1");
    heating->setMinimumHeight(120);
    s->addWidget(Named(new QLabel(QStringLiteral("Grzanie"), settings), "Label2"), 0, 3, Qt::AlignHCenter);
    s->addWidget(heating, 1, 3, 3, 1, Qt::AlignHCenter);
    s->addWidget(Named(new QLabel(settings), "Label23"), 4, 3, Qt::AlignHCenter);

    // Service commands.
    auto* service = new QHBoxLayout;
    service->addWidget(Named(new ClickPanel(QStringLiteral("STATE"), this), "Panel5"));
    service->addWidget(Named(new ClickPanel(QStringLiteral("Stan urzadz."), this), "Panel6"));
    service->addWidget(Named(new QPushButton(QStringLiteral("Odczytaj Zmienne"), this), "Button24"));
    service->addWidget(Named(new QPushButton(QStringLiteral("TEST duży InterKrok"), this), "Button10"));

    auto* status = Named(new ClickPanel(QString(), this), "Lerrors");
    status->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    status->setWordWrap(true);
    status->setMinimumHeight(36);

    auto* right = new QVBoxLayout;
    right->addWidget(move);
    right->addWidget(settings);
    auto* columns = new QHBoxLayout;
    columns->addWidget(jog);
    columns->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(service);
    layout->addWidget(status);
}

void TForm3::Connect() {
    for (const JogButton& j : kJogs) {
        const ManualControl::Jog direction = j.direction;
        connect(findChild<QPushButton*>(j.name), &QPushButton::pressed, this,
                [this, direction] { Hold([this, direction] { model_.JogPress(direction); }); });
    }
    connect(findChild<QPushButton*>("SpeedButton3"), &QPushButton::pressed, this,
            [this] { Hold([this] { model_.TurnPress(true); }); });
    connect(findChild<QPushButton*>("SpeedButton2"), &QPushButton::pressed, this,
            [this] { Hold([this] { model_.TurnPress(false); }); });

    const auto button = [this](const char* name, std::function<void()> action) {
        connect(findChild<QPushButton*>(name), &QPushButton::clicked, this,
                [this, action = std::move(action)] { Act(action); });
    };
    button("Button16", [this] { model_.Stop(); });
    button("Button9", [this] { model_.MoveByDistance(true); });
    button("SpeedButton1", [this] { model_.TurnByField(true); });
    button("BMoveStartXY", [this] { model_.MoveToStartCorner(true); });
    button("BHeatExternalWire", [this] { model_.HeatExternalWire(true, true); });
    button("BHeatExternalWireNoMove", [this] { model_.HeatExternalWire(false, true); });
    button("Button24", [this] { model_.DumpVariables(); });
    const auto panel = [this](const char* name, std::function<void()> action) {
        connect(findChild<ClickPanel*>(name), &ClickPanel::clicked, this,
                [this, action = std::move(action)] { Act(action); });
    };
    panel("Panel5", [this] { model_.ShowStatus(model_.StatePanel()); });
    panel("Panel6", [this] { model_.ShowStatus(model_.DeviceState()); });
    panel("Lerrors", [this] { model_.LerrorsClick(); });

    connect(findChild<QScrollBar*>("ScrollBar1"), &QScrollBar::valueChanged, this, [this](int v) {
        if (!updating_) Act([&] { model_.ScrollBar1Changed(v); });
    });
    connect(findChild<QScrollBar*>("ScrollBar2"), &QScrollBar::valueChanged, this, [this](int v) {
        if (!updating_) Act([&] { model_.ScrollBar2Changed(v); });
    });
    connect(findChild<QCheckBox*>("CheckBox1"), &QCheckBox::clicked, this,
            [this](bool on) { Act([&] { model_.CheckBox1Clicked(on); }); });
    connect(findChild<QCheckBox*>("CheckBox2"), &QCheckBox::clicked, this,
            [this](bool on) { Act([&] { model_.CheckBox2Clicked(on); }); });

    const auto edit = [this](const char* name, std::function<void(std::string_view)> changed,
                             std::function<void()> left = {}) {
        std::function<void()> leave;
        if (left) leave = [this, left] { Act(left); };
        OnEdited(
            findChild<QLineEdit*>(name), this,
            [this, changed](const QString& text) { Act([&] { changed(FromQt(text)); }); }, leave);
    };
    edit("Edit1", [this](std::string_view t) { model_.Edit1Changed(t); }, [this] { model_.Edit1Exit(); });
    edit("Edit11", [this](std::string_view t) { model_.Edit11Changed(t); }, [this] { model_.Edit11Exit(); });
    edit("Edit3", [this](std::string_view t) { model_.Edit3Changed(t); });
    edit("Edit4", [this](std::string_view t) { model_.Edit4Changed(t); });
    edit("Edit5", [this](std::string_view t) { model_.Edit5Changed(t); });
    edit("Edit6", [this](std::string_view t) { model_.Edit6Changed(t); });
    edit("Edit14", [this](std::string_view t) { model_.Edit14Changed(t); });
    edit("Edit15", [this](std::string_view t) { model_.Edit15Changed(t); });
    for (const char* name : {"Edit14", "Edit15"}) findChild<QLineEdit*>(name)->installEventFilter(this);
    findChild<QPushButton*>("Button16")->installEventFilter(this);
    // Enter in a field must never press a motion button.
    for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
}

void TForm3::Act(const std::function<void()>& action) {
    action();
    Refresh();
}

void TForm3::Hold(const std::function<void()>& start) {
    if (held_) return;
    held_ = true;
    // The model disables the buttons while the motion runs: a disabled button gets no
    // mouse release, so the release is taken wherever it happens.
    qApp->installEventFilter(this);
    // A failing start may show a message box, whose loop can deliver the release: it
    // waits until the start has returned.
    starting_ = true;
    Act(start);
    starting_ = false;
    if (releasePending_) ReleaseHeld();
}

void TForm3::ReleaseHeld() {
    if (!held_) return;
    if (starting_) {
        releasePending_ = true;
        return;
    }
    releasePending_ = false;
    held_ = false;
    qApp->removeEventFilter(this);
    Act([this] { model_.Release(); });
}

bool TForm3::KeypadEvent(QEvent* event) {
    auto* key = static_cast<QKeyEvent*>(event);
    const int code = KeypadCode(*key);
    if (code == 0) return false;
    // Holding a key repeats it: only the first press and the final release count.
    if (key->isAutoRepeat()) return true;
    bool handled = false;
    Act([&] { handled = event->type() == QEvent::KeyPress ? model_.KeypadDown(code) : model_.KeypadUp(code); });
    return handled || code == ManualControl::kKeypad5;
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (held_ && type == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        ReleaseHeld();
        return false;
    }
    if (watched == findChild<QPushButton*>("Button16") && (type == QEvent::KeyPress || type == QEvent::KeyRelease))
        return KeypadEvent(event);
    if (watched->objectName() == "Edit14" || watched->objectName() == "Edit15") {
        if (type == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            const int code = key == Qt::Key_Left ? 37 : key == Qt::Key_Home ? 36 : 0;
            if (ManualControl::InchFieldIgnoresKey(code)) return true;
        }
        if (type == QEvent::FocusIn) QTimer::singleShot(0, static_cast<QLineEdit*>(watched), &QLineEdit::selectAll);
    }
    return QDialog::eventFilter(watched, event);
}

void TForm3::changeEvent(QEvent* event) {
    // A held motion must not outlive the window's focus: the release may never come.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) ReleaseHeld();
    QDialog::changeEvent(event);
}

void TForm3::showEvent(QShowEvent* event) {
    model_.Show();
    Refresh();
    QDialog::showEvent(event);
    // The keypad jogs while STOP has the focus.
    findChild<QPushButton*>("Button16")->setFocus();
}

void TForm3::done(int result) {
    ReleaseHeld();
    model_.Close();
    QDialog::done(result);
}

void TForm3::Refresh() {
    if (updating_) return;
    updating_ = true;
    const ManualControl::Controls& c = model_.Form();

    const auto bar = [this](const char* name, const Control& b) {
        auto* widget = findChild<QScrollBar*>(name);
        const QSignalBlocker blocker(widget);
        widget->setRange(b.min, b.max);
        widget->setValue(b.position);
    };
    bar("ScrollBar1", c.ScrollBar1);
    bar("ScrollBar2", c.ScrollBar2);

    ApplyControl(*this, "Edit1", c.Edit1);
    ApplyControl(*this, "Edit3", c.Edit3);
    ApplyControl(*this, "Edit4", c.Edit4);
    ApplyControl(*this, "Edit5", c.Edit5);
    ApplyControl(*this, "Edit6", c.Edit6);
    ApplyControl(*this, "Edit11", c.Edit11);
    ApplyControl(*this, "Edit14", c.Edit14);
    ApplyControl(*this, "Edit15", c.Edit15);
    SetVisible(*this, "Label7", c.Edit14.visible);
    SetVisible(*this, "Label8", c.Edit15.visible);
    SetCaption(*this, "Label23", c.Label23);

    for (const auto& [name, button] :
         {std::pair{"Button1", &c.Button1}, std::pair{"Button2", &c.Button2}, std::pair{"Button3", &c.Button3},
          std::pair{"Button4", &c.Button4}, std::pair{"Button5", &c.Button5}, std::pair{"Button6", &c.Button6},
          std::pair{"Button7", &c.Button7}, std::pair{"Button8", &c.Button8}, std::pair{"Button9", &c.Button9},
          std::pair{"Button10", &c.Button10}, std::pair{"Button16", &c.Button16}, std::pair{"Button24", &c.Button24},
          std::pair{"SpeedButton1", &c.SpeedButton1}, std::pair{"SpeedButton2", &c.SpeedButton2},
          std::pair{"SpeedButton3", &c.SpeedButton3}}) {
        ApplyControl(*this, name, *button);
    }
    // The start corner and wire heating are motions like the others.
    for (const char* name : {"BMoveStartXY", "BHeatExternalWire", "BHeatExternalWireNoMove"})
        SetEnabled(*this, name, c.Button9.enabled);
    ApplyControl(*this, "CheckBox1", c.CheckBox1);
    ApplyControl(*this, "CheckBox2", c.CheckBox2);
    SetVisible(*this, "Label24", c.Label24Visible);
    SetVisible(*this, "Label26", c.Label26Visible);

    findChild<ClickPanel*>("Panel1")->SetColours(c.Panel1 == ManualControl::PanelColour::Red ? QColor(Qt::red)
                                                                                              : QColor(Qt::lightGray));
    SetCaption(*this, "Lerrors", c.Lerrors);

    if (!c.Timer1.enabled) {
        statusTimer_.stop();
    } else if (!statusTimer_.isActive() || shownStatus_ != c.Lerrors) {
        statusTimer_.start();
    }
    shownStatus_ = c.Lerrors;
    if (c.Timer2.enabled != blinkTimer_.isActive()) {
        if (c.Timer2.enabled) {
            blinkTimer_.start();
        } else {
            blinkTimer_.stop();
        }
    }
    updating_ = false;
}

}  // namespace wirvela
