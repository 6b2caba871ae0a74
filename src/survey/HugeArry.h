// Growable arrays of fixed-size elements held by value in one block (plot records, keys, links).
#pragma once

#include "survey/VectorMath.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace lumora::survey {

// An 8-bit string of fixed capacity N stored inline (one length byte, then the characters), so a
// record holding it copies as plain bytes. Longer text is cut to N characters.
template <int N> struct ShortString {
    static_assert(N > 0 && N <= 255);
    std::uint8_t Len = 0;
    char Data[N] = {};

    ShortString() = default;
    ShortString(std::string_view text) { Assign(text); } // NOLINT: implicit by design
    void Assign(std::string_view text) {
        Len = static_cast<std::uint8_t>(text.size() < N ? text.size() : N);
        std::memcpy(Data, text.data(), Len);
    }
    std::string_view View() const { return {Data, Len}; }
    std::string Str() const { return std::string(View()); }
    bool Empty() const { return Len == 0; }
    friend bool operator==(const ShortString& a, const ShortString& b) {
        return a.View() == b.View();
    }
};

// The base array: elements of ElementSize bytes side by side, a companion list of untyped
// pointers (Objects) kept in step, growth by a quarter for large arrays. Get/Put/ItemPtr do not
// check indexes; Insert and Delete ignore out-of-range indexes. Growth beyond 2^31-1 bytes or a
// failed allocation throws std::bad_alloc and leaves the array as it was.
class THugeArray {
public:
    using TCompare = std::function<int(const void*, const void*)>;

    THugeArray(std::int32_t initialCapacity, std::int32_t elementSize);
    virtual ~THugeArray();
    THugeArray(const THugeArray&) = delete;
    THugeArray& operator=(const THugeArray&) = delete;

    std::int32_t ElementSize() const { return m_ElementSize; }
    std::int32_t AllocatedBytes() const { return m_Capacity * m_ElementSize; }
    std::int32_t GrowDelta() const { return m_GrowDelta; }
    std::int32_t InitialCapacity() const { return m_InitialCapacity; }
    std::int32_t Capacity() const { return m_Capacity; }
    std::int32_t Count() const { return m_Count; }
    bool Ascending = true;
    std::function<void(THugeArray&)> OnChange;
    // Largest block the array may hold; growth beyond it throws std::bad_alloc. Tests lower it
    // to exercise the out-of-memory paths of the callers.
    std::int64_t ByteLimit = INT32_MAX;

    void* ItemPtr(std::int32_t i) { return m_Data + static_cast<std::size_t>(i) * m_ElementSize; }
    const void* ItemPtr(std::int32_t i) const {
        return m_Data + static_cast<std::size_t>(i) * m_ElementSize;
    }
    void Get(std::int32_t i, void* item) const { std::memcpy(item, ItemPtr(i), m_ElementSize); }
    void Put(std::int32_t i, const void* item);
    virtual std::int32_t Add(const void* item);
    std::int32_t AddObject(const void* item, void* object);
    void Insert(const void* item, std::int32_t i);
    virtual void Delete(std::int32_t i);
    virtual void Exchange(std::int32_t i, std::int32_t j);
    void Fill(const void* pattern);
    // Reallocates to n elements (n = 0 throws lumora::Error "Empty Array Allocation").
    void SetCapacity(std::int32_t n);
    virtual void Clear();
    virtual void Sort(const TCompare& compare);
    virtual void SortDefault() {}
    virtual void Changed();

    // The companion pointer of element i (null unless one was given).
    void* Object(std::int32_t i) const { return m_HasObjects ? m_Objects[i] : nullptr; }
    void SetObject(std::int32_t i, void* object);

protected:
    // Makes room for one more element by the growth rule.
    void Grow();
    void SwapBytes(std::int32_t i, std::int32_t j);
    // Sorts elements l..r by compare(i, j) of two element indexes: Hoare partition around the
    // middle element, recursion into the left part and a loop on the right. Elements move only
    // through the virtual Exchange, so Objects follow them; the pivot's index follows the pivot.
    template <class TIndexCompare>
    void QuickSortRange(std::int32_t l, std::int32_t r, const TIndexCompare& compare) {
        std::int32_t i;
        do {
            std::int32_t pivot = static_cast<std::int32_t>(static_cast<std::uint32_t>(l + r) >> 1);
            i = l;
            std::int32_t j = r;
            do {
                while (compare(i, pivot) < 0)
                    ++i;
                while (compare(j, pivot) > 0)
                    --j;
                if (i <= j) {
                    Exchange(i, j);
                    if (pivot == i)
                        pivot = j;
                    else if (pivot == j)
                        pivot = i;
                    ++i;
                    --j;
                }
            } while (i <= j);
            if (l < j)
                QuickSortRange(l, j, compare);
            l = i;
        } while (i < r);
    }
    // Appends without notifying; used by the typed appends on hot paths.
    std::int32_t AppendRaw(const void* item, void* object);
    // Sets Count directly (never above Capacity); used by tables that empty without shrinking.
    void SetCountRaw(std::int32_t count) { m_Count = count; }

private:
    void QuickSort(std::int32_t l, std::int32_t r, const TCompare& compare);

