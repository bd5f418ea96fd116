#pragma once
// A whole ASCII DXF file as an array of groups (code, value) in file order. The values
// are views into one buffer that holds the file, so reading allocates per file, not
// per group.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace wirvela {

// One group: the code (integer prefix rule of its line) and where its value lies in the
// file buffer.
struct TUnitype {
    std::int32_t code = 0;
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
};

class TDXF {
public:
    // A file is read as lines of at most this many characters, as a line buffer of
    // 2999 bytes reads it: a longer line is read as several lines.
    static constexpr std::size_t kMaxLineChars = 2998;
    // Larger files are not read at all (a drawing the tables can hold is far smaller).
    static constexpr std::uintmax_t kMaxFileBytes = 256u * 1024u * 1024u;

    enum class Status { kRead, kCannotOpen, kTooLarge };

    // Reads the file in binary mode. A file that cannot be opened or is too large leaves
    // the array empty.
    Status Load(const std::filesystem::path& file);
    // The same over bytes already in memory (copied into the reader's buffer).
    Status LoadText(std::string_view content);

    std::size_t Count() const { return groups_.size(); }
    std::int32_t Code(std::size_t i) const { return groups_[i].code; }
    std::string_view Value(std::size_t i) const { return {buffer_.data() + groups_[i].offset, groups_[i].length}; }
    bool Is(std::size_t i, std::int32_t code, std::string_view value) const {
        return groups_[i].code == code && Value(i) == value;
    }
    // The line of the file that holds group i's value (1-based); counted on demand, for
    // messages only.
    std::size_t LineOf(std::size_t i) const;

private:
    Status Parse();

    std::string buffer_;
    std::vector<TUnitype> groups_;
};

}  // namespace wirvela
