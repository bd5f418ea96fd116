#include "ui/TForm6.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/windows/AboutModel.h"
#include "config/Messages.h"
#include "ui/ControlBinding.h"
#include "ui/Icons.h"
#include "ui/QtLocalisableWindow.h"
#include "ui/ViewSupport.h"

namespace wirvela {

namespace {

constexpr LocalisedControl kLocalised[] = {
    {"Label1", LocalisedText::Caption}, {"Label2", LocalisedText::Caption}, {"Label3", LocalisedText::Caption},
    {"Label5", LocalisedText::Caption}, {"Label7", LocalisedText::Caption}, {"Button1", LocalisedText::Caption},
};

}  // namespace

TForm6::TForm6(AboutModel& model, const TMessages& messages, QWidget* parent)
    : QDialog(parent),
      model_(model),
      localisable_(std::make_unique<QtLocalisableWindow>(*this, AboutModel::kFormName)),
      timer_(this) {
    setObjectName("Form6");
    setWindowTitle(ToQt(AboutModel::kCaption));
    auto* picture = new QLabel(this);
    picture->setPixmap(WirvelaIcon("wirvela").pixmap(64, 64));
    auto* title = Named(new QLabel(ToQt(AboutModel::kLabel1), this), "Label1");
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    title->setFont(font);

    auto* facts = new QGridLayout;
    facts->addWidget(Named(new QLabel(ToQt(AboutModel::kLabel2), this), "Label2"), 0, 0);
    facts->addWidget(Named(new QLabel(this), "Label6"), 0, 1);
    facts->addWidget(Named(new QLabel(ToQt(AboutModel::kLabel7), this), "Label7"), 1, 0);
    facts->addWidget(Named(new QLabel(this), "Label4"), 1, 1);
    facts->addWidget(Named(new QLabel(this), "Label5"), 2, 0, 1, 2);
    facts->addWidget(Named(new QLabel(this), "Label3"), 3, 0, 1, 2);
    facts->addWidget(Named(new QLabel(this), "Label9"), 4, 0, 1, 2);
    for (QLabel* label : findChildren<QLabel*>()) label->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* close = Named(new QPushButton(ToQt(AboutModel::kButton1), this), "Button1");
    close->setDefault(true);
    close->installEventFilter(this);
    connect(close, &QPushButton::clicked, this, [this] {
        model_.Button1Click();
        Refresh();
    });

    auto* head = new QHBoxLayout;
    head->addWidget(picture);
    head->addWidget(title, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addLayout(facts);
    layout->addLayout(buttons);

    timer_.setObjectName("Timer1");
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        model_.Timer1Fired();
        Refresh();
    });
    messages.LocaliseForm(*localisable_, kLocalised);
    Refresh();
}

TForm6::~TForm6() = default;

LocalisableWindow& TForm6::Localisable() { return *localisable_; }

void TForm6::ShowSplash() {
    model_.ShowSplash();
    Refresh();
    open();
}

int TForm6::ExecSplash() {
    model_.ShowSplash();
    Refresh();
    return exec();
}

void TForm6::showEvent(QShowEvent* event) {
    // Shown by the information command unless the splash already showed the model.
    if (!model_.Visible()) model_.ShowModal();
    Refresh();
    QDialog::showEvent(event);
}

bool TForm6::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->objectName() == "Button1") {
        const bool escape = static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
        model_.ButtonKeyDown(escape);
        Refresh();
        if (escape) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm6::done(int result) {
    if (model_.Visible()) model_.Button1Click();
    timer_.stop();
    QDialog::done(result);
}

void TForm6::Refresh() {
    // Empty texts keep what the localisation wrote (Label3, Label5 before the creation).
    const std::pair<const char*, const std::string*> texts[] = {
        {"Label6", &model_.Label6()}, {"Label4", &model_.Label4()}, {"Label5", &model_.Label5()},
        {"Label3", &model_.Label3()}, {"Label9", &model_.Label9()},
    };
    for (const auto& [name, text] : texts)
        if (!text->empty()) SetCaption(*this, name, *text);

    if (!model_.Timer1Enabled()) {
        timer_.stop();
    } else if (!timer_.isActive()) {
        timer_.setInterval(model_.Timer1Interval());
        timer_.start();
    }
    if (isVisible() && !model_.Visible()) done(Accepted);
}

}  // namespace wirvela
