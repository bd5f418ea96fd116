#include "planning/FastJoin.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <queue>
#include <utility>
#include <vector>

#include "geometry/Box2d.h"
#include "planning/CrossingIndex.h"
#include "planning/JoinProgress.h"
#include "planning/Predicates.h"

namespace wirvela {

namespace {

constexpr double kFar = 3e100;  // squared distances from here on are no candidates

std::size_t At(int i) {
    return static_cast<std::size_t>(i);
}

// An entry of a search, ordered as the reference's choice: a candidate connection
// between vertices near (in the tree) and far (outside) of units lo < hi at the squared
// distance d2 the reference computes; or a box of the k-d tree (units and vertices −1,
// so that at equal distance it comes before every candidate), d2 then a lower bound.
// Kept small: the searches' heaps move entries about all the time.
struct Entry {
    double d2 = kFar;
    int lo = -1;
    int hi = -1;
    int near = -1;  // the candidate's vertex in the tree
    int far = -1;   // its vertex outside the tree when it was found
    int node = -1;  // the box, −1 for a candidate

    int I() const { return std::min(near, far); }  // the earlier vertex of the pair
    int J() const { return std::max(near, far); }  // the later one
};

// The order of entries and of waiting searches: squared distance, lower unit, higher
// unit, earlier vertex, later vertex.
template <class A, class B>
[[gnu::always_inline]] inline bool Before(const A& a, const B& b) {
    if (a.d2 != b.d2) return a.d2 < b.d2;
    if (a.lo != b.lo) return a.lo < b.lo;
    if (a.hi != b.hi) return a.hi < b.hi;
    if (a.I() != b.I()) return a.I() < b.I();
    return a.J() < b.J();
}

// SquaredDistance, here where the searches can have it inline; the same expression, so
// the same rounding.
inline double Distance2(Point2d A, Point2d B) {
    return (A.x - B.x) * (A.x - B.x) + (A.y - B.y) * (A.y - B.y);
}

struct Later {
    bool operator()(const Entry& a, const Entry& b) const { return Before(b, a); }
};

// A search with the order key of the entry it will look at next.
struct Waiting {
    double d2;
    int lo;
    int hi;
    int i;
    int j;
    int searcher;

    Waiting(const Entry& e, int g) : d2(e.d2), lo(e.lo), hi(e.hi), i(e.I()), j(e.J()), searcher(g) {}

