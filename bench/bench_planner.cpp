// Load + connect of large generated drawings with the reference and the fast planner.
//
// For every drawing kind (nested parts, lettering, fine arcs) and size, the drawing is
// written as an HP-GL file and loaded and joined as the Open command does (loader,
// junction splitting, joining, entry line, splitting of connecting lines, path search),
// once per planner, each run in a child process of its own so that its peak memory
// (VmHWM) is its alone. The two results (all three drawing sets and the cut paths) are
// compared through a digest. Each child first makes its working memory ready as the
// program does at its start (WorkingMemory). Prints one table row per drawing:
//   kind, lines, vertices, objects, reference ms, fast ms, speed-up,
//   reference / fast peak MB, equal.
// Targets: 50,000 lines in 2,000 objects under 1 s and 200 MB; at 10,000 lines at least
// 100 times the reference's speed; n log n growth from 5,000 to 50,000 lines.
//
// Options:
//   --quick                 1,000 lines only (a smoke run)
//   --sizes N,N,...         line counts (default 1000,5000,10000,50000)
//   --kinds K,K,...         nested-parts, lettering, fine-arcs (default all)
//   --reference-max N       the reference runs only up to N lines (default 10000; 0: never)
//   --time-cap S            a run taking longer than S seconds is stopped (default 600)
//   --repeat N              runs per planner, the fastest counts (default 1)
//   --seed N                seed of the drawings (default 1)
//   --crossing-test         CrossingTest=1 (connecting lines must not cross the drawing)
//   --first-run             the first run of the program: no splitting of connecting lines
//   --phases                a second line per drawing: where the time went (from the run's
//                           log timings, millisecond ticks) and the page faults during the
//                           run, reference | fast
//   --path-search           a further line per drawing: the path search alone, repeated on the
//                           figure the fast run joined, with each planner (graph building,
//                           duplicate passes, tour), and whether the two tours are the same
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "drawinggen/PlanningRun.h"
#include "drawinggen/SyntheticDrawing.h"
#include "drawing/Drawing.h"
#include "planning/PathFindingMethods.h"
#include "platform/WorkingMemory.h"

