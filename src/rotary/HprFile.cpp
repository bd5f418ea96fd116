#include "rotary/HprFile.h"

#include <fstream>

#include "config/MessageFormat.h"
#include "config/Messages.h"
#include "formats/FileInFolder.h"
#include "platform/AtomicFile.h"

namespace wirvela {

namespace {

constexpr int kCannotRead = 142;
constexpr int kCannotWrite = 144;
constexpr int kNameRefused = 630;
constexpr int kLineTooLong = 633;
constexpr int kTooManyProfiles = 634;
// The reader's line buffer holds 900 characters with the terminating one and the LF.
constexpr std::size_t kLineLimit = 898;

HprOutcome Failure(const TMessages& messages, int message, std::initializer_list<FormatArg> args, int rows = 0) {
    return {rows, message, FormatMessage(messages.MessageText(message), args)};
}

// One trailing LF or CR, then one more.
void TrimLineEnd(std::string& text) {
    for (int i = 0; i < 2 && !text.empty() && (text.back() == '\n' || text.back() == '\r'); ++i) text.pop_back();
}

// The next line with its LF; false at the end of the file. A line longer than the limit
// is cut off there (tooLong), so a file of one endless line is never held whole.
bool NextLine(std::istream& in, std::string& line, bool& tooLong) {
    line.clear();
    tooLong = false;
    char c = 0;
    while (in.get(c)) {
        line.push_back(c);
        if (c == '\n') return true;
        if (line.size() > kLineLimit) {
            tooLong = true;
            return true;
        }
    }
    return !line.empty();
}

}  // namespace

const std::string& ProfileList::Name(int row) const {
    static const std::string kNone;
    return row >= 0 && row < kRows ? Row(row).name : kNone;
}

bool ProfileList::Empty() const {
    for (int r = 1; r < kRows; ++r)
        if (!Row(r).name.empty()) return false;
    return true;
}

HprOutcome ReadHprFile(const std::filesystem::path& file, ProfileList& list, const TMessages& messages) {
    list.Clear();
    std::ifstream in(file, std::ios::binary);
    if (!in) return Failure(messages, kCannotRead, {});
    return ReadHprStream(in, file.string(), list, messages);
}

HprOutcome ReadHprStream(std::istream& in, const std::string& name, ProfileList& list, const TMessages& messages) {
    list.Clear();
    std::string line;
    bool tooLong = false;
    int rows = 0;
    for (int number = 1; NextLine(in, line, tooLong); ++number) {
        if (tooLong) return Failure(messages, kLineTooLong, {name, number, int{kLineLimit}}, rows);
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos || line.find('\0') != std::string::npos) {
            return Failure(messages, kCannotRead, {}, rows);
        }
        if (rows == ProfileList::kLastRow) {
            return Failure(messages, kTooManyProfiles, {name, ProfileList::kLastRow}, rows);
        }
        ProfileRow& row = list.Row(++rows);
        row.name = line.substr(0, tab);
        row.angle = line.substr(tab + 1);
        TrimLineEnd(row.angle);
    }
    return {rows, 0, {}};
}

HprOutcome WriteHprFile(const std::filesystem::path& file, const ProfileList& list, const TMessages& messages) {
    std::string text;
    for (int r = 1; r < ProfileList::kRows; ++r) {
        const ProfileRow& row = list.Row(r);
        if (row.name.empty()) continue;
        if (row.name.find_first_of("\t\r\n") != std::string::npos ||
            row.angle.find_first_of("\r\n") != std::string::npos) {
            return Failure(messages, kCannotWrite, {});
        }
        text += row.name + '\t' + row.angle + "\r\n";
    }
    if (!WriteFileAtomically(file, text)) return Failure(messages, kCannotWrite, {});
    return {0, 0, {}};
}

ProfilePath ProfileFilePath(const std::filesystem::path& folder, const std::string& name, int row,
                            const TMessages& messages) {
    if (!PlainFileName(name)) {
        return {{}, kNameRefused, FormatMessage(messages.MessageText(kNameRefused), {name, row})};
    }
    return {folder / name, 0, {}};
}

}  // namespace wirvela