    int I() const { return i; }
    int J() const { return j; }
};

struct WaitingLater {
    bool operator()(const Waiting& a, const Waiting& b) const { return Before(b, a); }
};

// The box becomes p's alone when `first`, else takes p in.
void Widen(Box2d& box, Point2d p, bool& first) {
    if (first) {
        box = Box2d::Of(p);
        first = false;
        return;
    }
    box.Widen(p);
}

// No pair of positions, one in each box, is nearer than this. Each term is a rounded
// difference that is not above the rounded difference of any such pair, so the bound is
// never above the squared distance SquaredDistance gives for one.
double Gap(const Box2d& a, const Box2d& b) {
    const double dx = a.maxX < b.minX ? b.minX - a.maxX : (b.maxX < a.minX ? a.minX - b.maxX : 0.0);
    const double dy = a.maxY < b.minY ? b.minY - a.maxY : (b.maxY < a.minY ? a.minY - b.maxY : 0.0);
    return dx * dx + dy * dy;
}

// The vertices of the units outside the tree in a k-d tree, and for every group of a few
// neighbouring vertices of a tree unit a nearest-first search of them that goes on from
// where it stopped (FastJoin.h). A search looks at a box of the k-d tree for all vertices
// of its group at once, by the gap between the two boxes, and, in a leaf, takes for
// each vertex outside the vertex of the group that comes first with it in the order of
// Before; with the crossing test, a pair it forbids gives way to the next one.
class TreeSearch {
public:
    TreeSearch(const TVert& v, const std::vector<std::vector<int>>& units, const std::vector<int>& unitOf,
               CrossingIndex* crossing)
        : v_(v), unitOf_(unitOf), crossing_(crossing), firstGroup_(units.size() + 1, 0) {
        std::vector<Member> all;
        std::size_t count = 0;
        for (const auto& members : units) count += members.size();
        all.reserve(count);
        // A tree of boxes of at most kLeafSize vertices, halved at the middle: fewer than
        // 4 count / kLeafSize boxes.
        nodes_.reserve(4 * count / kLeafSize + 1);
        for (const auto& members : units) {
            for (int i : members) all.push_back({v[i], i});
        }
        leafOf_.assign(all.size(), -1);
        if (!all.empty()) Build(all, -1, 0, static_cast<int>(all.size()));
        slotOf_.assign(unitOf_.size(), -1);
        order_.reserve(all.size());
        points_.reserve(all.size());
        unitBySlot_.reserve(all.size());
        for (std::size_t s = 0; s < all.size(); ++s) {
            order_.push_back(all[s].vertex);
            points_.push_back(all[s].p);
            unitBySlot_.push_back(unitOf_[At(all[s].vertex)]);
            slotOf_[At(all[s].vertex)] = static_cast<int>(s);
        }
        alive_.assign(order_.size(), 1);

        // Groups of a unit's vertices in table order: drawn one after the other, they lie
        // near one another (any grouping gives the same result; this one keeps the boxes small).
        members_.reserve(all.size());
        for (std::size_t u = 0; u < units.size(); ++u) {
            firstGroup_[u] = static_cast<int>(groups_.size());
            for (std::size_t k = 0; k < units[u].size(); k += kGroupSize) {
                Group g{Box2d{}, static_cast<int>(u), static_cast<int>(members_.size()), 0};
                bool first = true;
                for (std::size_t m = k; m < std::min(k + kGroupSize, units[u].size()); ++m) {
                    const int i = units[u][m];
                    members_.push_back({v[i], i});
                    Widen(g.box, v[i], first);
                }
                g.end = static_cast<int>(members_.size());
                groups_.push_back(g);
            }
        }
        firstGroup_[units.size()] = static_cast<int>(groups_.size());
        searches_.resize(groups_.size());
    }

    // The vertices of a unit that has joined leave the k-d tree; the boxes they were in
    // shrink to the vertices left (leaves first, then each box from its halves), so that
    // no search is drawn into boxes that have emptied around the tree.
    void Join(const std::vector<int>& vertices) {
        touched_.clear();
        for (int vertex : vertices) {
            const int slot = slotOf_[At(vertex)];
            if (slot < 0 || !alive_[At(slot)]) continue;
            alive_[At(slot)] = 0;
            for (int n = leafOf_[At(slot)]; n >= 0; n = nodes_[At(n)].parent) {
                Node& node = nodes_[At(n)];
                --node.alive;
                if (node.mark == joins_ + 1) continue;
                node.mark = joins_ + 1;
                touched_.push_back(n);
            }
        }
        ++joins_;
        // A box's number is above its parent's, so higher numbers go first.
        std::sort(touched_.begin(), touched_.end(), std::greater<>());
        for (int n : touched_) {
            Node& node = nodes_[At(n)];
            if (node.alive == 0) continue;
            bool first = true;
            if (node.left < 0) {
                for (int s = node.begin; s < node.end; ++s) {
                    if (alive_[At(s)]) Widen(node.box, points_[At(s)], first);
                }
                continue;
            }
            for (const int child : {node.left, node.right}) {
                const Node& c = nodes_[At(child)];
                if (c.alive == 0) continue;
                Widen(node.box, {c.box.minX, c.box.minY}, first);
                Widen(node.box, {c.box.maxX, c.box.maxY}, first);
            }
        }
    }

    // Begins the searches of a unit that has joined (after all of its vertices have
    // left the k-d tree, so that it never finds itself).
    void Start(int unit) {
        if (nodes_.empty() || nodes_[0].alive == 0) return;
        for (int g = firstGroup_[At(unit)]; g < firstGroup_[At(unit) + 1]; ++g) {
            const double bound = Gap(groups_[At(g)].box, nodes_[0].box);
            if (!(bound < kFar)) continue;
            Entry root;
            root.d2 = bound;
            root.node = 0;
            searches_[At(g)].push_back(root);
            queue_.emplace(root, g);
        }
    }