namespace {

using namespace wirvela;
using namespace wirvela::drawinggen;

struct Options {
    std::vector<int> sizes{1000, 5000, 10000, 50000};
    std::vector<DrawingKind> kinds{std::begin(kDrawingKinds), std::end(kDrawingKinds)};
    int referenceMax = 10000;
    double timeCap = 600.0;
    int repeat = 1;
    std::uint64_t seed = 1;
    bool crossingTest = false;
    bool firstRun = false;
    bool phases = false;
    bool pathSearch = false;
};

// The path search's steps, seconds, for one planner.
struct PathSearchSteps {
    double build = 0.0;
    double duplicates = 0.0;
    double findPath = 0.0;
};

// What a child reports through its pipe.
struct ChildResult {
    double seconds = 0.0;
    long peakKb = 0;
    std::uint64_t digest = 0;
    int state = 0;
    int verticesAfter = 0;
    int linesAfter = 0;
    PhaseSeconds phases;
    long pageFaults = 0;  // minor page faults during the run
    PathSearchSteps steps[2];  // reference, fast (with --path-search)
    bool sameTour = false;
};

enum class Outcome { Done, Skipped, TimedOut, Failed };

struct Measured {
    Outcome outcome = Outcome::Skipped;
    ChildResult result;
};

long PeakKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

// The path search of RunPathSearch, step by step, on figure 1 as the run left it (its last
// line the entry line, its last vertex the entry vertex).
std::vector<int> TimedPathSearch(TDrawing& drawing, Planner planner, PathSearchSteps& steps) {
    TLines& lines = drawing.Set(TDrawing::kFigure1).L;
    PathSearchEnv env;
    env.planner = planner;
    PATH_FINDING_METHODS search(env);
    const auto seconds = [](auto since) {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
    };
    auto started = std::chrono::steady_clock::now();
    if (search.BuildGraph(lines, lines.Vertices()) != 0) return {};
    steps.build = seconds(started);
    const int entryVertex = lines.Vertices().Count() - 1;
    started = std::chrono::steady_clock::now();
    search.TestDuplicates(entryVertex);
    steps.duplicates = seconds(started);
    started = std::chrono::steady_clock::now();
    const int found = search.FindPath(search.NodeOfVertex(entryVertex));
    steps.findPath = seconds(started);
    std::vector<int> tour{found};
    const PATH_THROUGH_NODES* path = search.Path();
    for (int i = 0; path != nullptr && i < path->Count(); ++i) tour.push_back(path->Get(i));
    return tour;
}

[[noreturn]] void ChildRun(int fd, const std::filesystem::path& file, const std::filesystem::path& dir,
                           const RunSettings& settings, bool pathSearch) {
    ChildResult out;
    // As the program does at its start.
    WorkingMemory::Prepare(WorkingMemory::kProgramBytes);
    {
        PlanningRun run(dir);
        rusage before{};
        getrusage(RUSAGE_SELF, &before);
        const RunResult r = run.Run(file, settings);
        rusage after{};
        getrusage(RUSAGE_SELF, &after);
        out.pageFaults = after.ru_minflt - before.ru_minflt;
        out.seconds = r.seconds;
        out.peakKb = PeakKilobytes();
        out.digest = r.snapshot.Digest();
        out.state = r.snapshot.report.state;
        out.verticesAfter = static_cast<int>(r.snapshot.sets[1].vertices.size());
        out.linesAfter = static_cast<int>(r.snapshot.sets[1].lines.size());
        out.phases = r.phases;
        if (pathSearch) {
            const std::vector<int> reference = TimedPathSearch(run.Drawing(), Planner::Reference, out.steps[0]);
            const std::vector<int> fast = TimedPathSearch(run.Drawing(), Planner::Fast, out.steps[1]);
            out.sameTour = reference == fast;
        }
    }
    const bool written = write(fd, &out, sizeof out) == static_cast<ssize_t>(sizeof out);
    _exit(written ? 0 : 1);
}

// One run in a child process; stopped after `cap` seconds.
Measured Measure(const std::filesystem::path& file, const std::filesystem::path& dir, const RunSettings& settings,
                 double cap, bool pathSearch) {
    int fds[2];
    if (pipe(fds) != 0) return {Outcome::Failed, {}};
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return {Outcome::Failed, {}};
    }
    if (pid == 0) {
        close(fds[0]);
        ChildRun(fds[1], file, dir, settings, pathSearch);
    }
    close(fds[1]);
    Measured m;
    pollfd p{fds[0], POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(cap);
    int ready = 0;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        ready = poll(&p, 1, static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
        if (ready >= 0 || errno != EINTR) break;
    }
    if (ready == 0) {
        kill(pid, SIGKILL);
        m.outcome = Outcome::TimedOut;
    } else if (read(fds[0], &m.result, sizeof m.result) == static_cast<ssize_t>(sizeof m.result)) {
        m.outcome = Outcome::Done;
    } else {
        m.outcome = Outcome::Failed;
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return m;
}

Measured Best(const std::filesystem::path& file, const std::filesystem::path& dir, const RunSettings& settings,
              const Options& o) {
    Measured best;
    for (int i = 0; i < o.repeat; ++i) {
        const Measured m = Measure(file, dir, settings, o.timeCap, o.pathSearch && settings.planner == Planner::Fast);
        if (m.outcome != Outcome::Done) return m;
        if (best.outcome != Outcome::Done || m.result.seconds < best.result.seconds) best = m;
    }
    return best;
}

std::string Millis(const Measured& m, double cap) {
    char text[32];
    switch (m.outcome) {
        case Outcome::Done:
            std::snprintf(text, sizeof text, "%.1f", m.result.seconds * 1000.0);
            return text;
        case Outcome::Skipped:
            return "skipped";
        case Outcome::TimedOut:
            std::snprintf(text, sizeof text, "> %.0f s", cap);
            return text;
        case Outcome::Failed:
            return "failed";
    }
    return "";
}

std::string Megabytes(const Measured& m) {
    if (m.outcome != Outcome::Done) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", static_cast<double>(m.result.peakKb) / 1024.0);
    return text;
}

// "reference | fast" milliseconds of each phase; "rest" is what the phases do not cover
// (the loader's clearing of the tables, the worker's start, the report).
void PrintPhases(const Measured& reference, const Measured& fast) {
    const auto ms = [](const Measured& m, auto pick) {
        if (m.outcome != Outcome::Done) return std::string("-");
        char text[32];
        std::snprintf(text, sizeof text, "%.0f", pick(m.result) * 1000.0);
        return std::string(text);
    };
    const auto both = [&](const char* name, auto pick) {
        std::printf("%s %s | %s", name, ms(reference, pick).c_str(), ms(fast, pick).c_str());
    };
    both("  ms: load", [](const ChildResult& r) { return r.phases.load; });
    both(", splitting", [](const ChildResult& r) { return r.phases.splitting; });
    both(", joining", [](const ChildResult& r) { return r.phases.joining; });
    both(" (crossing split", [](const ChildResult& r) { return r.phases.crossingSplit; });
    both("), path search", [](const ChildResult& r) { return r.phases.pathSearch; });
    both(", rest", [](const ChildResult& r) {
        const PhaseSeconds& p = r.phases;
        return r.seconds - p.load - p.splitting - p.joining - p.pathSearch;
    });
    const auto faults = [](const Measured& m) {
        return m.outcome == Outcome::Done ? std::to_string(m.result.pageFaults) : std::string("-");
    };
    std::printf("; page faults %s | %s\n", faults(reference).c_str(), faults(fast).c_str());
}

bool ParseList(const std::string& text, std::vector<std::string>& out) {
    std::stringstream s(text);
    std::string item;
    while (std::getline(s, item, ',')) {
        if (item.empty()) return false;
        out.push_back(item);
    }
    return !out.empty();
}

bool ParseInt(const std::string& text, long long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && end != text.c_str() && *end == '\0';
}

std::optional<Options> Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc) return std::nullopt;
            return std::string(argv[++i]);
        };
        long long n = 0;
        if (arg == "--quick") {
            o.sizes = {1000};
        } else if (arg == "--crossing-test") {
            o.crossingTest = true;
        } else if (arg == "--first-run") {
            o.firstRun = true;
        } else if (arg == "--phases") {
            o.phases = true;
        } else if (arg == "--path-search") {
            o.pathSearch = true;
        } else if (arg == "--sizes") {
            std::vector<std::string> items;
            const auto v = value();
            if (!v || !ParseList(*v, items)) return std::nullopt;
            o.sizes.clear();
            for (const std::string& item : items) {
                if (!ParseInt(item, n) || n < 1 || n > 99000) return std::nullopt;
                o.sizes.push_back(static_cast<int>(n));
            }
        } else if (arg == "--kinds") {
            std::vector<std::string> items;
            const auto v = value();
            if (!v || !ParseList(*v, items)) return std::nullopt;
            o.kinds.clear();
            for (const std::string& item : items) {
                const auto kind = DrawingKindFromName(item);
                if (!kind) return std::nullopt;
                o.kinds.push_back(*kind);
            }
        } else if (arg == "--reference-max" || arg == "--repeat" || arg == "--seed" || arg == "--time-cap") {
            const auto v = value();
            if (!v || !ParseInt(*v, n) || n < 0) return std::nullopt;
            if (arg == "--reference-max") o.referenceMax = static_cast<int>(std::min<long long>(n, 1 << 30));
            if (arg == "--repeat") o.repeat = static_cast<int>(std::clamp<long long>(n, 1, 100));
            if (arg == "--seed") o.seed = static_cast<std::uint64_t>(n);
            if (arg == "--time-cap") o.timeCap = static_cast<double>(std::max<long long>(n, 1));
        } else {
            return std::nullopt;
        }
    }
    return o;
}

