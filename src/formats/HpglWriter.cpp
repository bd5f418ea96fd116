#include "formats/HpglWriter.h"

#include <cmath>
#include <vector>

#include "config/NumberText.h"
#include "drawing/Lines.h"
#include "platform/AtomicFile.h"

namespace wirvela {

namespace {

constexpr double kLargestCoordinate = 1e15;

// Follows the reader's state to know which vertex each move creates: before the first
// pen-down the pen position floats and is no vertex yet; afterwards every position the
// pen reaches is a vertex, reused when one exists at that place.
class Plot {
public:
    Plot(const TVert& v, std::vector<int> order) : v_(v), order_(std::move(order)) {}

    // Index (in the written order) the next new vertex gets.
    int Next() const { return created_ + (floatingSet_ ? 1 : 0); }
    int Count() const { return static_cast<int>(order_.size()); }

    void PenUpTo(int i) {
        if (at_ == i) return;
        if (floatingSet_) {
            // Another pen-up move would lose the floating position: make it a vertex.
            text_ += "PD;";
            floatingSet_ = false;
            floating_ = false;
            ++created_;
            penDown_ = true;
        }
        EndDraw();
        text_ += "PU" + Point(i) + ";";
        penDown_ = false;
        if (floating_) {
            floatingSet_ = true;
        } else if (i == created_) {
            ++created_;
        }
        at_ = i;
    }

    void DrawTo(int i, int pen) {
        if (pen != pen_) {
            EndDraw();
            text_ += "SP" + std::to_string(pen) + ";";
            pen_ = pen;
        }
        if (floatingSet_) {
            floatingSet_ = false;
            floating_ = false;
            ++created_;
        }
        text_ += drawing_ ? "," : "PD";
        text_ += Point(i);
        drawing_ = true;
        penDown_ = true;
        if (i == created_) ++created_;
        at_ = i;
    }

    std::string Finish() {
        if (floatingSet_) {
            text_ += "PD;";
            floatingSet_ = false;
        }
        EndDraw();
        return "IN;" + text_ + "\n";
    }

    int At() const { return at_; }

private:
    std::string Point(int i) const {
        const VertexRecord& r = v_[order_[static_cast<std::size_t>(i)]];
        return std::to_string(static_cast<long long>(r.x)) + "," + std::to_string(static_cast<long long>(r.y));
    }
    void EndDraw() {
        if (!drawing_) return;
        text_ += ";\n";
        drawing_ = false;
    }

    const TVert& v_;
    std::vector<int> order_;  // written index -> vertex of the table
    std::string text_;
    int created_ = 0;
    int at_ = -1;
    int pen_ = -1;  // the reader's pen outlives files: the first line always selects one
    bool floating_ = true;
    bool floatingSet_ = false;
    bool drawing_ = false;
    bool penDown_ = false;
};

bool Included(const LineRecord& l, HpglLines which) {
    return which == HpglLines::All || l.kind == 1;
}

}  // namespace

std::optional<std::string> HpglText(const TLines& lines, HpglLines which, std::string* error) {
    const auto fail = [&](const std::string& why) -> std::optional<std::string> {
        if (error) *error = why;
        return std::nullopt;
    };
    const TVert& v = lines.Vertices();
    std::vector<bool> used(static_cast<std::size_t>(v.Count()), which == HpglLines::All);
    for (int i = 0; i < lines.Count(); ++i) {
        const LineRecord& l = lines[i];
        if (!Included(l, which)) continue;
        if (l.p < 0 || l.k < 0 || l.p >= v.Count() || l.k >= v.Count())
            return fail("line " + std::to_string(i) + " ends at no vertex of the drawing");
        used[static_cast<std::size_t>(l.p)] = used[static_cast<std::size_t>(l.k)] = true;
    }
    // Written index of each table vertex, in table order.
    std::vector<int> order;
    std::vector<int> rank(static_cast<std::size_t>(v.Count()), -1);
    for (int i = 0; i < v.Count(); ++i) {
        if (!used[static_cast<std::size_t>(i)]) continue;
        const VertexRecord& r = v[i];
        if (!(std::fabs(r.x) <= kLargestCoordinate && std::fabs(r.y) <= kLargestCoordinate) ||
            r.x != std::trunc(r.x) || r.y != std::trunc(r.y)) {
            return fail("vertex " + std::to_string(i) + " (" + NumberToText(r.x) + ", " + NumberToText(r.y) +
                        ") does not lie on whole plotter units, which HP-GL holds");
        }
        rank[static_cast<std::size_t>(i)] = static_cast<int>(order.size());
        order.push_back(i);
    }

    Plot plot(v, order);
    for (int i = 0; i < lines.Count(); ++i) {
        const LineRecord& l = lines[i];
        if (!Included(l, which)) continue;
        const int p = rank[static_cast<std::size_t>(l.p)];
        const int k = rank[static_cast<std::size_t>(l.k)];
        // Vertices the table holds before either end are reached first, so that each
        // vertex is created at its own index.
        while (plot.Next() < std::max(p, k)) plot.PenUpTo(plot.Next());
        plot.PenUpTo(p);
        plot.DrawTo(k, l.pen);
    }
    while (plot.Next() < plot.Count()) plot.PenUpTo(plot.Next());
    return plot.Finish();
}

bool WriteHpgl(const std::filesystem::path& file, const TLines& lines, HpglLines which, std::string* error) {
    std::string why;
    const std::optional<std::string> text = HpglText(lines, which, &why);
    if (!text) {
        if (error) *error = "cannot write " + file.string() + ": " + why;
        return false;
    }
    return WriteFileAtomically(file, *text, error);
}

}  // namespace wirvela
