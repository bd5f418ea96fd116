// libFuzzer target of the .con project reader: any bytes, read as a project lying in a
// scratch folder that holds one drawing and one subfolder. The reader must never name a
// drawing outside that folder, must leave the dialog's fields alone unless it accepts a
// multiplication, and what it accepts must write back to a project that reads the same.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "ScratchFolder.h"
#include "formats/ProjectFile.h"

namespace {

namespace fs = std::filesystem;

struct Folder : wirvela::fuzz::ScratchFolder {
    Folder() : ScratchFolder("wirvela-fuzz-project") {
        std::ofstream(path / "part.plt") << "IN;PU0,0;PD100,0,100,100;";
        fs::create_directory(path / "sub");
    }
};

const Folder& Scratch() {
    static const Folder folder;
    return folder;
}

bool Same(const wirvela::MultiplicationTexts& a, const wirvela::MultiplicationTexts& b) {
    return a.byCount == b.byCount && a.columns == b.columns && a.rows == b.rows && a.width == b.width &&
           a.height == b.height && a.gapX == b.gapX && a.gapY == b.gapY && a.multiwire == b.multiwire &&
           a.lineOffset == b.lineOffset && a.lineLength == b.lineLength && a.wireDistance == b.wireDistance &&
           a.spineOnTop == b.spineOnTop;
}

// A line break inside a value cannot be written back as one (the writer turns it into a
// blank rather than add lines to the file).
bool OneLine(const wirvela::MultiplicationTexts& t) {
    for (const std::string* v : {&t.columns, &t.rows, &t.width, &t.height, &t.gapX, &t.gapY, &t.lineOffset,
                                 &t.lineLength, &t.wireDistance}) {
        if (v->find_first_of("\r\n") != std::string::npos) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path& folder = Scratch().path;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const wirvela::MultiplicationTexts current;
    const wirvela::ProjectRead read = wirvela::ReadProjectText(text, folder, current);
    if (!read.Ok()) {
        if (read.multiply || !Same(read.fields, current)) __builtin_trap();
        return 0;
    }
    // Accepted: the one drawing of the folder, by its plain name.
    if (read.drawing != folder / "part.plt") __builtin_trap();
    if (!read.multiply && !Same(read.fields, current)) __builtin_trap();

    if (!OneLine(read.fields)) return 0;
    // Written back and read again, the project asks for the same.
    const fs::path project = folder / "job.con";
    const std::optional<wirvela::MultiplicationTexts> replay =
        read.multiply ? std::optional(read.fields) : std::nullopt;
    if (!wirvela::WriteProject(project, "part.plt", replay)) __builtin_trap();
    const wirvela::ProjectRead again = wirvela::ReadProject(project, current);
    if (!again.Ok() || again.multiply != read.multiply || !Same(again.fields, read.fields)) __builtin_trap();
    return 0;
}
