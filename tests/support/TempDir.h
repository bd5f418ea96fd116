#pragma once
// A scratch directory for one test, removed with everything in it when the test ends.
#include <filesystem>
#include <string>

namespace wirvela::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string Str() const { return path_.string(); }

    // Writes a file (bytes as given, no line-ending conversion) and returns its path.
    std::filesystem::path Write(const std::string& name, const std::string& content) const;
    std::string Read(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// Directory of the shipped data files (data/ of the source tree).
std::filesystem::path ShippedDataDir();
// Directory of the test fixtures (tests/data of the source tree).
std::filesystem::path TestDataDir();

}  // namespace wirvela::test
