// Times `wirvela-cli plan` as whole processes: start, settings, load, join, path search,
// report and exit, which is what an operator or a script waits for. Each drawing is
// planned with the fast planner and with the literal reference planner, and the ratio of
// the two is printed; the generated drawings are those of bench_planner.
//   bench_cli [--cli PATH] [--lines N] [--runs N] [--reference-runs N]
// The command runs on a copy of the shipped data/ folder in a temporary folder, with its
// output thrown away. Figures: best wall time of the runs, the CPU time (user + system)
// and the page faults of that best run.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "drawinggen/SyntheticDrawing.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Timing {
    double wallMs = 0;
    double cpuMs = 0;
    long pageFaults = 0;
    bool ok = false;
};

double Ms(const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; }

// One run of the command line, its output to /dev/null.
Timing RunOnce(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    Timing t;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return t;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return t;
    t.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    t.cpuMs = Ms(usage.ru_utime) + Ms(usage.ru_stime);
    t.pageFaults = usage.ru_minflt + usage.ru_majflt;
    t.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return t;
}

Timing Best(const std::vector<std::string>& args, int runs) {
    Timing best;
    for (int i = 0; i < runs; ++i) {
        const Timing t = RunOnce(args);
        if (!t.ok) return t;
        if (!best.ok || t.wallMs < best.wallMs) best = t;
    }
    return best;
}

struct Drawing {
    std::string name;
    std::string file;
    int lines = 0;  // 0: an example, count not known here
};

int Usage() {
    std::fprintf(stderr, "usage: bench_cli [--cli PATH] [--lines N] [--runs N] [--reference-runs N]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string cli = WIRVELA_CLI_PATH;
    int lines = 10000;
    int runs = 15;
    int referenceRuns = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return Usage();
        const std::string value = argv[++i];
        if (arg == "--cli") {
            cli = value;
        } else if (arg == "--lines") {
            lines = std::atoi(value.c_str());
        } else if (arg == "--runs") {
            runs = std::atoi(value.c_str());
        } else if (arg == "--reference-runs") {
            referenceRuns = std::atoi(value.c_str());
        } else {
            return Usage();
        }
    }
    if (lines < 1 || lines > 49000 || runs < 1 || referenceRuns < 0) return Usage();

    std::error_code ec;
    const fs::path work = fs::temp_directory_path() / ("bench_cli." + std::to_string(getpid()));
    fs::create_directories(work, ec);
    fs::copy(WIRVELA_SOURCE_DIR "/data", work / "data", fs::copy_options::recursive, ec);
    if (ec) {
        std::fprintf(stderr, "bench_cli: cannot copy the data folder into %s: %s\n", work.c_str(), ec.message().c_str());
        return 1;
    }

    std::vector<Drawing> drawings;
    for (const char* kind : {"nested-parts", "lettering", "fine-arcs"}) {
        using namespace wirvela::drawinggen;
        const SyntheticDrawing d = MakeSyntheticDrawing(*DrawingKindFromName(kind), lines, 1);
        const fs::path file = work / (std::string(kind) + ".plt");
        std::ofstream(file, std::ios::binary) << d.hpgl;
        drawings.push_back({kind, file.string(), d.lines});
    }
    for (const char* example : {"letters.plt", "large_lettering.plt"})
        drawings.push_back({example, WIRVELA_SOURCE_DIR "/examples/" + std::string(example), 0});

    std::printf("wirvela-cli plan, whole processes: best of %d (fast) and %d (reference) runs\n", runs, referenceRuns);
    std::printf("%-20s %7s %9s %9s %8s %12s %9s\n", "drawing", "lines", "fast ms", "CPU ms", "faults", "reference ms",
                "ratio");
    int failed = 0;
    for (const Drawing& d : drawings) {
        const std::vector<std::string> plan{cli, "--dir", (work / "data").string(), "plan", d.file};
        const Timing fast = Best(plan, runs);
        std::vector<std::string> reference = plan;
        reference.insert(reference.end(), {"--planner", "reference"});
        const Timing literal = referenceRuns > 0 ? Best(reference, referenceRuns) : Timing{};
        if (!fast.ok || (referenceRuns > 0 && !literal.ok)) {
            std::printf("%-20s the command failed\n", d.name.c_str());
            ++failed;
            continue;
        }
        const std::string count = d.lines > 0 ? std::to_string(d.lines) : "-";
        if (referenceRuns > 0) {
            std::printf("%-20s %7s %9.1f %9.1f %8ld %12.1f %8.0fx\n", d.name.c_str(), count.c_str(), fast.wallMs,
                        fast.cpuMs, fast.pageFaults, literal.wallMs, literal.wallMs / fast.wallMs);
        } else {
            std::printf("%-20s %7s %9.1f %9.1f %8ld %12s %9s\n", d.name.c_str(), count.c_str(), fast.wallMs,
                        fast.cpuMs, fast.pageFaults, "-", "-");
        }
    }
    fs::remove_all(work, ec);
    return failed == 0 ? 0 : 1;
}
