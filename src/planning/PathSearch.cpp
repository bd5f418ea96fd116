#include "planning/PathSearch.h"

#include "planning/PlanariseSink.h"

namespace wirvela {

int RunPathSearch(TLines& lines, std::unique_ptr<TLineList>& cutPath, const PathSearchEnv& env,
                  PathSearchOutcome* outcome) {
    PathSearchOutcome local;
    PathSearchOutcome& out = outcome != nullptr ? *outcome : local;
    out = PathSearchOutcome{};

    cutPath = std::make_unique<TLineList>(3);
    const int entryLine = lines.Count() - 1;
    if (entryLine >= 0) {
        cutPath->Append(entryLine, 1.0, 2);
        cutPath->Append(entryLine, -1.0, 2);
    }
    if (env.sink != nullptr) env.sink->Log("\r\n++++++++ Poszukiwanie sciezki");

    PATH_FINDING_METHODS search(env);
    if (search.BuildGraph(lines, lines.Vertices()) != 0) return 1;
    const int entryVertex = lines.Vertices().Count() - 1;
    search.TestDuplicates(entryVertex);
    out.findPath = search.FindPath(search.NodeOfVertex(entryVertex));
    if (out.findPath == PATH_FINDING_METHODS::kStopped) {
        out.stopped = true;
        return 0;
    }
    search.PathToLineList(cutPath);
    search.TestIntegrity();
    out.integrity = search.Integrity();
    if (env.sink != nullptr) env.sink->Log("-------- Poszukiwanie sciezki");
    return 0;
}

}  // namespace wirvela
