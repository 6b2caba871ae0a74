#include "survey/HugeArry.h"

#include "platform/Error.h"

#include <gtest/gtest.h>

namespace lumora::survey {
namespace {

TEST(HugeArray, GrowsByTheListRule) {
    THugeInteger big(500);
    std::vector<std::int32_t> capacities;
    for (int i = 0; i < 1000; ++i) {
        big.Add(i);
        if (capacities.empty() || capacities.back() != big.Capacity())
            capacities.push_back(big.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<std::int32_t>{500, 625, 781, 976, 1220}));

    THugeInteger small(1);
    capacities.clear();
    for (int i = 0; i < 80; ++i) {
        small.Add(i);
        if (capacities.empty() || capacities.back() != small.Capacity())
            capacities.push_back(small.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<std::int32_t>{1, 5, 9, 25, 41, 57, 73, 91}));
}

TEST(HugeArray, ClearReturnsToTheConstructionCapacity) {
    THugeInteger a(10);
    for (int i = 0; i < 5000; ++i)
        a.Add(i);
    a.Clear();
    EXPECT_EQ(a.Count(), 0);
    EXPECT_EQ(a.Capacity(), 10);
}

TEST(HugeArray, InsertAndDeleteIgnoreIndexesOutOfRange) {
    THugeInteger a(4);
    a.Add(1);
    a.Add(2);
    a.Insert(9, a.Count() + 1);
    a.Delete(a.Count());
    a.Delete(-1);
    ASSERT_EQ(a.Count(), 2);
    a.Insert(3, a.Count()); // appends
    a.Insert(0, 0);
    ASSERT_EQ(a.Count(), 4);
    EXPECT_EQ(a[0], 0);
    EXPECT_EQ(a[3], 3);
    a.Delete(1);
    EXPECT_EQ(a[1], 2);
}

TEST(HugeArray, ObjectsFollowTheirElements) {
    THugeInteger a(4);
    int x = 0, y = 0;
    a.AddObject(5, &x);
    a.Add(1);
    a.AddObject(3, &y);
    a.SortDefault();
    EXPECT_EQ(a[0], 1);
    EXPECT_EQ(a.Object(0), nullptr);
    EXPECT_EQ(a.Object(1), &y);
    EXPECT_EQ(a.Object(2), &x);
    a.Insert(7, 0);
    EXPECT_EQ(a.Object(0), nullptr);
    EXPECT_EQ(a.Object(3), &x);
}

TEST(HugeArray, SortsAscendingAndDescending) {
    THugeInteger a(4);
    for (int v : {5, -2, 9, 0, 5, 3, 1, 8, 7, 7, -6})
        a.Add(v);
    a.SortDefault();
    for (int i = 1; i < a.Count(); ++i)
        EXPECT_LE(a[i - 1], a[i]);
    a.Ascending = false;
    a.SortDefault();
    for (int i = 1; i < a.Count(); ++i)
        EXPECT_GE(a[i - 1], a[i]);
    THugeInteger empty(1);
    empty.SortDefault();
    EXPECT_EQ(empty.Count(), 0);
}

TEST(HugeArray, FillTouchesOnlyElementsInUse) {
    THugeInteger a(10);
    a.Add(1);
    a.Add(2);
    a.Add(3);
    a.Resize(2);
    a.Fill(-1);
    EXPECT_EQ(a[0], -1);
    EXPECT_EQ(a[1], -1);
    a.Resize(3); // the slot beyond Count keeps what it held
    EXPECT_EQ(a[2], 3);
}

TEST(HugeArray, RefusesEmptyAndOversizedBlocks) {
    EXPECT_THROW(THugeInteger(0), Error);
    THugeInteger a(2);
    EXPECT_THROW(a.SetCapacity(0), Error);
    a.ByteLimit = 64;
    int added = 0;
    EXPECT_THROW(for (;; ++added) a.Add(added), std::bad_alloc);
    EXPECT_EQ(a.Count(), added);
    EXPECT_LE(a.AllocatedBytes(), 64);
    EXPECT_EQ(a[added - 1], added - 1);
}

TEST(HugeString, CutsToItsMaximumLengthAndComparesByCaseRule) {
    THugeString s(2, 20);
    s.Add("a name that is longer than twenty characters");
    EXPECT_EQ(s.Get(0), "a name that is longe");
    s.Add("ABC");
    EXPECT_FALSE(s.Equals("abc", 1));
    s.CaseSensitive = false;
    EXPECT_TRUE(s.Equals("abc", 1));
    EXPECT_FALSE(s.Equals("abcd", 1));
}

TEST(HugeString, SortsByCaseRule) {
    THugeString s(2, 10);
    for (const char* name : {"b", "A", "a", "B", "c"})
        s.Add(name);
    s.SortDefault();
    EXPECT_EQ(s.Get(0), "A");
    EXPECT_EQ(s.Get(1), "B");
    EXPECT_EQ(s.Get(4), "c");
    s.CaseSensitive = false;
    s.Ascending = false;
    s.SortDefault();
    EXPECT_EQ(s.Get(0), "c");
    EXPECT_TRUE(SameText(s.Get(4), "a"));
    THugeString empty(1, 5);
    empty.SortDefault();
    EXPECT_EQ(empty.Count(), 0);
}

} // namespace
} // namespace lumora::survey
