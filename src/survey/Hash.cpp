#include "survey/Hash.h"

namespace lumora::survey {

TCustomHashTable::TCustomHashTable(std::int32_t capacity) : m_Next(capacity) {}

void TCustomHashTable::SetBits(std::int32_t n) {
    if (n == m_Bits)
        return;
    m_Bits = n > 3 ? n : 4;
    m_BucketCount = 1 << m_Bits;
    m_Mask = m_BucketCount - 1;
    m_Buckets.Resize(m_BucketCount);
    m_Buckets.Fill(-1);
    BucketsRebuilt();
}

void TCustomHashTable::Clear() {
    m_Next.Resize(0);
    m_Buckets.Fill(-1);
}

THashTable::THashTable(std::int32_t capacity, std::int32_t maxKeyLength)
    : TCustomHashTable(capacity), m_Keys(capacity, maxKeyLength) {
    SetBits(11);
    SetCaseSensitive(true);
}

void THashTable::SetCaseSensitive(bool caseSensitive) {
    if (caseSensitive == m_CaseSensitive)
        return;
    m_CaseSensitive = caseSensitive;
    m_Keys.CaseSensitive = caseSensitive;
    Rehash();
}

std::uint32_t THashTable::HashValue(std::string_view key) const {
    std::uint32_t h = 2166136261u;
    for (char ch : key) {
        auto c = static_cast<unsigned char>(ch);
        if (!m_CaseSensitive && c >= 'A' && c <= 'Z')
            c = static_cast<unsigned char>(c + 32);
        h = (h ^ c) * 16777619u;
    }
    return h;
}

std::int32_t THashTable::BucketOf(std::uint32_t h) const {
    return static_cast<std::int32_t>((h ^ (h >> m_Bits)) & static_cast<std::uint32_t>(m_Mask));
}

std::int32_t THashTable::Hash(std::string_view key) {
    m_LastBucket = BucketOf(HashValue(key));
    return m_LastBucket;
}

std::int32_t THashTable::Lookup(std::string_view key) {
    return LookupHashed(key, HashValue(key));
}

std::int32_t THashTable::LookupHashed(std::string_view key, std::uint32_t hashValue) {
    m_LastBucket = BucketOf(hashValue);
    for (std::int32_t k = m_Buckets[m_LastBucket]; k >= 0; k = m_Next[k])
        if (m_Keys.Equals(key, k))
            return k;
    return -1;
}

std::int32_t THashTable::Add(std::string_view key, void* object) {
    return AddHashed(key, HashValue(key), object);
}

std::int32_t THashTable::AddHashed(std::string_view key, std::uint32_t hashValue, void* object) {
    if (AutoGrow && m_Keys.Count() >= m_BucketCount && m_Bits < 26) {
        SetBits(m_Bits + 1);
        Rehash();
    }
    m_LastBucket = BucketOf(hashValue);
    const std::int32_t number = m_Keys.AddObject(key, object);
    m_Next.Add(m_Buckets[m_LastBucket]);
    m_Buckets.At(m_LastBucket) = number;
    return number;
}

void THashTable::PrefetchBucket(std::uint32_t hashValue) const {
    __builtin_prefetch(&m_Buckets[BucketOf(hashValue)]);
}

void THashTable::PrefetchChainHead(std::uint32_t hashValue) const {
    const std::int32_t head = m_Buckets[BucketOf(hashValue)];
    if (head >= 0) {
        __builtin_prefetch(m_Keys.ItemPtr(head));
        __builtin_prefetch(&m_Next[head]);
    }
}

void THashTable::Rehash() {
    m_Buckets.Fill(-1);
    m_Next.Resize(m_Keys.Count());
    for (std::int32_t i = 0; i < m_Keys.Count(); ++i) {
        const std::int32_t bucket = Hash(m_Keys.Get(i));
        m_Next.At(i) = m_Buckets[bucket];
        m_Buckets.At(bucket) = i;
    }
}

void THashTable::Truncate() {
    m_Keys.Truncate(0);
    Rehash();
}

void THashTable::Clear() {
    m_Keys.Clear();
    TCustomHashTable::Clear();
}

} // namespace lumora::survey
