#include "mesh3d/ProfileBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <numbers>

#include "planning/FastPlanarise.h"
#include "planning/Planarise.h"
#include "planning/Predicates.h"
#include "platform/AtomicFile.h"
#include "platform/Clock.h"

namespace wirvela {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kFigure = TDrawing::kFigure1;

// Spare words of a face edge during the projection: A, B, C of its line equation as
// three doubles, then the triangles whose third vertex lies on its positive and on its
// negative side.
constexpr int kPositiveSide = 6;
constexpr int kNegativeSide = 7;

template <class... Args>
std::string Fmt(const char* format, Args... args) {
    const int n = std::snprintf(nullptr, 0, format, args...);
    if (n <= 0) return {};
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, args...);
    text.resize(static_cast<std::size_t>(n));
    return text;
}

// A file coordinate: truncated toward zero. The model's coordinates are bounded, but a
// caller's clearance or plinth is not, and an int conversion out of range is undefined.
int Trunc(double c) { return std::isnan(c) ? 0 : static_cast<int>(std::clamp(c, -2.0e9, 2.0e9)); }

double Seconds(std::uint64_t since) { return static_cast<double>(TickCount64() - since) * 0.001; }

// The grid truncates toward zero, so rounding noise of the rotation (-599.9999999 for
// -600) would put one model point on two grid places and leave slivers of outline that
// the walk cannot get past. A millionth of a unit is far below any grid.
double Denoise(double c) { return std::round(c * 1e6) / 1e6; }

void StoreCoefficient(LineFields f, int n, double value) {
    std::memcpy(&f.spare[static_cast<std::size_t>(2 * n)], &value, sizeof value);
}

double Coefficient(const LineRecord& l, int n) {
    double value;
    std::memcpy(&value, &l.spare[static_cast<std::size_t>(2 * n)], sizeof value);
    return value;
}

// Everything the series writes, held back until the whole series has succeeded.
struct PendingFile {
    std::filesystem::path path;
    std::string text;
    int failure;  // message shown when the file cannot be written
};

class Generator {
public:
    Generator(const TMesh3D& mesh, TDrawing& drawing, const ProfileOptions& o, ProfileSink& sink, double h)
        : mesh_(mesh), d_(drawing), o_(o), sink_(sink), h_(h) {}

    ProfilesResult Run(const std::filesystem::path& project);

private:
    void Log(const std::string& line) { sink_.Log(line); }
    bool Logging() const { return sink_.Logging(); }
    int Stop(int message, std::span<const int> args = {}) {
        sink_.Box(message, sink_.MessageText(message, args));
        return message;
    }

    int CheckMesh();
    int Profile(int j, double angle, ProfileOutcome& outcome);
    int Project(double angleDeg);
    void AddFaceEdge(int a, int b, int c, double s);
    void KeepSilhouette();
    int AddPlinth(double& stopY);
    void AddRectangle(const double (&x)[4], const double (&y)[4]);
    void LogLines(const char* title, bool withSides);
    std::string DumpText() const;
    std::string ProfileText();
    bool TablesFull(int vertices, int lines) const {
        return d_.V().Count() + vertices > TVert::kAddLimit || d_.L().Count() + lines > TLines::kAddLimit;
    }

    const TMesh3D& mesh_;
    TDrawing& d_;
    const ProfileOptions& o_;
    ProfileSink& sink_;
    double h_;
    double R_ = 0.0;
    std::string base_;
    std::filesystem::path folder_;
    std::vector<PendingFile> files_;
};

int Generator::CheckMesh() {
    for (int i = 0; i < mesh_.Count(); ++i) {
        for (const TVector3& v : mesh_[i].v) {
            for (double c : {v.x, v.y, v.z}) {
                if (!std::isfinite(c) || std::fabs(c) > kMaxModelCoordinate) {
                    const int args[] = {i + 1, static_cast<int>(kMaxModelCoordinate)};
                    return Stop(638, args);
                }
            }
        }
    }
    return 0;
}

