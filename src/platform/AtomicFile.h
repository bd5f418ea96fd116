#pragma once
// Writing a whole file so that a reader sees either the old file or the complete new one,
// never a half-written file: the text goes to "<file>.tmp.<pid>", is flushed to disk and
// renamed over the file. A writer killed in between leaves its temporary behind; the next
// writer of the same file removes those of processes that are gone.
#include <filesystem>
#include <string>
#include <string_view>

namespace wirvela {

// False with `error` saying why (naming the file) when the temporary file cannot be
// created, written or renamed; the target is then unchanged and no temporary is left.
// `mode`: the permission bits of a new file.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view text, std::string* error = nullptr,
                         unsigned mode = 0644);

}  // namespace wirvela
