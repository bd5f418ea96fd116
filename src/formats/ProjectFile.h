#pragma once
// Projects (.con): a drawing kept together with the multiplication applied to it, so
// that a job can be reopened and cut again. A project holds no geometry: section
// "CON_design" names the drawing file beside the project (`File1`), and section
// "Duplicate", when present, the multiplication dialog's fields as typed, which are
// replayed once the drawing has been loaded and joined.
//
// The drawing must lie in the project's own folder: a `File1` that is a path (absolute,
// with a separator or "..") is refused, so that opening a project received from
// elsewhere never reads a file outside its folder.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "formats/MultiplicationTexts.h"

namespace wirvela {

class TMessages;

// Why a project was not read.
enum class ProjectError {
    None,
    CannotRead,        // the project file itself (value: why)
    NoDrawing,         // File1 missing or empty
    DrawingNotBeside,  // File1 is not the name of a file in the project's folder (value: File1)
    DrawingMissing,    // File1 names nothing there, or a folder (value: File1; why says which)
};

struct ProjectRead {
    ProjectError error = ProjectError::None;
    std::string value;  // File1 as written, or why the project cannot be read
    std::string why;    // DrawingMissing: "not found", "a folder, not a file", …
    // The drawing to load: the project's folder joined with File1.
    std::filesystem::path drawing;
    // Section Duplicate asks for a multiplication after the load.
    bool multiply = false;
    // The dialog's fields: those given, changed where the project sets them.
    MultiplicationTexts fields;

    bool Ok() const { return error == ProjectError::None; }
};

// Reads a project. `current` is what the multiplication dialog holds now; the project
// changes only the fields its section Duplicate sets (an active section without
// Multiwire unchecks multi-wire cutting and leaves its other fields).
ProjectRead ReadProject(const std::filesystem::path& project, const MultiplicationTexts& current);

// The same from the project's text, for a project in `folder` (the fuzz target reads
// bytes; the drawing's file checks still look into the folder).
ProjectRead ReadProjectText(std::string_view text, const std::filesystem::path& folder,
                            const MultiplicationTexts& current);

// Why `read` failed in a few words of the program's own, for logs and the command line:
// "names no drawing …", "names the drawing \"../x.plt\", which is not …".
std::string ProjectErrorReason(const ProjectRead& read);

// The message key (620 … 623) for a project's error; 0 for None.
int ProjectErrorMessageKey(ProjectError error);

// The message (620 … 623) that tells the operator why `read` failed, naming the project.
std::string ProjectErrorText(const TMessages& messages, const std::filesystem::path& project,
                             const ProjectRead& read);

// Writes a project naming `drawingName` (a file name in the project's folder) and, when
// given, the multiplication to replay. The file is written whole under a temporary name
// and then put in place: an existing project is replaced only by a complete one. False
// with the reason in *error when nothing was written.
bool WriteProject(const std::filesystem::path& project, const std::string& drawingName,
                  const std::optional<MultiplicationTexts>& multiplication, std::string* error = nullptr);

// The project a save dialog's choice names: the name as chosen when it ends in ".con"
// (any case), else with ".con" appended.
std::filesystem::path ProjectPathFor(const std::filesystem::path& chosen);

// Where a project keeps a copy of its drawing: the project's path with the drawing's
// extension (job.con with part.plt gives job.plt).
std::filesystem::path DrawingCopyFor(const std::filesystem::path& project, const std::filesystem::path& drawing);

struct ProjectSave {
    enum class Outcome { Saved, CopyFailed, WriteFailed };
    Outcome outcome = Outcome::Saved;
    std::filesystem::path drawingCopy;  // the drawing beside the project
    bool copied = false;                // false: the drawing was that file already
    std::string why;                    // CopyFailed, WriteFailed: the reason
};

// Saves a project for `drawing`: the drawing is copied beside the project unless it is
// that file already (a complete copy replaces a file of that name), then the project is
// written naming it, with the multiplication when given. A failed copy writes nothing.
ProjectSave SaveProject(const std::filesystem::path& project, const std::filesystem::path& drawing,
                        const std::optional<MultiplicationTexts>& multiplication);

}  // namespace wirvela
