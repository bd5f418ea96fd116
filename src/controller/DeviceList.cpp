#include "controller/DeviceList.h"

#include "config/MessageFormat.h"
#include "config/Messages.h"
#include "config/Parameters.h"
#include "config/Prompt.h"
#include "config/Settings.h"

namespace wirvela {

void DeviceList::Show() {
    lines_.clear();
    devices_.clear();
    entries_.clear();
    selected_ = -1;
    result_ = Result::None;
    std::uint32_t count = 0;
    if (ftdi_.CreateDeviceInfoList(count) != kFtOk) return;
    const std::string& format = messages_.MessageText(kLineMessage);
    for (std::uint32_t i = 0; i < count; ++i) {
        FtDeviceInfo info;
        if (ftdi_.GetDeviceInfoDetail(i, info) != kFtOk) break;
        const unsigned vid = info.id >> 16;
        const unsigned pid = info.id & 0xFFFF;
        lines_.push_back(FormatMessage(format, {info.location, vid, pid, info.serialNumber, info.description}));
        devices_.push_back(info);
        if (i < kMaxEntries) {
            // The whole serial number is kept: a shortened one would never match the
            // device again when the link searches for it.
            entries_.push_back({static_cast<std::int32_t>(vid), static_cast<std::int32_t>(pid), info.serialNumber});
        }
    }
}

void DeviceList::Select(int line) {
    selected_ = line >= 0 && line < static_cast<int>(lines_.size()) ? line : -1;
}

DeviceList::Result DeviceList::Choose(TParameters& parameters, Prompt& prompt) {
    if (selected_ < 0 || selected_ >= static_cast<int>(entries_.size())) {
        PromptRequest request;
        request.text = messages_.MessageText(kNoSelectionMessage);
        request.caption = messages_.MessageText(0);
        request.messageKey = kNoSelectionMessage;
        prompt.Ask(request);
        return Result::None;
    }
    const Entry& entry = entries_[static_cast<std::size_t>(selected_)];
    parameters.SetText(settings::kVID, std::to_string(entry.vid));
    parameters.SetText(settings::kPID, std::to_string(entry.pid));
    parameters.SetText(settings::kSerialNo, entry.serialNo);
    result_ = Result::Ok;
    return result_;
}

DeviceList::Result DeviceList::Cancel() {
    result_ = Result::Cancel;
    return result_;
}

}  // namespace wirvela
