// Profiles from a 3-D model, as "Buduj Profile" makes them: a generated turned part of
// about 50,000 triangles (a wavy surface of revolution, closed at both ends) is read (not
// timed) and turned into 8 profiles with the plinth and base; the projection dumps and the
// log are left out, the profile files and the project are written. Target: under 2 s.
//
// Prints the triangles, the lines and vertices of the last profile and the best of
// --repeat runs (default 3) in milliseconds.
//
// Options:
//   --repeat N     runs, the fastest counts
//   --rings N      rings along the axis (default 250; 200 triangles per ring)
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <unistd.h>

#include "drawing/Drawing.h"
#include "mesh3d/Mesh3D.h"
#include "mesh3d/ProfileBuilder.h"

namespace {

using namespace wirvela;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kSegments = 100;

class QuietSink : public ProfileSink {
public:
    bool Logging() const override { return false; }
};

// Radius at height z, mm: a turned part with grooves.
double Radius(double z) { return 30.0 + 6.0 * std::sin(z / 7.0) + (z > 60 ? -8.0 : 0.0); }

void WriteModel(const fs::path& file, int rings) {
    std::ofstream out(file);
    out << "bench_part\n";
    auto point = [](int ring, int seg) {
        const double z = ring * 0.4;
        const double phi = 2.0 * std::numbers::pi * seg / kSegments;
        char text[96];
        std::snprintf(text, sizeof text, "%.4f %.4f %.4f", Radius(z) * std::cos(phi), Radius(z) * std::sin(phi), z);
        return std::string(text);
    };
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < kSegments; ++s) {
            const int t = (s + 1) % kSegments;
            out << point(r, s) << ' ' << point(r, t) << ' ' << point(r + 1, t) << '\n';
            out << point(r, s) << ' ' << point(r + 1, t) << ' ' << point(r + 1, s) << '\n';
        }
    }
    for (int s = 0; s < kSegments; ++s) {
        const int t = (s + 1) % kSegments;
        out << "0 0 0 " << point(0, t) << ' ' << point(0, s) << '\n';
        out << "0 0 " << rings * 0.4 << ' ' << point(rings, s) << ' ' << point(rings, t) << '\n';
    }
}

}  // namespace

int main(int argc, char** argv) {
    int repeat = 3;
    int rings = 250;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--repeat") == 0) repeat = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--rings") == 0) rings = std::max(1, std::atoi(argv[i + 1]));
    }
    const fs::path folder = fs::temp_directory_path() / ("wirvela-bench-profiles-" + std::to_string(getpid()));
    fs::create_directories(folder);
    WriteModel(folder / "part.raw", rings);
    TMesh3D mesh;
    if (mesh.ReadRaw(folder / "part.raw") != TMesh3D::kReadOk) {
        std::fprintf(stderr, "bench_profiles: the generated model cannot be read\n");
        return 1;
    }
    ProfileOptions options;
    options.count = 8;
    options.dumps = false;
    double best = 1e300;
    int lines = 0, vertices = 0, message = 0;
    for (int r = 0; r < repeat; ++r) {
        TDrawing drawing;
        QuietSink sink;
        const Clock::time_point start = Clock::now();
        const ProfilesResult result = BuildProfiles(mesh, drawing, options, folder / "part.hpr", sink);
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        message = result.message;
        if (!result.profiles.empty()) lines = result.profiles.back().lines, vertices = result.profiles.back().vertices;
    }
    fs::remove_all(folder);
    std::printf("triangles %d, profiles 8, message %d, last profile %d lines %d vertices, best of %d: %.1f ms\n",
                mesh.Count(), message, lines, vertices, repeat, best);
    return message == 0 ? 0 : 1;
}
