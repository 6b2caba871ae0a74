#include "passage/PassageObj.h"

#include "platform/Error.h"
#include "platform/SafeFile.h"

#include <bit>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>

namespace lumora::passage {

namespace {

// Bits of a coordinate, with -0 read as +0 so that equal numbers share a vertex.
std::uint64_t KeyBits(double value) {
    return std::bit_cast<std::uint64_t>(value + 0.0);
}

// Appends the shortest text that reads back as exactly value.
void AppendNumber(std::string& out, double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendIndex(std::string& out, std::uint64_t index) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, index);
    out.append(buffer, result.ptr);
}

} // namespace

std::size_t TObjMesh::TKeyHash::operator()(const TKey& key) const {
    std::uint64_t h = key.X * 0x9E3779B97F4A7C15ull;
    h ^= (key.Y + 0x632BE59BD9B4E019ull + (h << 6) + (h >> 2)) * 0xBF58476D1CE4E5B9ull;
    h ^= (key.Z + 0x94D049BB133111EBull + (h << 6) + (h >> 2)) * 0x94D049BB133111EBull;
    return static_cast<std::size_t>(h ^ (h >> 31));
}

std::uint32_t TObjMesh::VertexIndex(const survey::T3DVector& point) {
    const TKey key{KeyBits(point.X), KeyBits(point.Y), KeyBits(point.Z)};
    const auto [it, added] =
        m_Index.try_emplace(key, static_cast<std::uint32_t>(m_Vertices.size()));
    if (added)
        m_Vertices.push_back(point);
    return it->second;
}

void TObjMesh::AddQuad(const survey::T3DVector& p0, const survey::T3DVector& p1,
                       const survey::T3DVector& p2, const survey::T3DVector& p3) {
    for (const auto* p : {&p0, &p1, &p2, &p3})
        m_FaceVertices.push_back(VertexIndex(*p));
    m_FaceSizes.push_back(4);
}

void TObjMesh::AddTriangle(const survey::T3DVector& a, const survey::T3DVector& b,
                           const survey::T3DVector& c) {
    for (const auto* p : {&a, &b, &c})
        m_FaceVertices.push_back(VertexIndex(*p));
    m_FaceSizes.push_back(3);
}

void TObjMesh::Write(const std::string& fileName) const {
    platform::TSafeFile file(fileName);
    std::string text = "# Lumora passage walls and end caps\n";
    auto flush = [&](bool always) {
        if (!always && text.size() < (1u << 20))
            return;
        file.Write(text);
        text.clear();
    };
    for (const survey::T3DVector& v : m_Vertices) {
        text += "v ";
        AppendNumber(text, v.X);
        text += ' ';
        AppendNumber(text, v.Y);
        text += ' ';
        AppendNumber(text, v.Z);
        text += '\n';
        flush(false);
    }
    std::size_t next = 0;
    for (std::uint8_t size : m_FaceSizes) {
        text += 'f';
        for (std::uint8_t k = 0; k < size; ++k) {
            text += ' ';
            AppendIndex(text, std::uint64_t{m_FaceVertices[next++]} + 1);
        }
        text += '\n';
        flush(false);
    }
    flush(true);
    file.Commit();
}

} // namespace lumora::passage
