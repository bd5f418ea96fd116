#include "planning/ObjectConnection.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <span>
#include <system_error>
#include <tuple>
#include <unordered_map>

#include "config/MessageLog.h"
#include "config/Messages.h"
#include "config/NumberText.h"
#include "config/Parameters.h"
#include "config/Prompt.h"
#include "config/Settings.h"
#include "planning/FastJoin.h"
#include "planning/FastPlanarise.h"
#include "planning/JoinProgress.h"
#include "planning/JunctionSplitting.h"
#include "planning/PathSearch.h"
#include "planning/PlanariseSink.h"
#include "planning/PlanariseSteps.h"
#include "planning/Predicates.h"
#include "platform/Clock.h"
#include "platform/EventChannel.h"

namespace wirvela {

namespace {

constexpr double kFar = 3e100;  // squared distance of an object pair that has no candidate
constexpr std::int32_t kEntryObject = 10000;

// One argument of a message of local.txt used as a printf-style format.
struct FormatValue {
    bool real = false;
    long long integer = 0;
    double number = 0.0;
};

// Fills a message text with its arguments. The text comes from a file the operator may
// edit, so it never reaches printf as a format: each conversion is checked, paired with
// the next argument and formatted alone; widths and precisions are capped. Conversions
// that have no argument or are not numeric (%s, %c, %n, %p, '*' widths) are copied as written.
std::string FillMessage(std::string_view format, std::span<const FormatValue> values) {
    std::string out;
    std::size_t next = 0;
    std::size_t i = 0;
    while (i < format.size()) {
        if (format[i] != '%') {
            out += format[i++];
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        const std::size_t start = i++;
        std::string spec = "%";
        while (i < format.size() && std::string_view("-+ #0").find(format[i]) != std::string_view::npos) {
            spec += format[i++];
        }
        int width = 0;
        bool hasWidth = false;
        while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
            width = std::min(width * 10 + (format[i++] - '0'), 99);
            hasWidth = true;
        }
        int precision = -1;
        if (i < format.size() && format[i] == '.') {
            ++i;
            precision = 0;
            while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
                precision = std::min(precision * 10 + (format[i++] - '0'), 99);
            }
        }
        while (i < format.size() && std::string_view("hlLqjzt").find(format[i]) != std::string_view::npos) ++i;
        if (i >= format.size()) {
            out.append(format.substr(start));
            break;
        }
        const char conversion = format[i++];
        const bool integral = std::string_view("diouxX").find(conversion) != std::string_view::npos;
        const bool floating = std::string_view("fFeEgGaA").find(conversion) != std::string_view::npos;
        if ((!integral && !floating) || next >= values.size()) {
            out.append(format.substr(start, i - start));
            continue;
        }
        if (hasWidth) spec += std::to_string(width);
        if (precision >= 0) spec += "." + std::to_string(precision);
        const FormatValue& v = values[next++];
        char buffer[256];
        int written = 0;
        if (integral) {
            long long value = v.integer;
            if (v.real) value = std::isfinite(v.number) ? static_cast<long long>(std::clamp(v.number, -9e18, 9e18)) : 0;
            spec += std::string("ll") + conversion;
            if (conversion == 'd' || conversion == 'i') {
                written = std::snprintf(buffer, sizeof buffer, spec.c_str(), value);
            } else {
                written = std::snprintf(buffer, sizeof buffer, spec.c_str(), static_cast<unsigned long long>(value));
            }
        } else {
            spec += conversion;
            written =
                std::snprintf(buffer, sizeof buffer, spec.c_str(), v.real ? v.number : static_cast<double>(v.integer));
        }
        if (written > 0) out.append(buffer, std::min(static_cast<std::size_t>(written), sizeof buffer - 1));
    }
    return out;
}

std::string Seconds(std::uint64_t milliseconds) {
    return NumberToText(static_cast<double>(milliseconds) * 0.001);
}

// Sends the text events of the run to the main window and its log lines to the message
// log; the planning passes report through it too.
class ConnectSink : public PlanariseSink {
public:
    explicit ConnectSink(const ConnectContext& c) : c_(c) {}

    void Log(std::string_view line) override { c_.log.Log(line); }

    std::string MessageText(int key, std::span<const int> args) const override {
        std::vector<FormatValue> values;
        for (int a : args) values.push_back({false, a, 0.0});
        return FillMessage(c_.messages.MessageText(key), values);
    }