void Usage() {
    std::fprintf(stderr,
                 "usage: bench_planner [--quick] [--sizes N,N,...] [--kinds nested-parts,lettering,fine-arcs]\n"
                 "                     [--reference-max N] [--time-cap S] [--repeat N] [--seed N]\n"
                 "                     [--crossing-test] [--first-run] [--phases] [--path-search]\n");
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Options> parsed = Parse(argc, argv);
    if (!parsed) {
        Usage();
        return 2;
    }
    const Options& o = *parsed;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("wirvela-bench-planner-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);

    std::printf("load + connect, CrossingTest=%d, %s; reference up to %d lines, time cap %.0f s, best of %d\n\n",
                o.crossingTest ? 1 : 0, o.firstRun ? "first run" : "connecting lines split at crossings",
                o.referenceMax, o.timeCap, o.repeat);
    std::printf("%-13s %7s %8s %7s %13s %10s %9s %7s %7s %6s\n", "kind", "lines", "vertices", "objects",
                "reference ms", "fast ms", "speed-up", "ref MB", "fast MB", "equal");
    bool allEqual = true;
    for (DrawingKind kind : o.kinds) {
        for (int size : o.sizes) {
            const std::filesystem::path file = dir / (std::string(DrawingKindName(kind)) + ".plt");
            SyntheticDrawing drawing = MakeSyntheticDrawing(kind, size, o.seed);
            std::ofstream(file, std::ios::binary) << drawing.hpgl;
            drawing.hpgl = std::string();  // the children need not inherit it

            RunSettings settings;
            settings.crossingTest = o.crossingTest;
            settings.splitConnecting = !o.firstRun;
            settings.planner = Planner::Fast;
            const Measured fast = Best(file, dir / "fast", settings, o);
            Measured reference;
            if (size <= o.referenceMax) {
                settings.planner = Planner::Reference;
                reference = Best(file, dir / "reference", settings, o);
            }

            std::string speedUp = "-";
            std::string equal = "-";
            if (fast.outcome == Outcome::Done && reference.outcome == Outcome::Done) {
                char text[32];
                std::snprintf(text, sizeof text, "%.1fx",
                              reference.result.seconds / std::max(fast.result.seconds, 1e-6));
                speedUp = text;
                const bool same = fast.result.digest == reference.result.digest;
                equal = same ? "yes" : "NO";
                allEqual = allEqual && same;
            }
            std::printf("%-13s %7d %8d %7d %13s %10s %9s %7s %7s %6s\n", DrawingKindName(kind), drawing.lines,
                        drawing.vertices, drawing.objects, Millis(reference, o.timeCap).c_str(),
                        Millis(fast, o.timeCap).c_str(), speedUp.c_str(), Megabytes(reference).c_str(),
                        Megabytes(fast).c_str(), equal.c_str());
            if (o.phases) PrintPhases(reference, fast);
            if (o.pathSearch && fast.outcome == Outcome::Done) {
                const PathSearchSteps* st = fast.result.steps;
                std::printf("  path search alone, ms reference | fast: graph %.1f | %.1f, duplicates %.1f | %.1f, "
                            "tour %.1f | %.1f, same tour: %s\n",
                            st[0].build * 1e3, st[1].build * 1e3, st[0].duplicates * 1e3, st[1].duplicates * 1e3,
                            st[0].findPath * 1e3, st[1].findPath * 1e3, fast.result.sameTour ? "yes" : "NO");
            }
            if (fast.outcome == Outcome::Done && fast.result.verticesAfter > TVert::kAddLimit) {
                std::printf("  (the vertex table filled up during the planning)\n");
            }
            if (fast.outcome == Outcome::Done && fast.result.state != kConnectSucceeded) {
                std::printf("  (no cut path: state %d)\n", fast.result.state);
            }
            std::fflush(stdout);
        }
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return allEqual ? 0 : 1;
}
