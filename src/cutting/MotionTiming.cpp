#include "cutting/MotionTiming.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

#include "config/MessageLog.h"
#include "config/Parameters.h"
#include "config/Settings.h"
#include "controller/ComClass.h"
#include "controller/Frame.h"
#include "cutting/SimulationLines.h"
#include "drawing/Drawing.h"

namespace wirvela {

// ---- conversions ---------------------------------------------------------------------

double StepScale(double scalePercent, double mmPerUnit, double mmPerStep) {
    const double stepsPerMm = mmPerStep == 0 ? 1.0 : 1.0 / mmPerStep;
    return scalePercent / 100.0 * mmPerUnit * stepsPerMm;
}

double FeedPeriod(double mmPerStep, double speedCmPerMin) {
    const double v = speedCmPerMin < 1 ? 1.0 : speedCmPerMin;
    return mmPerStep * 60000.0 / (10.0 * v);
}

double StepPeriod(double feedPeriod, double dx, double dy) {
    const double major = std::max(std::fabs(std::trunc(dx)), std::fabs(std::trunc(dy)));
    if (major == 0) return 1.0;
    return feedPeriod * std::hypot(dx, dy) / major;
}

double CornerCos(double cx, double cy, double px, double py) {
    const double lengths = std::hypot(cx, cy) * std::hypot(px, py);
    if (lengths == 0) return -1.0;
    return -(cx * px + cy * py) / lengths;
}

double LimitCos(double katGrDegrees) {
    return std::cos(katGrDegrees * M_PI / 180.0);
}

bool IsCorner(double cornerCos, double limitCos) {
    return cornerCos >= limitCos - 0.001;
}

StepVector EntryMove(const TLineList& path, const TLines& lines, int i, double stepScale) {
    const LineLookup run = path.GetPathLine(i, lines);
    if (!run.found) return {};
    const TVert& v = lines.Vertices();
    if (run.line.p < 0 || run.line.p >= v.Count() || run.line.k < 0 || run.line.k >= v.Count()) return {};
    const VertexRecord& a = v[run.line.p];
    const VertexRecord& b = v[run.line.k];
    // GetPathLine has already turned the line round for direction −1.
    return {(b.x - a.x) * stepScale, (b.y - a.y) * stepScale};
}

namespace {

// A whole step count that floating-point noise has put a hair below (or above) a whole
// number is taken as that number, so that a closed path returns exactly to its start.
std::int32_t WholeSteps(double v) {
    constexpr double kNoise = 1e-9;
    const double nearest = std::round(v);
    return static_cast<std::int32_t>(std::fabs(v - nearest) < kNoise ? nearest : std::trunc(v));
}

}  // namespace

StepCarry::Steps StepCarry::Take(double vx, double vy) {
    Steps s;
    s.x = WholeSteps(vx + carryX_);
    s.y = WholeSteps(vy + carryY_);
    carryX_ += vx - s.x;
    carryY_ += vy - s.y;
    return s;
}

MotionSettings MotionSettings::FromStore(const TParameters& parameters, double scalePercent, double katGr) {
    MotionSettings s;
    s.mmPerStep = parameters.GetNumber(settings::kMmPerStep);
    s.stepScale =
        StepScale(scalePercent, parameters.GetNumber(settings::kSkalaHPGL, settings::kSkalaHPGLForMotion), s.mmPerStep);
    s.defRotVelocity = parameters.GetNumber(settings::kDefRotVelocity);
    s.stopWhenOtherFigureStops = parameters.GetFlag(settings::kStopWhenOtherFigureStops);
    s.limitCos = LimitCos(katGr);
    return s;
}

// ---- helpers -------------------------------------------------------------------------

namespace {

bool IsEmpty(const StepVector& m) {
    return m.x == 0 && m.y == 0;
}
double Length(const StepVector& m) {
    return std::hypot(m.x, m.y);
}
double Length(std::int32_t x, std::int32_t y) {
    return std::hypot(static_cast<double>(x), static_cast<double>(y));
}

// The corner test of a move against the previous non-empty move of its walk; the move
// of entry 0, and a move with no move before it, is never a corner.
struct CornerTracker {
    explicit CornerTracker(double limit) : limitCos(limit) {}
    double limitCos;
    bool hasPrevious = false;
    StepVector previous;

