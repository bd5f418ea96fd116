#include "planning/PathFindingMethods.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <new>
#include <numbers>
#include <type_traits>
#include <vector>

#include "config/Prompt.h"
#include "config/Settings.h"
#include "drawing/KeyIndex.h"
#include "planning/PlanariseSink.h"
#include "platform/IniFile.h"

namespace wirvela {

namespace {

constexpr int kSlotLimit = MAX_CONS - 1;  // a node holds at most 79 slots
constexpr int kMergeLimit = 78;           // what a node keeps when a merge overfills it

// Truncation toward zero into the node's integer range; coordinates beyond it are held
// at its ends and NaN becomes 0, so no vertex can make the conversion undefined.
std::int32_t TruncateCoordinate(double c) {
    if (std::isnan(c)) return 0;
    const double t = std::trunc(c);
    if (t >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (t <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(t);
}

// The nodes of the fast planner. Each node owns a block of the slot pool with room for
// the slots it can come to hold (its degree, or for the node that absorbs others at its
// place, theirs too, at most MAX_CONS); only the slots in use are ever read.
struct CompactStore {
    struct Header {
        std::int32_t x = 0;
        std::int32_t y = 0;
        std::int32_t passes = 0;
        std::int32_t consCount = 0;
        std::int32_t capacity = 0;
        std::size_t first = 0;  // the block's first slot in the pool
    };
    std::vector<Header> nodes;
    std::vector<std::int32_t> conNode;
    std::vector<std::int32_t> conLine;
    std::vector<std::int32_t> conVisits;
    std::vector<float> conAngle;
};

// A node of the compact store seen with PATH_NODE's field names, so that every step is
// written once for both stores. Valid until the pool is laid out anew.
template <bool Const>
struct CompactNode {
    using I = std::conditional_t<Const, const std::int32_t, std::int32_t>;
    using F = std::conditional_t<Const, const float, float>;
    I& x;
    I& y;
    I& passes;
    I& consCount;
    I capacity;
    I* conNode;
    I* conLine;
    I* conVisits;
    F* conAngle;
};

std::size_t U(int i) { return static_cast<std::size_t>(i); }

PATH_NODE& NodeAt(std::vector<PATH_NODE>& g, int i) { return g[U(i)]; }
const PATH_NODE& NodeAt(const std::vector<PATH_NODE>& g, int i) { return g[U(i)]; }

template <class Store>
auto NodeAt(Store& g, int i) -> CompactNode<std::is_const_v<Store>> {
    auto& h = g.nodes[U(i)];
    return {h.x,
            h.y,
            h.passes,
            h.consCount,
            h.capacity,
            g.conNode.data() + h.first,
            g.conLine.data() + h.first,
            g.conVisits.data() + h.first,
            g.conAngle.data() + h.first};
}

// For the checks of InsertSlot.
[[maybe_unused]] int Capacity(const PATH_NODE&) { return MAX_CONS; }
template <bool Const>
[[maybe_unused]] int Capacity(const CompactNode<Const>& node) {
    return node.capacity;
}

// Node `from` takes the place of node `to` (the renumbering after merges).
void MoveNode(std::vector<PATH_NODE>& g, int to, int from) { g[U(to)] = g[U(from)]; }
void MoveNode(CompactStore& g, int to, int from) { g.nodes[U(to)] = g.nodes[U(from)]; }
void KeepNodes(std::vector<PATH_NODE>& g, int count) { g.resize(U(count)); }
void KeepNodes(CompactStore& g, int count) { g.nodes.resize(U(count)); }

// Passes and edge marks back to 0.
void ClearMarks(std::vector<PATH_NODE>& g, bool passes) {
    for (PATH_NODE& n : g) {
        if (passes) n.passes = 0;
        n.conVisits.fill(0);
    }
}
void ClearMarks(CompactStore& g, bool passes) {
    if (passes) {
        for (auto& h : g.nodes) h.passes = 0;
    }
    std::fill(g.conVisits.begin(), g.conVisits.end(), 0);
}

// Before the merging of coinciding nodes: every node that absorbs others gets room for
// all their slots (the merge never holds more than MAX_CONS - 1 at once).
void MakeRoomForMerges(std::vector<PATH_NODE>&, const std::vector<std::int32_t>&) {}
void MakeRoomForMerges(CompactStore& g, const std::vector<std::int32_t>& survivor) {
    const std::size_t count = g.nodes.size();
    std::vector<std::int32_t> wanted(count, 0);
    bool grows = false;
    for (std::size_t i = 0; i < count; ++i) {
        const auto s = static_cast<std::size_t>(survivor[i]);
        wanted[s] = std::min(wanted[s] + g.nodes[i].consCount, MAX_CONS);
        grows = grows || (s != i && g.nodes[i].consCount > 0);
    }
    if (!grows) return;
    CompactStore laid;
    laid.nodes = g.nodes;
    std::size_t total = 0;
    for (std::size_t i = 0; i < count; ++i) {
        auto& h = laid.nodes[i];
        h.capacity = std::max(wanted[i], h.consCount);
        h.first = total;
        total += static_cast<std::size_t>(h.capacity);
    }
    laid.conNode.resize(total);
    laid.conLine.resize(total);
    laid.conVisits.resize(total);
    laid.conAngle.resize(total);
    for (std::size_t i = 0; i < count; ++i) {
        const auto from = static_cast<std::ptrdiff_t>(g.nodes[i].first);
        const auto to = static_cast<std::ptrdiff_t>(laid.nodes[i].first);
        const auto n = static_cast<std::ptrdiff_t>(g.nodes[i].consCount);
        std::copy(g.conNode.begin() + from, g.conNode.begin() + from + n, laid.conNode.begin() + to);
        std::copy(g.conLine.begin() + from, g.conLine.begin() + from + n, laid.conLine.begin() + to);
        std::copy(g.conVisits.begin() + from, g.conVisits.begin() + from + n, laid.conVisits.begin() + to);
        std::copy(g.conAngle.begin() + from, g.conAngle.begin() + from + n, laid.conAngle.begin() + to);
    }
    g = std::move(laid);
}

// Position before the first slot whose stored angle is smaller than `angle`; the number
// of slots when there is none. The new angle is compared at its own precision.
template <class Node, class Angle>
int InsertionPoint(const Node& node, Angle angle) {
    for (int s = 0; s < node.consCount; ++s) {
        if (static_cast<Angle>(node.conAngle[static_cast<std::size_t>(s)]) < angle) return s;
    }
    return node.consCount;
}

template <class Node>
void InsertSlot(Node&& node, int at, std::int32_t neighbour, std::int32_t line, std::int32_t visits, float angle) {
    assert(node.consCount < Capacity(node));
    for (int s = node.consCount; s > at; --s) {
        const auto d = static_cast<std::size_t>(s);
        node.conNode[d] = node.conNode[d - 1];
        node.conLine[d] = node.conLine[d - 1];
        node.conVisits[d] = node.conVisits[d - 1];
        node.conAngle[d] = node.conAngle[d - 1];
    }
    const auto d = static_cast<std::size_t>(at);
    node.conNode[d] = neighbour;
    node.conLine[d] = line;
    node.conVisits[d] = visits;
    node.conAngle[d] = angle;
    ++node.consCount;
}

template <class Node>
void EraseSlot(Node&& node, int at) {
    for (int s = at; s + 1 < node.consCount; ++s) {
        const auto d = static_cast<std::size_t>(s);
        node.conNode[d] = node.conNode[d + 1];
        node.conLine[d] = node.conLine[d + 1];
        node.conVisits[d] = node.conVisits[d + 1];
        node.conAngle[d] = node.conAngle[d + 1];
    }
    --node.consCount;
}

template <class Node>
int FindSlotByLine(const Node& node, std::int32_t line) {
    for (int s = 0; s < node.consCount; ++s) {
        if (node.conLine[static_cast<std::size_t>(s)] == line) return s;
    }
    return -1;
}

template <class Node>
int LastSlotNaming(const Node& node, int neighbour) {
    for (int s = node.consCount - 1; s >= 0; --s) {
        if (node.conNode[static_cast<std::size_t>(s)] == neighbour) return s;
    }
    return -1;
}

// The walk arrived at `node` from `previous`: the slot it came in by (the last naming
// `previous`, else 0) …
template <class Node>
int IncomingSlot(const Node& node, int previous) {
    const int incoming = LastSlotNaming(node, previous);
    return incoming < 0 ? 0 : incoming;
}

// … and the slot it leaves by: the first after the incoming one, going round, whose
// connection is not yet visited; the incoming one when all are.
template <class Node>
int OutgoingSlot(const Node& node, int incoming) {
    const int slots = node.consCount;
    for (int t = 1; t <= slots; ++t) {
        const int s = (incoming + t) % slots;
        if (node.conVisits[static_cast<std::size_t>(s)] <= 0) return s;
    }
    return incoming;
}

// The walk has gone from node b to node c: b counts a pass, and the connection between
// them a visit at both ends.
template <class G>
void MarkStep(G& g, int b, int c) {
    auto&& atB = NodeAt(g, b);
    auto&& atC = NodeAt(g, c);
    ++atB.passes;
    const int sb = LastSlotNaming(atB, c);
    if (sb >= 0) ++atB.conVisits[static_cast<std::size_t>(sb)];
    const int sc = LastSlotNaming(atC, b);
    if (sc >= 0) ++atC.conVisits[static_cast<std::size_t>(sc)];
}

template <class Node>
int FirstSlotNaming(const Node& node, int neighbour) {
    for (int s = 0; s < node.consCount; ++s) {
        if (node.conNode[static_cast<std::size_t>(s)] == neighbour) return s;
    }
    return -1;
}

template <class Node>
std::uint64_t PlaceKey(const Node& n) {
    return (std::uint64_t{static_cast<std::uint32_t>(n.x)} << 32) | static_cast<std::uint32_t>(n.y);
}

}  // namespace

PATH_FINDING_METHODS::PATH_FINDING_METHODS(PathSearchEnv env) : env_(std::move(env)) {}

PATH_FINDING_METHODS::~PATH_FINDING_METHODS() = default;

struct PATH_FINDING_METHODS::CompactNodes : CompactStore {};

template <class F>
decltype(auto) PATH_FINDING_METHODS::WithNodes(F&& f) {
    if (compact_) return f(static_cast<CompactStore&>(*compact_));
    return f(nodes_);
}

template <class F>
decltype(auto) PATH_FINDING_METHODS::WithNodes(F&& f) const {
    if (compact_) return f(static_cast<const CompactStore&>(*compact_));
    return f(nodes_);
}

PATH_NODE PATH_FINDING_METHODS::Node(int i) const {
    return WithNodes([i](const auto& g) {
        const auto& from = NodeAt(g, i);
        PATH_NODE n;
        n.x = from.x;
        n.y = from.y;
        n.passes = from.passes;
        n.consCount = from.consCount;
        for (int s = 0; s < from.consCount; ++s) {
            n.conNode[U(s)] = from.conNode[U(s)];
            n.conLine[U(s)] = from.conLine[U(s)];
            n.conVisits[U(s)] = from.conVisits[U(s)];
            n.conAngle[U(s)] = from.conAngle[U(s)];
        }
        return n;
    });
}

void PATH_FINDING_METHODS::Log(const char* format, int a, int b, int c) const {
    if (env_.sink == nullptr) return;
    char line[256];
    std::snprintf(line, sizeof line, format, a, b, c);
    env_.sink->Log(line);
}

int PATH_FINDING_METHODS::ErrorBox(int message, int argument) const {
    if (env_.prompt != nullptr) {
        PromptRequest request;
        if (env_.sink != nullptr) {
            const int args[] = {argument};
            request.text = message == 180 ? env_.sink->MessageText(message, args) : env_.sink->MessageText(message);
            request.caption = env_.sink->MessageText(109);
        }
        request.icon = PromptIcon::Error;
        request.buttons = PromptButtons::Ok;
        request.messageKey = message;
        env_.prompt->Ask(request);
    }
    return 1;
}

int PATH_FINDING_METHODS::BuildGraph(const TLines& lines, const TVert& vertices) {
    compact_.reset();
    if (env_.planner == Planner::Fast) return BuildCompact(lines, vertices);
    nodeCount_ = vertices.Count();
    lineCount_ = lines.Count();
    nodes_.clear();
    nodeOfVertex_.clear();
    try {
        nodes_.resize(static_cast<std::size_t>(nodeCount_));
        nodeOfVertex_.resize(static_cast<std::size_t>(nodeCount_));
    } catch (const std::bad_alloc&) {
        nodes_.clear();
        nodeOfVertex_.clear();
        nodeCount_ = 0;
        Log("BuildGraph: brak pamieci");
        return 1;
    }
    return FillGraph(nodes_, lines, vertices);
}

int PATH_FINDING_METHODS::BuildCompact(const TLines& lines, const TVert& vertices) {
    const int nodes = vertices.Count();
    nodes_.clear();
    nodeOfVertex_.clear();
    std::unique_ptr<CompactNodes> store;
    bool buildable = true;
    try {
        // The slot counts the graph will reach, with BuildGraph's tests in its order.
        std::vector<std::int32_t> degree(static_cast<std::size_t>(nodes), 0);
        for (int i = 0; i < lines.Count() && buildable; ++i) {
            const int p = lines[i].p;
            const int k = lines[i].k;
            if (p == k) continue;
            if (p < 0 || k < 0 || p >= nodes || k >= nodes) {
                buildable = false;
                break;
            }
            std::int32_t& atP = degree[static_cast<std::size_t>(p)];
            std::int32_t& atK = degree[static_cast<std::size_t>(k)];
            if (atP >= kSlotLimit || atK >= kSlotLimit) buildable = false;
            ++atP;
            ++atK;
        }
        if (buildable) {
            store = std::make_unique<CompactNodes>();
            store->nodes.resize(static_cast<std::size_t>(nodes));
            std::size_t total = 0;
            for (std::size_t n = 0; n < store->nodes.size(); ++n) {
                store->nodes[n].capacity = degree[n];
                store->nodes[n].first = total;
                total += static_cast<std::size_t>(degree[n]);
            }
            store->conNode.resize(total);
            store->conLine.resize(total);
            store->conVisits.resize(total);
            store->conAngle.resize(total);
            nodeOfVertex_.resize(static_cast<std::size_t>(nodes));
        }
    } catch (const std::bad_alloc&) {
        nodeOfVertex_.clear();
        nodeCount_ = 0;
        lineCount_ = lines.Count();
        Log("BuildGraph: brak pamieci");
        return 1;
    }
    if (!buildable) {
        // Built as the reference builds it: the same error box and the same graph left.
        env_.planner = Planner::Reference;
        const int result = BuildGraph(lines, vertices);
        env_.planner = Planner::Fast;
        return result;
    }
    nodeCount_ = nodes;
    lineCount_ = lines.Count();
    compact_ = std::move(store);
    return FillGraph(*compact_, lines, vertices);
}

template <class G>
int PATH_FINDING_METHODS::FillGraph(G& g, const TLines& lines, const TVert& vertices) {
    for (int i = 0; i < nodeCount_; ++i) {
        auto&& n = NodeAt(g, i);
        n.x = TruncateCoordinate(vertices[i].x);
        n.y = TruncateCoordinate(vertices[i].y);
        nodeOfVertex_[static_cast<std::size_t>(i)] = i;
    }

    for (int i = 0; i < lineCount_; ++i) {
        const int p = lines[i].p;
        const int k = lines[i].k;
        if (p == k) continue;
        if (p < 0 || k < 0 || p >= nodeCount_ || k >= nodeCount_) return ErrorBox(181, 0);
        auto&& atP = NodeAt(g, p);
        auto&& atK = NodeAt(g, k);

        // From the integer coordinates, in double so that no difference can overflow.
        const double dx = static_cast<double>(atK.x) - static_cast<double>(atP.x);
        const double dy = static_cast<double>(atK.y) - static_cast<double>(atP.y);
        const double a = (dx == 0.0 && dy == 0.0) ? 0.0 : std::atan2(dy, dx);
        const double reverse = a >= 0.0 ? a - std::numbers::pi : a + std::numbers::pi;

        if (atP.consCount >= kSlotLimit || atK.consCount >= kSlotLimit) return ErrorBox(180, MAX_CONS);
        InsertSlot(atP, InsertionPoint(atP, a), k, i + 1, 0, static_cast<float>(a));
        InsertSlot(atK, InsertionPoint(atK, reverse), p, -(i + 1), 0, static_cast<float>(reverse));
    }
    ClearMarks(g, false);
    return 0;
}

int PATH_FINDING_METHODS::CheckGraph(const TLines& lines, const TVert& vertices) {
    nodes_.clear();
    compact_.reset();
    nodeOfVertex_.clear();
    nodeCount_ = 0;
    lineCount_ = 0;
    const int nodes = vertices.Count();
    std::vector<std::int32_t> slots;
    try {
        slots.assign(static_cast<std::size_t>(nodes), 0);
    } catch (const std::bad_alloc&) {
        Log("BuildGraph: brak pamieci");
        return 1;
    }
    // The slot counts BuildGraph would reach, line by line, with its tests in its order.
    for (int i = 0; i < lines.Count(); ++i) {
        const int p = lines[i].p;
        const int k = lines[i].k;
        if (p == k) continue;
        if (p < 0 || k < 0 || p >= nodes || k >= nodes) return ErrorBox(181, 0);
        std::int32_t& atP = slots[static_cast<std::size_t>(p)];
        std::int32_t& atK = slots[static_cast<std::size_t>(k)];
        if (atP >= kSlotLimit || atK >= kSlotLimit) return ErrorBox(180, MAX_CONS);
        ++atP;
        ++atK;
    }
    return 0;
}

int PATH_FINDING_METHODS::NodeOfVertex(int vertex) const {
    if (vertex < 0 || vertex >= static_cast<int>(nodeOfVertex_.size())) return -1;
    return nodeOfVertex_[static_cast<std::size_t>(vertex)];
}

template <class G>
int PATH_FINDING_METHODS::RemoveEdgeAt(G& g, int n, int s) {
    auto&& node = NodeAt(g, n);
    const int neighbour = node.conNode[static_cast<std::size_t>(s)];
    const std::int32_t line = node.conLine[static_cast<std::size_t>(s)];
    EraseSlot(node, s);
    int removed = 1;
    if (neighbour >= 0 && neighbour < nodeCount_) {
        const int partner = FindSlotByLine(NodeAt(g, neighbour), -line);
        if (partner >= 0) {
            EraseSlot(NodeAt(g, neighbour), partner);
            ++removed;
        }
    }
    return removed;
}

int PATH_FINDING_METHODS::TestDuplicates(int keepNode) {
    const SettingKey& setting = settings::kTestDuplicates;
    const auto def = static_cast<long>(setting.def.number);
    const long enabled = env_.iniFile.empty() ? def : IniFile::ReadInt(env_.iniFile, setting.section, setting.key, def);
    if (enabled == 0) return 0;
    Log("++++ TestDuplicates()");
    const int keep = NodeOfVertex(keepNode);
    WithNodes([this, keep](auto& g) {
        MergeCoincidingNodes(g, keep);
        CountRepeatedEdges(g);
        RemoveRepeatedEdges(g);
        CountConsistency(g);
    });
    Log("---- TestDuplicates()");
    return 0;
}

template <class G>
void PATH_FINDING_METHODS::MergeCoincidingNodes(G& g, int keepNode) {
    // Each node merges into the lowest-numbered node at its integer place, the nodes
    // taken from the last to the first. Partner slots are redirected as each node goes,
    // so every slot always names a node that is still there; the renumbering is done in
    // one pass at the end.
    std::vector<std::int32_t> survivor(static_cast<std::size_t>(nodeCount_));
    {
        // The first node at each place: an open-addressing table of node numbers, at
        // most half full.
        const std::size_t size = std::bit_ceil(2 * static_cast<std::size_t>(nodeCount_) + 2);
        std::vector<std::int32_t> first(size, -1);
        for (int i = 0; i < nodeCount_; ++i) {
            const std::uint64_t key = PlaceKey(NodeAt(g, i));
            std::size_t slot = static_cast<std::size_t>(MixBits(key)) & (size - 1);
            while (first[slot] != -1 && PlaceKey(NodeAt(g, first[slot])) != key) slot = (slot + 1) & (size - 1);
            if (first[slot] == -1) first[slot] = i;
            survivor[static_cast<std::size_t>(i)] = first[slot];
        }
    }
    MakeRoomForMerges(g, survivor);
    std::vector<bool> gone(static_cast<std::size_t>(nodeCount_), false);
    int removed = 0;
    for (int r = nodeCount_ - 1; r >= 0; --r) {
        const int s = survivor[static_cast<std::size_t>(r)];
        if (s == r || r == keepNode) continue;
        auto&& from = NodeAt(g, r);
        for (int t = 0; t < from.consCount; ++t) {
            const auto d = static_cast<std::size_t>(t);
            const int m = from.conNode[d];
            auto&& other = NodeAt(g, m);
            const int partner = FindSlotByLine(other, -from.conLine[d]);
            if (partner >= 0) other.conNode[static_cast<std::size_t>(partner)] = s;
        }
        for (int t = 0; t < from.consCount; ++t) {
            const auto d = static_cast<std::size_t>(t);
            auto&& into = NodeAt(g, s);
            const int neighbour = from.conNode[d] == r ? s : from.conNode[d];
            InsertSlot(into, InsertionPoint(into, from.conAngle[d]), neighbour, from.conLine[d], from.conVisits[d],
                       from.conAngle[d]);
            if (into.consCount >= kSlotLimit) {
                Log("!!!! Za mala MAX_CONS !!!!");
                // The slots that fall out take their partners with them, so the edge
                // leaves the graph whole.
                while (into.consCount > kMergeLimit) RemoveEdgeAt(g, s, into.consCount - 1);
            }
        }
        from.consCount = 0;
        gone[static_cast<std::size_t>(r)] = true;
        ++removed;
    }

    if (removed > 0) {
        std::vector<std::int32_t> renumber(static_cast<std::size_t>(nodeCount_), -1);
        int next = 0;
        for (int i = 0; i < nodeCount_; ++i) {
            if (!gone[static_cast<std::size_t>(i)]) renumber[static_cast<std::size_t>(i)] = next++;
        }
        for (int i = 0; i < nodeCount_; ++i) {
            if (gone[static_cast<std::size_t>(i)]) {
                renumber[static_cast<std::size_t>(i)] =
                    renumber[static_cast<std::size_t>(survivor[static_cast<std::size_t>(i)])];
            }
        }
        // The nodes move down in place (a node never moves up), so the reference
        // planner's array of some 1.3 kB per node is not held twice.
        int kept = 0;
        for (int i = 0; i < nodeCount_; ++i) {
            if (gone[static_cast<std::size_t>(i)]) continue;
            if (kept != i) MoveNode(g, kept, i);
            auto&& n = NodeAt(g, kept++);
            for (int t = 0; t < n.consCount; ++t) {
                auto& c = n.conNode[static_cast<std::size_t>(t)];
                c = renumber[static_cast<std::size_t>(c)];
            }
        }
        KeepNodes(g, next);
        for (auto& v : nodeOfVertex_) v = renumber[static_cast<std::size_t>(v)];
        nodeCount_ = next;
    }
    Log("Usunieto %d powt. punktów.", removed);
}

template <class G>
void PATH_FINDING_METHODS::CountRepeatedEdges(const G& g) const {
    int repeated = 0;
    int empty = 0;
    for (int n = nodeCount_ - 1; n >= 0; --n) {
        const auto& node = NodeAt(g, n);
        if (node.consCount == 0) ++empty;
        for (int j = 0; j < node.consCount; ++j) {
            for (int m = 0; m < j; ++m) {
                if (node.conNode[static_cast<std::size_t>(j)] == node.conNode[static_cast<std::size_t>(m)]) ++repeated;
            }
        }
    }
    Log("Powt. linii: %d, pustych wezlow %d.", repeated, empty);
}

template <class G>
void PATH_FINDING_METHODS::RemoveRepeatedEdges(G& g) {
    // The first of several parallel edges in slot order stays; a removed slot takes its
    // partner at the neighbour along, so both ends agree on which line remains.
    int removed = 0;
    for (int n = nodeCount_ - 1; n >= 0; --n) {
        int j = NodeAt(g, n).consCount - 1;
        while (j >= 0) {
            const auto& node = NodeAt(g, n);
            const int neighbour = node.conNode[static_cast<std::size_t>(j)];
            bool repeated = neighbour == n;
            for (int m = 0; m < j && !repeated; ++m) repeated = node.conNode[static_cast<std::size_t>(m)] == neighbour;
            if (repeated) {
                removed += RemoveEdgeAt(g, n, j);
                j = std::min(j, static_cast<int>(NodeAt(g, n).consCount)) - 1;
            } else {
                --j;
            }
        }
    }
    Log("Usunalem %d powt. linii.", removed);
}

template <class G>
void PATH_FINDING_METHODS::CountConsistency(const G& g) const {
    int duplicated = 0;
    int missing = 0;
    int bad = 0;
    int sound = 0;
    for (int n = nodeCount_ - 1; n >= 0; --n) {
        const auto& node = NodeAt(g, n);
        for (int s = 0; s < node.consCount; ++s) {
            const int m = node.conNode[static_cast<std::size_t>(s)];
            const std::int32_t r = node.conLine[static_cast<std::size_t>(s)];
            if (m < 0 || m >= nodeCount_) {
                ++missing;
                ++bad;
                continue;
            }
            const auto& other = NodeAt(g, m);
            int naming = 0;
            int matching = 0;
            for (int t = 0; t < other.consCount; ++t) {
                if (other.conNode[static_cast<std::size_t>(t)] == n) ++naming;
                if (other.conLine[static_cast<std::size_t>(t)] == -r) ++matching;
            }
            if (naming > 1) {
                ++duplicated;
            } else if (naming == 0) {
                ++missing;
            } else {
                ++sound;
            }
            if (matching != 1) ++bad;
            if (r == 0) bad += other.consCount;
        }
    }
    Log("Połączeń powielonych: %d, brakujących: %d, błędnych indx: %d.", duplicated, missing, bad);
    Log("Węzłów: %d, linii: %d (x2 = %d).", nodeCount_, sound / 2, sound);
}

int PATH_FINDING_METHODS::FindPath(int startNode) {
    return WithNodes([this, startNode](auto& g) {
        return env_.planner == Planner::Fast ? FindPathFast(g, startNode) : FindPathReference(g, startNode);
    });
}

template <class G>
int PATH_FINDING_METHODS::FindPathReference(G& g, int startNode) {
    Log("++++ FindPath()");
    forced_ = 0;
    path_ = std::make_unique<PATH_THROUGH_NODES>(SequenceCapacity());
    if (!path_->Valid() || startNode < 0 || startNode >= nodeCount_) {
        Log("---- FindPath()");
        return kNoSequence;
    }
    path_->Add(startNode);
    NodeAt(g, startNode).passes = 1;

    int sweeps = 0;
    for (;;) {
        ++sweeps;
        int position = 0;
        bool open = true;
        for (;;) {
            if (Stopped()) return kStopped;
            const int v = path_->Get(position);
            if (v < 0) {
                Log("Wymuszen: %d", forced_);
                Log("---- FindPath()");
                return path_->Count();
            }
            if (open) {
                const auto& node = NodeAt(g, v);
                for (int s = node.consCount - 1; s >= 0 && open; --s) {
                    if (node.conVisits[static_cast<std::size_t>(s)] == 0) open = false;
                }
                if (open) {
                    ++position;
                    continue;
                }
            }
            const int from = position > 0 ? path_->Get(position - 1) : v;
            const int walked = FindCycleIn(g, v, from);
            if (walked == kStopped) return kStopped;
            if (walked < 0 || cycle_->Last() != cycle_->First()) {
                // A forced attempt: the very next node is tried without looking for open
                // edges (the open-node flag stays down).
                ++forced_;
                ++position;
                continue;
            }
            if (path_->Replace(position, position, *cycle_) >= 2) MarkWalk(g, *cycle_);
            if (sweeps >= nodeCount_) {
                Log("Wymuszen: %d", forced_);
                return kSweepLimit;
            }
            break;
        }
    }
}

namespace {

// The tour as a linked list of its items in fixed arrays (an item is added once and
// never moves), with the count and capacity rules of PATH_THROUGH_NODES.
class LinkedTour {
public:
    explicit LinkedTour(int capacity) : capacity_(capacity) {
        const auto n = static_cast<std::size_t>(std::max(capacity, 1));
        value_.reserve(n);
        next_.reserve(n);
        previous_.reserve(n);
    }

    // The first item; the tour is never empty.
    void Start(int node) { Append(node, -1); }

    int Value(int item) const { return value_[static_cast<std::size_t>(item)]; }
    int Next(int item) const { return next_[static_cast<std::size_t>(item)]; }
    int Previous(int item) const { return previous_[static_cast<std::size_t>(item)]; }
    int Count() const { return count_; }

    // PATH_THROUGH_NODES::Replace(position, position, walk) for the item at position,
    // which holds the walk's first and last node: the walk's other nodes follow it.
    // false (nothing changed) when the count would pass the capacity.
    bool Splice(int item, const std::vector<int>& walk) {
        if (count_ + static_cast<int>(walk.size()) > capacity_) return false;
        const int after = Next(item);
        int last = item;
        for (std::size_t k = 1; k < walk.size(); ++k) last = Append(walk[k], last);
        next_[static_cast<std::size_t>(last)] = after;
        if (after >= 0) previous_[static_cast<std::size_t>(after)] = last;
        count_ += static_cast<int>(walk.size()) - 1;
        return true;
    }

    void CopyTo(PATH_THROUGH_NODES& path) const {
        for (int item = 0; item >= 0; item = Next(item)) path.Add(Value(item));
    }

private:
    int Append(int node, int previous) {
        const int item = static_cast<int>(value_.size());
        value_.push_back(node);
        next_.push_back(-1);
        previous_.push_back(previous);
        if (previous >= 0) next_[static_cast<std::size_t>(previous)] = item;
        return item;
    }

    std::vector<std::int32_t> value_;
    std::vector<std::int32_t> next_;
    std::vector<std::int32_t> previous_;
    int capacity_;
    int count_ = 1;
};

template <class Node>
bool HasOpenSlot(const Node& node) {
    for (int s = node.consCount - 1; s >= 0; --s) {
        if (node.conVisits[static_cast<std::size_t>(s)] == 0) return true;
    }
    return false;
}

}  // namespace

template <class G>
int PATH_FINDING_METHODS::FindPathFast(G& g, int startNode) {
    Log("++++ FindPath()");
    forced_ = 0;
    cycle_.reset();
    const int capacity = SequenceCapacity();
    path_ = std::make_unique<PATH_THROUGH_NODES>(capacity);
    if (!path_->Valid() || startNode < 0 || startNode >= nodeCount_) {
        Log("---- FindPath()");
        return kNoSequence;
    }
    NodeAt(g, startNode).passes = 1;

    std::unique_ptr<LinkedTour> tour;
    std::vector<int> walk;
    // The states a face walk has been in: (node, incoming slot), one mark per slot.
    std::vector<std::size_t> firstSlot(static_cast<std::size_t>(nodeCount_) + 1, 0);
    std::vector<std::uint32_t> seen;
    try {
        tour = std::make_unique<LinkedTour>(capacity);
        walk.reserve(static_cast<std::size_t>(capacity));
        for (int n = 0; n < nodeCount_; ++n) {
            firstSlot[static_cast<std::size_t>(n) + 1] =
                firstSlot[static_cast<std::size_t>(n)] + static_cast<std::size_t>(NodeAt(g, n).consCount);
        }
        seen.assign(firstSlot.back(), 0);
    } catch (const std::bad_alloc&) {
        path_ = std::make_unique<PATH_THROUGH_NODES>(0);
        Log("---- FindPath()");
        return kNoSequence;
    }
    tour->Start(startNode);
    std::uint32_t walks = 0;
    const int limit = 2 * lineCount_ + 2;

    // FindCycle's walk into `walk`: its length, or −1 for a failed one.
    const auto faceWalk = [&](int start, int from) {
        walk.clear();
        if (NodeAt(g, start).consCount == 0) return -1;
        if (++walks == 0) {
            std::fill(seen.begin(), seen.end(), 0);
            walks = 1;
        }
        int current = start;
        int previous = from;
        for (int step = 0; step < limit; ++step) {
            if ((step & 1023) == 0 && Stopped()) return kStopped;
            const auto& node = NodeAt(g, current);
            if (node.consCount == 0) return -1;
            const int incoming = IncomingSlot(node, previous);
            // The walk's next steps depend on nothing but this state: once in it again,
            // it goes round for good without reaching its start.
            std::uint32_t& mark =
                seen[firstSlot[static_cast<std::size_t>(current)] + static_cast<std::size_t>(incoming)];
            if (mark == walks) return -1;
            mark = walks;
            const int outgoing = OutgoingSlot(node, incoming);
            walk.push_back(current);
            const int next = node.conNode[static_cast<std::size_t>(outgoing)];
            if (next == start) {
                walk.push_back(start);
                return static_cast<int>(walk.size());
            }
            previous = current;
            current = next;
        }
        return -1;
    };
    const auto mark = [&] {
        for (std::size_t i = 0; i + 1 < walk.size(); ++i) MarkStep(g, walk[i], walk[i + 1]);
    };
    const auto finish = [&](int result) {
        tour->CopyTo(*path_);
        return result;
    };

    int sweeps = 0;
    int resume = 0;  // the item of the previous sweep's first attempt
    int rounds = 0;
    for (;;) {
        ++sweeps;
        int item = resume;
        bool open = true;
        long long forcedHere = 0;
        for (;;) {
            if ((++rounds & 1023) == 0 && Stopped()) return finish(kStopped);
            if (item < 0) {
                Log("Wymuszen: %d", forced_);
                Log("---- FindPath()");
                return finish(tour->Count());
            }
            const int v = tour->Value(item);
            if (open) {
                if (!HasOpenSlot(NodeAt(g, v))) {
                    item = tour->Next(item);
                    continue;
                }
                open = false;
                resume = item;
            }
            const int before = tour->Previous(item);
            const int walked = faceWalk(v, before >= 0 ? tour->Value(before) : v);
            if (walked == kStopped) return finish(kStopped);
            if (walked < 0) {
                ++forced_;
                ++forcedHere;
                item = tour->Next(item);
                continue;
            }
            if (!tour->Splice(item, walk)) {
                // Nothing changed, so every sweep left to the limit would repeat this one.
                if (sweeps < nodeCount_) {
                    const long long total = forced_ + forcedHere * (nodeCount_ - sweeps);
                    forced_ = static_cast<int>(std::min<long long>(total, std::numeric_limits<int>::max()));
                }
                Log("Wymuszen: %d", forced_);
                return finish(kSweepLimit);
            }
            mark();
            if (sweeps >= nodeCount_) {
                Log("Wymuszen: %d", forced_);
                return finish(kSweepLimit);
            }
            break;
        }
    }
}

int PATH_FINDING_METHODS::FindCycle(int start, int from) {
    return WithNodes([this, start, from](auto& g) { return FindCycleIn(g, start, from); });
}

template <class G>
int PATH_FINDING_METHODS::FindCycleIn(G& g, int start, int from) {
    cycle_ = std::make_unique<PATH_THROUGH_NODES>(SequenceCapacity());
    if (!cycle_->Valid() || start < 0 || start >= nodeCount_ || NodeAt(g, start).consCount == 0) return -1;
    const int limit = 2 * lineCount_ + 2;
    int current = start;
    int previous = from;
    for (int step = 0; step < limit; ++step) {
        if ((step & 1023) == 0 && Stopped()) return kStopped;
        const auto& node = NodeAt(g, current);
        if (node.consCount == 0) return -1;
        const int outgoing = OutgoingSlot(node, IncomingSlot(node, previous));
        cycle_->Add(current);
        const int next = node.conNode[static_cast<std::size_t>(outgoing)];
        if (next == start) {
            cycle_->Add(start);
            return cycle_->Count();
        }
        previous = current;
        current = next;
    }
    return -1;
}

void PATH_FINDING_METHODS::InsertCycle(int position) {
    if (!path_ || !cycle_) return;
    if (path_->Replace(position, position, *cycle_) < 2) return;
    WithNodes([this](auto& g) { MarkWalk(g, *cycle_); });
}

template <class G>
void PATH_FINDING_METHODS::MarkWalk(G& g, const PATH_THROUGH_NODES& walk) {
    for (int i = 0; i + 1 < walk.Count(); ++i) MarkStep(g, walk.Get(i), walk.Get(i + 1));
}

int PATH_FINDING_METHODS::PathToLineList(std::unique_ptr<TLineList>& list) const {
    return WithNodes([this, &list](const auto& g) { return PathToLineListIn(g, list); });
}

template <class G>
int PATH_FINDING_METHODS::PathToLineListIn(const G& g, std::unique_ptr<TLineList>& list) const {
    if (!path_ || path_->Count() < 3) return -1;
    list = std::make_unique<TLineList>(path_->Count() + 80);
    for (int i = 0; i + 1 < path_->Count(); ++i) {
        const int a = path_->Get(i);
        const int b = path_->Get(i + 1);
        const auto& atA = NodeAt(g, a);
        const int s = FirstSlotNaming(atA, b);
        if (s < 0) continue;  // consecutive tour nodes are always neighbours
        const std::int32_t r = atA.conLine[static_cast<std::size_t>(s)];
        if (r > 0) {
            list->Append(r - 1, 1.0, 2);
        } else {
            list->Append(-r - 1, -1.0, 2);
        }
    }
    return 0;
}

int PATH_FINDING_METHODS::TestIntegrity() {
    WithNodes([this](auto& g) { TestIntegrityIn(g); });
    return 0;
}

template <class G>
void PATH_FINDING_METHODS::TestIntegrityIn(G& g) {
    Log("++++ TestIntegrity()");
    ClearMarks(g, true);
    const int length = path_ ? path_->Count() : 0;
    for (int i = 0; i < length; ++i) ++NodeAt(g, path_->Get(i)).passes;
    for (int i = 0; i + 1 < length; ++i) {
        const int a = path_->Get(i);
        const int b = path_->Get(i + 1);
        auto&& atA = NodeAt(g, a);
        auto&& atB = NodeAt(g, b);
        for (int s = 0; s < atB.consCount; ++s) {
            if (atB.conNode[static_cast<std::size_t>(s)] == a) ++atB.conVisits[static_cast<std::size_t>(s)];
        }
        for (int s = 0; s < atA.consCount; ++s) {
            if (atA.conNode[static_cast<std::size_t>(s)] == b) ++atA.conVisits[static_cast<std::size_t>(s)];
        }
    }
    integrity_ = IntegrityCounts{};
    integrity_.pathNodes = length;
    for (int i = 0; i < nodeCount_; ++i) {
        const auto& n = NodeAt(g, i);
        if (n.passes <= 0) ++integrity_.unvisitedPoints;
        for (int s = 0; s < n.consCount; ++s) {
            const int visits = n.conVisits[static_cast<std::size_t>(s)];
            if (visits <= 0) ++integrity_.unvisitedLines;
            if (visits > 4) ++integrity_.surplus;
        }
    }
    Log("Liczba przejsc przez punkty: %d.", length);
    Log("Nieodwiedzone punkty: %d, nieodwiedzone linie (x2): %d, nadmiar przejsc: %d.", integrity_.unvisitedPoints,
        integrity_.unvisitedLines, integrity_.surplus);
    Log("---- TestIntegrity()");
}

}  // namespace wirvela
