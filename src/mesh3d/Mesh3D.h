#pragma once
// A triangle mesh read from a "3D_raw" text file: the input of the profile generator,
// the 3-D viewer and the rotary project window.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "geometry/Vector3.h"

namespace wirvela {

class TMesh3D {
public:
    struct Triangle {
        TVector3 v[3];
        std::int32_t obj = 0;  // object number, 1-based (the header line opens object 1)
    };

    // Results of ReadRaw.
    static constexpr int kReadOk = 0;
    static constexpr int kReadCannotOpen = -1;
    static constexpr int kReadNoMemory = -2;
    static constexpr int kReadMalformed = -3;  // no line at all, or a malformed triangle line

    // Longest line the reader takes as one line; a longer one is read in pieces of this
    // many characters, each piece counting as a line of its own.
    static constexpr int kMaxLineChars = 989;

    // The triangle array may take at most this many bytes (one record per line of the
    // file); a larger file fails with kReadNoMemory instead of exhausting the machine.
    static constexpr std::size_t kDefaultMemoryLimit = std::size_t{1} << 30;

    TMesh3D() = default;
    ~TMesh3D();
    TMesh3D(const TMesh3D&) = delete;
    TMesh3D& operator=(const TMesh3D&) = delete;

    // Reads a 3D_raw file, replacing the mesh. Every coordinate is multiplied by `scale`
    // (the parameter `Scale` of section `3D_raw`, default 1.0). Returns kReadOk, or a
    // negative result after which the mesh is empty (all zero, no triangles).
    //
    // Format: the first line is a header (not interpreted) and opens object 1. A line
    // whose first character is a digit or "-" is a triangle of nine decimal numbers
    // x1 y1 z1 x2 y2 z2 x3 y3 z3 separated by exactly one blank each; it belongs to the
    // current object. Any other line starts the next object.
    int ReadRaw(const std::filesystem::path& fileName, double scale = 1.0);

    void SetMemoryLimit(std::size_t bytes) { memoryLimit_ = bytes; }

    // Recomputes min, max (componentwise bounds of every triangle vertex; zero for an
    // empty mesh), minNorm and maxNorm (min and max times 1 ÷ (max.x − min.x); infinite
    // or NaN when the extent in x is 0).
    void ComputeBounds();
    // Moves the mesh so that the centre of its bounding box is at the origin.
    void Center();

    int Count() const { return count_; }
    int Capacity() const { return capacity_; }
    int ObjectCount() const { return objectCount_; }
    const Triangle& operator[](int i) const { return triangles_[static_cast<std::size_t>(i)]; }
    Triangle& operator[](int i) { return triangles_[static_cast<std::size_t>(i)]; }

    TVector3 min;
    TVector3 max;
    TVector3 minNorm;
    TVector3 maxNorm;

private:
    void Release();

    int count_ = 0;
    int capacity_ = 0;
    std::unique_ptr<Triangle[]> triangles_;
    int objectCount_ = 0;
    std::size_t memoryLimit_ = kDefaultMemoryLimit;
};

}  // namespace wirvela