    // The reference's choice for the current tree: the first allowed candidate in the
    // order of Before between a tree vertex and a vertex outside; false when there is
    // none (or on a stop request, which sets `stopped`).
    bool Next(Entry& found, const std::stop_token& stop, bool& stopped) {
        if (nodes_.empty() || nodes_[0].alive == 0) {
            Clear();
            return false;
        }
        int round = 0;
        while (!queue_.empty()) {
            const int g = queue_.top().searcher;
            queue_.pop();
            // The search goes on here as long as its next entry comes first of all.
            std::vector<Entry>& search = searches_[At(g)];
            for (;;) {
                if ((++round & 1023) == 0 && stop.stop_requested()) {
                    stopped = true;
                    return false;
                }
                std::pop_heap(search.begin(), search.end(), Later{});
                const Entry e = search.back();
                search.pop_back();
                if (e.node >= 0) {
                    Open(g, e);
                } else if (alive_[At(slotOf_[At(e.far)])]) {
                    if (crossing_ == nullptr || !crossing_->Crosses(v_[e.I()], v_[e.J()])) {
                        Requeue(g);
                        found = e;
                        return true;
                    }
                    // The pairs of the same outside vertex that come before this one
                    // have all been refused: the next one waits its turn.
                    Entry after;
                    if (Pairing(g, slotOf_[At(e.far)], &e, after)) Push(search, after);
                }
                DropJoined(search);
                if (search.empty()) {
                    std::vector<Entry>().swap(search);
                    break;
                }
                if (!queue_.empty() && Before(queue_.top(), search.front())) {
                    queue_.emplace(search.front(), g);
                    break;
                }
            }
        }
        return false;
    }

private:
    static constexpr int kLeafSize = 16;
    static constexpr std::size_t kGroupSize = 32;

    struct Node {
        Box2d box;
        int parent;
        int left = -1;
        int right = -1;
        int begin = 0;
        int end = 0;
        int alive = 0;
        int mark = 0;  // the last join that took a vertex out of the box
    };

    struct Member {
        Point2d p;
        int vertex;
    };

    // A few neighbouring vertices of one unit, members_[begin … end − 1].
    struct Group {
        Box2d box;
        int unit;
        int begin;
        int end;
    };

    static void Push(std::vector<Entry>& search, const Entry& e) {
        search.push_back(e);
        std::push_heap(search.begin(), search.end(), Later{});
    }

    // The pair of group g with the outside vertex in place `slot` that comes first in the
    // order of Before (after `after`, when given); false when there is none.
    bool Pairing(int g, int slot, const Entry* after, Entry& best) const {
        const Group& group = groups_[At(g)];
        const int w = order_[At(slot)];
        const int other = unitBySlot_[At(slot)];
        const int lo = std::min(group.unit, other);
        const int hi = std::max(group.unit, other);
        const Point2d q = points_[At(slot)];
        if (after == nullptr) {
            // Units and the outside vertex are the same for all pairs here: the nearest
            // member, at equal distance the one whose pair of vertices comes first.
            // (Distance2 is symmetric to the last bit: a difference only changes sign.)
            double nearest = kFar;
            int chosen = -1;
            for (int m = group.begin; m < group.end; ++m) {
                const Member& member = members_[At(m)];
                const double d2 = Distance2(member.p, q);
                if (d2 < nearest) {
                    nearest = d2;
                    chosen = member.vertex;
                } else if (d2 == nearest && chosen >= 0 && PairFirst(member.vertex, chosen, w)) {
                    chosen = member.vertex;
                }
            }
            if (chosen < 0) return false;
            best = Entry{nearest, lo, hi, chosen, w, -1};
            return true;
        }
        bool found = false;
        for (int m = group.begin; m < group.end; ++m) {
            const Member& member = members_[At(m)];
            const int near = member.vertex;
            const double d2 = near < w ? Distance2(member.p, q) : Distance2(q, member.p);
            if (!(d2 < kFar)) continue;
            // Units are the same for all pairs here: the distance alone settles most.
            if (found && d2 > best.d2) continue;
            if (after != nullptr && d2 < after->d2) continue;
            const Entry e{d2, lo, hi, near, w, -1};
            if (after != nullptr && !Before(*after, e)) continue;
            if (!found || Before(e, best)) {
                best = e;
                found = true;
            }
        }
        return found;
    }

