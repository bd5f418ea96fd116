#include "rotary/RotaryLink.h"

#include "controller/ComClass.h"
#include "controller/Frame.h"

namespace wirvela {

int ComRotaryLink::Cancel() {
    return link_.Cancel();
}
int ComRotaryLink::BeginBlock() {
    return link_.BeginBlock();
}
int ComRotaryLink::EndBlock() {
    return link_.EndBlock();
}
int ComRotaryLink::Setup(const CutParameters& record) {
    return link_.Setup(record);
}
int ComRotaryLink::Line(std::int32_t dx, std::int32_t dy, bool delay, double period, double rotRatio) {
    return link_.Line(dx, dy, delay, period, rotRatio);
}
int ComRotaryLink::Turn(std::int32_t dfi, double period) {
    return link_.Turn(dfi, period);
}
int ComRotaryLink::Repeat(std::uint8_t count) {
    return link_.SendByteCommand(cmd::C_REPEAT, count);
}
int ComRotaryLink::Start() {
    return link_.Start();
}
int ComRotaryLink::Hold() {
    return link_.Hold();
}
int ComRotaryLink::Resume(bool wait) {
    return link_.Resume(wait);
}
int ComRotaryLink::SetHeatingLive(int percent) {
    return link_.SetHeatingLive(percent);
}

}  // namespace wirvela
