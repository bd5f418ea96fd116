#pragma once
// The path search over a drawing set: every vertex is a node, every line an edge, the
// edges at each node sorted by direction. The tour is built by splicing closed face
// walks into one another (as Hierholzer's algorithm splices cycles into an Euler tour);
// a face walk leaves each node by the next edge not yet used in angular order after the
// edge it arrived by, so it follows the boundary of one face and never crosses itself.
//
// Use: BuildGraph, TestDuplicates, FindPath(start node), PathToLineList, TestIntegrity
// (RunPathSearch does exactly that for the connect command).
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stop_token>
#include <vector>

#include "drawing/LineList.h"
#include "drawing/Lines.h"
#include "planning/PathThroughNodes.h"
#include "planning/Planner.h"

namespace wirvela {

class PlanariseSink;
class Prompt;

// Connection slots of one node.
inline constexpr int MAX_CONS = 80;

// One node per vertex of the table the graph was built from.
struct PATH_NODE {
    std::int32_t x = 0;  // vertex coordinates truncated toward zero, drawing units
    std::int32_t y = 0;
    std::int32_t passes = 0;     // how often the tour leaves (the start node: starts at) this node
    std::int32_t consCount = 0;  // occupied slots, 0 … 79
    // Slots 0 … consCount−1, by non-increasing angle. For every slot (n → m, reference r)
    // node m holds a slot (m → n, reference −r).
    std::array<std::int32_t, MAX_CONS> conNode{};    // neighbour node
    std::array<std::int32_t, MAX_CONS> conLine{};    // i+1: line i runs from here to the neighbour; −(i+1): back
    std::array<std::int32_t, MAX_CONS> conVisits{};  // uses of the edge by the tour, either direction
    std::array<float, MAX_CONS> conAngle{};          // direction of the edge from here, radians, −π … π
};

// What TestIntegrity counted; also kept for reports (the CLI prints them).
struct IntegrityCounts {
    int pathNodes = 0;        // nodes in the tour
    int unvisitedPoints = 0;  // nodes the tour never reaches
    int unvisitedLines = 0;   // slots never used; every unvisited line counts once per end
    int surplus = 0;          // slots used more than 4 times
};

// Where the search reports. Every member may be absent.
struct PathSearchEnv {
    // Log lines and message texts (180 with the slot limit, 181, 109 as caption).
    PlanariseSink* sink = nullptr;
    // The error boxes of BuildGraph.
    Prompt* prompt = nullptr;
    // wirvela.ini, from which TestDuplicates reads its switch directly (key
    // `TestDuplicates` of section `Ploter`, default 1); empty: the default.
    std::filesystem::path iniFile;
    // Checked in the long loops; a stop ends the step early (see each step).
    std::stop_token stop;
    // How FindPath builds the tour (the same tour either way, see FindPath).
    Planner planner = Planner::Fast;
};

class PATH_FINDING_METHODS {
public:
    // FindPath's results besides the number of tour nodes.
    static constexpr int kNoSequence = -1;
    static constexpr int kSweepLimit = -4;
    // FindPath and FindCycle when a stop was requested.
    static constexpr int kStopped = -5;

    explicit PATH_FINDING_METHODS(PathSearchEnv env = {});
    PATH_FINDING_METHODS(const PATH_FINDING_METHODS&) = delete;
    PATH_FINDING_METHODS& operator=(const PATH_FINDING_METHODS&) = delete;
    ~PATH_FINDING_METHODS();

    // One node per vertex, one edge per line (lines whose two ends are the same vertex
    // are left out). 0, or 1 after an error box: message 181 for a line end that is not
    // a vertex of the table, message 180 (with 80) when a node would get an 80th slot.
    int BuildGraph(const TLines& lines, const TVert& vertices);

    // BuildGraph's answer, log line and error box for these tables without building the
    // graph (whose nodes take some 1.3 kB each as the reference planner keeps them): for
    // the check of a drawing before the joining. The object holds no graph afterwards.
    int CheckGraph(const TLines& lines, const TVert& vertices);

    // The duplicate passes when the switch in wirvela.ini is on (else nothing, no log):
    // coinciding nodes merged into the lowest-numbered node at the same integer place,
    // repeated edges and self-loops removed, consistency counted. The graph's invariants
    // hold afterwards: references to a merged node name the surviving node, the nodes are
    // renumbered without gaps, and NodeOfVertex follows. `keepNode` (a vertex index, −1
    // for none) is never merged away: the entry vertex keeps its own node even when it
    // lies on another vertex, so the tour can start and end on the entry line. Returns 0.
    int TestDuplicates(int keepNode = -1);