void Generator::AddFaceEdge(int a, int b, int c, double s) {
    if (a == b || TablesFull(0, 1)) return;
    TLines& L = d_.L();
    const TVert& V = d_.V();
    LineRef line = L.FindLine(a, b);
    if (line.index < 0) {
        line = L.AddLineGetIndex(a, b, 1, 1);
        if (line.index < 0) return;
        LineFields f = L.Edit(line.index);
        f.multiplicity = s > 0 ? 1 : -1;
        const double A = V[b].y - V[a].y;
        const double B = V[a].x - V[b].x;
        const double C = V[a].y * V[b].x - V[b].y * V[a].x;
        StoreCoefficient(f, 0, A);
        StoreCoefficient(f, 1, B);
        StoreCoefficient(f, 2, C);
        f.spare[kPositiveSide] = 0;
        f.spare[kNegativeSide] = 0;
    } else {
        L.Edit(line.index).multiplicity += s > 0 ? 1 : -1;
    }
    const LineRecord& l = L[line.index];
    const double u = Coefficient(l, 0) * V[c].x + Coefficient(l, 1) * V[c].y + Coefficient(l, 2);
    LineFields f = L.Edit(line.index);
    if (u > 0) ++f.spare[kPositiveSide];
    if (u < 0) ++f.spare[kNegativeSide];
}

// 0, or 639 when the projection does not fit into the tables.
int Generator::Project(double angleDeg) {
    const double theta = angleDeg * kPi / 180.0;
    const double cs = std::cos(theta);
    const double sn = std::sin(theta);
    // A unit vector, not a drawing coordinate: it is never put on the drawing's grid.
    const TVector3 view(-sn, cs, 0.0);
    TVert& V = d_.V();
    int front = 0;
    const std::uint64_t start = TickCount64();
    for (int i = 0; i < mesh_.Count(); ++i) {
        if (i % 100 == 0) {
            const int args[] = {i, mesh_.Count()};
            sink_.Progress(0, sink_.MessageText(360, args));
        }
        const TMesh3D::Triangle& t = mesh_[i];
        const double s = Dot(Cross(t.v[1] - t.v[0], t.v[2] - t.v[0]), view);
        if (s == 0 || std::isnan(s)) continue;
        ++front;
        if (TablesFull(3, 3)) return Stop(639);
        int p[3];
        for (int k = 0; k < 3; ++k)
            p[k] = V.AddVertex(Denoise((t.v[k].x * cs + t.v[k].y * sn) * h_), Denoise(t.v[k].z * h_));
        double side[3];
        for (int k = 0; k < 3; ++k) {
            const VertexRecord& a = V[p[k]];
            const VertexRecord& b = V[p[(k + 1) % 3]];
            side[k] = std::hypot(b.x - a.x, b.y - a.y);
        }
        if (side[0] > 0 && side[1] > 0 && side[2] > 0 && side[0] < side[1] + side[2] &&
            side[1] < side[0] + side[2] && side[2] < side[0] + side[1]) {
            AddFaceEdge(p[0], p[1], p[2], s);
            AddFaceEdge(p[1], p[2], p[0], s);
            AddFaceEdge(p[2], p[0], p[1], s);
        }
    }
    // Room for the plinth and the base block too.
    if (TablesFull(8, 8)) return Stop(639);
    Log(Fmt("Front faces = %d", front));
    Log(Fmt(" Lines = %d  Verts = %d", d_.L().Count(), V.Count()));
    Log(Fmt(" Time of Projection: %lf", Seconds(start)));
    return 0;
}

// Lines with triangles on both sides lie inside the projected surface.
void Generator::KeepSilhouette() {
    TLines& L = d_.L();
    for (int i = 0; i < L.Count();) {
        if (L[i].spare[kPositiveSide] > 0 && L[i].spare[kNegativeSide] > 0)
            L.RemoveBySwap(i);
        else
            ++i;
    }
}

// Lowest y at which an outline line meets the vertical at x; infinity when none does.
double LowestCrossing(const TLines& L, const TVert& V, double x) {
    double y = std::numeric_limits<double>::infinity();
    for (const LineRecord& l : L.Records()) {
        const VertexRecord& a = V[l.p];
        const VertexRecord& b = V[l.k];
        if (a.x == x || b.x == x) {
            if (a.x == x) y = std::min(y, a.y);
            if (b.x == x) y = std::min(y, b.y);
        } else if ((a.x < x && b.x > x) || (a.x > x && b.x < x)) {
            y = std::min(y, LineIntersection(a, b, Point2d{x, 0.0}, Point2d{x, 1.0}).y);
        }
    }
    return y;
}

void Generator::AddRectangle(const double (&x)[4], const double (&y)[4]) {
    int v[4];
    for (int k = 0; k < 4; ++k) v[k] = d_.V().AddVertex(x[k], y[k]);
    for (int k = 0; k < 4; ++k) d_.L().AddLine(v[k], v[(k + 1) % 4], 4, 1);
}

