#pragma once
#include <functional>
#include <iosfwd>
#include <string>

#include "formats/HpglWriter.h"

namespace CLI {
class App;
}

namespace wirvela {

struct CliOptions;
class TLines;

// --out of the commands that produce a drawing: writes `lines` as HP-GL to file, or
// nothing for an empty name. False with the reason on err when it was not written.
bool WriteHpglOut(const std::string& file, const TLines& lines, HpglLines which, std::ostream& err);

// Adds `frame FILE --shape rectangle|circle [--size] --dx --dy --dr --epsilon [--geometry]
// [--out FILE.plt]`: loads and joins FILE as `plan` does, adds the frame dialog's frame,
// joins again and reports the final cut path with plan's figure fields. Lengths are
// millimetres as typed in the dialog (defaults 50, 50, 50 and 0.1). --out writes the
// drawing with its frame as HP-GL (its own lines, without the joining).
// Exit 0 done; 1 the file cannot be read or --out not written; 2 the drawing or the
// frame refused (the message, with its number, on standard error); 3 the drawing could
// not be joined or no cut path was found.
void AddFrameCommand(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action);

// Adds `moulding [--angle-mode] --H --r --l --eps --d --alpha --N --e [--burn B]
// [--no-reduce] [--geometry] [--out FILE.plt]`: the bent moulding dialog's computation
// with its defaults; prints N, L, s, w, p, phi and beta. --geometry adds the outline's
// tables and its cut path; --out writes the outline as HP-GL. A refused input prints the
// message with its number on standard error ({"message": n} with --json) and exits 2;
// --out not written exits 1.
void AddMouldingCommand(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action);

}  // namespace wirvela
