#include "formats/ProjectFile.h"

#include <algorithm>
#include <system_error>

#include "config/MessageFormat.h"
#include "config/Messages.h"
#include "config/NumberText.h"
#include "formats/FileInFolder.h"
#include "platform/IniFile.h"

namespace wirvela {

namespace {

constexpr const char* kDesignSection = "CON_design";
constexpr const char* kDuplicateSection = "Duplicate";
// Buffer sizes of the reads, characters with the terminating one.
constexpr std::size_t kValueBuffer = 290;
constexpr std::size_t kFileNameBuffer = 900;

constexpr int kCannotReadMessage = 620;
constexpr int kNoDrawingMessage = 621;
constexpr int kNotBesideMessage = 622;
constexpr int kDrawingMissingMessage = 623;

std::string Value(const IniFile& ini, const char* key) {
    return ini.GetString(kDuplicateSection, key, "0", kValueBuffer);
}

bool NonZero(const IniFile& ini, const char* key) { return IntegerPrefix(Value(ini, key)) != 0; }

void ReadMultiplication(const IniFile& ini, MultiplicationTexts& t) {
    t.byCount = NonZero(ini, "Obj");
    if (t.byCount) {
        t.columns = Value(ini, "ObjV");
        t.rows = Value(ini, "ObjH");
    } else {
        t.width = Value(ini, "Width");
        t.height = Value(ini, "Height");
    }
    t.gapX = Value(ini, "SpaceV");
    t.gapY = Value(ini, "SpaceH");
    t.multiwire = NonZero(ini, "Multiwire");
    if (!t.multiwire) return;
    t.lineOffset = Value(ini, "LineOffset");
    t.lineLength = Value(ini, "LineLength");
    t.wireDistance = Value(ini, "DistWires");
    t.spineOnTop = NonZero(ini, "TopLeftEntryLine");
}

// Refuses a drawing that is missing, no file, or (through a link) outside the folder.
void CheckDrawing(const std::filesystem::path& folder, ProjectRead& read) {
    FileInFolderCheck check = CheckFileInFolder(folder, read.drawing);
    if (check.Ok()) return;
    if (check.outside) {
        read.error = ProjectError::DrawingNotBeside;
        return;
    }
    read.error = ProjectError::DrawingMissing;
    read.why = std::move(check.why);
}

ProjectRead ReadFrom(const IniFile& ini, const std::filesystem::path& folder, const MultiplicationTexts& current) {
    ProjectRead read;
    read.fields = current;
    read.multiply = NonZero(ini, kDuplicateSection);
    if (read.multiply) ReadMultiplication(ini, read.fields);

    read.value = ini.GetString(kDesignSection, "File1", "", kFileNameBuffer);
    if (read.value.empty()) {
        read.error = ProjectError::NoDrawing;
    } else if (!PlainFileName(read.value)) {
        read.error = ProjectError::DrawingNotBeside;
    } else {
        read.drawing = folder / read.value;
        CheckDrawing(folder, read);
    }
    if (!read.Ok()) {
        read.multiply = false;
        read.fields = current;
    }
    return read;
}

std::filesystem::path FolderOf(const std::filesystem::path& project) {
    const std::filesystem::path folder = project.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

ProjectRead CannotRead(std::string why) {
    ProjectRead read;
    read.error = ProjectError::CannotRead;
    read.value = std::move(why);
    return read;
}

}  // namespace

ProjectRead ReadProject(const std::filesystem::path& project, const MultiplicationTexts& current) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(project, ec);
    if (status.type() == std::filesystem::file_type::not_found) return CannotRead("not found");
    if (status.type() == std::filesystem::file_type::directory) return CannotRead("a folder, not a file");
    // A pipe or a device would be read without end.
    if (status.type() != std::filesystem::file_type::regular) return CannotRead("not a regular file");
    const IniFile ini = IniFile::Load(project);
    if (ini.Unreadable()) return CannotRead("it cannot be opened");
    if (ini.TooLarge()) return CannotRead("larger than " + std::to_string(IniFile::kMaxFileBytes >> 20) + " MiB");
    return ReadFrom(ini, FolderOf(project), current);
}

ProjectRead ReadProjectText(std::string_view text, const std::filesystem::path& folder,
                            const MultiplicationTexts& current) {
    return ReadFrom(IniFile::FromText(text), folder, current);
}

std::string ProjectErrorReason(const ProjectRead& read) {
    switch (read.error) {
        case ProjectError::None:
            return "";
        case ProjectError::CannotRead:
            return "the project cannot be read (" + read.value + ")";
        case ProjectError::NoDrawing:
            return "the project names no drawing (File1 of section CON_design is missing or empty)";
        case ProjectError::DrawingNotBeside:
            return "the project names the drawing \"" + read.value + "\", which is not a file in the project's folder";
        case ProjectError::DrawingMissing:
            return "the project's drawing \"" + read.value + "\" cannot be read (" + read.why + ")";
    }
    return "";
}

int ProjectErrorMessageKey(ProjectError error) {
    switch (error) {
        case ProjectError::None:
            return 0;
        case ProjectError::CannotRead:
            return kCannotReadMessage;
        case ProjectError::NoDrawing:
            return kNoDrawingMessage;
        case ProjectError::DrawingNotBeside:
            return kNotBesideMessage;
        case ProjectError::DrawingMissing:
            return kDrawingMissingMessage;
    }
    return 0;
}

std::string ProjectErrorText(const TMessages& messages, const std::filesystem::path& project,
                             const ProjectRead& read) {
    const std::string name = project.string();
    switch (read.error) {
        case ProjectError::None:
            return "";
        case ProjectError::CannotRead:
        case ProjectError::DrawingNotBeside:
            return FormatMessage(messages.MessageText(ProjectErrorMessageKey(read.error)), {name, read.value});
        case ProjectError::NoDrawing:
            return FormatMessage(messages.MessageText(kNoDrawingMessage), {name});
        case ProjectError::DrawingMissing:
            return FormatMessage(messages.MessageText(kDrawingMissingMessage), {read.value, name, read.why});
    }
    return "";
}

namespace {

// A value the reader would trim or unquote is written in quotes, so it reads back as it
// was typed.
std::string Protected(const std::string& value) {
    if (value.empty()) return value;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    if (!quoted && !blank(value.front()) && !blank(value.back())) return value;
    return '"' + value + '"';
}

}  // namespace

bool WriteProject(const std::filesystem::path& project, const std::string& drawingName,
                  const std::optional<MultiplicationTexts>& multiplication, std::string* error) {
    if (!PlainFileName(drawingName)) {
        if (error != nullptr) *error = "\"" + drawingName + "\" is not a file name in the project's folder";
        return false;
    }
    IniFile ini;
    ini.SetString(kDesignSection, "File1", Protected(drawingName));
    if (multiplication) {
        const MultiplicationTexts& t = *multiplication;
        const auto set = [&ini](const char* key, const std::string& value) {
            ini.SetString(kDuplicateSection, key, Protected(value));
        };
        const auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
        set("Duplicate", "1");
        set("Obj", flag(t.byCount));
        set(t.byCount ? "ObjV" : "Width", t.byCount ? t.columns : t.width);
        set(t.byCount ? "ObjH" : "Height", t.byCount ? t.rows : t.height);
        set("SpaceV", t.gapX);
        set("SpaceH", t.gapY);
        if (t.multiwire) {
            set("Multiwire", "1");
            set("LineOffset", t.lineOffset);
            set("LineLength", t.lineLength);
            set("DistWires", t.wireDistance);
            set("TopLeftEntryLine", flag(t.spineOnTop));
        }
    }
    return ini.Save(project, error);
}

namespace {

std::string UpperExtension(const std::filesystem::path& file) {
    std::string ext = file.extension().string();
    for (char& c : ext) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return ext;
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    const bool same = std::filesystem::equivalent(a, b, ec);
    return !ec && same;
}

// Copies under a temporary name beside the target and renames it into place, so a
// failed copy never leaves half a drawing where the project will look for it.
bool CopyWhole(const std::filesystem::path& from, const std::filesystem::path& to, std::string& why) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(from, ec)) {
        why = from.string() + ": " + (ec ? ec.message() : std::string("not a file"));
        return false;
    }
    const std::filesystem::path temporary = to.parent_path() / ("." + to.filename().string() + ".copy");
    std::filesystem::copy_file(from, temporary, std::filesystem::copy_options::overwrite_existing, ec);
    if (!ec) std::filesystem::rename(temporary, to, ec);
    if (!ec) return true;
    why = ec.message();
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return false;
}

}  // namespace