int Generator::AddPlinth(double& stopY) {
    const double H = o_.plinthHeight;
    const double w = o_.plinthWidth * h_ / 2.0;
    const double yL = LowestCrossing(d_.L(), d_.V(), -w);
    const double yR = LowestCrossing(d_.L(), d_.V(), w);
    if (!std::isfinite(yL) || !std::isfinite(yR)) {
        const int args[] = {0};
        return Stop(362, args);
    }
    const double off = o_.baseOffset * h_;
    AddRectangle({-w, -w, w, w}, {-H * h_, off + yL, off + yR, -H * h_});
    stopY = -(o_.baseDepth + H + 2.0 * o_.baseOffset) * h_;
    return 0;
}

void Generator::LogLines(const char* title, bool withSides) {
    if (!Logging()) return;
    Log(title);
    const TLines& L = d_.L();
    const TVert& V = d_.V();
    for (int i = 0; i < L.Count(); ++i) {
        const LineRecord& l = L[i];
        const VertexRecord& a = V[l.p];
        const VertexRecord& b = V[l.k];
        if (withSides)
            Log(Fmt("[%d] %d-%d e=%d\tL=%d\tR=%d\t(%.3lf %.3lf)-(%.3lf %.3lf) \tA=%lf\tB=%lf\tC=%lf", i, l.p, l.k,
                    l.multiplicity, l.spare[kPositiveSide], l.spare[kNegativeSide], a.x, a.y, b.x, b.y,
                    Coefficient(l, 0), Coefficient(l, 1), Coefficient(l, 2)));
        else
            Log(Fmt("[%d] %d-%d e=%d (%.3lf %.3lf)-(%.3lf %.3lf)", i, l.p, l.k, l.multiplicity, a.x, a.y, b.x, b.y));
    }
}

const char kPlotHeader[] =
    "IN;\nVS32,1;\nVS32,2;\nVS32,3;\nVS32,4;\nVS32,5;\nVS32,6;\nVS32,7;\nVS32,8;\nWU0;\n"
    "PW0.350,1;\nPW0.350,2;\nPW0.350,3;\nPW0.350,4;\nPW0.350,5;\nPW0.350,6;\nPW0.350,7;\nPW0.350,8;\n"
    "SP1;\n";

std::string Move(const char* command, const VertexRecord& v) {
    return Fmt("%s%d %d;\n", command, Trunc(v.x), Trunc(v.y));
}

std::string Generator::DumpText() const {
    std::string text = kPlotHeader;
    const TVert& V = d_.V();
    for (const LineRecord& l : d_.L().Records()) {
        text += Move("PU", V[l.p]);
        text += Move("PD", V[l.k]);
    }
    return text + "SP0;\n";
}

std::string Generator::ProfileText() {
    const TLineList* path = d_.CutPath();
    if (path == nullptr || path->Length() == 0) {
        Stop(356);
        return {};
    }
    TLines& L = d_.L();
    const TVert& V = d_.V();
    std::string text = kPlotHeader;
    int previousEnd = -1;
    for (int i = 0; i < path->Length(); ++i) {
        const LineLookup run = path->GetPathLine(i, L);
        if (!run.found) continue;
        if (i == 0) text += Move("PU", V[run.line.p]);
        else if (run.line.p != previousEnd) Stop(358);
        text += Move("PD", V[run.line.k]);
        L.Edit((*path)[i].line).pen = 2;
        previousEnd = run.line.k;
    }
    return text + "SP0;\n";
}

