#include "exporter/VectorHash.h"

#include <cstring>

namespace lumora::exporter {

namespace {

std::uint64_t Bits(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

// Mixes all bits of the point into the bits that choose a sub-chain.
std::uint64_t Mix(const survey::T3DVector& p) {
    std::uint64_t h = Bits(p.X) * 0x9E3779B97F4A7C15ull;
    h = (h ^ (h >> 29) ^ Bits(p.Y)) * 0xBF58476D1CE4E5B9ull;
    h = (h ^ (h >> 31) ^ Bits(p.Z)) * 0x94D049BB133111EBull;
    return h ^ (h >> 32);
}

} // namespace

TVectorHash::TVectorHash() {
    Clear();
}

std::int32_t TVectorHash::Bucket(const survey::T3DVector& p) {
    std::uint32_t h = 0;
    for (double v : {p.X, p.Y, p.Z}) {
        const std::uint64_t bits = Bits(v);
        for (int i = 0; i < 8; ++i) {
            h = (4 * h + static_cast<std::uint32_t>(bits >> (8 * i) & 0xFF)) & 0xFFFF;
            if (h & 0xC000)
                h ^= (h & 0xC000) >> 12;
        }
    }
    return static_cast<std::int32_t>(h & 0x7FF);
}

// Up to 2048 points a chain is a bucket. The bucket function mostly sees the high bytes of the
// last coordinate, so a cave fills few buckets: past 2048 points the chains are chosen by a
// second hash of all 24 bytes, over 2048 × 4^k chains.
std::int32_t TVectorHash::Chain(const survey::T3DVector& p) const {
    if (m_SplitBits == 0)
        return Bucket(p);
    const std::uint64_t mask = (std::uint64_t{kBucketCount} << m_SplitBits) - 1;
    return static_cast<std::int32_t>(Mix(p) & mask);
}

std::int32_t TVectorHash::FindIn(std::int32_t chain, const survey::T3DVector& p) const {
    for (std::int32_t i = m_Heads[chain]; i >= 0; i = m_Next[i]) {
        const survey::T3DVector& q = m_Points[i];
        if (q.X == p.X && q.Y == p.Y && q.Z == p.Z)
            return i;
    }
    return -1;
}

std::int32_t TVectorHash::AddTo(std::int32_t chain, const survey::T3DVector& p) {
    const std::int32_t index = m_Points.Add(p);
    m_Next.Add(m_Heads[chain]);
    m_Heads.At(chain) = index;
    return index;
}

std::int32_t TVectorHash::Find(const survey::T3DVector& p) const {
    return FindIn(Chain(p), p);
}

std::int32_t TVectorHash::Add(const survey::T3DVector& p) {
    if (m_Points.Count() >= kBucketCount << m_SplitBits && m_SplitBits < 11)
        Split();
    return AddTo(Chain(p), p);
}

std::int32_t TVectorHash::FindOrAdd(const survey::T3DVector& p, bool& added) {
    if (m_Points.Count() >= kBucketCount << m_SplitBits && m_SplitBits < 11)
        Split();
    const std::int32_t chain = Chain(p);
    const std::int32_t found = FindIn(chain, p);
    added = found < 0;
    return added ? AddTo(chain, p) : found;
}

// Quadruples the chains and relinks every point in its order of adding, so each chain keeps
// the newest point in front.
void TVectorHash::Split() {
    m_SplitBits += 2;
    m_Heads.Clear();
    for (std::int32_t i = 0; i < kBucketCount << m_SplitBits; ++i)
        m_Heads.Add(-1);
    for (std::int32_t i = 0; i < m_Points.Count(); ++i) {
        const std::int32_t chain = Chain(m_Points[i]);
        m_Next.At(i) = m_Heads[chain];
        m_Heads.At(chain) = i;
    }
}

void TVectorHash::Clear() {
    m_SplitBits = 0;
    m_Points.Clear();
    m_Next.Clear();
    m_Heads.Clear();
    for (std::int32_t i = 0; i < kBucketCount; ++i)
        m_Heads.Add(-1);
}

} // namespace lumora::exporter
