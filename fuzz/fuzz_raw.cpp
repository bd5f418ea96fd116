// libFuzzer target of the 3D_raw mesh reader: any bytes, read from a scratch file. The
// reader must answer one of its four results, leave an empty mesh after a failure, and
// after success hold at most one triangle per line with every finite vertex inside the
// bounds and every object number within the objects counted.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "mesh3d/Mesh3D.h"

namespace {

namespace fs = std::filesystem;

struct Scratch {
    fs::path file;
    Scratch() {
        std::string name = (fs::temp_directory_path() / "wirvela-fuzz-raw-XXXXXX").string();
        if (mkdtemp(name.data()) == nullptr) std::abort();
        file = fs::path(name) / "model.raw";
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(file.parent_path(), ec);
    }
};

bool Inside(double v, double lo, double hi) { return !std::isfinite(v) || (v >= lo && v <= hi); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Scratch scratch;
    {
        std::ofstream out(scratch.file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    wirvela::TMesh3D mesh;
    // Small enough that a long input meets the memory refusal too.
    mesh.SetMemoryLimit(std::size_t{64} << 10);
    const int result = mesh.ReadRaw(scratch.file, 1.0);
    if (result != wirvela::TMesh3D::kReadOk) {
        if (result != wirvela::TMesh3D::kReadCannotOpen && result != wirvela::TMesh3D::kReadNoMemory &&
            result != wirvela::TMesh3D::kReadMalformed)
            __builtin_trap();
        if (mesh.Count() != 0 || mesh.Capacity() != 0) __builtin_trap();
        return 0;
    }
    if (mesh.Count() < 0 || mesh.Count() > mesh.Capacity() || mesh.ObjectCount() < 1) __builtin_trap();
    for (int i = 0; i < mesh.Count(); ++i) {
        const auto& t = mesh[i];
        if (t.obj < 1 || t.obj > mesh.ObjectCount()) __builtin_trap();
        for (const auto& v : t.v) {
            if (!Inside(v.x, mesh.min.x, mesh.max.x) || !Inside(v.y, mesh.min.y, mesh.max.y) ||
                !Inside(v.z, mesh.min.z, mesh.max.z))
                __builtin_trap();
        }
    }
    return 0;
}
