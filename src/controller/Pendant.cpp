#include "controller/Pendant.h"

namespace wirvela {

int Pendant::Send(Pendant* pendant, const std::function<int(Pendant&)>& requests,
                  const std::function<void(std::string_view)>& status) {
    if (!pendant || !pendant->TryAcquireShared()) return kNotSent;
    const int result = requests(*pendant);
    if (result != 0 && status) status(pendant->ErrorText(result));
    pendant->ReleaseShared();
    return result;
}

}  // namespace wirvela
