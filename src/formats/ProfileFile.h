#pragma once
// Reading of a single profile for the rotary and 3-D parts: an HP-GL or DXF file read
// into the current drawing set as it is, without the loader's pen checks, origin shift
// or joining.
#include <filesystem>

#include "drawing/Drawing.h"
#include "formats/DxfReader.h"
#include "formats/HpglReader.h"

namespace wirvela {

class Prompt;
class TMessages;

struct ProfileFileContext {
    HpglPenState& pens;         // the program's HP-GL pen state
    TDxfReader& dxf;            // the program's DXF reader
    DxfSettings dxfSettings;    // read by the caller (DxfSettingsFrom)
    const TMessages& messages;  // texts of the message box
    Prompt* prompt = nullptr;   // nullptr: no message box
};

// Clears the current set's tables and sets its last object number to -1, then reads a
// file whose name ends in ".PLT" (compared upper-cased) with the HP-GL reader or one
// ending in ".DXF" with the DXF reader; any other name reads nothing. The set's stored
// last object number follows the result. An HP-GL file that cannot be opened shows
// message 11 (caption message 1) and gives -1; everything else gives 0 (a DXF file
// that cannot be opened reads nothing).
int ReadProfileFile(TDrawing& drawing, const std::filesystem::path& file, ProfileFileContext& context);

}  // namespace wirvela
