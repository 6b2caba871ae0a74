// The station graph built while a plot file is read, and the loops of its R lines.
#pragma once

#include "survey/Hash.h"
#include "survey/HugeArry.h"
#include "survey/VectorMath.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace lumora::survey {

// The two ends of one shot, as the reader hands them to the graph.
struct TShotEnds {
    std::int32_t Record = 0; // plot record of the to-station; the from-station is the one before
    ShortString<20> FromName;
    ShortString<20> ToName;
    T3DVector FromPosition;
    T3DVector ToPosition;
};

// A list of edges (From[i] -> To[i]); a loop also carries its reference vertex and value.
class TEdgeArray {
public:
    std::int32_t Add(std::int32_t from, std::int32_t to);
    std::int32_t Count() const { return From.Count(); }
    void Clear();

    THugeInteger From{5};
    THugeInteger To{5};
    std::int32_t ReferenceVertex = -1;
    bool HasValue = false;
    double Value = 0.0;
};

// Owned loops, in file order.
class TLoopList {
public:
    explicit TLoopList(std::int32_t initialCapacity);
    TEdgeArray& NewLoop();
    std::int32_t Count() const { return static_cast<std::int32_t>(m_Loops.size()); }
    TEdgeArray& operator[](std::int32_t i) { return *m_Loops[i]; }
    const TEdgeArray& operator[](std::int32_t i) const { return *m_Loops[i]; }
    void Clear();

private:
    std::vector<std::unique_ptr<TEdgeArray>> m_Loops;
};

// One vertex per distinct station name (case-sensitive; the first position wins), one edge per
// shot. The neighbour and incident-edge lists of a vertex follow the order in which its edges
// were added; they are derived from the edge list when first asked for.
class TSurveyGraph {
public:
    TSurveyGraph();

    std::int32_t AddVertex(std::string_view name, const T3DVector& position);
    std::int32_t FindOrAddVertex(std::string_view name, const T3DVector& position);
    // False (nothing added) when either vertex number is negative.
    bool AddEdge(std::int32_t from, std::int32_t to);
    void AddShot(std::string_view fromName, std::string_view toName, const T3DVector& fromPosition,
                 const T3DVector& toPosition);
    // Adds, in order, the shot to each given plot record from the record before it, as AddShot
    // would. The names of a batch are looked up with their buckets fetched ahead, so that a big
    // file does not wait on memory for every station.
    void AddShots(std::span<const TShotEnds> shots);
    // Fills a loop from its names, each followed by '\n': the reference vertex, the first edge
    // (kept even when its stations are unknown), then an edge from each station of the chain to
    // the next where both are known.
    void ResolveLoop(TEdgeArray& loop, std::string_view names);
    // Vertex number of a name, or -1.
    std::int32_t Lookup(std::string_view name) { return Names.Lookup(name); }
    void Clear();

    std::int32_t VertexCount() const { return Names.Count(); }
    std::span<const std::int32_t> Neighbours(std::int32_t vertex) const;
    std::span<const std::int32_t> IncidentEdges(std::int32_t vertex) const;

    THashTable Names{5, 20};
    THuge3DVector Positions{5};
    TEdgeArray Edges;
    T3DVector MinBounds;
    T3DVector MaxBounds;

private:
    void BuildAdjacency() const;
    std::int32_t FindOrAddVertex(std::string_view name, const T3DVector& position,
                                 std::uint32_t hashValue);
    std::int32_t AddVertexData(const T3DVector& position);

    // The last draw added through AddShots and its to-vertex: the next draw usually starts there,
    // and since no key was added in between, a lookup would find that same vertex.
    std::int32_t m_LastDraw = -2;
    std::int32_t m_LastDrawVertex = -1;

    // Compressed adjacency, rebuilt when the edge count has changed since the last build.
    mutable std::vector<std::int32_t> m_Offsets;
    mutable std::vector<std::int32_t> m_Neighbours;
    mutable std::vector<std::int32_t> m_Incident;
    mutable std::int32_t m_AdjacencyEdges = -1;
};

} // namespace lumora::survey