    std::string MessageWithReal(int key, double value) const {
        const FormatValue v{true, 0, value};
        return FillMessage(c_.messages.MessageText(key), std::span<const FormatValue>(&v, 1));
    }

    void Status(int panel, std::string_view text) override {
        if (panel < 0 || panel > 4) return;
        SendText(kEventStatusPanel0 + panel, std::string(text));
    }

    // A pass reports every 100 lines; waiting for the window to show each report, or
    // even waking the window for each, would hold the pass up longer than the pass itself
    // takes on large drawings. The window picks the reports up when it next looks (it
    // polls every few milliseconds), and the run's next sent event wakes it anyway.
    void Progress(int panel, std::string_view text) override {
        if (panel < 0 || panel > 4) return;
        if (c_.mainWindow != nullptr)
            c_.mainWindow->PostText(kEventStatusPanel0 + panel, std::string(text), EventChannel::Wake::AtNextLook);
    }

    void SendText(int code, const std::string& text) const {
        if (c_.mainWindow != nullptr) c_.mainWindow->Send(code, reinterpret_cast<std::intptr_t>(text.c_str()));
    }

    void SendState(int value) const {
        if (c_.mainWindow != nullptr) c_.mainWindow->Send(kEventConnectState, value);
    }

private:
    const ConnectContext& c_;
};

// The distance entry of one object pair: the smallest squared distance over the vertex
// pairs between the two objects, taken in the order of the vertex scan (i ascending,
// then j > i ascending) and replaced only by a strictly smaller one; a = j, b = i.
struct PairEntry {
    double d2 = kFar;
    int a = -1;
    int b = -1;
};

PairEntry ObjectPairEntry(const TLines& lines, const std::vector<int>& first, const std::vector<int>& second,
                          bool crossingTest) {
    const TVert& v = lines.Vertices();
    PairEntry e;
    std::size_t f = 0;
    std::size_t s = 0;
    while (f < first.size() || s < second.size()) {
        const bool fromFirst = s >= second.size() || (f < first.size() && first[f] < second[s]);
        const int i = fromFirst ? first[f++] : second[s++];
        const std::vector<int>& other = fromFirst ? second : first;
        const VertexRecord& vi = v[i];
        for (auto it = std::upper_bound(other.begin(), other.end(), i); it != other.end(); ++it) {
            const VertexRecord& vj = v[*it];
            const double ddx = vi.x - vj.x;
            const double dx2 = ddx * ddx;
            if (e.d2 <= dx2) continue;
            const double ddy = vi.y - vj.y;
            const double d2 = dx2 + ddy * ddy;
            if (e.d2 <= d2) continue;
            if (crossingTest && CrossesAnyLine(vi, vj, lines)) continue;
            e = {d2, *it, i};
        }
    }
    return e;
}

bool Stopped(const std::stop_token& stop) {
    return stop.stop_requested();
}

// Waits at most `milliseconds` for the drawing mutex. Built from try_lock rather than
// try_lock_for: the timed wait of the C++ library uses a pthread call that thread
// checkers do not follow, so they would take every later unlock for a fault.
bool TakeWithin(RecursiveTimedMutex& mutex, int milliseconds) {
    const std::uint64_t deadline = TickCount64() + static_cast<std::uint64_t>(std::max(milliseconds, 0));
    for (;;) {
        if (mutex.try_lock()) return true;
        if (TickCount64() >= deadline) return false;
        SleepMs(1);
    }
}

// Vertices that are an end of some line. A vertex without lines (a pen-up position of an
// HP-GL file, such as the centre a circle is drawn around) carries the object number
// current when it was made, often that of an object far away; joining to it would leave
// the object it was meant to reach cut off from the tour.
std::vector<char> VerticesOnLines(const TLines& lines) {
    std::vector<char> on(static_cast<std::size_t>(lines.Vertices().Count()), 0);
    for (const LineRecord& l : lines.Records()) {
        if (l.p == l.k) continue;
        if (l.p >= 0 && l.p < lines.Vertices().Count()) on[static_cast<std::size_t>(l.p)] = 1;
        if (l.k >= 0 && l.k < lines.Vertices().Count()) on[static_cast<std::size_t>(l.k)] = 1;
    }
    return on;
}

}  // namespace

