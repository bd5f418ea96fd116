#include "planning/PathFindingMethods.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <new>
#include <numbers>
#include <unordered_map>
#include <vector>

#include "config/Prompt.h"
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

// Position before the first slot whose stored angle is smaller than `angle`; the number
// of slots when there is none. The new angle is compared at its own precision.
template <class Angle>
int InsertionPoint(const PATH_NODE& node, Angle angle) {
    for (int s = 0; s < node.consCount; ++s) {
        if (static_cast<Angle>(node.conAngle[static_cast<std::size_t>(s)]) < angle) return s;
    }
    return node.consCount;
}

void InsertSlot(PATH_NODE& node, int at, std::int32_t neighbour, std::int32_t line, std::int32_t visits, float angle) {
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

void EraseSlot(PATH_NODE& node, int at) {
    for (int s = at; s + 1 < node.consCount; ++s) {
        const auto d = static_cast<std::size_t>(s);
        node.conNode[d] = node.conNode[d + 1];
        node.conLine[d] = node.conLine[d + 1];
        node.conVisits[d] = node.conVisits[d + 1];
        node.conAngle[d] = node.conAngle[d + 1];
    }
    --node.consCount;
}

int FindSlotByLine(const PATH_NODE& node, std::int32_t line) {
    for (int s = 0; s < node.consCount; ++s) {
        if (node.conLine[static_cast<std::size_t>(s)] == line) return s;
    }
    return -1;
}

int LastSlotNaming(const PATH_NODE& node, int neighbour) {
    for (int s = node.consCount - 1; s >= 0; --s) {
        if (node.conNode[static_cast<std::size_t>(s)] == neighbour) return s;
    }
    return -1;
}

int FirstSlotNaming(const PATH_NODE& node, int neighbour) {
    for (int s = 0; s < node.consCount; ++s) {
        if (node.conNode[static_cast<std::size_t>(s)] == neighbour) return s;
    }
    return -1;
}

std::uint64_t PlaceKey(const PATH_NODE& n) {
    return (std::uint64_t{static_cast<std::uint32_t>(n.x)} << 32) | static_cast<std::uint32_t>(n.y);
}

}  // namespace

PATH_FINDING_METHODS::PATH_FINDING_METHODS(PathSearchEnv env) : env_(std::move(env)) {}

PATH_FINDING_METHODS::~PATH_FINDING_METHODS() = default;

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
    for (int i = 0; i < nodeCount_; ++i) {
        PATH_NODE& n = At(i);
        n.x = TruncateCoordinate(vertices[i].x);
        n.y = TruncateCoordinate(vertices[i].y);
        nodeOfVertex_[static_cast<std::size_t>(i)] = i;
    }

    for (int i = 0; i < lineCount_; ++i) {
        const int p = lines[i].p;
        const int k = lines[i].k;
        if (p == k) continue;
        if (p < 0 || k < 0 || p >= nodeCount_ || k >= nodeCount_) return ErrorBox(181, 0);

        // From the integer coordinates, in double so that no difference can overflow.
        const double dx = static_cast<double>(At(k).x) - static_cast<double>(At(p).x);
        const double dy = static_cast<double>(At(k).y) - static_cast<double>(At(p).y);
        const double a = (dx == 0.0 && dy == 0.0) ? 0.0 : std::atan2(dy, dx);
        const double reverse = a >= 0.0 ? a - std::numbers::pi : a + std::numbers::pi;

        if (At(p).consCount >= kSlotLimit || At(k).consCount >= kSlotLimit) return ErrorBox(180, MAX_CONS);
        InsertSlot(At(p), InsertionPoint(At(p), a), k, i + 1, 0, static_cast<float>(a));
        InsertSlot(At(k), InsertionPoint(At(k), reverse), p, -(i + 1), 0, static_cast<float>(reverse));
    }
    for (PATH_NODE& n : nodes_) n.conVisits.fill(0);
    return 0;
}

