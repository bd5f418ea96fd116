#pragma once
// A folder of the fuzz targets' own for the files a reader names or a writer writes,
// made once per process under the temporary folder and removed at its end.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace wirvela::fuzz {

struct ScratchFolder {
    std::filesystem::path path;
    explicit ScratchFolder(const char* prefix) {
        std::string name = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
        if (mkdtemp(name.data()) == nullptr) std::abort();
        path = name;
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

}  // namespace wirvela::fuzz
