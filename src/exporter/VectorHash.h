// TVectorHash: a set of points that hands out one index per distinct point, so that vertices
// shared by neighbouring polygons are written once.
#pragma once

#include "survey/HugeArry.h"
#include "survey/VectorMath.h"

#include <cstdint>

namespace lumora::exporter {

// Points in a growable array, found again through 2048 chained buckets. Once the set holds more
// points than it has chains, the chains are spread over four times as many heads by a second
// hash of the point's bytes, so a lookup stays short for caves of any size; which point a lookup
// finds does not depend on it.
class TVectorHash {
public:
    static constexpr std::int32_t kBucketCount = 2048;

    TVectorHash();

    // The bucket of a point: over the 24 little-endian bytes of x, y and z, h = (4h + b) mod
    // 65536, folding bits 14 and 15 back in (h XOR ((h AND $C000) >> 12)); the low 11 bits.
    static std::int32_t Bucket(const survey::T3DVector& p);

    // The index of the most recently added point exactly equal to p (distance 0), or -1. Points
    // are compared by value in their own bucket, so 0 and -0 are told apart by their bytes.
    std::int32_t Find(const survey::T3DVector& p) const;
    // Stores p (even when an equal point is stored), links it in front of its chain and returns
    // its index.
    std::int32_t Add(const survey::T3DVector& p);
    // Find, and Add when not found: the index of p and whether it was added.
    std::int32_t FindOrAdd(const survey::T3DVector& p, bool& added);
    // Empties the points and sets every chain head to -1.
    void Clear();

    std::int32_t Count() const { return m_Points.Count(); }
    const survey::T3DVector& operator[](std::int32_t i) const { return m_Points[i]; }

private:
    std::int32_t Chain(const survey::T3DVector& p) const;
    std::int32_t FindIn(std::int32_t chain, const survey::T3DVector& p) const;
    std::int32_t AddTo(std::int32_t chain, const survey::T3DVector& p);
    void Split();

    survey::THuge3DVector m_Points{1024};
    survey::THugeInteger m_Heads{kBucketCount}; // chain heads, -1 = empty
    survey::THugeInteger m_Next{1024};          // parallel to the points
    int m_SplitBits = 0;
};

} // namespace lumora::exporter
