#include "platform/render/TransparentOrder.h"

#include <algorithm>
#include <array>

namespace lumora::render {

namespace {

// Stable counting sort of order by one byte of the keys.
void SortByByte(const std::vector<std::uint16_t>& keys, int shift,
                const std::vector<std::uint32_t>& in, std::vector<std::uint32_t>& out) {
    std::array<std::uint32_t, 257> start{};
    for (std::uint32_t t : in)
        ++start[((keys[t] >> shift) & 0xFF) + 1];
    for (int b = 0; b < 256; ++b)
        start[b + 1] += start[b];
    out.resize(in.size());
    for (std::uint32_t t : in)
        out[start[(keys[t] >> shift) & 0xFF]++] = t;
}

} // namespace

void SortFarToNear(std::span<const scene::Vector> centres, std::span<const std::uint32_t> indices,
                   const scene::Matrix& toCamera, std::vector<std::uint32_t>& out) {
    const std::size_t count = centres.size();
    std::vector<float> depth(count);
    float nearest = 0, farthest = 0;
    for (std::size_t t = 0; t < count; ++t) {
        const scene::Vector& c = centres[t];
        depth[t] = c.X * toCamera.M[0][2] + c.Y * toCamera.M[1][2] + c.Z * toCamera.M[2][2] +
                   toCamera.M[3][2];
        nearest = t ? std::min(nearest, depth[t]) : depth[t];
        farthest = t ? std::max(farthest, depth[t]) : depth[t];
    }
    // Key 0 is the farthest triangle, 65535 the nearest.
    const float scale = farthest > nearest ? 65535.0f / (farthest - nearest) : 0.0f;
    std::vector<std::uint16_t> keys(count);
    for (std::size_t t = 0; t < count; ++t)
        keys[t] =
            static_cast<std::uint16_t>(std::clamp((farthest - depth[t]) * scale, 0.0f, 65535.0f));
    std::vector<std::uint32_t> order(count), sorted;
    for (std::size_t t = 0; t < count; ++t)
        order[t] = static_cast<std::uint32_t>(t);
    SortByByte(keys, 0, order, sorted);
    SortByByte(keys, 8, sorted, order);
    out.resize(count * 3);
    for (std::size_t i = 0; i < count; ++i)
        std::copy_n(indices.begin() + std::ptrdiff_t(order[i]) * 3, 3, out.begin() + i * 3);
}

} // namespace lumora::render
