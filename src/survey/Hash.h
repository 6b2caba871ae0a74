// String hash table that numbers its keys 0, 1, 2... in the order they are added (FNV-1a buckets).
#pragma once

#include "survey/HugeArry.h"

#include <cstdint>
#include <string_view>

namespace lumora::survey {

// The bucket machinery: chains of key numbers through two integer arrays, no per-key allocation.
class TCustomHashTable {
public:
    TCustomHashTable(std::int32_t capacity);
    virtual ~TCustomHashTable() = default;

    std::int32_t LastBucket() const { return m_LastBucket; }
    std::int32_t Bits() const { return m_Bits; }
    std::int32_t BucketCount() const { return m_BucketCount; }
    std::int32_t Mask() const { return m_Mask; }
    const THugeInteger& Buckets() const { return m_Buckets; }
    const THugeInteger& Next() const { return m_Next; }

    // Resizes the bucket array to 2^max(n, 4) empty buckets; keys present are not re-linked.
    void SetBits(std::int32_t n);
    virtual void BucketsRebuilt() {}
    virtual void Clear();

protected:
    std::int32_t m_LastBucket = 0;
    std::int32_t m_Bits = 0;
    std::int32_t m_BucketCount = 0;
    std::int32_t m_Mask = 0;
    THugeInteger m_Buckets{5};
    THugeInteger m_Next;
};

class THashTable : public TCustomHashTable {
public:
    THashTable(std::int32_t capacity, std::int32_t maxKeyLength);

    bool CaseSensitive() const { return m_CaseSensitive; }
    void SetCaseSensitive(bool caseSensitive);
    const THugeString& Keys() const { return m_Keys; }
    std::int32_t Count() const { return m_Keys.Count(); }

    // The 32-bit FNV-1a value of the key (lower-cased first when not case-sensitive).
    std::uint32_t HashValue(std::string_view key) const;
    // The bucket of the key; sets LastBucket.
    std::int32_t Hash(std::string_view key);
    // Number of the newest key equal to Key, or -1.
    std::int32_t Lookup(std::string_view key);
    // Lookup with the key's HashValue already known.
    std::int32_t LookupHashed(std::string_view key, std::uint32_t hashValue);
    // Appends Key (even if an equal key exists) and returns its number.
    std::int32_t Add(std::string_view key, void* object = nullptr);
    std::int32_t AddHashed(std::string_view key, std::uint32_t hashValue, void* object = nullptr);
    // Hints the processor to fetch the bucket of the key, and then the newest key in it, ahead
    // of a Lookup; changes nothing.
    void PrefetchBucket(std::uint32_t hashValue) const;
    void PrefetchChainHead(std::uint32_t hashValue) const;
    // Relinks every key into the buckets, ascending by number.
    void Rehash();
    // Empties the keys without shrinking the table.
    void Truncate();
    void Clear() override;

    // Keeps lookups constant-time on big files: once the keys outnumber the buckets, the bucket
    // count doubles and the keys are relinked. Lookup results do not change,
    // since every chain still runs from the newest key to the oldest.
    bool AutoGrow = false;

private:
    std::int32_t BucketOf(std::uint32_t hashValue) const;

    bool m_CaseSensitive = true;
    THugeString m_Keys;
};

} // namespace lumora::survey
