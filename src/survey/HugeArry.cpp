#include "survey/HugeArry.h"

#include "platform/Error.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <new>

namespace lumora::survey {

THugeArray::THugeArray(std::int32_t initialCapacity, std::int32_t elementSize)
    : m_ElementSize(elementSize), m_InitialCapacity(initialCapacity) {
    SetCapacity(initialCapacity);
}

THugeArray::~THugeArray() {
    std::free(m_Data);
}

void THugeArray::SetCapacity(std::int32_t n) {
    const std::int64_t bytes = static_cast<std::int64_t>(n) * m_ElementSize;
    if (bytes == 0)
        throw Error("Empty Array Allocation");
    // Sizes are 32-bit signed byte counts; a request beyond them is an out-of-memory condition.
    if (n < 0 || bytes > ByteLimit)
        throw std::bad_alloc();
    void* block = std::realloc(m_Data, static_cast<std::size_t>(bytes));
    if (!block)
        throw std::bad_alloc();
    m_Data = static_cast<char*>(block);
    m_Capacity = n;
}

void THugeArray::Grow() {
    if (m_Count < m_Capacity)
        return;
    std::int32_t step = 4;
    if (m_Count > 64)
        step = m_Count / 4;
    else if (m_Count >= 9)
        step = 16;
    m_GrowDelta = step;
    SetCapacity(m_Count + step);
}

std::int32_t THugeArray::AppendRaw(const void* item, void* object) {
    Grow();
    if (object && !m_HasObjects)
        MaterializeObjects();
    if (m_HasObjects)
        m_Objects.push_back(object);
    std::memcpy(ItemPtr(m_Count), item, m_ElementSize);
    return m_Count++;
}

void THugeArray::Put(std::int32_t i, const void* item) {
    std::memcpy(ItemPtr(i), item, m_ElementSize);
    Changed();
}

std::int32_t THugeArray::Add(const void* item) {
    const std::int32_t index = AppendRaw(item, nullptr);
    Changed();
    return index;
}

std::int32_t THugeArray::AddObject(const void* item, void* object) {
    const std::int32_t index = AppendRaw(item, object);
    Changed();
    return index;
}

void THugeArray::Insert(const void* item, std::int32_t i) {
    if (i < 0 || i > m_Count)
        return;
    Grow();
    std::memmove(ItemPtr(i + 1), ItemPtr(i), static_cast<std::size_t>(m_Count - i) * m_ElementSize);
    std::memcpy(ItemPtr(i), item, m_ElementSize);
    if (m_HasObjects)
        m_Objects.insert(m_Objects.begin() + i, nullptr);
    ++m_Count;
    Changed();
}

void THugeArray::Delete(std::int32_t i) {
    if (i < 0 || i >= m_Count)
        return;
    std::memmove(ItemPtr(i), ItemPtr(i + 1),
                 static_cast<std::size_t>(m_Count - i - 1) * m_ElementSize);
    if (m_HasObjects)
        m_Objects.erase(m_Objects.begin() + i);
    --m_Count;
    Changed();
}

void THugeArray::SwapBytes(std::int32_t i, std::int32_t j) {
    if (i == j)
        return;
    std::swap_ranges(static_cast<char*>(ItemPtr(i)), static_cast<char*>(ItemPtr(i)) + m_ElementSize,
                     static_cast<char*>(ItemPtr(j)));
    if (m_HasObjects)
        std::swap(m_Objects[i], m_Objects[j]);
}

void THugeArray::Exchange(std::int32_t i, std::int32_t j) {
    SwapBytes(i, j);
    Changed();
}

void THugeArray::Fill(const void* pattern) {
    for (std::int32_t i = 0; i < m_Count; ++i)
        std::memcpy(ItemPtr(i), pattern, m_ElementSize);
}

void THugeArray::Clear() {
    m_Count = 0;
    SetCapacity(m_InitialCapacity);
    m_Objects.clear();
    m_Objects.shrink_to_fit();
    m_HasObjects = false;
    Changed();
}

void THugeArray::Sort(const TCompare& compare) {
    if (m_Count > 0)
        QuickSort(0, m_Count - 1, compare);
}

void THugeArray::MaterializeObjects() {
    m_Objects.assign(static_cast<std::size_t>(m_Count), nullptr);
    m_HasObjects = true;
}

void THugeArray::Changed() {
    if (OnChange)
        OnChange(*this);
}

void THugeArray::SetObject(std::int32_t i, void* object) {
    if (object && !m_HasObjects)
        MaterializeObjects();
    if (m_HasObjects)
        m_Objects[i] = object;
}

void THugeArray::QuickSort(std::int32_t l, std::int32_t r, const TCompare& compare) {
    QuickSortRange(l, r,
                   [&](std::int32_t i, std::int32_t j) { return compare(ItemPtr(i), ItemPtr(j)); });
}

void THugeInteger::SortDefault() {
    const bool ascending = Ascending;
    Sort([ascending](const void* a, const void* b) {
        const auto x = *static_cast<const std::int32_t*>(a);
        const auto y = *static_cast<const std::int32_t*>(b);
        const int order = x < y ? -1 : (x > y ? 1 : 0);
        return ascending ? order : -order;
    });
}

void THugeInteger::Resize(std::int32_t count) {
    while (Capacity() < count)
        SetCapacity(count);
    SetCountRaw(count);
}

int CompareText(std::string_view a, std::string_view b, bool caseSensitive) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t k = 0; k < n; ++k) {
        unsigned char x = static_cast<unsigned char>(a[k]);
        unsigned char y = static_cast<unsigned char>(b[k]);
        if (!caseSensitive) {
            if (x >= 'A' && x <= 'Z')
                x = static_cast<unsigned char>(x + 32);
            if (y >= 'A' && y <= 'Z')
                y = static_cast<unsigned char>(y + 32);
        }
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareText(a, b, false) == 0;
}

THugeString::THugeString(std::int32_t initialCapacity, std::int32_t maxLength)
    : THugeArray(initialCapacity, std::clamp(maxLength, 0, 255) + 1),
      m_MaxLength(std::clamp(maxLength, 0, 255)) {}

void THugeString::Store(void* slot, std::string_view s) const {
    auto* bytes = static_cast<unsigned char*>(slot);
    const std::size_t length = std::min<std::size_t>(s.size(), m_MaxLength);
    bytes[0] = static_cast<unsigned char>(length);
    std::memcpy(bytes + 1, s.data(), length);
}

void THugeString::Put(std::int32_t i, std::string_view s) {
    Store(ItemPtr(i), s);
    Changed();
}

std::int32_t THugeString::AddObject(std::string_view s, void* object) {
    unsigned char slot[256];
    Store(slot, s);
    return THugeArray::AddObject(slot, object);
}

void THugeString::Insert(std::string_view s, std::int32_t i) {
    unsigned char slot[256];
    Store(slot, s);
    THugeArray::Insert(slot, i);
}

int THugeString::CompareIndexes(std::int32_t i, std::int32_t j) const {
    const int order = CompareText(Get(i), Get(j), CaseSensitive);
    return Ascending ? order : -order;
}

void THugeString::SortDefault() {
    if (Count() > 0)
        QuickSortRange(0, Count() - 1,
                       [this](std::int32_t i, std::int32_t j) { return CompareIndexes(i, j); });
}

} // namespace lumora::survey