int PATH_FINDING_METHODS::CheckGraph(const TLines& lines, const TVert& vertices) {
    nodes_.clear();
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

int PATH_FINDING_METHODS::RemoveEdgeAt(int n, int s) {
    PATH_NODE& node = At(n);
    const int neighbour = node.conNode[static_cast<std::size_t>(s)];
    const std::int32_t line = node.conLine[static_cast<std::size_t>(s)];
    EraseSlot(node, s);
    int removed = 1;
    if (neighbour >= 0 && neighbour < nodeCount_) {
        const int partner = FindSlotByLine(At(neighbour), -line);
        if (partner >= 0) {
            EraseSlot(At(neighbour), partner);
            ++removed;
        }
    }
    return removed;
}

int PATH_FINDING_METHODS::TestDuplicates(int keepNode) {
    const long enabled = env_.iniFile.empty() ? 1 : IniFile::ReadInt(env_.iniFile, "Ploter", "TestDuplicates", 1);
    if (enabled == 0) return 0;
    Log("++++ TestDuplicates()");
    MergeCoincidingNodes(NodeOfVertex(keepNode));
    CountRepeatedEdges();
    RemoveRepeatedEdges();
    CountConsistency();
    Log("---- TestDuplicates()");
    return 0;
}

void PATH_FINDING_METHODS::MergeCoincidingNodes(int keepNode) {
    // Each node merges into the lowest-numbered node at its integer place, the nodes
    // taken from the last to the first. Partner slots are redirected as each node goes,
    // so every slot always names a node that is still there; the renumbering is done in
    // one pass at the end.
    std::vector<std::int32_t> survivor(static_cast<std::size_t>(nodeCount_));
    {
        std::unordered_map<std::uint64_t, std::int32_t> first;
        first.reserve(static_cast<std::size_t>(nodeCount_));
        for (int i = 0; i < nodeCount_; ++i) {
            survivor[static_cast<std::size_t>(i)] = first.try_emplace(PlaceKey(At(i)), i).first->second;
        }
    }
    std::vector<bool> gone(static_cast<std::size_t>(nodeCount_), false);
    int removed = 0;
    for (int r = nodeCount_ - 1; r >= 0; --r) {
        const int s = survivor[static_cast<std::size_t>(r)];
        if (s == r || r == keepNode) continue;
        PATH_NODE& from = At(r);
        for (int t = 0; t < from.consCount; ++t) {
            const auto d = static_cast<std::size_t>(t);
            const int m = from.conNode[d];
            const int partner = FindSlotByLine(At(m), -from.conLine[d]);
            if (partner >= 0) At(m).conNode[static_cast<std::size_t>(partner)] = s;
        }
        for (int t = 0; t < from.consCount; ++t) {
            const auto d = static_cast<std::size_t>(t);
            PATH_NODE& into = At(s);
            const int neighbour = from.conNode[d] == r ? s : from.conNode[d];
            InsertSlot(into, InsertionPoint(into, from.conAngle[d]), neighbour, from.conLine[d], from.conVisits[d],
                       from.conAngle[d]);
            if (into.consCount >= kSlotLimit) {
                Log("!!!! Za mala MAX_CONS !!!!");
                // The slots that fall out take their partners with them, so the edge
                // leaves the graph whole.
                while (into.consCount > kMergeLimit) RemoveEdgeAt(s, into.consCount - 1);
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
        // The nodes move down in place (a node never moves up), so the array of some
        // 1.3 kB per node is not held twice.
        int kept = 0;
        for (int i = 0; i < nodeCount_; ++i) {
            if (gone[static_cast<std::size_t>(i)]) continue;
            if (kept != i) At(kept) = At(i);
            PATH_NODE& n = At(kept++);
            for (int t = 0; t < n.consCount; ++t) {
                auto& c = n.conNode[static_cast<std::size_t>(t)];
                c = renumber[static_cast<std::size_t>(c)];
            }
        }
        nodes_.resize(static_cast<std::size_t>(next));
        for (auto& v : nodeOfVertex_) v = renumber[static_cast<std::size_t>(v)];
        nodeCount_ = next;
    }
    Log("Usunieto %d powt. punktów.", removed);
}

void PATH_FINDING_METHODS::CountRepeatedEdges() const {
    int repeated = 0;
    int empty = 0;
    for (int n = nodeCount_ - 1; n >= 0; --n) {
        const PATH_NODE& node = nodes_[static_cast<std::size_t>(n)];
        if (node.consCount == 0) ++empty;
        for (int j = 0; j < node.consCount; ++j) {
            for (int m = 0; m < j; ++m) {
                if (node.conNode[static_cast<std::size_t>(j)] == node.conNode[static_cast<std::size_t>(m)]) ++repeated;
            }
        }
    }
    Log("Powt. linii: %d, pustych wezlow %d.", repeated, empty);
}

void PATH_FINDING_METHODS::RemoveRepeatedEdges() {
    // The first of several parallel edges in slot order stays; a removed slot takes its
    // partner at the neighbour along, so both ends agree on which line remains.
    int removed = 0;
    for (int n = nodeCount_ - 1; n >= 0; --n) {
        int j = At(n).consCount - 1;
        while (j >= 0) {
            const PATH_NODE& node = At(n);
            const int neighbour = node.conNode[static_cast<std::size_t>(j)];
            bool repeated = neighbour == n;
            for (int m = 0; m < j && !repeated; ++m) repeated = node.conNode[static_cast<std::size_t>(m)] == neighbour;
            if (repeated) {
                removed += RemoveEdgeAt(n, j);
                j = std::min(j, At(n).consCount) - 1;
            } else {
                --j;
            }
        }
    }
    Log("Usunalem %d powt. linii.", removed);
}

void PATH_FINDING_METHODS::CountConsistency() const {
    int duplicated = 0;
    int missing = 0;
    int bad = 0;
    int sound = 0;
    for (int n = nodeCount_ - 1; n >= 0; --n) {
        const PATH_NODE& node = nodes_[static_cast<std::size_t>(n)];
        for (int s = 0; s < node.consCount; ++s) {
            const int m = node.conNode[static_cast<std::size_t>(s)];
            const std::int32_t r = node.conLine[static_cast<std::size_t>(s)];
            if (m < 0 || m >= nodeCount_) {
                ++missing;
                ++bad;
                continue;
            }
            const PATH_NODE& other = nodes_[static_cast<std::size_t>(m)];
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
    if (env_.planner == Planner::Fast) return FindPathFast(startNode);
    Log("++++ FindPath()");
    forced_ = 0;
    path_ = std::make_unique<PATH_THROUGH_NODES>(SequenceCapacity());
    if (!path_->Valid() || startNode < 0 || startNode >= nodeCount_) {
        Log("---- FindPath()");
        return kNoSequence;
    }
    path_->Add(startNode);
    At(startNode).passes = 1;

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
                const PATH_NODE& node = At(v);
                for (int s = node.consCount - 1; s >= 0 && open; --s) {
                    if (node.conVisits[static_cast<std::size_t>(s)] == 0) open = false;
                }
                if (open) {
                    ++position;
                    continue;
                }
            }
            const int from = position > 0 ? path_->Get(position - 1) : v;
            const int walked = FindCycle(v, from);
            if (walked == kStopped) return kStopped;
            if (walked < 0 || cycle_->Last() != cycle_->First()) {
                // A forced attempt: the very next node is tried without looking for open
                // edges (the open-node flag stays down).
                ++forced_;
                ++position;
                continue;
            }
            InsertCycle(position);
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

bool HasOpenSlot(const PATH_NODE& node) {
    for (int s = node.consCount - 1; s >= 0; --s) {
        if (node.conVisits[static_cast<std::size_t>(s)] == 0) return true;
    }
    return false;
}

}  // namespace

int PATH_FINDING_METHODS::FindPathFast(int startNode) {
    Log("++++ FindPath()");
    forced_ = 0;
    cycle_.reset();
    const int capacity = SequenceCapacity();
    path_ = std::make_unique<PATH_THROUGH_NODES>(capacity);
    if (!path_->Valid() || startNode < 0 || startNode >= nodeCount_) {
        Log("---- FindPath()");
        return kNoSequence;
    }
    At(startNode).passes = 1;

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
                firstSlot[static_cast<std::size_t>(n)] + static_cast<std::size_t>(At(n).consCount);
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
        if (At(start).consCount == 0) return -1;
        if (++walks == 0) {
            std::fill(seen.begin(), seen.end(), 0);
            walks = 1;
        }
        int current = start;
        int previous = from;
        for (int step = 0; step < limit; ++step) {
            if ((step & 1023) == 0 && Stopped()) return kStopped;
            const PATH_NODE& node = At(current);
            const int slots = node.consCount;
            if (slots == 0) return -1;
            int incoming = LastSlotNaming(node, previous);
            if (incoming < 0) incoming = 0;
            // The walk's next steps depend on nothing but this state: once in it again,
            // it goes round for good without reaching its start.
            std::uint32_t& mark =
                seen[firstSlot[static_cast<std::size_t>(current)] + static_cast<std::size_t>(incoming)];
            if (mark == walks) return -1;
            mark = walks;
            int outgoing = incoming;
            for (int t = 1; t <= slots; ++t) {
                const int s = (incoming + t) % slots;
                if (node.conVisits[static_cast<std::size_t>(s)] <= 0) {
                    outgoing = s;
                    break;
                }
            }
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
        for (std::size_t i = 0; i + 1 < walk.size(); ++i) {
            const int b = walk[i];
            const int c = walk[i + 1];
            ++At(b).passes;
            const int sb = LastSlotNaming(At(b), c);
            if (sb >= 0) ++At(b).conVisits[static_cast<std::size_t>(sb)];
            const int sc = LastSlotNaming(At(c), b);
            if (sc >= 0) ++At(c).conVisits[static_cast<std::size_t>(sc)];
        }
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
                if (!HasOpenSlot(At(v))) {
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
    cycle_ = std::make_unique<PATH_THROUGH_NODES>(SequenceCapacity());
    if (!cycle_->Valid() || start < 0 || start >= nodeCount_ || At(start).consCount == 0) return -1;
    const int limit = 2 * lineCount_ + 2;
    int current = start;
    int previous = from;
    for (int step = 0; step < limit; ++step) {
        if ((step & 1023) == 0 && Stopped()) return kStopped;
        const PATH_NODE& node = At(current);
        const int slots = node.consCount;
        if (slots == 0) return -1;
        int incoming = LastSlotNaming(node, previous);
        if (incoming < 0) incoming = 0;
        int outgoing = incoming;
        for (int t = 1; t <= slots; ++t) {
            const int s = (incoming + t) % slots;
            if (node.conVisits[static_cast<std::size_t>(s)] <= 0) {
                outgoing = s;
                break;
            }
        }
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
    for (int i = 0; i + 1 < cycle_->Count(); ++i) {
        const int b = cycle_->Get(i);
        const int c = cycle_->Get(i + 1);
        ++At(b).passes;
        const int sb = LastSlotNaming(At(b), c);
        if (sb >= 0) ++At(b).conVisits[static_cast<std::size_t>(sb)];
        const int sc = LastSlotNaming(At(c), b);
        if (sc >= 0) ++At(c).conVisits[static_cast<std::size_t>(sc)];
    }
}

int PATH_FINDING_METHODS::PathToLineList(std::unique_ptr<TLineList>& list) const {
    if (!path_ || path_->Count() < 3) return -1;
    list = std::make_unique<TLineList>(path_->Count() + 80);
    for (int i = 0; i + 1 < path_->Count(); ++i) {
        const int a = path_->Get(i);
        const int b = path_->Get(i + 1);
        const int s = FirstSlotNaming(nodes_[static_cast<std::size_t>(a)], b);
        if (s < 0) continue;  // consecutive tour nodes are always neighbours
        const std::int32_t r = nodes_[static_cast<std::size_t>(a)].conLine[static_cast<std::size_t>(s)];
        if (r > 0) {
            list->Append(r - 1, 1.0, 2);
        } else {
            list->Append(-r - 1, -1.0, 2);
        }
    }
    return 0;
}

int PATH_FINDING_METHODS::TestIntegrity() {
    Log("++++ TestIntegrity()");
    for (PATH_NODE& n : nodes_) {
        n.passes = 0;
        n.conVisits.fill(0);
    }
    const int length = path_ ? path_->Count() : 0;
    for (int i = 0; i < length; ++i) ++At(path_->Get(i)).passes;
    for (int i = 0; i + 1 < length; ++i) {
        const int a = path_->Get(i);
        const int b = path_->Get(i + 1);
        for (int s = 0; s < At(b).consCount; ++s) {
            if (At(b).conNode[static_cast<std::size_t>(s)] == a) ++At(b).conVisits[static_cast<std::size_t>(s)];
        }
        for (int s = 0; s < At(a).consCount; ++s) {
            if (At(a).conNode[static_cast<std::size_t>(s)] == b) ++At(a).conVisits[static_cast<std::size_t>(s)];
        }
    }
    integrity_ = IntegrityCounts{};
    integrity_.pathNodes = length;
    for (const PATH_NODE& n : nodes_) {
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
    return 0;
}

}  // namespace wirvela
