#pragma once
// Shared pieces of the path search and connect command tests: drawing builders, a
// harness that runs the connect command on its worker thread with a recording main
// window, and checks of a cut path.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/ConnectCommand.h"
#include "config/MessageLog.h"
#include "config/Messages.h"
#include "config/Parameters.h"
#include "config/Prompt.h"
#include "drawing/Drawing.h"
#include "formats/DrawingLoader.h"
#include "geometry/Point2d.h"
#include "planning/PlanariseSink.h"
#include "platform/EventChannel.h"
#include "support/TempDir.h"

namespace wirvela::test {

// Tags carried in spare word 0 of a line (split pieces inherit it).
inline constexpr std::int32_t kClosedTag = 1;
inline constexpr std::int32_t kOpenTag = 2;

// The motion tests' own Pt carries a synchronisation node; both kinds of test link into
// one program, so this one is only a name for the plain point.
using Pt = Point2d;

// Adds a polyline of object obj (vertices get obj too), kind 1; closed joins the last
// point to the first. The lines carry `tag` in spare word 0. Returns the vertex indices.
inline std::vector<int> AddPolyline(TLines& lines, const std::vector<Pt>& points, int obj, bool closed,
                                    std::int32_t tag = 0) {
    std::vector<int> ids;
    for (const Pt& p : points) ids.push_back(lines.Vertices().AddVertex(p.x, p.y, 0, obj));
    const std::size_t n = ids.size();
    for (std::size_t i = 0; i + 1 < n + (closed ? 1 : 0); ++i) {
        LineRecord l;
        l.p = ids[i];
        l.k = ids[(i + 1) % n];
        l.obj = obj;
        l.kind = 1;
        l.spare[0] = tag != 0 ? tag : (closed ? kClosedTag : kOpenTag);
        lines.AddLine(l);
    }
    return ids;
}

inline std::vector<Pt> Rect(double x0, double y0, double x1, double y1) {
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

// Collects log lines.
struct LogLines : PlanariseSink {
    std::vector<std::string> lines;
    void Log(std::string_view line) override { lines.emplace_back(line); }
    std::string MessageText(int key, std::span<const int> args) const override {
        std::string s = "msg" + std::to_string(key);
        for (int a : args) s += " " + std::to_string(a);
        return s;
    }
    bool Has(const std::string& text) const {
        for (const auto& l : lines) {
            if (l == text) return true;
        }
        return false;
    }
};

// Records every prompt.
struct RecordingPrompt : Prompt {
    std::vector<PromptRequest> asked;
    PromptAnswer Ask(const PromptRequest& r) override {
        asked.push_back(r);
        return PromptAnswer::Ok;
    }
};

struct Event {
    int code;
    std::intptr_t value;  // for text events 0
    std::string text;
};

// Settings, messages, a drawing and a recording main window for connect runs. The
// `[Ploter]` keys given are written to the harness's wirvela.ini.
class ConnectHarness {
public:
    // localTxt: the text of local.txt; empty: the shipped one.
    explicit ConnectHarness(const std::map<std::string, std::string>& ploter = {}, const std::string& localTxt = {}) {
        WriteIni(ploter);
        if (!localTxt.empty()) dir_.Write("local.txt", localTxt);
        messages_.CheckLocalFile(localTxt.empty() ? ShippedDataDir() : dir_.Path());
        messages_.LoadMessages();
        log_ = std::make_unique<MessageLog>(dir_.Path(), MessageLogSwitches{true, false, false});
        log_->SetMemoHook([this](std::string_view line) {
            std::lock_guard lock(logMutex_);
            logLines_.emplace_back(line);
        });
        drawing_ = std::make_unique<TDrawing>();
        DeriveDrawingSettings(*drawing_, parameters_);
        window_.planarisationPending = true;
        channel_ = std::make_unique<EventChannel>([this](int code, std::intptr_t arg) -> std::intptr_t {
            const bool text = code >= kEventStatusPanel0 && code <= kEventStatusText;
            events_.push_back({code, text ? 0 : arg, text ? ConnectEventText(arg) : ""});
            if (code == kEventConnectState && arg == kConnectFinished) runningAtTheEnd_ = connect_->Running();
            return 0;
        });
        ConnectContext c(*drawing_, &mutex_, parameters_, messages_, *log_, window_);
        c.prompt = &prompt_;
        c.mainWindow = channel_.get();
        c.iniFile = dir_.Path() / "wirvela.ini";
        c.clearPendingMultiplication = [this] { pendingCleared_ = true; };
        c.multiplicationRunState = [this] { return runState_ ? runState_() : 0; };
        c.afterRun = [this] {
            if (afterRun_) afterRun_();
        };
        connect_ = std::make_unique<TConnectCommand>(std::move(c));
    }
    ~ConnectHarness() { connect_.reset(); }

    void WriteIni(const std::map<std::string, std::string>& ploter) {
        std::string ini = "[Ploter]\n";
        for (const auto& [k, v] : ploter) ini += k + "=" + v + "\n";
        dir_.Write("wirvela.ini", ini);
        parameters_.Load(dir_.Path(), "wirvela.ini", "local.txt");
    }

    TDrawing& D() { return *drawing_; }
    TLines& L() { return drawing_->L(); }
    TConnectCommand& Command() { return *connect_; }
    RecursiveTimedMutex& Mutex() { return mutex_; }
    LoaderWindowState& Window() { return window_; }
    EventChannel& Channel() { return *channel_; }
    RecordingPrompt& Prompts() { return prompt_; }
    const std::vector<Event>& Events() const { return events_; }
    bool PendingCleared() const { return pendingCleared_; }
    // Whether the command still counted as running when the window handled the end of its run.
    bool RunningAtTheEnd() const { return runningAtTheEnd_; }
    const TMessages& Messages() const { return messages_; }

    std::vector<std::string> Log() {
        std::lock_guard lock(logMutex_);
        return logLines_;
    }
    bool Logged(const std::string& line) {
        for (const auto& l : Log()) {
            if (l == line) return true;
        }
        return false;
    }

    // What the connect command reads of a multiplication and tells it at the end of a run
    // (worker thread); both absent until set.
    void SetMultiplicationHooks(std::function<int()> runState, std::function<void()> afterRun) {
        runState_ = std::move(runState);
        afterRun_ = std::move(afterRun);
    }

    // The current set's object count for a drawing built by hand.
    void SetObjects(int oelems) {
        drawing_->Oelems() = oelems;
        drawing_->Set(drawing_->Figure()).oelems = oelems;
    }

    // Starts, resumes and waits for one run; the main window's events are handled here.
    ConnectReport Run() {
        EXPECT_EQ(connect_->StartConnect(1), 16);
        connect_->Resume();
        connect_->Wait();
        channel_->ProcessPending();
        return connect_->Report();
    }

    // The values of event 2001 in order.
    std::vector<std::intptr_t> States() const {
        std::vector<std::intptr_t> s;
        for (const Event& e : events_) {
            if (e.code == kEventConnectState) s.push_back(e.value);
        }
        return s;
    }

private:
    TempDir dir_;
    TParameters parameters_;
    TMessages messages_;
    std::unique_ptr<MessageLog> log_;
    std::mutex logMutex_;
    std::vector<std::string> logLines_;
    std::unique_ptr<TDrawing> drawing_;
    RecursiveTimedMutex mutex_;
    LoaderWindowState window_;
    RecordingPrompt prompt_;
    std::vector<Event> events_;
    std::unique_ptr<EventChannel> channel_;
    std::function<int()> runState_;
    std::function<void()> afterRun_;
    bool pendingCleared_ = false;
    bool runningAtTheEnd_ = true;
    std::unique_ptr<TConnectCommand> connect_;
};

struct PathStep {
    int line;
    int dir;
    bool operator==(const PathStep&) const = default;
};

inline PathSearchEnv Env(PlanariseSink* sink, Prompt* prompt = nullptr, std::filesystem::path ini = {}) {
    PathSearchEnv env;
    env.sink = sink;
    env.prompt = prompt;
    env.iniFile = std::move(ini);
    return env;
}

inline std::vector<PathStep> Steps(const TLineList& path) {
    std::vector<PathStep> s;
    for (int i = 0; i <= path.LastIndex(); ++i) s.push_back({path[i].line, path[i].dir > 0 ? 1 : -1});
    return s;
}

// The cut path is one continuous walk that starts and ends on the entry line (the last
// line, from the last vertex).
inline void ExpectContinuousFromEntry(const TLineList& path, const TLines& lines) {
    const int entry = lines.Count() - 1;
    ASSERT_GE(path.LastIndex(), 1);
    EXPECT_EQ(path[0].line, entry);
    EXPECT_EQ(path[0].dir, 1.0);
    EXPECT_EQ(path[path.LastIndex()].line, entry);
    EXPECT_EQ(path[path.LastIndex()].dir, -1.0);
    EXPECT_EQ(lines[entry].p, lines.Vertices().Count() - 1) << "the entry line starts at the entry vertex";
    for (int i = 0; i < path.LastIndex(); ++i) {
        EXPECT_EQ(path.PathEnd(i, lines), path.PathStart(i + 1, lines)) << "entries " << i << " and " << i + 1;
    }
}

// How often each line is run forwards and backwards.
struct Runs {
    int forward = 0;
    int backward = 0;
};
inline std::map<int, Runs> CountRuns(const TLineList& path) {
    std::map<int, Runs> runs;
    for (int i = 0; i <= path.LastIndex(); ++i) {
        Runs& r = runs[path[i].line];
        (path[i].dir > 0 ? r.forward : r.backward)++;
    }
    return runs;
}

}  // namespace wirvela::test