    bool Test(int index, const StepVector& m) const {
        return index > 0 && hasPrevious && IsCorner(CornerCos(m.x, m.y, previous.x, previous.y), limitCos);
    }
    void Pass(const StepVector& m) {
        previous = m;
        hasPrevious = true;
    }
};

std::string Text(double value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

int PathLength(const TLineList* path) {
    return path == nullptr ? 0 : path->Length();
}

}  // namespace

// ---- MotionTiming --------------------------------------------------------------------

MotionTiming::MotionTiming(TDrawing& drawing, const MotionSettings& settings, MotionOutput output)
    : drawing_(drawing), settings_(settings), output_(std::move(output)) {}

void MotionTiming::Log(const std::string& text) const {
    if (output_.log != nullptr) output_.log->Log(text);
}

void MotionTiming::Status(int message) const {
    if (output_.status) output_.status(message);
}

bool MotionTiming::HasSegmentLines() const {
    const TDrawingSet& segments = drawing_.Set(TDrawing::kSegments);
    return segments.V.Count() > 0 && segments.L.Count() > 0;
}

int MotionTiming::SendMove(int figure, const SimulationRecord& move, double stepPeriod, bool simulate) {
    if (simulate) {
        // A full table drops the record silently; the playback then ends early.
        SimulationLines* table = drawing_.Set(figure).simLines.get();
        if (table != nullptr) table->Add(move);
        return kOk;
    }
    if (output_.com == nullptr) return kNoLink;
    return output_.com->Line(static_cast<std::int32_t>(move.dx), static_cast<std::int32_t>(move.dy), move.corner != 0,
                             stepPeriod * 1000.0, move.rotRatio);
}

int MotionTiming::SendCommand(std::uint8_t letter) {
    if (output_.com == nullptr) return kNoLink;
    return output_.com->SendByteCommand(letter, 0);
}

// ---- single figure -------------------------------------------------------------------

int MotionTiming::StreamFigure(double feedPeriod, CutParameters parameters, double rotRatio, bool simulate,
                               double limitCos, bool secondPass) {
    Status(128);
    drawing_.SelectFigure(TDrawing::kFigure1);
    const bool repeats = parameters.steps != 0;
    if (repeats) parameters.steps = static_cast<std::uint16_t>((parameters.steps - 1) / 2);

    const TLineList* path = drawing_.CutPath();
    const int n = PathLength(path);
    if (simulate) {
        Log("SimLine1 size " + std::to_string(n + 1));
        drawing_.Set(TDrawing::kFigure1).simLines = MakeSimulationLines(n + 1);
        drawing_.Set(TDrawing::kFigure2).simLines.reset();
    } else if (repeats) {
        // The repetition count the cutting job set up is replaced by the one this walk
        // needs; a record whose count falls to 0 must reach the controller as well.
        if (output_.com == nullptr) return kNoLink;
        const int result = output_.com->Setup(parameters);
        if (result != kOk) return result;
    }

    // The table turn R: aStep as sign and magnitude.
    const auto aStep = static_cast<std::uint32_t>(parameters.aStep);
    const double magnitude = static_cast<double>(aStep & 0x7FFFFFFFu);
    const double turn = (aStep & 0x80000000u) != 0 ? -magnitude : magnitude;
    const auto turnTable = [&]() {
        if (simulate) return kOk;
        if (output_.com == nullptr) return kNoLink;
        // The X axis steps forward and back while the table turns by R steps.
        const double period = std::fabs(settings_.defRotVelocity * turn * 0.5) * 1000.0;
        const auto whole = static_cast<std::int32_t>(turn);
        const std::int32_t half = whole / 2;
        int result = output_.com->Line(1, 0, false, period, half);
        if (result == kOk) result = output_.com->Line(-1, 0, false, period, whole - half);
        return result;
    };

    if (secondPass) {
        const int result = turnTable();
        if (result != kOk) return result;
    }

    const TLines& lines = drawing_.L();
    const double penTwoPeriod = FeedPeriod(settings_.mmPerStep, settings_.v2);
    StepCarry carry;
    CornerTracker corners(limitCos);
    double sign = 1.0;
    for (int i = 0; i < n; ++i) {
        const StepVector v = EntryMove(*path, lines, i, settings_.stepScale);
        if (IsEmpty(v)) continue;
        const StepCarry::Steps s = carry.Take(v.x, v.y);
        const bool corner = corners.Test(i, v);

        if (settings_.rotaryCut && turn != 0 && sign > 0 && corners.hasPrevious && -corners.previous.x == v.x &&
            -corners.previous.y == v.y) {
            if (secondPass) return kOk;
            const int result = turnTable();
            if (result != kOk) return result;
            sign = -1.0;
        }

        const int line = (*path)[i].line;
        const bool penTwo = lines.GetLine(line).line.pen == 2;
        const double feed = penTwo ? penTwoPeriod : feedPeriod;
        const double stepPeriod = penTwo ? StepPeriod(penTwoPeriod, v.x, v.y) : StepPeriod(feedPeriod, s.x, s.y);
        const SimulationRecord move{line, static_cast<double>(s.x), static_cast<double>(s.y), corner ? 1 : 0,
                                    feed, rotRatio * sign};
        const int result = SendMove(TDrawing::kFigure1, move, stepPeriod, simulate);
        if (result != kOk) return result;
        corners.Pass(v);
    }
    return kOk;
}

// ---- figure measures -----------------------------------------------------------------

FigureLengthResult MotionTiming::FigureLength(int figure) {
    FigureLengthResult r;
    drawing_.SelectFigure(figure);
    const TLineList* path = drawing_.CutPath();
    const int n = PathLength(path);
    const TLines& lines = drawing_.L();
    CornerTracker corners(settings_.limitCos);
    for (int i = 0; i < n; ++i) {
        const StepVector v = EntryMove(*path, lines, i, settings_.stepScale);
        if (IsEmpty(v)) continue;
        if (i == 0) {
            r.firstLength = Length(v);
        } else if (i != n - 1) {
            r.length += Length(v);
        }
        if (corners.Test(i, v)) ++r.corners;
        corners.Pass(v);
    }
    drawing_.SelectFigure(TDrawing::kFigure1);
    return r;
}

SegmentLengthResult MotionTiming::SegmentLength(const TLineList& path, const TLines& lines, int a, int b) const {
    SegmentLengthResult r;
    CornerTracker corners(settings_.limitCos);
    if (a > 0) {
        const StepVector before = EntryMove(path, lines, a - 1, settings_.stepScale);
        if (!IsEmpty(before)) corners.Pass(before);
    }
    for (int i = a; i <= b; ++i) {
        const StepVector v = EntryMove(path, lines, i, settings_.stepScale);
        if (IsEmpty(v)) continue;
        if (corners.Test(i, v)) ++r.corners;
        r.length += Length(v);
        corners.Pass(v);
    }
    return r;
}

// ---- two figures ---------------------------------------------------------------------

namespace {

// The segment link of the first vertex (in the direction of travel) of entry i; -1
// when the entry has no such vertex.
int SegmentLinkOf(const TLineList& path, const TLines& lines, int i) {
    const int start = path.PathStart(i, lines);
    if (start < 0 || start >= lines.Vertices().Count()) return -1;
    return lines.Vertices()[start].segLink;
}

}  // namespace

void MotionTiming::ResetWorkingFields() {
    for (int figure : {TDrawing::kFigure1, TDrawing::kFigure2}) {
        TLineList* path = drawing_.Set(figure).cutPath.get();
        const int n = PathLength(path);
        for (int i = 0; i < n; ++i) {
            LineListFields f = path->Edit(i);
            f.seg = -1;
            f.nDel = 0;
        }
        matched_[static_cast<std::size_t>(figure - 1)].assign(static_cast<std::size_t>(n), false);
    }
}

void MotionTiming::CalculateSegmentsLenghts() {
    Status(308);
    Log("+++++++CalculateSegmentsLenghts ");
    for (int figure : {TDrawing::kFigure1, TDrawing::kFigure2}) {
        drawing_.SelectFigure(figure);
        TLineList* path = drawing_.CutPath();
        const int n = PathLength(path);
        const TLines& lines = drawing_.L();
        double total = 0;
        int totalCorners = 0;
        int start = 1;
        for (int q = 1; q < n; ++q) {
            if (SegmentLinkOf(*path, lines, q) < 0) {
                path->Edit(q).seg = -1;
                continue;
            }
            if (start <= q - 1) {
                SegmentLengthResult s = SegmentLength(*path, lines, start, q - 1);
                if (q == n - 1 && SegmentLength(*path, lines, q, q).corners > 0) {
                    // The exit move's corner pause belongs to the last segment.
                    Log("Poprawa liczby opoznienien, uwzglednienie ostatniego opoznienia.");
                    ++s.corners;
                }
                LineListFields f = path->Edit(start);
                f.seg = s.length;
                f.nDel = s.corners;
                total += s.length;
                totalCorners += s.corners;
            }
            start = q;
        }
        Log("Summary " + std::to_string(figure) + ": " + Text(total) + ", nDel " + std::to_string(totalCorners));
    }
    drawing_.SelectFigure(TDrawing::kFigure1);
}

void MotionTiming::CalculateSegmentsPeriods(double feedPeriod, std::uint16_t cornerDelay) {
    Status(309);
    Log("+++++++CalculateSegmentsPeriods ");
    TLineList* path1 = drawing_.Set(TDrawing::kFigure1).cutPath.get();
    TLineList* path2 = drawing_.Set(TDrawing::kFigure2).cutPath.get();
    const int n1 = PathLength(path1);
    const int n2 = PathLength(path2);
    const TLines& lines1 = drawing_.Set(TDrawing::kFigure1).L;
    const TLines& lines2 = drawing_.Set(TDrawing::kFigure2).L;
    for (int figure = 0; figure < 2; ++figure) {
        const int n = figure == 0 ? n1 : n2;
        if (static_cast<int>(matched_[static_cast<std::size_t>(figure)].size()) != n)
            matched_[static_cast<std::size_t>(figure)].assign(static_cast<std::size_t>(n), false);
    }

    const auto nextStart = [](const TLineList& path, int n, int from) {
        while (from < n && path[from].seg < 0) ++from;
        return from;
    };
    const auto assign = [](TLineList& path, int n, int from, double period, std::vector<bool>& matched) {
        // The segment runs to the next segment start (found before anything is written).
        int end = from + 1;
        while (end < n && path[end].seg < 0) ++end;
        for (int i = from; i < end; ++i) {
            path.Edit(i).seg = period;
            matched[static_cast<std::size_t>(i)] = true;
        }
        return end;
    };

    const double D = cornerDelay;
    int c1 = 1;
    int c2 = 1;
    while (c1 < n1 && c2 < n2) {
        c1 = nextStart(*path1, n1, c1);
        c2 = nextStart(*path2, n2, c2);
        if (c1 >= n1 || c2 >= n2) break;
        if (SegmentLinkOf(*path1, lines1, c1) != SegmentLinkOf(*path2, lines2, c2)) {
            c1 += 2;
            continue;
        }
        const double len1 = (*path1)[c1].seg;
        const double len2 = (*path2)[c2].seg;
        const int a = settings_.stopWhenOtherFigureStops ? 0 : (*path1)[c1].nDel;
        const int b = settings_.stopWhenOtherFigureStops ? 0 : (*path2)[c2].nDel;
        double p1 = feedPeriod;
        double p2 = feedPeriod;
        // A segment without length cannot be slowed to match; it keeps the base period.
        if (len1 > len2) {
            if (len2 > 0) p2 = (len1 * feedPeriod + D * (a - b)) / len2;
        } else if (len1 > 0) {
            p1 = (len2 * feedPeriod + D * (b - a)) / len1;
        }
        Log("CurLine1 " + std::to_string(c1) + " seg1 " + Text(len1) + " CurLine2 " + std::to_string(c2) + " seg2 " +
            Text(len2));
        Log("Period1: " + Text(p1) + ", Period2: " + Text(p2));
        c1 = assign(*path1, n1, c1, p1, matched_[0]);
        c2 = assign(*path2, n2, c2, p2, matched_[1]);
    }
}

double MotionTiming::WalkFeedPeriod(int figure, int i, int n, double wholePeriod, double entryPeriod) const {
    if (i == 0 || i == n - 1) return entryPeriod;
    const std::vector<bool>& matched = matched_[static_cast<std::size_t>(figure - 1)];
    // Entries in no matched segment run at the whole-figure period.
    if (!segmentRun_ || static_cast<std::size_t>(i) >= matched.size() || !matched[static_cast<std::size_t>(i)])
        return wholePeriod;
    return (*drawing_.Set(figure).cutPath)[i].seg;
}

std::vector<double> MotionTiming::CalculateDelTimes(int figure, double entryPeriod, int count, double wholePeriod) {
    Status(310);
    Log("++++++CalculateDelTimes");
    std::vector<double> times;
    if (count <= 0) return times;
    times.reserve(static_cast<std::size_t>(count));
    drawing_.SelectFigure(figure);
    const TLineList* path = drawing_.CutPath();
    const int n = PathLength(path);
    const TLines& lines = drawing_.L();
    StepCarry carry;
    CornerTracker corners(settings_.limitCos);
    double T = 0;
    for (int i = 0; i < n; ++i) {
        const StepVector v = EntryMove(*path, lines, i, settings_.stepScale);
        if (IsEmpty(v)) continue;
        // The walk times the moves it sends, so the rounded ones are timed here too.
        const StepCarry::Steps s = carry.Take(v.x, v.y);
        if (corners.Test(i, v) && static_cast<int>(times.size()) < count) times.push_back(T);
        T += Length(s.x, s.y) * WalkFeedPeriod(figure, i, n, wholePeriod, entryPeriod);
        corners.Pass(v);
    }
    // Fewer corners than counted leave the last times at the end of the path.
    while (static_cast<int>(times.size()) < count) times.push_back(T);
    drawing_.SelectFigure(TDrawing::kFigure1);
    return times;
}

int MotionTiming::SendPiece(int figure, int line, std::int32_t x, std::int32_t y, bool delay, double feedPeriod,
                            bool simulate) {
    const SimulationRecord piece{line, static_cast<double>(x), static_cast<double>(y), delay ? 1 : 0, feedPeriod, 0};
    return SendMove(figure, piece, StepPeriod(feedPeriod, x, y), simulate);
}

int MotionTiming::AddMissingDel(int figure, DelayCursor& cursor, const WalkMove& move, bool simulate, bool& sent) {
    sent = false;
    const std::size_t count = cursor.times.size();
    const double endMs = std::floor(move.endTime);
    const auto ms = [&](std::size_t c) { return std::floor(cursor.times[c]); };
    const double moveTime = Length(move.x, move.y) * move.feedPeriod;

    if (cursor.next >= count || ms(cursor.next) > endMs || !(moveTime > 0)) {
        cursor.mustStop = false;
        return kOk;
    }
    if (ms(cursor.next) == endMs) {
        while (cursor.next < count && ms(cursor.next) == endMs) ++cursor.next;
        cursor.mustStop = true;
        return kOk;
    }

    std::int32_t doneX = 0;
    std::int32_t doneY = 0;
    bool first = true;
    while (cursor.next < count && ms(cursor.next) < endMs) {
        const double f = (cursor.times[cursor.next] - move.endTime + moveTime) / moveTime;
        const auto k = static_cast<std::int32_t>(std::trunc(move.x * f - doneX));
        const auto n = static_cast<std::int32_t>(std::trunc(move.y * f - doneY));
        ++cursor.next;
        if (k == 0 && n == 0) continue;
        const bool delay = !first || move.corner || cursor.mustStop;
        cursor.mustStop = false;
        const int result = SendPiece(figure, move.line, k, n, delay, move.feedPeriod, simulate);
        sent = true;
        if (result != kOk) return result;
        doneX += k;
        doneY += n;
        first = false;
    }
    const std::int32_t restX = move.x - doneX;
    const std::int32_t restY = move.y - doneY;
    sent = true;
    if (restX != 0 || restY != 0) {
        const int result = SendPiece(figure, move.line, restX, restY, true, move.feedPeriod, simulate);
        if (result != kOk) return result;
    }
    cursor.mustStop = false;
    return kOk;
}

int MotionTiming::WalkFigure(int figure, double wholePeriod, double entryPeriod, std::span<const double> otherDelTimes,
                             bool simulate) {
    Log("+++Line");
    drawing_.SelectFigure(figure);
    const TLineList* path = drawing_.CutPath();
    const int n = PathLength(path);
    const TLines& lines = drawing_.L();
    StepCarry carry;
    CornerTracker corners(settings_.limitCos);
    DelayCursor cursor{otherDelTimes};
    double T = 0;
    for (int i = 0; i < n; ++i) {
        const StepVector v = EntryMove(*path, lines, i, settings_.stepScale);
        if (IsEmpty(v)) continue;
        const StepCarry::Steps s = carry.Take(v.x, v.y);
        const bool corner = corners.Test(i, v);
        corners.Pass(v);
        const double feed = WalkFeedPeriod(figure, i, n, wholePeriod, entryPeriod);
        T += Length(s.x, s.y) * feed;

        const WalkMove move{(*path)[i].line, s.x, s.y, corner, feed, T};
        const bool stopHere = corner || cursor.mustStop;
        if (!otherDelTimes.empty()) {
            bool sent = false;
            const int result = AddMissingDel(figure, cursor, move, simulate, sent);
            if (result != kOk) return result;
            if (sent) continue;
        }
        const int result = SendPiece(figure, move.line, s.x, s.y, stopHere, feed, simulate);
        if (result != kOk) return result;
    }
    if (simulate) return kOk;

    // The program closes with one X step forward and back, the second with a pause.
    int result = SendCommand(cmd::C_REPEAT);
    if (result == kOk) result = output_.com->Line(1, 0, false, wholePeriod * 1000.0, 0);
    if (result == kOk) result = output_.com->Line(-1, 0, true, wholePeriod * 1000.0, 0);
    return result;
}

int MotionTiming::StreamTwoFigures(double feedPeriod, std::uint16_t cornerDelay, bool simulate) {
    Status(128);
    Log("+++++Len");
    const FigureLengthResult f1 = FigureLength(TDrawing::kFigure1);
    const FigureLengthResult f2 = FigureLength(TDrawing::kFigure2);
    Log("Len1 " + Text(f1.length));
    Log("nDel1 " + std::to_string(f1.corners));
    Log("Len2 " + Text(f2.length));
    Log("nDel2 " + std::to_string(f2.corners));

    if (simulate) {
        const int size1 = PathLength(drawing_.Set(TDrawing::kFigure1).cutPath.get()) + 1 + f2.corners;
        const int size2 = PathLength(drawing_.Set(TDrawing::kFigure2).cutPath.get()) + 1 + f1.corners;
        drawing_.Set(TDrawing::kFigure1).simLines = MakeSimulationLines(size1);
        drawing_.Set(TDrawing::kFigure2).simLines = MakeSimulationLines(size2);
        Log("SimLine1 size " + std::to_string(size1));
        Log("SimLine2 size " + std::to_string(size2));
    }

    // Entry and exit moves take the same time on both figures. An empty entry move has
    // nothing to match and keeps the base period.
    double F1 = feedPeriod;
    double F2 = feedPeriod;
    if (f1.firstLength > f2.firstLength) {
        if (f2.firstLength > 0) F2 = feedPeriod * f1.firstLength / f2.firstLength;
    } else if (f1.firstLength > 0) {
        F1 = feedPeriod * f2.firstLength / f1.firstLength;
    }

    // Whole-figure periods: Len1 × P1 + nDel1 × D = Len2 × P2 + nDel2 × D. A figure
    // without length cannot be slowed to match and keeps the base period.
    const std::int64_t d = static_cast<std::int64_t>(cornerDelay) * (f1.corners - f2.corners);
    double P1 = feedPeriod;
    double P2 = feedPeriod;
    const bool firstLonger =
        settings_.alg2 ? (f1.length - f2.length) * feedPeriod + static_cast<double>(d) > 0 : f1.length > f2.length;
    if (firstLonger) {
        if (f2.length > 0) P2 = (f1.length * feedPeriod + static_cast<double>(d)) / f2.length;
    } else if (f1.length > 0) {
        P1 = (f2.length * feedPeriod - static_cast<double>(d)) / f1.length;
    }

    // Delay times of an earlier run are never used again.
    delTimes1_.clear();
    delTimes2_.clear();
    segmentRun_ = HasSegmentLines();
    if (segmentRun_) {
        ResetWorkingFields();
        CalculateSegmentsLenghts();
        CalculateSegmentsPeriods(feedPeriod, cornerDelay);
        if (settings_.stopWhenOtherFigureStops) {
            delTimes1_ = CalculateDelTimes(TDrawing::kFigure1, F1, f1.corners, P1);
            delTimes2_ = CalculateDelTimes(TDrawing::kFigure2, F2, f2.corners, P2);
        }
    }

    int result = kOk;
    if (!simulate) {
        if (output_.com == nullptr) return kNoLink;
        result = output_.com->SetMode(0, 2);
        if (result == kOk) result = output_.com->SetAddress(0);
    }
    if (result == kOk) result = WalkFigure(TDrawing::kFigure1, P1, F1, delTimes2_, simulate);
    if (result == kOk && !simulate) result = SendCommand(cmd::C_LINEEND);
    if (result == kOk) {
        drawing_.SelectFigure(TDrawing::kFigure2);
        if (!simulate) {
            result = output_.com->SetMode(1, 1);
            if (result == kOk) result = output_.com->SetAddress(1);
        }
    }
    if (result == kOk) result = WalkFigure(TDrawing::kFigure2, P2, F2, delTimes1_, simulate);
    if (result == kOk) {
        delTimes1_.clear();
        delTimes2_.clear();
    }
    drawing_.SelectFigure(TDrawing::kFigure1);
    return result;
}

}  // namespace wirvela
