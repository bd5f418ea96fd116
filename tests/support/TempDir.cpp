#include "support/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace wirvela::test {

TempDir::TempDir() {
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("wirvela-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir() {
    std::error_code ec;
    // Restore write permission that a test may have removed, so the tree can go.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ec)) {
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::Write(const std::string& name, const std::string& content) const {
    auto p = path_ / name;
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << content;
    return p;
}

std::string TempDir::Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

static std::filesystem::path FromEnv(const char* name, const char* fallback) {
    const char* v = std::getenv(name);
    return v ? std::filesystem::path(v) : std::filesystem::path(fallback);
}

// The source tree's folders, unless the environment points elsewhere.
std::filesystem::path ShippedDataDir() { return FromEnv("WIRVELA_SHIPPED_DATA", WIRVELA_SHIPPED_DATA_DIR); }
std::filesystem::path TestDataDir() { return FromEnv("WIRVELA_TEST_DATA", WIRVELA_TEST_DATA_DIR); }

}  // namespace wirvela::test