    // The tour from startNode (a node number, see NodeOfVertex): the number of its nodes,
    // kNoSequence when the tour sequence could not be created or startNode is no node,
    // kSweepLimit when the number of sweeps reached the number of nodes (the tour built
    // so far stays), kStopped on a stop request.
    //
    // The reference planner follows the sweeps literally: each sweep scans the tour from
    // its start and splices the face walk in by moving the rest of the tour, so a tour
    // of n nodes costs about n² steps. The fast planner gives the same tour, passes,
    // edge marks, forced attempts, log lines and result with the tour in a linked list
    // and each sweep resumed where the previous one made its first attempt (the nodes
    // before it had no open slot then and cannot get one back); a face walk that comes
    // back to a node by the slot it arrived by before is a failed one at once (it would
    // go round without reaching its start until the step limit); and a splice that does
    // not fit, which leaves everything as it was, stands for all the sweeps left to the
    // limit, which would repeat it. Cycle() is not kept by the fast planner.
    int FindPath(int startNode);

    // Face walk from start, having arrived from `from`, into the walk sequence: its
    // length, or −1 when the step limit (2 × lines + 2) is used up or start has no edge,
    // kStopped on a stop request.
    int FindCycle(int start, int from);
    // Splices the last face walk into the tour in place of the node at position and marks
    // its edges and nodes.
    void InsertCycle(int position);

    // The tour as oriented lines (kind 2) into a new list of capacity nodes + 80, which
    // replaces `list`. −1 (list unchanged) when the tour has fewer than 3 nodes, else 0.
    int PathToLineList(std::unique_ptr<TLineList>& list) const;

    // Counts what the tour misses or overuses and logs it; the tour itself is unchanged.
    int TestIntegrity();

    // Node of a vertex of the table the graph was built from (follows the merging of
    // TestDuplicates); −1 for no such vertex.
    int NodeOfVertex(int vertex) const;

    int NodeCount() const { return nodeCount_; }
    int LineCount() const { return lineCount_; }
    // A copy of node i (0 <= i < NodeCount()): the fast planner keeps its nodes in a
    // compact form of its own, with room for the slots a node can reach and no more.
    PATH_NODE Node(int i) const;
    const PATH_THROUGH_NODES* Path() const { return path_.get(); }
    const PATH_THROUGH_NODES* Cycle() const { return cycle_.get(); }
    const IntegrityCounts& Integrity() const { return integrity_; }
    int ForcedAttempts() const { return forced_; }

private:
    // The nodes of the fast planner: the slots of all nodes in one pool, each node with
    // a block of its own (defined in the source file).
    struct CompactNodes;

    void Log(const char* format, int a = 0, int b = 0, int c = 0) const;
    int ErrorBox(int message, int argument) const;
    int SequenceCapacity() const { return 2 * lineCount_ + 4; }
    bool Stopped() const { return env_.stop.stop_requested(); }
    // Calls f with the node store in use (the vector of PATH_NODE or the compact one).
    template <class F>
    decltype(auto) WithNodes(F&& f);
    template <class F>
    decltype(auto) WithNodes(F&& f) const;

    // The steps, for either node store G.
    template <class G>
    int FillGraph(G& g, const TLines& lines, const TVert& vertices);
    int BuildCompact(const TLines& lines, const TVert& vertices);
    template <class G>
    int FindPathReference(G& g, int startNode);
    template <class G>
    int FindPathFast(G& g, int startNode);
    template <class G>
    int FindCycleIn(G& g, int start, int from);
    template <class G>
    void MarkWalk(G& g, const PATH_THROUGH_NODES& walk);
    template <class G>
    void MergeCoincidingNodes(G& g, int keepNode);
    template <class G>
    void CountRepeatedEdges(const G& g) const;
    template <class G>
    void RemoveRepeatedEdges(G& g);
    template <class G>
    void CountConsistency(const G& g) const;
    // Removes slot s of node n and the matching slot of its neighbour (the invariant pair).
    template <class G>
    int RemoveEdgeAt(G& g, int n, int s);
    template <class G>
    int PathToLineListIn(const G& g, std::unique_ptr<TLineList>& list) const;
    template <class G>
    void TestIntegrityIn(G& g);

    PathSearchEnv env_;
    std::vector<PATH_NODE> nodes_;
    std::unique_ptr<CompactNodes> compact_;  // in use when set
    std::vector<std::int32_t> nodeOfVertex_;
    std::unique_ptr<PATH_THROUGH_NODES> path_;
    std::unique_ptr<PATH_THROUGH_NODES> cycle_;
    int nodeCount_ = 0;
    int lineCount_ = 0;
    int forced_ = 0;
    IntegrityCounts integrity_;
};

}  // namespace wirvela