std::vector<std::vector<int>> JoiningUnits(const TLines& lines, int objectCount) {
    const TVert& v = lines.Vertices();
    const int count = v.Count();
    const auto at = [](int i) { return static_cast<std::size_t>(i); };
    std::vector<int> parent(at(count));
    for (int i = 0; i < count; ++i) parent[at(i)] = i;
    // The root of a piece is its first vertex: a union keeps the lower root.
    const auto root = [&](int i) {
        while (parent[at(i)] != i) {
            parent[at(i)] = parent[at(parent[at(i)])];
            i = parent[at(i)];
        }
        return i;
    };
    for (const LineRecord& l : lines.Records()) {
        if (l.p < 0 || l.k < 0 || l.p >= count || l.k >= count) continue;
        const int a = root(l.p);
        const int b = root(l.k);
        if (a != b) parent[at(std::max(a, b))] = std::min(a, b);
    }
    const std::vector<char> onLine = VerticesOnLines(lines);
    std::unordered_map<std::uint64_t, int> unitOf;  // (object, root) → unit
    std::vector<std::vector<int>> units;
    for (int i = 0; i < count; ++i) {
        const std::int32_t obj = v[i].obj;
        if (obj < 0 || obj >= objectCount || !onLine[at(i)]) continue;
        const std::uint64_t key =
            (std::uint64_t{static_cast<std::uint32_t>(obj)} << 32) | static_cast<std::uint32_t>(root(i));
        const auto [it, added] = unitOf.try_emplace(key, static_cast<int>(units.size()));
        if (added) units.emplace_back();
        units[at(it->second)].push_back(i);
    }
    std::sort(units.begin(), units.end(), [&v](const std::vector<int>& a, const std::vector<int>& b) {
        const int oa = v[a.front()].obj;
        const int ob = v[b.front()].obj;
        return oa != ob ? oa < ob : a.front() < b.front();
    });
    return units;
}

JoinResult JoinObjects(TLines& lines, int objectCount, bool crossingTest, PlanariseSink& sink,
                       const std::function<void(int percent)>& progress, std::stop_token stop) {
    const int objects = std::max(objectCount, 0);
    const std::vector<std::vector<int>> members = JoiningUnits(lines, objects);
    const int n = static_cast<int>(members.size());

    struct Key {
        double d2 = kFar;
        int lo = 0;
        int hi = 0;
        int a = -1;
        int b = -1;
    };
    const auto before = [](double d2, int lo, int hi, const Key& k) {
        if (d2 != k.d2) return d2 < k.d2;
        return lo != k.lo ? lo < k.lo : hi < k.hi;
    };
    std::vector<Key> key(static_cast<std::size_t>(n));
    std::vector<char> inTree(static_cast<std::size_t>(n), 0);

    JoinProgress done(members, progress, sink);

    // Unit x joins the tree: the entries between x and every unit still outside.
    const auto enter = [&](int x) {
        inTree[static_cast<std::size_t>(x)] = 1;
        const std::vector<int>& mx = members[static_cast<std::size_t>(x)];
        for (int y = 0; y < n; ++y) {
            if (inTree[static_cast<std::size_t>(y)]) continue;
            if (Stopped(stop)) return false;
            const PairEntry e = ObjectPairEntry(lines, mx, members[static_cast<std::size_t>(y)], crossingTest);
            if (e.d2 >= kFar) continue;
            const int lo = std::min(x, y);
            const int hi = std::max(x, y);
            Key& k = key[static_cast<std::size_t>(y)];
            if (before(e.d2, lo, hi, k)) k = {e.d2, lo, hi, e.a, e.b};
        }
        done.Joined(mx.size());
        return true;
    };

    std::vector<std::pair<int, int>> edges;
    // One step per object as described (a step that finds nothing only logs), more when
    // objects of several pieces make more units.
    const int steps = std::max(objects, n) - 1;
    done.Report();
    if (n > 0 && !enter(0)) return {0, 0, true};
    for (int step = 1; step <= steps; ++step) {
        if (Stopped(stop)) return {0, 0, true};
        int best = -1;
        for (int y = 0; y < n; ++y) {
            const Key& k = key[static_cast<std::size_t>(y)];
            if (inTree[static_cast<std::size_t>(y)] || k.d2 >= kFar) continue;
            if (best < 0 || before(k.d2, k.lo, k.hi, key[static_cast<std::size_t>(best)])) best = y;
        }
        if (best >= 0) {
            const Key k = key[static_cast<std::size_t>(best)];
            // The higher-numbered unit of the pair is the one in the tree when the
            // newcomer is the lower one.
            edges.push_back(best == k.lo ? std::pair{k.a, k.b} : std::pair{k.b, k.a});
            if (!enter(best)) return {0, 0, true};
        }
        done.StepDone(step);
    }
    done.Finish(objects);
    return AddConnectingLines(lines, edges, inTree);
}