int Generator::Profile(int j, double angle, ProfileOutcome& outcome) {
    TDrawingSet& set = d_.Set(kFigure);
    set.ClearTables();
    d_.SelectFigure(kFigure);
    Log(Fmt("3D Faces = %d ", mesh_.Count()));
    if (const int refused = Project(angle)) return refused;
    if (o_.dumps) files_.push_back({folder_ / Fmt("rzut_%s_%d.plt", base_.c_str(), j), DumpText(), 355});
    LogLines("Linie po rzutowaniu", true);

    KeepSilhouette();
    double stopY = -o_.baseDepth * h_;
    double H = 0.0;
    if (o_.plinth) {
        if (const int refused = AddPlinth(stopY)) return refused;
        H = o_.plinthHeight;
    }
    AddRectangle({-R_ * h_, R_ * h_, R_ * h_, -R_ * h_},
                 {(o_.baseOffset - H) * h_, (o_.baseOffset - H) * h_, (o_.baseOffset - o_.baseDepth - H) * h_,
                  (o_.baseOffset - o_.baseDepth - H) * h_});
    if (o_.dumps)
        files_.push_back({folder_ / Fmt("rzut_%s_sylwetki_%d.plt", base_.c_str(), j), DumpText(), 355});
    LogLines("Linie po eliminacji (tylko sylwetka zostaje)", false);

    TLines& L = d_.L();
    TVert& V = d_.V();
    CountZeroLines(L, ">>> Przed Planaryzacja: Lb linii o zerowej dlugosci: %d", sink_);
    const double grid = V.SnapGrid();
    V.SetSnapGrid(0.0);
    PlanariseOptions po;
    po.crossAll = true;
    po.tol = o_.snapTolerance * h_;
    po.snapToLine2nd = o_.snapToLine2nd;
    po.aperture = d_.Settings().aperture;
    const std::uint64_t start = TickCount64();
    Planarise(L, d_.Oelems(), po, sink_);
    // The crossing splits and the second snapping come after the overlap reduction and
    // may leave two collinear lines over one stretch; the walk keeps only the nearer of
    // two neighbours in one direction and would strand itself on the shorter one.
    SnapPktsToLinesFast(L, sink_);
    RemoveDuplicatesFast(L, sink_);
    V.SetSnapGrid(grid);
    Log(Fmt(" Time of Planarisation: %lf", Seconds(start)));
    CountZeroLines(L, ">>> Po Planaryzacja: Lb linii o zerowej dlugosci: %d", sink_);
    LogLines("Linie po planaryzacji", false);
    if (TablesFull(2, 2)) return Stop(639);

    const VertexRecord S{-R_ * h_, stopY};
    const VertexRecord T{R_ * h_, stopY};
    int entry = -1;
    int exit = -1;
    double entryDistance = 0.0;
    double exitDistance = 0.0;
    for (int v = 0; v < V.Count(); ++v) {
        if (!(V[v].y <= 0)) continue;
        const double ds = SquaredDistance(V[v], S);
        const double dt = SquaredDistance(V[v], T);
        if (entry < 0 || ds < entryDistance) entry = v, entryDistance = ds;
        if (exit < 0 || dt < exitDistance) exit = v, exitDistance = dt;
    }
    if (entry < 0 || exit < 0) return Stop(352);

    const int s = V.AddVertex(S.x, S.y);
    const int t = V.AddVertex(T.x, T.y);
    const LineRef in = L.AddLineGetIndex(s, entry, 2, 1);
    Log(Fmt("[%d] Entry Line: (%d %d)-(%d %d)", in.index, Trunc(V[s].x), Trunc(V[s].y),
            Trunc(V[entry].x), Trunc(V[entry].y)));
    const LineRef out = L.AddLineGetIndex(exit, t, 2, 1);
    Log(Fmt("[%d] Exit Line: (%d %d)-(%d %d)", out.index, Trunc(V[exit].x), Trunc(V[exit].y),
            Trunc(V[t].x), Trunc(V[t].y)));

    const std::uint64_t walkStart = TickCount64();
    outcome.boundary = BoundaryPath(d_, s, t, exit, sink_);
    Log(Fmt(" Time of BoundaryPath: %lf", Seconds(walkStart)));
    const int progress[] = {j, o_.count};
    const std::string done = sink_.MessageText(353, progress);
    Log(done);
    sink_.Status(0, done);
    outcome.lines = L.Count();
    outcome.vertices = V.Count();
    if (outcome.boundary != 0) return 359;

    outcome.file = folder_ / Fmt("%s_%d.plt", base_.c_str(), j);
    std::string text = ProfileText();
    if (text.empty()) return 356;
    files_.push_back({outcome.file, std::move(text), 357});
    return 0;
}

