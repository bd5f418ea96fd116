#include "platform/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AtomicFile.h"
#include "platform/SettingsFileLock.h"

namespace wirvela {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// A line break inside a written name or value would add lines of its own to the file.
std::string OneLine(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\n' || c == '\r') c = ' ';
    return out;
}

// Keeps the names that fit whole into a buffer of `size` bytes: each name takes its
// length plus a terminating NUL, and the list ends with one more NUL.
std::vector<std::string> FitIntoBuffer(std::vector<std::string> items, std::size_t size) {
    std::size_t used = 1;
    std::size_t keep = 0;
    for (; keep < items.size(); ++keep) {
        if (used + items[keep].size() + 1 > size) break;
        used += items[keep].size() + 1;
    }
    items.resize(keep);
    return items;
}

}  // namespace

IniFile IniFile::FromText(std::string_view text) {
    IniFile ini;
    std::size_t firstBreak = text.find('\n');
    if (firstBreak != std::string_view::npos && firstBreak > 0 && text[firstBreak - 1] == '\r') ini.eol_ = "\r\n";
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        // Only a carriage return that belongs to the file's line break is no part of the
        // line; any other (a last line without a break, a lone "\r\n" in a "\n" file)
        // stays, so that writing the file back leaves such lines as they were.
        if (end < text.size() && ini.eol_ == "\r\n" && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        ini.lines_.emplace_back(line);
        start = end + 1;
    }
    ini.finalBreak_ = text.empty() || text.back() == '\n';
    ini.Parse();
    return ini;
}

IniFile IniFile::Load(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        IniFile ini;
        std::error_code ec;
        ini.unreadable_ = std::filesystem::exists(path, ec);
        return ini;
    }
    // Read in pieces up to one byte past the limit, so that a small file costs only its
    // own size (a settings file is read on every planning run) and an oversized one is
    // still recognised. The size on disk only sizes the first allocation: the file may
    // grow or shrink while it is read, or be no regular file at all.
    std::error_code sizeError;
    const std::uintmax_t onDisk = std::filesystem::file_size(path, sizeError);
    std::string text;
    if (!sizeError) text.reserve(static_cast<std::size_t>(std::min<std::uintmax_t>(onDisk, kMaxFileBytes) + 1));
    constexpr std::size_t kPiece = 64 * 1024;
    while (in && text.size() <= kMaxFileBytes) {
        const std::size_t had = text.size();
        const std::size_t want = std::min(kPiece, kMaxFileBytes + 1 - had);
        text.resize(had + want);
        in.read(text.data() + had, static_cast<std::streamsize>(want));
        text.resize(had + static_cast<std::size_t>(in.gcount()));
    }
    bool tooLarge = text.size() > kMaxFileBytes;
    if (tooLarge) text.resize(kMaxFileBytes);
    IniFile ini = FromText(text);
    ini.tooLarge_ = tooLarge;
    return ini;
}

void IniFile::Parse() {
    sections_.clear();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        std::string_view line = Trim(lines_[i]);
        if (line.empty()) continue;
        if (line.front() == '[') {
            std::string_view name = line.substr(1);
            std::size_t close = name.find(']');
            if (close != std::string_view::npos) name = name.substr(0, close);
            Section s;
            s.name = std::string(Trim(name));
            s.header = i;
            s.lastLine = i;
            sections_.push_back(std::move(s));
            continue;
        }
        if (sections_.empty()) continue;  // lines before the first section belong to none
        Section& s = sections_.back();
        s.lastLine = i;
        if (line.front() == ';') continue;
        Entry e;
        e.line = i;
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            e.key = std::string(line);
        } else {
            e.hasEquals = true;
            e.key = std::string(Trim(line.substr(0, eq)));
            e.value = std::string(Trim(line.substr(eq + 1)));
        }
        s.entries.push_back(std::move(e));
    }
    IndexNames();
}

// First match wins, for sections as for the keys of a section.
void IniFile::IndexNames() {
    sectionIndex_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        Section& s = sections_[i];
        sectionIndex_.emplace(s.name, i);
        s.keys.clear();
        s.keys.reserve(s.entries.size());
        for (std::size_t k = 0; k < s.entries.size(); ++k) s.keys.emplace(s.entries[k].key, k);
    }
}

std::size_t IniFile::NameHash::operator()(std::string_view name) const {
    std::size_t h = 14695981039346656037ULL;  // FNV-1a over the lower-case letters
    for (char c : name) h = (h ^ static_cast<unsigned char>(Lower(c))) * 1099511628211ULL;
    return h;
}

bool IniFile::NameEqual::operator()(std::string_view a, std::string_view b) const { return SameName(a, b); }

namespace {

// Why one trimmed line of a profile file is no comment, section header or key=value line;
// empty when it is one of them.
std::string LineFlaw(std::string_view raw, bool inSection) {
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(raw[i]);
        if (c == '\r' && i + 1 == raw.size()) continue;
        if (c == 0) return "holds a NUL byte";
        if ((c < 32 && c != '\t') || c == 127) return "holds the control byte " + std::to_string(c);
    }
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == ';') return {};
    if (line.front() == '[') return line.find(']') == std::string_view::npos ? "has no ']' after its section name" : "";
    if (!inSection) return "stands before the first section";
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return "is no key=value line";
    if (Trim(line.substr(0, eq)).empty()) return "has no key before '='";
    return {};
}

}  // namespace