std::filesystem::path ProjectPathFor(const std::filesystem::path& chosen) {
    if (UpperExtension(chosen) == ".CON") return chosen;
    std::filesystem::path project = chosen;
    project += ".con";
    return project;
}

std::filesystem::path DrawingCopyFor(const std::filesystem::path& project, const std::filesystem::path& drawing) {
    std::filesystem::path copy = project;
    copy.replace_extension(drawing.extension());
    return copy;
}

ProjectSave SaveProject(const std::filesystem::path& project, const std::filesystem::path& drawing,
                        const std::optional<MultiplicationTexts>& multiplication) {
    ProjectSave save;
    save.drawingCopy = DrawingCopyFor(project, drawing);
    if (UpperExtension(drawing) == ".CON") {
        // Its copy would take the project's own name.
        save.outcome = ProjectSave::Outcome::CopyFailed;
        save.why = drawing.string() + " is a project, not a drawing";
        return save;
    }
    if (!SameFile(drawing, save.drawingCopy)) {
        if (!CopyWhole(drawing, save.drawingCopy, save.why)) {
            save.outcome = ProjectSave::Outcome::CopyFailed;
            return save;
        }
        save.copied = true;
    }
    if (!WriteProject(project, save.drawingCopy.filename().string(), multiplication, &save.why))
        save.outcome = ProjectSave::Outcome::WriteFailed;
    return save;
}

}  // namespace wirvela
