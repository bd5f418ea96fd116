#include "formats/TDXF.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <fstream>
#include <new>
#include <system_error>

#include "config/NumberText.h"

namespace wirvela {

namespace {

// Walks the buffer line by line the way a 2999-byte line buffer reads it: a line ends
// after its line feed or after kMaxLineChars characters, whichever comes first.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : text_(text) {}

    bool Next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        const std::size_t room = std::min(TDXF::kMaxLineChars, text_.size() - pos_);
        const char* start = text_.data() + pos_;
        const void* lf = std::memchr(start, '\n', room);
        const std::size_t length =
            lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - start) + 1 : room;
        line = text_.substr(pos_, length);
        pos_ += length;
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// A line is a C string: it ends at its first NUL byte.
std::string_view UpToNul(std::string_view line) {
    const void* nul = std::memchr(line.data(), '\0', line.size());
    return nul != nullptr ? line.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - line.data()))
                          : line;
}

// The value without its line end: a trailing LF, then CR, then LF, then CR, each removed
// only when it is the last character at that moment.
std::string_view StripLineEnd(std::string_view v) {
    for (char c : {'\n', '\r', '\n', '\r'})
        if (!v.empty() && v.back() == c) v.remove_suffix(1);
    return v;
}

std::int32_t CodeOf(std::string_view line) {
    const long code = IntegerPrefix(UpToNul(line));
    return static_cast<std::int32_t>(std::clamp<long>(code, INT32_MIN, INT32_MAX));
}

}  // namespace

TDXF::Status TDXF::Load(const std::filesystem::path& file) {
    buffer_.clear();
    groups_.clear();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return Status::kCannotOpen;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec) return Status::kCannotOpen;
    if (size > kMaxFileBytes) return Status::kTooLarge;
    std::ifstream in(file, std::ios::binary);
    if (!in) return Status::kCannotOpen;
    try {
        buffer_.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return Status::kTooLarge;
    }
    in.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    // A file that shrank while being read keeps what was there.
    buffer_.resize(static_cast<std::size_t>(in.gcount()));
    return Parse();
}

TDXF::Status TDXF::LoadText(std::string_view content) {
    groups_.clear();
    if (content.size() > kMaxFileBytes) {
        buffer_.clear();
        return Status::kTooLarge;
    }
    try {
        buffer_.assign(content);
    } catch (const std::bad_alloc&) {
        buffer_.clear();
        return Status::kTooLarge;
    }
    return Parse();
}

TDXF::Status TDXF::Parse() {
    std::size_t lines = 0;
    std::string_view line;
    for (LineCursor counter(buffer_); counter.Next(line);) ++lines;
    try {
        groups_.reserve(lines / 2 + 1);
    } catch (const std::bad_alloc&) {
        buffer_.clear();
        return Status::kTooLarge;
    }
    const std::size_t capacity = lines / 2 + 1;
    LineCursor cursor(buffer_);
    std::string_view codeLine;
    std::string_view valueLine;
    while (groups_.size() < capacity && cursor.Next(codeLine) && cursor.Next(valueLine)) {
        const std::string_view value = StripLineEnd(UpToNul(valueLine));
        TUnitype group;
        group.code = CodeOf(codeLine);
        group.offset = static_cast<std::uint32_t>(value.data() - buffer_.data());
        group.length = static_cast<std::uint32_t>(value.size());
        groups_.push_back(group);
    }
    return Status::kRead;
}

std::size_t TDXF::LineOf(std::size_t i) const {
    const auto end = buffer_.begin() + static_cast<std::ptrdiff_t>(groups_[i].offset);
    return static_cast<std::size_t>(std::count(buffer_.begin(), end, '\n')) + 1;
}

}  // namespace wirvela
