#pragma once
// The device list ("Podlaczone urzadzenia"): shows the connected FTDI bridges and lets
// the operator choose the one that is the cutter's controller. The choice is stored as
// VID, PID and SerialNo of section RSparam, the identity the link looks for; the caller
// then re-creates the link (LinkStartup) and refreshes the about box.
//
// This is the dialog's model: the list lines (ListBox1), the "Wybierz" button's state
// (Button1), the selection, and the result. The view mirrors it.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Ftdi.h"

namespace wirvela {

class Prompt;
class TMessages;
class TParameters;

class DeviceList {
public:
    static constexpr int kMaxEntries = 10;
    static constexpr int kLineMessage = 465;
    static constexpr int kNoSelectionMessage = 466;

    enum class Result { None = 0, Ok = 1, Cancel = 2 };

    struct Entry {
        std::int32_t vid = 0;
        std::int32_t pid = 0;
        std::string serialNo;
    };

    DeviceList(Ftdi& ftdi, const TMessages& messages) : ftdi_(ftdi), messages_(messages) {}

    // Fills the list from the library's device list; "Wybierz" starts disabled.
    void Show();
    // Selects list line `line`; -1 (or any line not in the list) clears the selection.
    void Select(int line);
    // "Wybierz" or a double click: stores the selected entry and ends with Ok. With no
    // selection (or a line beyond the ten kept entries) message 466 is shown and the
    // dialog stays open (Result::None).
    Result Choose(TParameters& parameters, Prompt& prompt);
    // "Anuluj": ends with Cancel; nothing is stored.
    Result Cancel();

    const std::vector<std::string>& Lines() const { return lines_; }
    // The listed devices as the library reported them, one per line.
    const std::vector<FtDeviceInfo>& Devices() const { return devices_; }
    const std::vector<Entry>& Entries() const { return entries_; }
    int Selected() const { return selected_; }
    bool ChooseEnabled() const { return selected_ >= 0; }
    Result GetResult() const { return result_; }

private:
    Ftdi& ftdi_;
    const TMessages& messages_;
    std::vector<std::string> lines_;
    std::vector<FtDeviceInfo> devices_;
    std::vector<Entry> entries_;
    int selected_ = -1;
    Result result_ = Result::None;
};

}  // namespace wirvela
