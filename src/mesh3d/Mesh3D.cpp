#include "mesh3d/Mesh3D.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <string_view>

#include "config/NumberText.h"

namespace wirvela {
namespace {

// One read of the line reader: at most kMaxLineChars characters up to and including a
// line feed, as fgets with a buffer of kMaxLineChars + 1 gives them.
constexpr int kBufferSize = TMesh3D::kMaxLineChars + 1;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool IsTriangleLine(const char* line) {
    return std::isdigit(static_cast<unsigned char>(line[0])) != 0 || line[0] == '-';
}

// Reads the nine numbers of a triangle line. After each of the first eight numbers the
// next one starts behind the first blank at or after that number's first character; a
// line feed, tab, carriage return or the end of the text before that blank makes the
// line malformed.
bool ParseTriangle(const char* line, double scale, TMesh3D::Triangle& t) {
    double values[9];
    std::size_t pos = 0;
    const std::size_t length = std::strlen(line);
    for (int n = 0; n < 9; ++n) {
        values[n] = DecimalPrefix(std::string_view(line + pos, length - pos)) * scale;
        if (n == 8) break;
        std::size_t blank = pos;
        while (blank < length && line[blank] != ' ' && line[blank] != '\n' && line[blank] != '\t' &&
               line[blank] != '\r')
            ++blank;
        if (blank >= length || line[blank] != ' ') return false;
        pos = blank + 1;
    }
    for (int i = 0; i < 3; ++i) t.v[i] = TVector3(values[3 * i], values[3 * i + 1], values[3 * i + 2]);
    return true;
}

}  // namespace

TMesh3D::~TMesh3D() {
    Release();
}

void TMesh3D::Release() {
    count_ = 0;
    capacity_ = 0;
    triangles_.reset();
}

int TMesh3D::ReadRaw(const std::filesystem::path& fileName, double scale) {
    Release();
    min = max = minNorm = maxNorm = TVector3();
    objectCount_ = 0;

    FilePtr file(std::fopen(fileName.c_str(), "r"));
    if (!file) return kReadCannotOpen;

    char buffer[kBufferSize];
    long long lines = 0;
    while (std::fgets(buffer, kBufferSize, file.get()) != nullptr) ++lines;
    if (lines == 0) return kReadMalformed;
    if (lines > std::numeric_limits<int>::max() ||
        static_cast<unsigned long long>(lines) > memoryLimit_ / sizeof(Triangle))
        return kReadNoMemory;

    std::unique_ptr<Triangle[]> array(new (std::nothrow) Triangle[static_cast<std::size_t>(lines)]);
    if (!array) return kReadNoMemory;

    std::rewind(file.get());
    int count = 0;
    int object = 0;
    bool header = true;
    while (count < lines && std::fgets(buffer, kBufferSize, file.get()) != nullptr) {
        if (header || !IsTriangleLine(buffer)) {
            header = false;
            ++object;
            continue;
        }
        Triangle& t = array[static_cast<std::size_t>(count)];
        if (!ParseTriangle(buffer, scale, t)) return kReadMalformed;
        t.obj = object;
        ++count;
    }

    triangles_ = std::move(array);
    capacity_ = static_cast<int>(lines);
    count_ = count;
    objectCount_ = object;
    ComputeBounds();
    return kReadOk;
}

void TMesh3D::ComputeBounds() {
    min = max = TVector3();
    if (count_ > 0) min = max = triangles_[0].v[0];
    for (int i = 0; i < count_; ++i) {
        for (const TVector3& v : triangles_[static_cast<std::size_t>(i)].v) {
            if (v.x < min.x) min.x = v.x;
            if (v.y < min.y) min.y = v.y;
            if (v.z < min.z) min.z = v.z;
            if (v.x > max.x) max.x = v.x;
            if (v.y > max.y) max.y = v.y;
            if (v.z > max.z) max.z = v.z;
        }
    }
    const double extent = max.x - min.x;
    // IEEE 1 ÷ 0 without a division by zero.
    const double factor = extent != 0.0 ? 1.0 / extent : std::numeric_limits<double>::infinity();
    minNorm = min * factor;
    maxNorm = max * factor;
}

void TMesh3D::Center() {
    const TVector3 c = (min + max) * 0.5;
    for (int i = 0; i < count_; ++i)
        for (TVector3& v : triangles_[static_cast<std::size_t>(i)].v) v -= c;
    ComputeBounds();
}

}  // namespace wirvela
