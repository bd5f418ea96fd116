#include "drawinggen/PlanSnapshot.h"

#include <bit>
#include <cstdio>
#include <string_view>

namespace wirvela::drawinggen {

namespace {

// One field of a record: its name and its value, doubles by their bit pattern so that
// -0.0 and 0.0 (or two NaNs) are told apart exactly as the tables hold them.
struct Field {
    const char* name;
    std::int64_t bits;
    bool real;
};

Field Int(const char* name, std::int64_t v) {
    return {name, v, false};
}
Field Real(const char* name, double v) {
    return {name, std::bit_cast<std::int64_t>(v), true};
}

std::vector<Field> FieldsOf(const VertexRecord& v) {
    return {Real("x", v.x),         Real("y", v.y),     Int("mark", v.mark),         Int("obj", v.obj),
            Int("noExtents", v.noExtents), Int("aux", v.aux), Int("segLink", v.segLink)};
}

std::vector<Field> FieldsOf(const LineRecord& l) {
    std::vector<Field> f = {Int("p", l.p),     Int("k", l.k),       Int("multiplicity", l.multiplicity),
                            Int("display", l.display), Int("obj", l.obj), Int("kind", l.kind),
                            Int("kind2", l.kind2), Int("pen", l.pen)};
    static constexpr const char* kSpare[] = {"spare0", "spare1", "spare2", "spare3",
                                             "spare4", "spare5", "spare6", "spare7"};
    for (std::size_t i = 0; i < l.spare.size(); ++i) f.push_back(Int(kSpare[i], l.spare[i]));
    return f;
}

std::vector<Field> FieldsOf(const LineListEntry& e) {
    return {Int("line", e.line), Real("dir", e.dir), Int("kind", e.kind), Real("seg", e.seg), Int("nDel", e.nDel)};
}

std::vector<Field> FieldsOf(const ConnectReport::Figure& f) {
    return {Int("figure", f.figure),
            Int("searched", f.searched),
            Int("graphFailed", f.graphFailed),
            Int("entryFailed", f.entryFailed),
            Int("joined", f.joined),
            Int("unjoinedObjects", f.unjoinedObjects),
            Int("pathNodes", f.integrity.pathNodes),
            Int("unvisitedPoints", f.integrity.unvisitedPoints),
            Int("unvisitedLines", f.integrity.unvisitedLines),
            Int("surplus", f.integrity.surplus)};
}

std::string ValueText(const Field& f) {
    if (!f.real) return std::to_string(f.bits);
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", std::bit_cast<double>(f.bits));
    return text;
}

// Visits every compared value of a snapshot in a fixed order; `where` names the place.
template <class Visit>
void VisitDrawing(const PlanSnapshot& s, Visit&& visit) {
    visit("load result", Int("value", s.loadResult));
    visit("load failure", Int("value", static_cast<int>(s.failure)));
    visit("two-figure flag", Int("value", s.twoFigures));
    visit("report", Int("state", s.report.state));
    visit("report", Int("finished", s.report.finished));
    visit("report", Int("stopped", s.report.stopped));
    visit("report", Int("mutexFailed", s.report.mutexFailed));
    visit("report", Int("figures", static_cast<std::int64_t>(s.report.figures.size())));
    for (std::size_t i = 0; i < s.report.figures.size(); ++i) {
        const std::string where = "report figure " + std::to_string(i);
        for (const Field& f : FieldsOf(s.report.figures[i])) visit(where, f);
    }
    for (std::size_t n = 0; n < s.sets.size(); ++n) {
        const SetSnapshot& set = s.sets[n];
        const std::string name = "set " + std::to_string(n);
        visit(name, Int("oelems", set.oelems));
        visit(name, Int("vertex count", static_cast<std::int64_t>(set.vertices.size())));
        visit(name, Int("line count", static_cast<std::int64_t>(set.lines.size())));
        visit(name, Int("has cut path", set.hasCutPath));
        visit(name, Int("cut path length", static_cast<std::int64_t>(set.cutPath.size())));
    }
    for (std::size_t n = 0; n < s.sets.size(); ++n) {
        const SetSnapshot& set = s.sets[n];
        const std::string name = "set " + std::to_string(n);
        for (std::size_t i = 0; i < set.vertices.size(); ++i) {
            const std::string where = name + " vertex " + std::to_string(i);
            for (const Field& f : FieldsOf(set.vertices[i])) visit(where, f);
        }
        for (std::size_t i = 0; i < set.lines.size(); ++i) {
            const std::string where = name + " line " + std::to_string(i);
            for (const Field& f : FieldsOf(set.lines[i])) visit(where, f);
        }
        for (std::size_t i = 0; i < set.cutPath.size(); ++i) {
            const std::string where = name + " cut path entry " + std::to_string(i);
            for (const Field& f : FieldsOf(set.cutPath[i])) visit(where, f);
        }
    }
}

struct FlatField {
    std::string where;
    Field field;
};

std::vector<FlatField> Flatten(const PlanSnapshot& s) {
    std::vector<FlatField> out;
    VisitDrawing(s, [&out](const std::string& where, const Field& f) { out.push_back({where, f}); });
    return out;
}

std::string ListDifference(const char* what, const std::vector<std::string>& a, const std::vector<std::string>& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] != b[i]) return std::string(what) + " " + std::to_string(i) + ": '" + a[i] + "' vs '" + b[i] + "'";
    }
    if (a.size() != b.size()) {
        const bool aLonger = a.size() > b.size();
        return std::string(what) + " count " + std::to_string(a.size()) + " vs " + std::to_string(b.size()) +
               " (first extra: '" + (aLonger ? a[n] : b[n]) + "')";
    }
    return {};
}

}  // namespace

