// libFuzzer target of the reader of local.txt, the file of every text the operator sees:
// any bytes, written as local.txt into a scratch directory and loaded as the program does
// at start-up. Every message is then looked up, unescaped and filled as the format it may
// be used as, with arguments of each kind.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "config/MessageFormat.h"
#include "config/Messages.h"

namespace {

const std::filesystem::path* scratch = nullptr;

void RemoveScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(*scratch, ignored);
}

// One directory for the whole session, gone when the session ends normally.
const std::filesystem::path& ScratchDirectory() {
    char pattern[] = "/tmp/wirvela-fuzz-local-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) std::abort();
    scratch = new std::filesystem::path(made);
    std::atexit(RemoveScratch);
    return *scratch;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path* directory = &ScratchDirectory();
    {
        std::ofstream out(*directory / wirvela::TMessages::kFileName, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    wirvela::TMessages messages;
    if (!messages.CheckLocalFile(*directory)) return 0;
    const int count = messages.LoadMessages();
    if (count < 0 || count > wirvela::TMessages::kKeyCount) __builtin_trap();
    for (int key = 0; key < wirvela::TMessages::kKeyCount; ++key) {
        const std::string& text = messages.MessageText(key);
        if (text.size() >= wirvela::TMessages::kMessageBuffer) __builtin_trap();
        if (text == wirvela::TMessages::kUnknownString) continue;
        const std::string filled = wirvela::FormatMessage(
            wirvela::TMessages::Unescape(text), {key, 2.5, "text", 7u, -1L});
        (void)filled;
    }
    return 0;
}
