// libFuzzer target of the rotary project (.hpr) reader: any bytes. The reader must stop
// within the grid and the line limit, never keep a line break in an angle, and what it
// accepts must write back to a project that reads as the same list without its empty
// names.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>

#include "ScratchFolder.h"
#include "config/Messages.h"
#include "rotary/HprFile.h"

namespace {

namespace fs = std::filesystem;

const wirvela::fuzz::ScratchFolder& Scratch() {
    static const wirvela::fuzz::ScratchFolder folder("wirvela-fuzz-hpr");
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using wirvela::ProfileList;
    static const wirvela::TMessages messages;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    ProfileList list;
    const wirvela::HprOutcome read = wirvela::ReadHprStream(in, "fuzz.hpr", list, messages);
    if (read.rows < 0 || read.rows > ProfileList::kLastRow) __builtin_trap();
    for (int r = 1; r < ProfileList::kRows; ++r) {
        const wirvela::ProfileRow& row = list.Row(r);
        if (r > read.rows && (!row.name.empty() || !row.angle.empty())) __builtin_trap();
        if (row.name.find('\t') != std::string::npos) __builtin_trap();
        if (row.name.size() + row.angle.size() > 900) __builtin_trap();
        // A profile name is never followed outside the project's folder.
        const wirvela::ProfilePath path = wirvela::ProfileFilePath(Scratch().path, row.name, r, messages);
        if (path.Ok() && path.file.parent_path() != Scratch().path) __builtin_trap();
    }
    if (!read.Ok()) return 0;

    ProfileList compacted;
    int rows = 0;
    for (int r = 1; r <= read.rows; ++r) {
        const wirvela::ProfileRow& row = list.Row(r);
        if (row.name.empty()) continue;
        if (row.name.find_first_of("\r\n") != std::string::npos || row.angle.find_first_of("\r\n") != std::string::npos)
            return 0;  // not writable as one line: the writer refuses it
        compacted.Row(++rows) = row;
    }
    const fs::path project = Scratch().path / "job.hpr";
    if (!wirvela::WriteHprFile(project, list, messages).Ok()) __builtin_trap();
    ProfileList again;
    const wirvela::HprOutcome reread = wirvela::ReadHprFile(project, again, messages);
    if (!reread.Ok() || reread.rows != rows) __builtin_trap();
    for (int r = 1; r <= rows; ++r) {
        if (again.Row(r).name != compacted.Row(r).name || again.Row(r).angle != compacted.Row(r).angle)
            __builtin_trap();
    }
    return 0;
}
