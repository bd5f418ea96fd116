#pragma once
// The multiplication dialog's fields as the operator typed them. A project keeps them in
// its section "Duplicate" exactly as texts, and the dialog, the project reader and the
// command line all hand them over in this form; they become numbers only where the
// multiplication reads them, with the program's number rules.
#include <string>

namespace wirvela {

struct MultiplicationTexts {
    bool byCount = true;             // RadioButton1 (Obj non-zero); false: by material size
    std::string columns = "3";       // Edit1, ObjV
    std::string rows = "2";          // Edit2, ObjH
    std::string width = "1000";      // Edit5, Width, mm
    std::string height = "500";      // Edit6, Height, mm
    std::string gapX = "1";          // Edit3, SpaceV, mm
    std::string gapY = "1";          // Edit4, SpaceH, mm
    bool multiwire = false;          // CheckBox1, Multiwire
    std::string lineOffset = "1";    // Edit7, LineOffset, mm
    std::string lineLength = "0";    // Edit8, LineLength, mm (0: no limit)
    std::string wireDistance = "100";  // Edit9, DistWires, mm
    bool spineOnTop = true;          // CheckBox3, TopLeftEntryLine
};

}  // namespace wirvela
