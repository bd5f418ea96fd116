#pragma once
// The application core started headless in a scratch directory holding the shipped
// wirvela.ini and local.txt, on the simulated controller, with a scripted prompt and a
// raster bitmap for the main window. The test's thread is the window thread.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/AppCore.h"
#include "app/MainWindowModel.h"
#include "app/windows/CuttingJob.h"
#include "config/Messages.h"
#include "config/Prompt.h"
#include "controller/ComClass.h"
#include "controller/DeviceList.h"
#include "controller/MergedFtdi.h"
#include "controller/SimulatedController.h"
#include "drawing/Drawing.h"
#include "support/TempDir.h"
#include "view/RasterCanvas.h"

namespace wirvela::test {

inline std::filesystem::path Example(const std::string& name) {
    return ShippedDataDir().parent_path() / "examples" / name;
}

inline std::string ReadText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The text with the value of the first line "key=…" replaced (the key must be there).
inline std::string WithValue(std::string text, const std::string& key, const std::string& value) {
    const std::string head = "\n" + key + "=";
    const std::size_t at = text.find(head);
    if (at == std::string::npos) return text;
    const std::size_t start = at + head.size();
    const std::size_t end = text.find('\n', start);
    return text.replace(start, end - start, value);
}

using IniValues = std::map<std::string, std::string>;

class AppRig {
public:
    using Dialog = MainWindowModel::Dialog;

    // `values`: keys of the shipped wirvela.ini given other values for this test.
    explicit AppRig(const IniValues& values = {})
        : sim(std::make_shared<SimulatedController>(SimulatedControllerConfig::Fast())),
          prompt([this](const PromptRequest& r) {
              asked.push_back(r);
              return answer ? answer(r) : AffirmativeAnswer(r.buttons);
          }) {
        std::string ini = ReadText(ShippedDataDir() / "wirvela.ini");
        for (const auto& [key, value] : values) ini = WithValue(ini, key, value);
        dir.Write("wirvela.ini", ini);
        dir.Write("local.txt", ReadText(ShippedDataDir() / "local.txt"));
        originalIni = ini;
    }

    // Start-up; the view's hooks are set once the main window exists.
    AppCore::StartResult Start() {
        AppCoreOptions o;
        o.directory = dir.Path();
        o.shippedData = shippedData;
        o.prompt = &prompt;
        std::shared_ptr<SimulatedController> controller = sim;
        o.makeFtdi = [controller] { return MakeDefaultFtdi(controller, false); };
        core = std::make_unique<AppCore>(std::move(o));
        const AppCore::StartResult r = core->Start();
        if (core->Started() && !r.exit) {
            MainWindowModel::Hooks h;
            h.changed = [this] {
                ++changes;
                if (onChanged) onChanged();
            };
            h.bitmap = &bitmap;
            h.present = [this] { ++presents; };
            h.openDialog = [this](const MainWindowModel::OpenDialogRequest& request)
                -> std::optional<MainWindowModel::OpenDialogResult> {
                openRequests.push_back(request);
                if (onOpen) return onOpen(request);
                return std::nullopt;
            };
            h.saveDialog = [this](const MainWindowModel::OpenDialogRequest& request)
                -> std::optional<MainWindowModel::OpenDialogResult> {
                saveRequests.push_back(request);
                if (onSave) return onSave(request);
                return std::nullopt;
            };
            h.showModal = [this](Dialog d) {
                shown.push_back(d);
                return onModal ? onModal(d) : false;
            };
            W().SetHooks(std::move(h));
            W().Resized(bitmap.Width(), bitmap.Height());
        }
        return r;
    }

    MainWindowModel& W() { return core->MainWindow(); }
    TDrawing& D() { return core->Drawing(); }
    const std::string& Message(int key) { return core->Messages().MessageText(key); }
    const Control& C(const char* name) {
        const Control* c = W().Find(name);
        EXPECT_NE(c, nullptr) << name;
        static const Control none;
        return c != nullptr ? *c : none;
    }

    // Loads `file` as the open command does and waits for the joining to end.
    int LoadAndJoin(const std::filesystem::path& file) {
        const int r = W().LoadFile(file, 1);
        W().WaitForJoining();
        return r;
    }

    // Lines of kind 2 (connecting lines and the entry line) in a figure.
    int ConnectingLines(int figure) {
        const TLines& lines = D().Set(figure).L;
        int n = 0;
        for (int i = 0; i < lines.Count(); ++i) n += lines[i].kind == 2 ? 1 : 0;
        return n;
    }

    bool Asked(int messageKey) const {
        for (const PromptRequest& r : asked)
            if (r.messageKey == messageKey) return true;
        return false;
    }

    TempDir dir;
    // Offered when the scratch directory's wirvela.ini cannot serve.
    std::filesystem::path shippedData = ShippedDataDir();
    std::string originalIni;
    std::shared_ptr<SimulatedController> sim;
    std::vector<PromptRequest> asked;
    std::function<PromptAnswer(const PromptRequest&)> answer;
    ScriptedPrompt prompt;
    RasterCanvas bitmap{800, 600};
    int changes = 0;
    // Called on every change the model reports, inside the event that made it.
    std::function<void()> onChanged;
    int presents = 0;
    std::vector<Dialog> shown;
    std::function<bool(Dialog)> onModal;
    std::vector<MainWindowModel::OpenDialogRequest> openRequests;
    std::function<std::optional<MainWindowModel::OpenDialogResult>(const MainWindowModel::OpenDialogRequest&)> onOpen;
    std::vector<MainWindowModel::OpenDialogRequest> saveRequests;
    std::function<std::optional<MainWindowModel::OpenDialogResult>(const MainWindowModel::OpenDialogRequest&)> onSave;
    std::unique_ptr<AppCore> core;
};

}  // namespace wirvela::test