    // Pair (a, w) comes before pair (b, w) in vertex order.
    static bool PairFirst(int a, int b, int w) {
        const int ia = std::min(a, w);
        const int ib = std::min(b, w);
        if (ia != ib) return ia < ib;
        return std::max(a, w) < std::max(b, w);
    }

    // Search g looks into box e: each vertex outside in it becomes one candidate, or its
    // two halves boxes of their own. A box that has shrunk away since it was put in the
    // search goes back with its new bound. A nearer half that would come next of all
    // searches anyway is looked into at once, without a turn in the heap.
    void Open(int g, Entry e) {
        std::vector<Entry>& search = searches_[At(g)];
        const Box2d& box = groups_[At(g)].box;
        for (;;) {
            const Node& node = nodes_[At(e.node)];
            if (node.alive == 0) return;
            const double bound = Gap(box, node.box);
            if (!(bound < kFar)) return;
            if (bound > e.d2) {
                e.d2 = bound;
                Push(search, e);
                return;
            }
            if (node.left < 0) {
                for (int s = node.begin; s < node.end; ++s) {
                    Entry candidate;
                    if (alive_[At(s)] && Pairing(g, s, nullptr, candidate)) Push(search, candidate);
                }
                return;
            }
            Entry halves[2];
            int count = 0;
            for (const int child : {node.left, node.right}) {
                const Node& c = nodes_[At(child)];
                if (c.alive == 0) continue;
                const double b = Gap(box, c.box);
                if (!(b < kFar)) continue;
                halves[count].d2 = b;
                halves[count].node = child;
                ++count;
            }
            if (count == 0) return;
            if (count == 2) {
                if (halves[1].d2 < halves[0].d2) std::swap(halves[0], halves[1]);
                Push(search, halves[1]);
            }
            if ((!search.empty() && Before(search.front(), halves[0])) ||
                (!queue_.empty() && Before(queue_.top(), halves[0]))) {
                Push(search, halves[0]);
                return;
            }
            e = halves[0];
        }
    }

    // Candidates whose vertex has joined since are dropped as soon as they come first,
    // without a turn in the queue.
    void DropJoined(std::vector<Entry>& search) const {
        while (!search.empty() && search.front().node < 0 && !alive_[At(slotOf_[At(search.front().far)])]) {
            std::pop_heap(search.begin(), search.end(), Later{});
            search.pop_back();
        }
    }

    void Requeue(int g) {
        std::vector<Entry>& search = searches_[At(g)];
        DropJoined(search);
        if (search.empty()) {
            std::vector<Entry>().swap(search);
            return;
        }
        queue_.emplace(search.front(), g);
    }

    void Clear() {
        while (!queue_.empty()) {
            std::vector<Entry>().swap(searches_[At(queue_.top().searcher)]);
            queue_.pop();
        }
    }

    // The k-d tree over all[begin … end − 1], which it reorders.
    int Build(std::vector<Member>& all, int parent, int begin, int end) {
        const int id = static_cast<int>(nodes_.size());
        Node node{};
        node.parent = parent;
        node.begin = begin;
        node.end = end;
        node.alive = end - begin;
        bool first = true;
        for (int s = begin; s < end; ++s) Widen(node.box, all[At(s)].p, first);
        nodes_.push_back(node);
        if (end - begin <= kLeafSize) {
            for (int s = begin; s < end; ++s) leafOf_[At(s)] = id;
            return id;
        }
        const bool byX = node.box.maxX - node.box.minX >= node.box.maxY - node.box.minY;
        const int middle = begin + (end - begin) / 2;
        const auto at = [&all](int k) { return all.begin() + static_cast<std::ptrdiff_t>(k); };
        if (byX) {
            std::nth_element(at(begin), at(middle), at(end),
                             [](const Member& a, const Member& b) { return a.p.x < b.p.x; });
        } else {
            std::nth_element(at(begin), at(middle), at(end),
                             [](const Member& a, const Member& b) { return a.p.y < b.p.y; });
        }
        const int left = Build(all, id, begin, middle);
        const int right = Build(all, id, middle, end);
        nodes_[At(id)].left = left;
        nodes_[At(id)].right = right;
        return id;
    }

