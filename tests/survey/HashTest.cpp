#include "survey/Hash.h"
#include "survey/CaveGraph.h"

#include <gtest/gtest.h>

#include <string>

namespace lumora::survey {
namespace {

TEST(HashTable, AbcHasTheFnv1aValueAndBucket) {
    THashTable table(5, 20);
    EXPECT_EQ(table.Bits(), 11);
    EXPECT_EQ(table.BucketCount(), 2048);
    EXPECT_EQ(table.HashValue("abc"), 440920331u);
    EXPECT_EQ(table.Hash("abc"), 502);
    EXPECT_EQ(table.LastBucket(), 502);
}

TEST(HashTable, NumbersKeysInOrderAndFindsTheNewestEqualKey) {
    THashTable table(5, 20);
    EXPECT_EQ(table.Add("A1"), 0);
    EXPECT_EQ(table.Add("a1"), 1);
    EXPECT_EQ(table.Lookup("A1"), 0);
    EXPECT_EQ(table.Lookup("a1"), 1);
    EXPECT_EQ(table.Add("A1"), 2);
    EXPECT_EQ(table.Lookup("A1"), 2);
    EXPECT_EQ(table.Lookup("nowhere"), -1);
}

TEST(HashTable, CaseInsensitiveTableFindsTheFirstAddedOfEitherCase) {
    THashTable table(5, 20);
    table.Add("A1");
    table.SetCaseSensitive(false);
    EXPECT_EQ(table.Lookup("a1"), 0);
    EXPECT_EQ(table.Lookup("A1"), 0);
}

TEST(HashTable, KeysLongerThanTheMaximumAreNeverFound) {
    THashTable table(5, 4);
    table.Add("abcdefgh");
    EXPECT_EQ(table.Lookup("abcdefgh"), -1);
}

TEST(HashTable, ClearForgetsEveryKey) {
    THashTable table(5, 20);
    table.Add("x");
    table.Add("y");
    table.Clear();
    EXPECT_EQ(table.Lookup("x"), -1);
    EXPECT_EQ(table.Add("z"), 0);
}

TEST(HashTable, GrowingKeepsEveryLookup) {
    THashTable table(5, 20);
    table.AutoGrow = true;
    for (int i = 0; i < 20000; ++i)
        table.Add("S" + std::to_string(i));
    EXPECT_GT(table.BucketCount(), 2048);
    table.Add("S7"); // a second S7 is found first from now on
    EXPECT_EQ(table.Lookup("S7"), 20000);
    EXPECT_EQ(table.Lookup("S19999"), 19999);
    EXPECT_EQ(table.Lookup("S0"), 0);
}

TEST(SurveyGraph, RevisitedStationKeepsItsFirstVertexAndPosition) {
    TSurveyGraph graph;
    const T3DVector a1{0, 0, 0}, a2{10, 0, 0}, a3{20, 0, 0}, a4{10, 10, 0};
    graph.AddShot("A1", "A2", a1, a2);
    graph.AddShot("A2", "A3", a2, a3);
    graph.AddShot("A2", "A4", T3DVector{99, 99, 99}, a4);
    EXPECT_EQ(graph.VertexCount(), 4);
    EXPECT_EQ(graph.Edges.Count(), 3);
    EXPECT_EQ(graph.Positions[1], a2);
    EXPECT_EQ(graph.Edges.From[2], 1);
    EXPECT_EQ(graph.Edges.To[2], 3);
    const auto neighbours = graph.Neighbours(1);
    EXPECT_EQ(std::vector<std::int32_t>(neighbours.begin(), neighbours.end()),
              (std::vector<std::int32_t>{0, 2, 3}));
    const auto incident = graph.IncidentEdges(1);
    EXPECT_EQ(std::vector<std::int32_t>(incident.begin(), incident.end()),
              (std::vector<std::int32_t>{0, 1, 2}));
    EXPECT_EQ(graph.MaxBounds, (T3DVector{20, 10, 0}));
}

TEST(SurveyGraph, NamesDifferingInCaseAreTwoStations) {
    TSurveyGraph graph;
    graph.AddShot("A1", "a1", {}, {});
    EXPECT_EQ(graph.VertexCount(), 2);
    EXPECT_FALSE(graph.AddEdge(-1, 0));
    EXPECT_EQ(graph.Edges.Count(), 1);
}

TEST(SurveyGraph, ClearStartsVertexNumbersAgain) {
    TSurveyGraph graph;
    graph.AddShot("A", "B", {}, {});
    graph.Clear();
    EXPECT_EQ(graph.VertexCount(), 0);
    EXPECT_EQ(graph.Lookup("A"), -1);
    EXPECT_EQ(graph.AddVertex("C", {1, 2, 3}), 0);
    EXPECT_EQ(graph.MinBounds, (T3DVector{1, 2, 3}));
    EXPECT_TRUE(graph.Neighbours(0).empty());
}

} // namespace
} // namespace lumora::survey
