#include "formats/ProfileFile.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "config/Messages.h"
#include "config/Prompt.h"

namespace wirvela {

namespace {

bool EndsWithUpper(const std::filesystem::path& file, std::string_view suffix) {
    std::string name = file.string();
    if (name.size() < suffix.size()) return false;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

int ReadProfileFile(TDrawing& drawing, const std::filesystem::path& file, ProfileFileContext& context) {
    TDrawingSet& set = drawing.Set(drawing.Figure());
    set.ClearTables();
    drawing.Oelems() = -1;
    set.oelems = -1;
    int result = 0;
    if (EndsWithUpper(file, ".PLT")) {
        if (ReadHpgl(file, drawing, context.pens) == -1) {
            if (context.prompt != nullptr) {
                PromptRequest request;
                request.text = context.messages.MessageText(11);
                request.caption = context.messages.MessageText(1);
                request.messageKey = 11;
                context.prompt->Ask(request);
            }
            result = -1;
        }
    } else if (EndsWithUpper(file, ".DXF")) {
        context.dxf.ReadDxf(drawing.L(), file, context.dxfSettings, drawing.Oelems());
    }
    set.oelems = drawing.Oelems();
    return result;
}

}  // namespace wirvela