JoinResult AddConnectingLines(TLines& lines, std::span<const std::pair<int, int>> edges,
                              std::span<const char> inTree) {
    JoinResult result;
    for (const auto& [p, k] : edges) {
        LineRecord connecting;
        connecting.p = p;
        connecting.k = k;
        connecting.obj = kConnectingObject;
        connecting.kind = 2;
        connecting.kind2 = 1;
        if (lines.AddLine(connecting) == 1) ++result.added;
    }
    result.unjoined = static_cast<int>(std::count(inTree.begin(), inTree.end(), 0));
    return result;
}

bool SplitConnectingLines(TLines& lines, int entryLine, std::stop_token stop) {
    for (int d = 0; d < lines.Count(); ++d) {
        if (lines[d].kind != 2) continue;
        for (int i = 0; i < lines.Count(); ++i) {
            if (Stopped(stop)) return false;
            SplitConnectingPair(lines, d, i, entryLine);
        }
    }
    return true;
}

void MoveEntryToEnds(TLines& lines, int entryLine, int entryVertex) {
    TVert& v = lines.Vertices();
    const int lastLine = lines.Count() - 1;
    if (entryLine >= 0 && entryLine < lastLine) {
        const LineRecord a = lines[entryLine];
        const LineRecord b = lines[lastLine];
        lines.SetRecord(entryLine, b);
        lines.SetRecord(lastLine, a);
    }
    const int lastVertex = v.Count() - 1;
    if (entryVertex >= 0 && entryVertex < lastVertex) {
        const VertexRecord a = v[entryVertex];
        const VertexRecord b = v[lastVertex];
        v.SetRecord(entryVertex, b);
        v.SetRecord(lastVertex, a);
        for (int i = 0; i < lines.Count(); ++i) {
            const LineRecord l = lines[i];
            const auto swapped = [&](int end) {
                return end == entryVertex ? lastVertex : end == lastVertex ? entryVertex : end;
            };
            const int p = swapped(l.p);
            const int k = swapped(l.k);
            if (p != l.p || k != l.k) lines.SetEnds(i, p, k);
        }
    }
}

// One worker run: the steps of the connect command for figure 1 and, for a drawing
// separated into two figures, again for figure 2.
class TConnectCommand::Run {
public:
    Run(TConnectCommand& owner, const RunArgs& args, std::stop_token stop)
        : o_(owner), c_(owner.c_), d_(owner.c_.drawing), a_(args), stop_(std::move(stop)), sink_(owner.c_) {}

    void Execute();
    ConnectReport& Report() { return report_; }

private:
    enum class Outcome { Next, Done, End, Stopped };

    // One figure: steps 1 to 13. Next: go on with figure 2; Done: report and end;
    // End: the run ended without its report (mutex not had, or no path graph).
    Outcome Figure();
    bool TakeMutex();
    void ReleaseAll();
    void Log(const std::string& line) { c_.log.Log(line); }
    std::uint64_t Lap() {
        const std::uint64_t now = TickCount64();
        const std::uint64_t ms = now - timingPoint_;
        timingPoint_ = now;
        return ms;
    }
    void State(int value) {
        report_.state = value;
        sink_.SendState(value);
    }
    void ClearPendingMultiplication() {
        if (c_.clearPendingMultiplication) c_.clearPendingMultiplication();
    }
    // Entry vertex and entry line of the current figure; false when either could not
    // be added.
    bool AddEntryLine(int& entryVertex, int& entryLine);
    int EntryNode(int entryVertex, Point2D entry);
    int VertexAt(double x, double y, int except) const;
    std::pair<double, double> OffsetUnits() const;
    void FinalReport();
    void ZoomBox();

