#pragma once
// Rotary projects (.hpr): the list of profiles in cutting order, each with the angle the
// table turns after it. One line per profile: the profile's file name, a TAB, the angle as
// typed, CR LF. The profiles are named by plain file names and read from the project's
// own folder.
#include <array>
#include <filesystem>
#include <iosfwd>
#include <string>

namespace wirvela {

class TMessages;

struct ProfileRow {
    std::string name;   // profile file name; empty: an empty row
    std::string angle;  // table turn after the profile, degrees, as typed (read by its decimal prefix)
};

// The project window's grid: row 0 is the header, rows 1 … 99 the project.
class ProfileList {
public:
    static constexpr int kRows = 100;
    static constexpr int kLastRow = kRows - 1;

    // 0 <= row < kRows.
    ProfileRow& Row(int row) { return rows_[static_cast<std::size_t>(row)]; }
    const ProfileRow& Row(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    // The name of row `row`; empty for a row outside the grid.
    const std::string& Name(int row) const;
    // Every row cleared, both columns.
    void Clear() { rows_ = {}; }
    // No row 1 … 99 has a name.
    bool Empty() const;

private:
    std::array<ProfileRow, kRows> rows_{};
};

// What a read or write of a project ended with: message 0 for success, else the message
// number and its text for the operator (caption message 109).
struct HprOutcome {
    int rows = 0;  // reading: rows filled from row 1 (they stay also when reading stopped)
    int message = 0;
    std::string text;
    bool Ok() const { return message == 0; }
};

// Clears the list and reads `file` into rows 1 onward. A line without a TAB (message 142),
// longer than the reader's 898 characters (633) or holding a NUL byte (142) stops the
// reading; so does a 100th profile (634), which the grid has no row for. A file that
// cannot be opened gives 142 with no row read.
HprOutcome ReadHprFile(const std::filesystem::path& file, ProfileList& list, const TMessages& messages);
// The same from a stream; `name` names the project in the messages.
HprOutcome ReadHprStream(std::istream& in, const std::string& name, ProfileList& list, const TMessages& messages);

// Writes the rows with a name, in order, so the saved list is compacted. The file is
// replaced atomically: a failure (message 144) leaves the earlier file as it was. A name
// or angle holding a line break, or a name holding a TAB, would not read back as written
// and refuses the save (144) before anything is written.
HprOutcome WriteHprFile(const std::filesystem::path& file, const ProfileList& list, const TMessages& messages);

// The file a row names, in the project's folder; refused (message 630, naming the row)
// when the name is not a plain file name: absolute, with a folder part or "..".
struct ProfilePath {
    std::filesystem::path file;
    int message = 0;
    std::string text;
    bool Ok() const { return message == 0; }
};
ProfilePath ProfileFilePath(const std::filesystem::path& folder, const std::string& name, int row,
                            const TMessages& messages);

}  // namespace wirvela
