#pragma once
// Files a document names beside itself (a project's drawing, a rotary project's
// profiles): only a plain file name is followed, and only to a regular file that really
// lies in the document's folder, so that opening a document received from elsewhere never
// reads a file outside its folder.
#include <filesystem>
#include <string>

namespace wirvela {

// A plain file name: no folder part, no way up, nothing the file system would cut short.
bool PlainFileName(const std::string& name);

// Whether `file` (the folder joined with a plain name) can be read as a file beside the
// folder's document.
struct FileInFolderCheck {
    bool outside = false;  // it leads out of the folder (through a link)
    std::string why;       // "not found", "a folder, not a file", "not a regular file", "outside the folder"
    bool Ok() const { return why.empty(); }
};
FileInFolderCheck CheckFileInFolder(const std::filesystem::path& folder, const std::filesystem::path& file);

}  // namespace wirvela