ProfilesResult Generator::Run(const std::filesystem::path& project) {
    ProfilesResult result;
    result.project = project;
    if (o_.count < 1 || o_.count > 360) {
        const int args[] = {o_.count};
        result.message = Stop(635, args);
        return result;
    }
    if (const int refused = CheckMesh()) {
        result.message = refused;
        return result;
    }
    const double dx = mesh_.max.x - mesh_.min.x;
    const double dy = mesh_.max.y - mesh_.min.y;
    R_ = std::sqrt(dx * dx + dy * dy) / 2.0 + o_.clearance;
    folder_ = project.parent_path();
    base_ = project.stem().string();
    if (!folder_.empty() && !std::filesystem::is_directory(folder_)) {
        result.message = Stop(350);
        return result;
    }
    const double step = 180.0 / o_.count;

    const double startY = -o_.baseDepth * h_;
    Log(Fmt("startP= (%d %d)", Trunc(-R_ * h_), Trunc(startY)));
    Log(Fmt("stopP = (%d %d)", Trunc(R_ * h_), Trunc(startY)));
    const int first[] = {1, o_.count};
    const std::string starting = sink_.MessageText(351, first);
    Log(starting);
    sink_.Status(0, starting);

    for (int j = 1; j <= o_.count && result.message == 0; ++j) {
        ProfileOutcome& outcome = result.profiles.emplace_back();
        outcome.index = j;
        outcome.angle = (j - 1) * step;
        result.message = Profile(j, outcome.angle, outcome);
    }
    if (result.message == 0) {
        // The project last: a project never names a profile that is not there.
        files_.push_back({project, ProfileListText(base_, o_.count), 350});
        for (const PendingFile& f : files_) {
            std::string error;
            if (!WriteFileAtomically(f.path, f.text, &error)) {
                Log(error);
                result.message = Stop(f.failure);
                if (f.failure != 355) break;  // a projection dump is only for the log
                result.message = 0;
                continue;
            }
            for (ProfileOutcome& p : result.profiles)
                if (p.file == f.path) p.written = true;
            if (f.path == project) result.projectWritten = true;
        }
    }
    sink_.Status(0, sink_.MessageText(354));
    return result;
}

}  // namespace

std::string ProfileListText(std::string_view baseName, int count) {
    std::string text;
    const double step = count > 0 ? 180.0 / count : 0.0;
    for (int i = 1; i <= count; ++i) text += Fmt("%s_%d.plt\t%.2lf\r\n", std::string(baseName).c_str(), i, step);
    return text;
}

int BoundaryPath(TDrawing& drawing, int start, int stop, int exitNode, ProfileSink& sink) {
    drawing.SelectFigure(kFigure);
    TLines& L = drawing.L();
    const TVert& V = drawing.V();
    const bool logging = sink.Logging();
    TGraph1 graph(logging ? TGraph1::LogFn([&sink](std::string_view line) { sink.Log(line); }) : TGraph1::LogFn{});
    graph.Build(L, V);
    TDrawingSet& set = drawing.Set(kFigure);
    set.cutPath = std::make_unique<TLineList>(V.Count() + 10);
    TLineList& path = *set.cutPath;

    bool complete = true;
    auto append = [&](int from, int to) {
        const LineRef line = L.FindLine(from, to);
        if (line.index < 0 || path.Append(line.index, line.direction, 2) != 0) complete = false;
    };

    int c = graph.FirstNeighbour(start);
    if (c < 0) return 0;
    const int entry = c;
    graph.RemoveNeighbour(entry, start);
    graph.DumpAll();
    if (logging) sink.Log(Fmt("::: Odwiedzony wierzcholek %d <start", start));
    append(start, entry);
    double back = kPi;
    // Every step removes an entry or empties a list, so the walk ends; the bound only
    // guards against a graph that breaks that.
    const int maxSteps = 2 * L.Count() + 10;
    for (int steps = 1; steps <= maxSteps; ++steps) {
        if (steps % 100 == 0) {
            const int args[] = {steps};
            sink.Progress(0, sink.MessageText(362, args));
        }
        if (logging) {
            std::string line = Fmt("::: Odwiedzony wierzcholek %d ", c);
            if (c == entry) line += "<entry";
            if (c == exitNode) line += "<exit";
            if (c == stop) line += "<stop";
            sink.Log(line);
            sink.Log(Fmt("Azymut linii wstecz %.10lf", back * 180.0 / kPi));
            graph.DumpVertex(c);
        }
        const TNeighbourVertex* chosen = graph.NextByAzimuth(c, back);
        if (chosen == nullptr) break;
        const int next = chosen->vertex;
        if (logging) sink.Log(Fmt("Nastepny wierzcholek: %d", next));
        back = chosen->azimuth + kPi;
        if (back > 2.0 * kPi) back -= 2.0 * kPi;
        graph.RemoveNeighbour(next, c);
        // Every vertex but the exit node is left once for good; the exit node may be
        // passed again on the way back from a dead end.
        if (c != exitNode && next != c) graph.ClearVertex(c);
        append(c, next);
        c = next;
    }
    if (c != stop || !complete) {
        sink.Box(359, sink.MessageText(359));
        sink.Log("Blad brak sasiedztwa. Zakonczono");
        return -1;
    }
    return 0;
}

ProfilesResult BuildProfiles(const TMesh3D& mesh, TDrawing& drawing, const ProfileOptions& options,
                             const std::filesystem::path& project, ProfileSink& sink) {
    Generator generator(mesh, drawing, options, sink, 1.0 / drawing.Settings().scale);
    return generator.Run(project);
}

}  // namespace wirvela
