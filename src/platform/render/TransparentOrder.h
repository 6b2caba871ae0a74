// The drawing order of transparent triangles: far to near as a camera sees them, so each one
// blends over everything behind it. Plain C++ (no GL), shared by the renderer and its tests.
#pragma once

#include "platform/scene/SceneMath.h"

#include <cstdint>
#include <span>
#include <vector>

namespace lumora::render {

// The triangles (three indices each, centres[t] the centre of triangle t in object space) in
// order of falling depth along toCamera's z (object to camera, row vectors): the farthest first.
// Depths are told apart to 1 / 65536 of their range, which a linear-time radix sort of 16-bit
// keys gives; equal keys keep their order. indices.size() must be 3 * centres.size().
void SortFarToNear(std::span<const scene::Vector> centres, std::span<const std::uint32_t> indices,
                   const scene::Matrix& toCamera, std::vector<std::uint32_t>& out);

} // namespace lumora::render
