#include "formats/HpglReader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <numbers>
#include <system_error>

#include "config/NumberText.h"

namespace wirvela {

namespace {

constexpr char kEsc = '\x1b';

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool StartsWithTwoLetters(std::string_view s) {
    return s.size() >= 2 && IsLetter(s[0]) && IsLetter(s[1]);
}

// Parameters of a command cut at kCommandCapacity: the last number may have lost digits
// (or be only its sign), so everything after the last separator is dropped.
std::string_view DropBrokenTail(std::string_view params) {
    const std::size_t sep = params.find_last_of(", \t");
    return sep == std::string_view::npos ? std::string_view{} : params.substr(0, sep + 1);
}

// Nearest integer, halves away from zero.
double RoundHalfAway(double v) {
    return std::round(v);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

bool ReadHpglNumber(std::string_view& params, double& value) {
    std::size_t i = 0;
    while (i < params.size() && IsBlank(params[i])) ++i;
    if (i == params.size()) return false;
    const std::size_t start = i++;
    while (i < params.size() && IsDigit(params[i])) ++i;
    value = static_cast<double>(IntegerPrefix(params.substr(start, i - start)));
    // A decimal fraction belongs to the number: "1000.5" is one coordinate, not 1000 and 5.
    if (i + 1 < params.size() && params[i] == '.' && IsDigit(params[i + 1])) {
        const std::size_t fraction = ++i;
        while (i < params.size() && IsDigit(params[i])) ++i;
        const double digits = DecimalPrefix("0." + std::string(params.substr(fraction, i - fraction)));
        value += params[start] == '-' ? -digits : digits;
    }
    if (i < params.size()) ++i;  // the character that ended the number
    params.remove_prefix(i);
    return true;
}

HPGL2::HPGL2(TDrawing& drawing, HpglPenState& pens) : drawing_(drawing), pens_(pens) {
    command_.reserve(kCommandCapacity);
}

int HPGL2::ReadFile(const std::filesystem::path& file) {
    // Only regular files: a directory reads nothing, and a pipe or a device could block
    // the open or never end.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return -1;
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(file.c_str(), "rb"));
    if (!f) return -1;
    std::string chunk(1 << 16, '\0');
    for (;;) {
        const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), f.get());
        if (n == 0) break;
        Feed(std::string_view(chunk.data(), n));
    }
    Finish();
    return 0;
}

void HPGL2::ReadText(std::string_view text) {
    Feed(text);
    Finish();
}

void HPGL2::Feed(std::string_view chunk) {
    if (finished_) return;
    std::size_t i = 0;
    while (i < chunk.size()) {
        // Inside a two-letter command only a semicolon, a letter or a line break can change
        // anything: the characters before it are taken in one piece.
        if (!overflow_ && command_.size() >= 2 && StartsWithTwoLetters(command_)) {
            const std::size_t room = kCommandCapacity - command_.size();
            std::size_t j = i;
            while (j < chunk.size() && j - i < room) {
                const char c = chunk[j];
                if (c == ';' || c == '\r' || c == '\n' || IsLetter(c)) break;
                ++j;
            }
            command_.append(chunk.data() + i, j - i);
            i = j;
            if (i == chunk.size()) break;
        }
        const char c = chunk[i++];
        if (c != '\r' && c != '\n') Put(c);
    }
}

void HPGL2::Finish() {
    if (finished_) return;
    finished_ = true;
    // The command being read is dropped: the last command of a file must be terminated.
    command_.clear();
    overflow_ = false;
    EndOfFile();
}

// Whether c, the character after the command read so far, ends it.
bool HPGL2::EndsCommand(char c) const {
    const std::string_view cmd = command_;
    if (!cmd.empty() && cmd[0] == kEsc) {
        if (cmd.size() >= 2 && cmd[1] == '.' && c == ':') return true;
        return cmd.size() == 3 && cmd == "\x1b.(" && c == ';';
    }
    return cmd.size() >= 2 && StartsWithTwoLetters(cmd) && (c == ';' || IsLetter(c));
}

void HPGL2::Put(char c) {
    if (EndsCommand(c)) {
        std::string_view cmd = command_;
        std::string cut;
        if (overflow_ && StartsWithTwoLetters(cmd)) {
            cut = std::string(cmd.substr(0, 2)) + std::string(DropBrokenTail(cmd.substr(2)));
            cmd = cut;
        }
        // A letter that ends a two-letter command starts the next one; a semicolon or
        // the colon / semicolon of a device-control sequence is the terminator.
        const bool putBack = IsLetter(c) && StartsWithTwoLetters(command_);
        Execute(cmd);
        command_.clear();
        overflow_ = false;
        if (putBack) command_.push_back(c);
        return;
    }
    if (command_.size() < kCommandCapacity) {
        command_.push_back(c);
    } else {
        overflow_ = true;
    }
}

void HPGL2::Execute(std::string_view command) {
    if (command.size() < 2) return;
    const char a = Upper(command[0]);
    const char b = Upper(command[1]);
    std::string_view params = command.substr(2);
    auto is = [a, b](const char* m) { return a == m[0] && b == m[1]; };
    if (is("SP")) {
        SelectPen(params);
    } else if (is("PU")) {
        if (!state_.penUp) NextObject();
        state_.penUp = true;
        PenUpMove(params);  // one pair; further pairs are ignored
    } else if (is("PD")) {
        state_.penUp = false;
        if (state_.floating) {
            const double x = state_.position.x;
            const double y = state_.position.y;
            PenToVertex(AddPoint(x, y, state_.position.obj), x, y);
            state_.floating = false;
        }
        PenDownMoves(params);
    } else if (is("PA") || is("PR")) {
        state_.relative = is("PR");
        if (state_.penUp) {
            PenUpMove(params);
        } else {
            PenDownMoves(params);
        }
    } else if (is("CI")) {
        Circle(params);
    } else if (is("RO")) {
        state_.rotate = true;  // whatever the angle
    }
}

