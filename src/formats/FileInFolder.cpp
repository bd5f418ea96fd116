#include "formats/FileInFolder.h"

#include <algorithm>

namespace wirvela {

bool PlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    return std::none_of(name.begin(), name.end(),
                        [](char c) { return c == '/' || c == '\\' || static_cast<unsigned char>(c) < 32; });
}

FileInFolderCheck CheckFileInFolder(const std::filesystem::path& folder, const std::filesystem::path& file) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(file, ec);
    if (status.type() == std::filesystem::file_type::not_found) return {false, "not found"};
    if (status.type() == std::filesystem::file_type::directory) return {false, "a folder, not a file"};
    if (ec || status.type() != std::filesystem::file_type::regular) return {false, "not a regular file"};
    const std::filesystem::path real = std::filesystem::canonical(file, ec);
    const std::filesystem::path home = std::filesystem::canonical(folder, ec);
    if (ec || real.parent_path() != home) return {true, "outside the folder"};
    return {};
}

}  // namespace wirvela
