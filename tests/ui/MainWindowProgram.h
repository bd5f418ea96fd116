#pragma once
// The program as main() assembles it, for the main window's tests and screenshots: the
// application core on a copy of the shipped data in a scratch start-up directory, the
// simulated controller, the event pump, the message boxes answered affirmatively, and the
// main window shown with the start-up splash shortened.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ViewTestSupport.h"
#include "app/AppCore.h"
#include "app/MainWindowModel.h"
#include "config/Messages.h"
#include "controller/MergedFtdi.h"
#include "controller/SimulatedController.h"
#include "platform/EventChannel.h"
#include "ui/QtEventPump.h"
#include "ui/QtPrompt.h"
#include "ui/TForm1.h"

namespace wirvela::test {

using IniValues = std::map<std::string, std::string>;

inline std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

inline std::string KeyOf(const std::string& line) {
    return line.substr(0, line.find('='));
}

// The text with the value of the first line "key=…" replaced.
inline std::string WithValue(std::string text, const std::string& key, const std::string& value) {
    const std::string head = "\n" + key + "=";
    const std::size_t at = text.find(head);
    EXPECT_NE(at, std::string::npos) << key;
    if (at == std::string::npos) return text;
    const std::size_t start = at + head.size();
    return text.replace(start, text.find('\n', start) - start, value);
}

inline std::filesystem::path Example(const char* name) {
    return ShippedDataDir().parent_path() / "examples" / name;
}

inline int CountColour(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) n += (row[x] & 0xFFFFFF) == (colour & 0xFFFFFF) ? 1 : 0;
    }
    return n;
}

// The program as main() assembles it, in a scratch start-up directory. The test's thread
// is the GUI thread.
class Program {
public:
    explicit Program(const IniValues& values = {}) {
        std::string ini = ReadFile(ShippedDataDir() / "wirvela.ini");
        // The splash closes at once; everything else as shipped.
        ini = WithValue(ini, "CzasWiniety", "50");
        for (const auto& [key, value] : values) ini = WithValue(ini, key, value);
        originalIni = ini;
        dir.Write("wirvela.ini", ini);
        dir.Write("local.txt", ReadFile(ShippedDataDir() / "local.txt"));

        SimulatedControllerConfig config;
        config.speedUp = 1000;  // machine milliseconds per real millisecond
        config.readWaitCapMs = 1;
        sim = std::make_shared<SimulatedController>(config);
        // Every message box is answered affirmatively, after it is shown.
        prompt.SetBoxHook([this](QMessageBox& box) {
            boxes.push_back(FromQt(box.text()));
            QAbstractButton* answer = box.defaultButton();
            if (answer == nullptr && !box.buttons().isEmpty()) answer = box.buttons().constFirst();
            if (answer != nullptr) QTimer::singleShot(0, answer, [answer] { answer->click(); });
        });
    }

    ~Program() {
        window.reset();
        if (core) core->Shutdown();
    }

    // Start-up, the main window shown with `file` to open after the splash.
    bool Start(const std::optional<std::filesystem::path>& file = std::nullopt) {
        AppCoreOptions o;
        o.directory = dir.Path();
        o.prompt = &prompt;
        o.notifier = pump.Notifier();
        o.processId = static_cast<int>(QCoreApplication::applicationPid());
        std::shared_ptr<SimulatedController> controller = sim;
        o.makeFtdi = [controller] { return MakeDefaultFtdi(controller, false); };
        core = std::make_unique<AppCore>(std::move(o));
        if (core->Start().exit) return false;
        for (EventChannel* channel : core->Channels()) pump.Watch(*channel);
        window = std::make_unique<TForm1>(*core, pump, prompt);
        if (file) window->SetStartupFile(*file);
        window->show();
        return SpinUntil([this] { return window->Activated(); });
    }

    MainWindowModel& Model() { return core->MainWindow(); }
    template <class W = QObject>
    W* Control(const char* name) {
        return test::Control<W>(*window, name);
    }
    bool Enabled(const char* name) { return EnabledInWindow(*Control(name)); }
    bool Shown(const char* name) { return ShownInWindow(*Control(name)); }
    std::string Panel(int i) {
        auto* label = window->findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(i));
        EXPECT_NE(label, nullptr) << i;
        return label ? FromQt(label->text()) : std::string();
    }
    const std::string& Message(int key) { return core->Messages().MessageText(key); }
    // The open drawing is joined: the joining worker has ended and the closing repaint its
    // end started (Timer3) has shown the fitted drawing. The worker ends before the window
    // handles its last event, so the repaint is counted, not just looked for.
    bool Joined() {
        const bool joined = SpinUntil([this] {
            const auto& timer = Model().Form().Timer3;
            return !Model().JoiningRunning() && Enabled("SpeedButton1") && timer.starts > joinRepaints &&
                   !timer.enabled;
        });
        joinRepaints = Model().Form().Timer3.starts;
        return joined;
    }
    QImage Picture() { return window->DrawingArea()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    TempDir dir;
    std::string originalIni;
    std::shared_ptr<SimulatedController> sim;
    QtEventPump pump;
    QtPrompt prompt;
    std::vector<std::string> boxes;
    unsigned joinRepaints = 0;  // closing repaints of joinings Joined() has seen
    std::unique_ptr<AppCore> core;
    std::unique_ptr<TForm1> window;
};

}  // namespace wirvela::test
