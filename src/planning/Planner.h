#pragma once
// Which implementation plans the cut path. Both give the same line tables, vertex tables,
// object numbers and cut paths; the reference follows the literal loops (quadratic and
// worse) and is kept to check the fast one against.
namespace wirvela {

enum class Planner { Reference, Fast };

}  // namespace wirvela