void HPGL2::SelectPen(std::string_view params) {
    double n = 0;
    if (!ReadHpglNumber(params, n)) return;  // SP without a number keeps the pen
    const int pen = static_cast<int>(std::clamp(std::trunc(n), -2147483648.0, 2147483647.0));
    pens_.currentPen = pen;
    filePen_ = pen;
    if (pen >= 1 && pen <= 5) pens_.penMask |= 1 << (pen - 1);
    if (pen == 5) drawing_.SetTwoFigures(true);
}

void HPGL2::NextObject() {
    int& oelems = drawing_.Oelems();
    if (oelems < std::numeric_limits<int>::max() - 1) ++oelems;
}

void HPGL2::PenUpMove(std::string_view& params) {
    double x = 0;
    double y = 0;
    if (!ReadHpglNumber(params, x) || !ReadHpglNumber(params, y)) return;
    double px = x;
    double py = y;
    if (state_.relative) {
        px += state_.position.x;
        py += state_.position.y;
    }
    if (!std::isfinite(px) || !std::isfinite(py)) return;
    state_.firstPoint = false;
    int& oelems = drawing_.Oelems();
    if (oelems == -1) oelems = 0;
    state_.position.x = px;
    state_.position.y = py;
    state_.position.obj = oelems;
    // After the first PD every pen-up position is a vertex, possibly without lines.
    if (!state_.floating) PenToVertex(AddPoint(px, py, oelems), px, py);
}

void HPGL2::PenDownMoves(std::string_view& params) {
    double x = 0;
    double y = 0;
    while (ReadHpglNumber(params, x) && ReadHpglNumber(params, y)) {
        double px = x;
        double py = y;
        if (state_.relative) {
            px += state_.position.x;
            py += state_.position.y;
        }
        if (!std::isfinite(px) || !std::isfinite(py)) return;
        int& oelems = drawing_.Oelems();
        if (state_.firstPoint) {
            state_.firstPoint = false;
            PenToVertex(AddPoint(px, py, oelems < 0 ? 0 : oelems), px, py);
            continue;
        }
        if (oelems == -1) oelems = 0;
        const int previous = state_.current;
        PenToVertex(AddPoint(px, py, oelems), px, py);
        AddDrawnLine(previous, state_.current, oelems, pens_.currentPen);
    }
}

void HPGL2::Circle(std::string_view params) {
    NextObject();
    const std::int32_t obj = drawing_.Oelems();
    double r = 0;
    if (!ReadHpglNumber(params, r)) return;
    double chordRead = 5;
    if (!ReadHpglNumber(params, chordRead)) chordRead = 5;
    const long chord = static_cast<long>(std::clamp(std::trunc(chordRead), 1.0, 270.0));

    const double radius = r;
    const double cx = state_.position.x;
    const double cy = state_.position.y;
    const int first = AddPoint(cx + radius, cy, obj);
    int previous = first;
    for (long theta = chord; theta < 360; theta += chord) {
        const double rad = static_cast<double>(theta) * std::numbers::pi / 180.0;
        const int v =
            AddPoint(RoundHalfAway(radius * std::cos(rad) + cx), RoundHalfAway(radius * std::sin(rad) + cy), obj);
        AddDrawnLine(previous, v, obj, filePen_);
        previous = v;
    }
    AddDrawnLine(previous, first, obj, filePen_);
    // The pen position does not change.
}

int HPGL2::AddPoint(double x, double y, std::int32_t obj) {
    if (!std::isfinite(x) || !std::isfinite(y)) return -1;
    TVert& v = drawing_.V();
    // A full table would answer vertex 0 for every further point; lines to it were
    // never drawn, so the point is dropped instead.
    if (v.Count() > TVert::kAddLimit) return -1;
    return v.AddVertex(x, y, 0, obj);
}

void HPGL2::PenToVertex(int index, double x, double y) {
    state_.current = index;
    // The pen stands where the vertex is stored: snapped onto the grid exactly as the
    // vertex table snaps it (also when the point was dropped, so later relative moves
    // keep their place).
    const double grid = drawing_.V().SnapGrid();
    state_.position.x = SnapToGrid(x, grid);
    state_.position.y = SnapToGrid(y, grid);
}

void HPGL2::AddDrawnLine(int from, int to, std::int32_t obj, std::int32_t pen) {
    if (from < 0 || to < 0 || from == to) return;
    LineRecord line;
    line.p = from;
    line.k = to;
    line.obj = obj;
    line.kind = 1;
    line.pen = pen;
    drawing_.L().AddLine(line);
}

void HPGL2::EndOfFile() {
    TVert& v = drawing_.V();
    const int last = v.Count() - 1;
    if (last >= 0 && v[last].x == 0.0 && v[last].y == 0.0) {
        bool used = false;
        for (const LineRecord& l : drawing_.L().Records()) {
            if (l.p == last || l.k == last) {
                used = true;
                break;
            }
        }
        // A final pen-up move to the origin leaves no stray point.
        if (!used) v.Truncate(last);
    }
    if (state_.rotate) {
        v.TransformPositions([](double& x, double& y) {
            const double nx = -y + 0.0;  // + 0.0: no negative zero
            y = std::trunc(x);
            x = nx;
        });
    }
}

int ReadHpgl(const std::filesystem::path& file, TDrawing& drawing, HpglPenState& pens) {
    HPGL2 reader(drawing, pens);
    return reader.ReadFile(file);
}

}  // namespace wirvela