void PlanSnapshot::TakeSets(const TDrawing& drawing) {
    for (int s = TDrawing::kSegments; s <= TDrawing::kFigure2; ++s) {
        const TDrawingSet& from = drawing.Set(s);
        SetSnapshot& to = sets[static_cast<std::size_t>(s)];
        to.oelems = from.oelems;
        to.vertices.assign(from.V.Records().begin(), from.V.Records().end());
        to.lines.assign(from.L.Records().begin(), from.L.Records().end());
        to.hasCutPath = from.cutPath != nullptr;
        to.cutPath.clear();
        if (from.cutPath) {
            for (int i = 0; i <= from.cutPath->LastIndex(); ++i) to.cutPath.push_back((*from.cutPath)[i]);
        }
    }
}

std::uint64_t PlanSnapshot::Digest() const {
    // FNV-1a over the values in visiting order.
    std::uint64_t h = 0xcbf29ce484222325ULL;
    VisitDrawing(*this, [&h](const std::string&, const Field& f) {
        auto u = static_cast<std::uint64_t>(f.bits);
        for (int i = 0; i < 8; ++i) {
            h ^= u & 0xffU;
            h *= 0x100000001b3ULL;
            u >>= 8;
        }
    });
    return h;
}

std::string DrawingDifference(const PlanSnapshot& a, const PlanSnapshot& b) {
    const std::vector<FlatField> fa = Flatten(a);
    const std::vector<FlatField> fb = Flatten(b);
    // The counts come first, so the lists line up wherever they are still equal.
    const std::size_t n = std::min(fa.size(), fb.size());
    for (std::size_t i = 0; i < n; ++i) {
        const FlatField& x = fa[i];
        const FlatField& y = fb[i];
        if (x.where != y.where || x.field.name != std::string_view(y.field.name) || x.field.bits != y.field.bits) {
            return x.where + " " + x.field.name + ": " + ValueText(x.field) + " vs " + ValueText(y.field);
        }
    }
    return {};
}

std::string LogDifference(const PlanSnapshot& a, const PlanSnapshot& b) {
    return ListDifference("log line", a.log, b.log);
}

std::string EventDifference(const PlanSnapshot& a, const PlanSnapshot& b) {
    return ListDifference("event", a.events, b.events);
}

std::string BlankTimings(std::string_view line) {
    static constexpr std::string_view kTimed[] = {
        "Planaryzacja    = ", "Łączenie      = ",  "Ścieżka = ",         "Calkowity czas: ",
        "ConnectObjs:DrawMutex=", "Wczytanie pliku= ", ">Test punktów  = ", ">Test linii    = "};
    for (std::string_view prefix : kTimed) {
        if (line.substr(0, prefix.size()) == prefix) return std::string(prefix) + "*";
    }
    const std::size_t time = line.find(" Time: ");
    if (time != std::string_view::npos) return std::string(line.substr(0, time + 7)) + "*";
    return std::string(line);
}

}  // namespace wirvela::drawinggen
