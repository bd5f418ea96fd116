#include "platform/Beep.h"

#include <mutex>

namespace wirvela {

namespace {
std::mutex gBeepMutex;
BeepHook gBeepHook;
}  // namespace

void SetBeepHook(BeepHook hook) {
    std::lock_guard lock(gBeepMutex);
    gBeepHook = std::move(hook);
}

void Beep() {
    BeepHook hook;
    {
        std::lock_guard lock(gBeepMutex);
        hook = gBeepHook;
    }
    if (hook) hook();
}

}  // namespace wirvela