    TConnectCommand& o_;
    const ConnectContext& c_;
    TDrawing& d_;
    RunArgs a_;
    std::stop_token stop_;
    ConnectSink sink_;
    ConnectReport report_;
    int holds_ = 0;
    bool pathFailed_ = false;
    std::uint64_t timingPoint_ = 0;
    std::optional<std::array<double, 4>> box_;
};

bool TConnectCommand::Run::TakeMutex() {
    if (c_.drawingMutex == nullptr) {
        Log("ConnectObjs: DrawMutex Error!");
        return true;
    }
    const bool owned = TakeWithin(*c_.drawingMutex, kMutexWaitMs);
    Log("ConnectObjs:DrawMutex=" + std::to_string(reinterpret_cast<std::uintptr_t>(c_.drawingMutex)));
    if (owned) {
        ++holds_;
        return true;
    }
    Log("ConnectObjs: Mutex timeout !!!");
    ClearPendingMultiplication();
    report_.mutexFailed = true;
    if (a_.interactive == 0 && c_.pendantLoadFailed) {
        if (const std::optional<std::string> error = c_.pendantLoadFailed()) sink_.SendText(kEventStatusText, *error);
    }
    return false;
}

void TConnectCommand::Run::ReleaseAll() {
    for (; holds_ > 0; --holds_) c_.drawingMutex->unlock();
}

std::pair<double, double> TConnectCommand::Run::OffsetUnits() const {
    const double unit = d_.Settings().scale * a_.scalePercent * 0.01;
    if (unit == 0.0 || !std::isfinite(unit)) return {0.0, 0.0};
    const auto convert = [unit](double mm) {
        const double u = std::trunc(mm / unit);
        return std::isfinite(u) ? u : 0.0;
    };
    return {convert(a_.offsetXmm), convert(a_.offsetYmm)};
}

int TConnectCommand::Run::VertexAt(double x, double y, int except) const {
    // The entry vertex (`except`) is the newest vertex, so a lookup finds it only when no
    // other vertex lies at the place.
    const int found = d_.V().FindVertex(x, y);
    return found == except ? -1 : found;
}

int TConnectCommand::Run::EntryNode(int entryVertex, Point2D entry) {
    const TVert& v = d_.V();
    const bool segments = d_.Set(TDrawing::kSegments).L.Count() > 0;
    if (!segments) {
        const std::vector<char> onLine = VerticesOnLines(d_.L());
        int nearest = -1;
        double best = 0.0;
        for (int i = 0; i < v.Count(); ++i) {
            if (i == entryVertex || !onLine[static_cast<std::size_t>(i)]) continue;
            const double d2 = SquaredDistance(entry, v[i]);
            if (nearest < 0 || d2 < best) {
                nearest = i;
                best = d2;
            }
        }
        return nearest;
    }
    const TDrawingSet& seg = d_.Set(TDrawing::kSegments);
    int node = -1;
    if (d_.Figure() == TDrawing::kFigure1) {
        double best = 0.0;
        for (int i = 0; i < seg.V.Count(); ++i) {
            if (seg.V[i].obj != 1) continue;
            const double d2 = SquaredDistance(entry, seg.V[i]);
            if (node < 0 || d2 < best) {
                node = i;
                best = d2;
            }
        }
        o_.segmentStartNode_.store(node);
    } else {
        const int start = o_.segmentStartNode_.load();
        for (int i = 0; i < seg.L.Count() && node < 0; ++i) {
            if (seg.L[i].p == start)
                node = seg.L[i].k;
            else if (seg.L[i].k == start)
                node = seg.L[i].p;
        }
    }
    if (node < 0 || node >= seg.V.Count()) return -1;
    return VertexAt(seg.V[node].x, seg.V[node].y, entryVertex);
}