std::optional<IniFile::Flaw> IniFile::FirstFlaw() const {
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        std::string what = LineFlaw(lines_[i], inSection);
        if (!what.empty()) return Flaw{i + 1, std::move(what)};
        const std::string_view line = Trim(lines_[i]);
        inSection = inSection || (!line.empty() && line.front() == '[');
    }
    if (tooLarge_) return Flaw{lines_.size(), "is beyond the " + std::to_string(kMaxFileBytes) + " bytes read of a file"};
    return std::nullopt;
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
    const auto found = sectionIndex_.find(name);
    return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

const IniFile::Entry* IniFile::FindEntry(std::string_view section, std::string_view key) const {
    const Section* s = FindSection(section);
    if (!s) return nullptr;
    const auto found = s->keys.find(key);
    return found == s->keys.end() ? nullptr : &s->entries[found->second];
}

std::string IniFile::GetString(std::string_view section, std::string_view key, std::string_view def,
                               std::size_t bufferSize) const {
    if (bufferSize == 0) return {};
    const Entry* e = FindEntry(section, key);
    std::string_view value = e ? Unquote(e->value) : Trim(def);
    if (value.size() > bufferSize - 1) value = value.substr(0, bufferSize - 1);
    return std::string(value);
}

long IniFile::GetInt(std::string_view section, std::string_view key, long def) const {
    const Entry* e = FindEntry(section, key);
    if (!e) return def;
    std::string_view v = Trim(Unquote(e->value));
    // Integer prefix: optional sign and digits; anything else reads as 0.
    std::size_t i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == '+' || v[i] == '-')) negative = v[i++] == '-';
    long value = 0;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i) {
        if (value > (LONG_MAX - 9) / 10) break;  // saturate rather than overflow
        value = value * 10 + (v[i] - '0');
    }
    return negative ? -value : value;
}

std::vector<std::string> IniFile::SectionNames(std::size_t bufferSize) const {
    std::vector<std::string> names;
    for (const Section& s : sections_) {
        bool seen = false;
        for (const std::string& n : names) seen = seen || SameName(n, s.name);
        if (!seen) names.push_back(s.name);
    }
    return FitIntoBuffer(std::move(names), bufferSize);
}

std::vector<std::string> IniFile::SectionEntries(std::string_view section, std::size_t bufferSize) const {
    std::vector<std::string> entries;
    if (const Section* s = FindSection(section)) {
        for (const Entry& e : s->entries) entries.push_back(e.hasEquals ? e.key + "=" + e.value : e.key);
    }
    return FitIntoBuffer(std::move(entries), bufferSize);
}

bool IniFile::HasSection(std::string_view section) const { return FindSection(section) != nullptr; }

void IniFile::SetString(std::string_view section, std::string_view key, std::string_view value) {
    const std::string cleanValue = OneLine(value);
    if (const Entry* e = FindEntry(section, key)) {
        std::string& line = lines_[e->line];
        std::size_t eq = line.find('=');
        if (eq == std::string::npos) {
            line = std::string(Trim(line)) + "=" + cleanValue;
        } else {
            // Keep everything up to the '=' and the blanks after it, as the line was written.
            std::size_t valueStart = eq + 1;
            while (valueStart < line.size() && IsBlank(line[valueStart])) ++valueStart;
            line = line.substr(0, valueStart) + cleanValue;
        }
    } else if (const Section* s = FindSection(section)) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(s->lastLine + 1), OneLine(key) + "=" + cleanValue);
    } else {
        if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.emplace_back();
        lines_.push_back("[" + OneLine(section) + "]");
        lines_.push_back(OneLine(key) + "=" + cleanValue);
    }
    Parse();
}

std::string IniFile::Text() const {
    std::string out;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0) out += eol_;
        out += lines_[i];
    }
    // A file that did not end with a line break keeps it that way.
    if (finalBreak_ && !lines_.empty()) out += eol_;
    return out;
}

bool IniFile::Save(const std::filesystem::path& requested, std::string* error) const {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (tooLarge_) return fail("file is larger than " + std::to_string(kMaxFileBytes) + " bytes; not rewritten");
    if (unreadable_) return fail("cannot read " + requested.string());

    std::error_code ec;
    std::filesystem::path path = requested;
    if (std::filesystem::is_symlink(path, ec)) path = std::filesystem::weakly_canonical(path, ec);

    mode_t mode = 0644;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        // Root may write anywhere; a file without write bits is still the operator's
        // way of saying "do not change my settings".
        if ((st.st_mode & 0222) == 0) return fail(path.string() + " is read-only");
        mode = st.st_mode & 07777;
    }

    return WriteFileAtomically(path, Text(), error, mode);
}

bool IniFile::WriteKey(const std::filesystem::path& path, std::string_view section, std::string_view key,
                       std::string_view value, std::string* error) {
    SettingsFileLock lock(path);
    IniFile ini = Load(path);
    ini.SetString(section, key, value);
    return ini.Save(path, error);
}

long IniFile::ReadInt(const std::filesystem::path& path, std::string_view section, std::string_view key,
                      long def) {
    return Load(path).GetInt(section, key, def);
}

}  // namespace wirvela
