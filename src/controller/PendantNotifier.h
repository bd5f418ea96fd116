#pragma once
// The seam through which the event dispatch notifies a connected pendant. The pendant
// module implements it; without a pendant there is no notifier, or shared access
// cannot be taken, and notifications are dropped.
#include <string>

namespace wirvela {

class PendantNotifier {
public:
    virtual ~PendantNotifier() = default;
    // Shared access to the pendant link; false when it cannot be taken now.
    virtual bool TryAcquireShared() = 0;
    virtual void ReleaseShared() = 0;
    // The event notification with its two arguments; 0 on success, else a pendant link code.
    virtual int SendEvent(int first, int second) = 0;
    // The pendant's text of a link code.
    virtual std::string ErrorText(int code) const = 0;
};

}  // namespace wirvela