bool TConnectCommand::Run::AddEntryLine(int& entryVertex, int& entryLine) {
    TVert& v = d_.V();
    entryVertex = -1;
    entryLine = -1;
    const bool segments = d_.Set(TDrawing::kSegments).L.Count() > 0;
    const int figure = d_.Figure();

    Point2D entry;
    if (segments && figure == TDrawing::kFigure2) {
        const TVert& v1 = d_.Set(TDrawing::kFigure1).V;
        if (v1.Count() == 0) return false;
        entry = v1[v1.Count() - 1];
    } else {
        double minX = v.MinX(true);
        double minY = v.MinY(true);
        const TVert& v2 = d_.Set(TDrawing::kFigure2).V;
        if (segments && figure == TDrawing::kFigure1 && v2.Count() > 0) {
            minX = std::min(minX, v2.MinX(true));
            minY = std::min(minY, v2.MinY(true));
        }
        minX = std::trunc(minX);
        minY = std::trunc(minY);
        const double scale = d_.Settings().scale;
        const auto units = [scale](double mm) {
            const double u = mm / scale;
            return std::isfinite(u) ? u : 0.0;
        };
        const double ex = units(d_.Settings().entryX);
        const double ey = units(d_.Settings().entryY);
        entry = a_.multiplicationRunState != 0 ? Point2D{ex, ey} : Point2D{minX + ex, minY + ey};
    }

    // The entry vertex is always a vertex of its own, even where the entry point falls on
    // a vertex of the drawing (with the default offsets, the corner of every rectangle):
    // reusing that vertex would make the entry line a contour line, which is then not
    // added, and the path would start wherever the last vertex happens to be.
    if (v.Count() > TVert::kAddLimit) return false;
    const bool dedup = v.Deduplication();
    v.SetDeduplication(false);
    entryVertex = v.AddVertex(entry.x, entry.y, 2, kEntryObject, 1);
    v.SetDeduplication(dedup);

    const int node = EntryNode(entryVertex, v[entryVertex]);
    if (node < 0) return false;
    LineRecord line;
    line.p = entryVertex;
    line.k = node;
    line.obj = kEntryObject;
    line.kind = 2;
    const LineRef added = d_.L().AddLineGetIndex(line);
    if (added.direction == 0) return false;
    entryLine = added.index;
    return true;
}

void TConnectCommand::Run::ZoomBox() {
    const TVert& v1 = d_.Set(TDrawing::kFigure1).V;
    double minX = v1.MinX(true);
    double minY = v1.MinY(true);
    double maxX = v1.MaxX(true);
    double maxY = v1.MaxY(true);
    const TVert& v2 = d_.Set(TDrawing::kFigure2).V;
    if (v2.Count() > 0) {
        const auto [ox, oy] = OffsetUnits();
        minX = std::trunc(std::min(minX, v2.MinX(true) + ox));
        minY = std::trunc(std::min(minY, v2.MinY(true) + oy));
        maxX = std::trunc(std::max(maxX, v2.MaxX(true) + ox));
        maxY = std::trunc(std::max(maxY, v2.MaxY(true) + oy));
    }
    box_ = std::array<double, 4>{minX, minY, maxX, maxY};
}

void TConnectCommand::Run::FinalReport() {
    const double total = static_cast<double>(TickCount64() - a_.operationStart) * 0.001;
    report_.seconds = total;
    int state = kConnectSucceeded;
    if (pathFailed_) {
        sink_.SendText(kEventStatusText, c_.messages.MessageText(16));
        state = kConnectPathFailed;
    } else {
        sink_.SendText(kEventStatusText, sink_.MessageWithReal(196, total));
        Log("-----------------------");
        Log("Calkowity czas: " + NumberToText(total) + "s");
    }
    State(state);
    const TDrawingSet& f1 = d_.Set(TDrawing::kFigure1);
    const TDrawingSet& f2 = d_.Set(TDrawing::kFigure2);
    sink_.SendText(kEventObjectCounts,
                   c_.messages.MessageText(9) + std::to_string(f1.oelems + 1) + "+" + std::to_string(f2.oelems + 1));
    sink_.SendText(kEventLineCounts,
                   c_.messages.MessageText(10) + std::to_string(f1.L.Count()) + "+" + std::to_string(f2.L.Count()));
}

