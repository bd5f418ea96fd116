#pragma once
// The loudspeaker beep. The GUI installs its own sound; headless runs stay silent.
#include <functional>

namespace wirvela {

using BeepHook = std::function<void()>;

// Installs the hook (an empty function removes it). Install before worker threads start.
void SetBeepHook(BeepHook hook);
void Beep();

}  // namespace wirvela