    const TVert& v_;
    const std::vector<int>& unitOf_;
    CrossingIndex* crossing_;
    std::vector<int> order_;       // the vertices outside or not, grouped by box
    std::vector<Point2d> points_;  // their positions
    std::vector<int> unitBySlot_;  // their units
    std::vector<int> slotOf_;      // vertex → its place in order_, −1 for none
    std::vector<char> alive_;      // by place in order_: still outside the tree
    std::vector<int> leafOf_;      // by place in order_
    std::vector<Node> nodes_;
    std::vector<int> touched_;  // the boxes of the current join
    int joins_ = 0;
    std::vector<Member> members_;               // the vertices of the groups
    std::vector<Group> groups_;                 // by unit, then by place
    std::vector<int> firstGroup_;               // unit → its first group; one more entry for the end
    std::vector<std::vector<Entry>> searches_;  // by group, each a heap
    std::priority_queue<Waiting, std::vector<Waiting>, WaitingLater> queue_;
};

bool AllFinite(const TVert& v, const std::vector<std::vector<int>>& units) {
    for (const auto& members : units) {
        for (int i : members) {
            if (!std::isfinite(v[i].x) || !std::isfinite(v[i].y)) return false;
        }
    }
    return true;
}

}  // namespace

JoinResult JoinObjectsFast(TLines& lines, int objectCount, bool crossingTest, PlanariseSink& sink,
                           const std::function<void(int percent)>& progress, std::stop_token stop) {
    const int objects = std::max(objectCount, 0);
    const std::vector<std::vector<int>> members = JoiningUnits(lines, objects);
    const TVert& v = lines.Vertices();
    if (!AllFinite(v, members)) return JoinObjects(lines, objectCount, crossingTest, sink, progress, std::move(stop));
    const int n = static_cast<int>(members.size());

    std::vector<int> unitOf(At(v.Count()), -1);
    for (int u = 0; u < n; ++u) {
        for (int i : members[At(u)]) unitOf[At(i)] = u;
    }
    std::optional<CrossingIndex> crossing;
    if (crossingTest) crossing.emplace(lines);
    TreeSearch tree(v, members, unitOf, crossing ? &*crossing : nullptr);

    JoinProgress done(members, progress, sink);

    std::vector<char> inTree(At(n), 0);
    const auto enter = [&](int x) {
        inTree[At(x)] = 1;
        const std::vector<int>& mx = members[At(x)];
        tree.Join(mx);
        tree.Start(x);
        done.Joined(mx.size());
    };

    std::vector<std::pair<int, int>> edges;
    const int steps = std::max(objects, n) - 1;
    done.Report();
    if (n > 0) {
        if (stop.stop_requested()) return {0, 0, true};
        enter(0);
    }
    for (int step = 1; step <= steps; ++step) {
        if (stop.stop_requested()) return {0, 0, true};
        Entry best;
        bool stopped = false;
        if (tree.Next(best, stop, stopped)) {
            const int newcomer = unitOf[At(best.far)];
            // The higher-numbered unit of the pair is the one in the tree when the
            // newcomer is the lower one: the line then runs from the later vertex.
            edges.push_back(newcomer == best.lo ? std::pair{best.J(), best.I()} : std::pair{best.I(), best.J()});
            enter(newcomer);
        }
        if (stopped) return {0, 0, true};
        done.StepDone(step);
    }
    done.Finish(objects);
    return AddConnectingLines(lines, edges, inTree);
}

}  // namespace wirvela