TConnectCommand::Run::Outcome TConnectCommand::Run::Figure() {
    if (!TakeMutex()) return Outcome::End;
    Log("-->>>> ConnectObj start (mutex owned & locked)");
    ConnectReport::Figure fig;
    fig.figure = d_.Figure();

    if (a_.planarisationPending) {
        const double conModif = c_.parameters.GetNumber(settings::kConModif);
        const bool split = c_.planner == Planner::Fast
                               ? SplitJunctionsFast(d_.L(), d_.Oelems(), conModif, sink_, stop_)
                               : SplitJunctions(d_.L(), d_.Oelems(), conModif, sink_, stop_);
        if (!split) return Outcome::Stopped;
        State(kConnectSplitDone);
    }
    Log("ConnectObj:after planaryzacja()");
    Log("Planaryzacja    = " + Seconds(Lap()) + "s");
    Log("------------------------------");
    sink_.Status(0, c_.messages.MessageText(15));

    Log("\r\n++++++++ Laczenie obiektow");
    {
        PathSearchEnv env{&sink_, c_.prompt, c_.iniFile, stop_, c_.planner};
        PATH_FINDING_METHODS check(env);
        // Only the answer is wanted here: the fast planner gets it without building the
        // graph's nodes.
        const int checked = c_.planner == Planner::Fast ? check.CheckGraph(d_.L(), d_.V())
                                                         : check.BuildGraph(d_.L(), d_.V());
        if (checked != 0) {
            ClearPendingMultiplication();
            State(kConnectNoGraph);
            fig.graphFailed = true;
            report_.figures.push_back(fig);
            return Outcome::End;
        }
    }
    const bool crossingTest = c_.parameters.GetFlag(settings::kCrossingTest);
    const std::uint64_t joinStart = TickCount64();
    const auto progress = [this](int percent) {
        const int value[] = {percent};
        sink_.Status(0, sink_.MessageText(194, value));
    };
    const JoinResult joined =
        c_.planner == Planner::Fast
            ? JoinObjectsFast(d_.L(), d_.Oelems() + 1, crossingTest, sink_, progress, stop_)
            : JoinObjects(d_.L(), d_.Oelems() + 1, crossingTest, sink_, progress, stop_);
    if (joined.stopped) return Outcome::Stopped;
    report_.joiningSeconds = static_cast<double>(TickCount64() - joinStart) * 0.001;
    fig.joined = joined.added;
    fig.unjoinedObjects = joined.unjoined;
    Log("-------- Laczenie obiektow");

    int entryVertex = -1;
    int entryLine = -1;
    const bool entryOk = AddEntryLine(entryVertex, entryLine);
    sink_.Status(0, c_.messages.MessageText(17));

    if (entryOk) {
        if (o_.crossingSplit_.load()) {
            const std::uint64_t splitStart = TickCount64();
            const bool split = c_.planner == Planner::Fast ? SplitConnectingLinesFast(d_.L(), entryLine, stop_)
                                                           : SplitConnectingLines(d_.L(), entryLine, stop_);
            if (!split) return Outcome::Stopped;
            report_.crossingSplitSeconds = static_cast<double>(TickCount64() - splitStart) * 0.001;
        }
        o_.crossingSplit_.store(true);
        MoveEntryToEnds(d_.L(), entryLine, entryVertex);
    } else {
        o_.crossingSplit_.store(true);
        Log("ConnectObj: no entry line could be added");
    }
    Log("Łączenie      = " + Seconds(Lap()) + "s");
    sink_.Status(0, c_.messages.MessageText(18));

    TDrawingSet& set = d_.Set(d_.Figure());
    if (entryOk) {
        PathSearchOutcome searched;
        const PathSearchEnv env{&sink_, c_.prompt, c_.iniFile, stop_, c_.planner};
        const int failed = RunPathSearch(d_.L(), set.cutPath, env, &searched);
        if (searched.stopped) return Outcome::Stopped;
        fig.searched = failed == 0;
        fig.graphFailed = failed != 0;
        fig.integrity = searched.integrity;
        if (failed != 0) pathFailed_ = true;
    } else {
        // Without an entry line there is no path to cut: an empty cut path, not one that
        // would run some other line in and out.
        set.cutPath = std::make_unique<TLineList>(0);
        fig.entryFailed = true;
        pathFailed_ = true;
    }
    Log("Ścieżka = " + Seconds(Lap()) + "s");

    set.oelems = d_.Oelems();
    if (d_.Figure() == TDrawing::kFigure2 && entryOk) {
        const auto [ox, oy] = OffsetUnits();
        const int last = d_.V().Count() - 1;
        d_.V().SetPosition(last, d_.V()[last].x - ox, d_.V()[last].y - oy);
    }
    report_.figures.push_back(fig);

    if (d_.TwoFigures()) {
        Log("Przetwarzanie drugiej figury na potrzeby posegmentowanych obiektow");
        d_.SetTwoFigures(false);
        d_.SelectFigure(TDrawing::kFigure2);
        return Outcome::Next;
    }
    return Outcome::Done;
}