    std::int32_t m_ElementSize;
    std::int32_t m_GrowDelta = 4;
    std::int32_t m_InitialCapacity;
    std::int32_t m_Capacity = 0;
    std::int32_t m_Count = 0;
    char* m_Data = nullptr;
    // Kept only once a non-null companion pointer was given; then one entry per element.
    bool m_HasObjects = false;
    std::vector<void*> m_Objects;
    void MaterializeObjects();
};

// An array of one plain record type T.
template <class T> class THugeRecordArray : public THugeArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    explicit THugeRecordArray(std::int32_t initialCapacity)
        : THugeArray(initialCapacity, sizeof(T)) {}

    const T& operator[](std::int32_t i) const { return *static_cast<const T*>(ItemPtr(i)); }
    T& At(std::int32_t i) { return *static_cast<T*>(ItemPtr(i)); }
    T Get(std::int32_t i) const { return (*this)[i]; }
    void Put(std::int32_t i, const T& v) { THugeArray::Put(i, &v); }
    std::int32_t Add(const T& v) { return THugeArray::Add(&v); }
    std::int32_t AddObject(const T& v, void* object) { return THugeArray::AddObject(&v, object); }
    void Insert(const T& v, std::int32_t i) { THugeArray::Insert(&v, i); }
    void Fill(const T& v) { THugeArray::Fill(&v); }
};

class THugeInteger : public THugeRecordArray<std::int32_t> {
public:
    using THugeRecordArray::THugeRecordArray;
    // Numeric order, ascending when Ascending is true.
    void SortDefault() override;
    // Sets the count without touching the block (at most the capacity); for the hash table.
    void Resize(std::int32_t count);
};

class THuge3DVector : public THugeRecordArray<T3DVector> {
public:
    using THugeRecordArray::THugeRecordArray;
};

// Compares two strings ordinally or without regard to the case of A-Z/a-z.
int CompareText(std::string_view a, std::string_view b, bool caseSensitive);
bool SameText(std::string_view a, std::string_view b);

// Length-prefixed strings of at most MaxLength (<= 255) 8-bit characters; longer text is cut.
class THugeString : public THugeArray {
public:
    THugeString(std::int32_t initialCapacity, std::int32_t maxLength);

    std::int32_t MaxLength() const { return m_MaxLength; }
    bool CaseSensitive = true;

    std::string_view Get(std::int32_t i) const {
        const auto* slot = static_cast<const unsigned char*>(ItemPtr(i));
        return {reinterpret_cast<const char*>(slot + 1), slot[0]};
    }
    void Put(std::int32_t i, std::string_view s);
    std::int32_t Add(std::string_view s) { return AddObject(s, nullptr); }
    std::int32_t AddObject(std::string_view s, void* object);
    void Insert(std::string_view s, std::int32_t i);
    // Exact (length and bytes) when CaseSensitive; otherwise equal up to the case of A-Z/a-z.
    bool Equals(std::string_view s, std::int32_t i) const {
        return CaseSensitive ? Get(i) == s : SameText(Get(i), s);
    }
    // Ordinal order when CaseSensitive, case-insensitive otherwise; direction from Ascending.
    void SortDefault() override;
    // Sets the count without shrinking the block; for the hash table.
    void Truncate(std::int32_t count) { SetCountRaw(count < Count() ? count : Count()); }

private:
    void Store(void* slot, std::string_view s) const;
    int CompareIndexes(std::int32_t i, std::int32_t j) const;

    std::int32_t m_MaxLength;
};

} // namespace lumora::survey
