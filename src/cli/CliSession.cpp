#include "cli/CliSession.h"

#include <ostream>

namespace wirvela {

CliSession::CliSession(const CliOptions& options, std::ostream& err) : directory_(options.dir) {
    parameters_.Load(directory_, "wirvela.ini", "local.txt");
    if (messages_.CheckLocalFile(directory_)) {
        messages_.LoadMessages();
    } else {
        err << TMessages::kMissingFileCaption << ": " << TMessages::kMissingFileText << '\n';
    }
}

}  // namespace wirvela