void TConnectCommand::Run::Execute() {
    timingPoint_ = a_.timingPoint;
    Outcome outcome = Outcome::Next;
    while (outcome == Outcome::Next) outcome = Figure();

    if (outcome == Outcome::Stopped) {
        ReleaseAll();
        report_.stopped = true;
        Log("ConnectObjs: stopped");
        return;
    }
    if (report_.mutexFailed) {
        ReleaseAll();
        return;
    }
    if (outcome == Outcome::Done) FinalReport();
    ZoomBox();
    ReleaseAll();
    if (c_.zoom && box_) c_.zoom((*box_)[0], (*box_)[1], (*box_)[2], (*box_)[3]);
    Log("<<<<-- ConnectObj end (mutex released)");
    if (c_.afterRun) c_.afterRun();
}

TConnectCommand::TConnectCommand(ConnectContext context) : c_(std::move(context)) {}

TConnectCommand::~TConnectCommand() {
    RequestStop();
    Wait();
}

int TConnectCommand::StartConnect(int interactive, std::optional<std::uint64_t> operationStartTick) {
    c_.log.Log(">>SB3 start before thread creation");
    if (Running()) {
        c_.log.Log(">>SB3: a joining run is still working");
        return -2;
    }
    JoinFinished();
    if (c_.disableCommands) c_.disableCommands();

    RunArgs args;
    args.interactive = interactive;
    args.planarisationPending = c_.window.planarisationPending;
    args.scalePercent = c_.window.scalePercent;
    args.multiplicationRunState = c_.multiplicationRunState ? c_.multiplicationRunState() : 0;
    if (c_.figureOffsetMm) std::tie(args.offsetXmm, args.offsetYmm) = c_.figureOffsetMm();
    args.timingPoint = TickCount64();
    args.operationStart = operationStartTick.value_or(args.timingPoint);
    {
        std::lock_guard lock(mutex_);
        resume_ = false;
        report_ = ConnectReport{};
    }
    finished_.store(false);
    try {
        worker_ = std::jthread([this, args](std::stop_token stop) { Worker(std::move(stop), args); });
    } catch (const std::system_error&) {
        finished_.store(true);
        if (c_.clearPendingMultiplication) c_.clearPendingMultiplication();
        if (interactive != 0 && c_.prompt != nullptr) {
            PromptRequest request;
            request.text = c_.messages.MessageText(20);
            request.caption = c_.messages.MessageText(21);
            request.messageKey = 20;
            c_.prompt->Ask(request);
        }
        if (c_.enableJoin) c_.enableJoin();
        return -2;
    }
    c_.log.Log(">>SB3:Finished");
    return 16;
}

void TConnectCommand::Resume() {
    {
        std::lock_guard lock(mutex_);
        resume_ = true;
    }
    resumed_.notify_all();
}

void TConnectCommand::RequestStop() {
    if (worker_.joinable()) worker_.request_stop();
}

bool TConnectCommand::Running() const {
    return !finished_.load();
}

void TConnectCommand::Wait() {
    while (Running()) {
        if (c_.mainWindow != nullptr && !c_.mainWindow->Closed()) {
            c_.mainWindow->WaitAndProcess(5);
        } else {
            SleepMs(1);
        }
    }
    JoinFinished();
}

void TConnectCommand::JoinFinished() {
    if (worker_.joinable() && !Running()) worker_.join();
}

ConnectReport TConnectCommand::Report() const {
    std::lock_guard lock(mutex_);
    return report_;
}

void TConnectCommand::Worker(std::stop_token stop, RunArgs args) {
    {
        std::unique_lock lock(mutex_);
        resumed_.wait(lock, stop, [this] { return resume_; });
    }
    Run run(*this, args, stop);
    if (!stop.stop_requested()) {
        run.Execute();
    } else {
        run.Report().stopped = true;
    }
    const bool post = !run.Report().stopped && !run.Report().mutexFailed;
    {
        std::lock_guard lock(mutex_);
        report_ = run.Report();
        report_.finished = true;
    }
    // Finished before the window hears of it: a window that starts the next run on this
    // event (the multiplication) must not find this one still running, and a window
    // waiting for the end sees it as soon as it handles the event.
    finished_.store(true);
    if (post && c_.mainWindow != nullptr) c_.mainWindow->Post(kEventConnectState, kConnectFinished);
}

}  // namespace wirvela
