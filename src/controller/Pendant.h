#pragma once
// The handheld pendant as the rest of the program talks to it: the connection started at
// start-up, the "set parameter" and "set material parameter" requests, and the event
// notifications of the controller dispatch. The pendant module implements it; without a
// pendant there is none, or shared access cannot be taken, and nothing is sent.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace wirvela {

class Pendant {
public:
    virtual ~Pendant() = default;
    // Starts the background connection (PilotConnect at start-up).
    virtual void Connect() = 0;
    // Shared access to the pendant link; false when it cannot be taken now.
    virtual bool TryAcquireShared() = 0;
    virtual void ReleaseShared() = 0;
    // "Set parameter": 2 manual speed, 3 heating, 4 preheating time, 19 the selected
    // material number. 0 on success, else a pendant link code.
    virtual int SetParameter(int parameter, std::int32_t value) = 0;
    // "Set material parameter": material 1 … 10, parameter number 1, 3, 4, 5 or 6.
    virtual int SetMaterialParameter(int material, int parameter, std::int32_t value) = 0;
    // The event notification with its two arguments.
    virtual int SendEvent(int first, int second) = 0;
    // The pendant's text of a link code.
    virtual std::string ErrorText(int code) const = 0;

    // What Send returns when nothing was sent: no pendant, or its link busy.
    static constexpr int kNotSent = -1;
    // Runs `requests` under shared access to the pendant's link. A failing result's text
    // goes to `status` (when given); the result is the requests' own, or kNotSent.
    static int Send(Pendant* pendant, const std::function<int(Pendant&)>& requests,
                    const std::function<void(std::string_view)>& status);
};

}  // namespace wirvela
