#include "survey/CaveGraph.h"

namespace lumora::survey {

namespace {
const T3DVector kEmptyMin{9.9e99, 9.9e99, 9.9e99};
const T3DVector kEmptyMax{-9.9e99, -9.9e99, -9.9e99};
} // namespace

std::int32_t TEdgeArray::Add(std::int32_t from, std::int32_t to) {
    From.Add(from);
    return To.Add(to);
}

void TEdgeArray::Clear() {
    From.Clear();
    To.Clear();
}

TLoopList::TLoopList(std::int32_t initialCapacity) {
    m_Loops.reserve(static_cast<std::size_t>(initialCapacity));
}

TEdgeArray& TLoopList::NewLoop() {
    m_Loops.push_back(std::make_unique<TEdgeArray>());
    return *m_Loops.back();
}

void TLoopList::Clear() {
    m_Loops.clear();
}

TSurveyGraph::TSurveyGraph() : MinBounds(kEmptyMin), MaxBounds(kEmptyMax) {
    Names.AutoGrow = true;
}

std::int32_t TSurveyGraph::AddVertex(std::string_view name, const T3DVector& position) {
    Names.Add(name);
    return AddVertexData(position);
}

// The per-vertex data of the key just added to Names.
std::int32_t TSurveyGraph::AddVertexData(const T3DVector& position) {
    const std::int32_t vertex = Positions.Add(position);
    if (vertex == 0) {
        MinBounds = position;
        MaxBounds = position;
    } else {
        MinBounds = VecMin(MinBounds, position);
        MaxBounds = VecMax(MaxBounds, position);
    }
    return vertex;
}

std::int32_t TSurveyGraph::FindOrAddVertex(std::string_view name, const T3DVector& position) {
    const std::int32_t vertex = Names.Lookup(name);
    return vertex >= 0 ? vertex : AddVertex(name, position);
}

bool TSurveyGraph::AddEdge(std::int32_t from, std::int32_t to) {
    if (from < 0 || to < 0)
        return false;
    Edges.Add(from, to);
    return true;
}

void TSurveyGraph::AddShot(std::string_view fromName, std::string_view toName,
                           const T3DVector& fromPosition, const T3DVector& toPosition) {
    const std::int32_t from = FindOrAddVertex(fromName, fromPosition);
    AddEdge(from, FindOrAddVertex(toName, toPosition));
}

void TSurveyGraph::AddShots(std::span<const TShotEnds> shots) {
    constexpr std::size_t kBatch = 64;
    std::uint32_t hashes[2 * kBatch];
    while (!shots.empty()) {
        const std::span<const TShotEnds> batch = shots.first(std::min(kBatch, shots.size()));
        shots = shots.subspan(batch.size());
        for (std::size_t k = 0; k < batch.size(); ++k) {
            hashes[2 * k] = Names.HashValue(batch[k].FromName.View());
            hashes[2 * k + 1] = Names.HashValue(batch[k].ToName.View());
            Names.PrefetchBucket(hashes[2 * k]);
            Names.PrefetchBucket(hashes[2 * k + 1]);
        }
        for (std::size_t k = 0; k < 2 * batch.size(); ++k)
            Names.PrefetchChainHead(hashes[k]);
        for (std::size_t k = 0; k < batch.size(); ++k) {
            const TShotEnds& shot = batch[k];
            const std::int32_t from =
                shot.Record - 1 == m_LastDraw
                    ? m_LastDrawVertex
                    : FindOrAddVertex(shot.FromName.View(), shot.FromPosition, hashes[2 * k]);
            m_LastDrawVertex =
                FindOrAddVertex(shot.ToName.View(), shot.ToPosition, hashes[2 * k + 1]);
            m_LastDraw = shot.Record;
            AddEdge(from, m_LastDrawVertex);
        }
    }
}

std::int32_t TSurveyGraph::FindOrAddVertex(std::string_view name, const T3DVector& position,
                                           std::uint32_t hashValue) {
    const std::int32_t vertex = Names.LookupHashed(name, hashValue);
    if (vertex >= 0)
        return vertex;
    Names.AddHashed(name, hashValue);
    return AddVertexData(position);
}

void TSurveyGraph::ResolveLoop(TEdgeArray& loop, std::string_view names) {
    auto next = [&names, this] {
        const std::size_t end = names.find('\n');
        const std::int32_t vertex = Lookup(names.substr(0, end));
        names.remove_prefix(end == std::string_view::npos ? names.size() : end + 1);
        return vertex;
    };
    loop.ReferenceVertex = next();
    const std::int32_t from = next();
    std::int32_t previous = next();
    loop.Add(from, previous);
    while (!names.empty()) {
        const std::int32_t vertex = next();
        if (previous >= 0 && vertex >= 0)
            loop.Add(previous, vertex);
        previous = vertex;
    }
}

void TSurveyGraph::Clear() {
    Names.Truncate();
    Positions.Clear();
    Edges.Clear();
    MinBounds = kEmptyMin;
    MaxBounds = kEmptyMax;
    m_AdjacencyEdges = -1;
    m_LastDraw = -2;
    m_LastDrawVertex = -1;
}

// Every edge appears at both ends, in the order the edges were added.
void TSurveyGraph::BuildAdjacency() const {
    const std::int32_t edges = Edges.Count();
    if (edges == m_AdjacencyEdges &&
        m_Offsets.size() == static_cast<std::size_t>(VertexCount()) + 1)
        return;
    const auto vertices = static_cast<std::size_t>(VertexCount());
    m_Offsets.assign(vertices + 1, 0);
    for (std::int32_t e = 0; e < edges; ++e) {
        ++m_Offsets[static_cast<std::size_t>(Edges.From[e]) + 1];
        ++m_Offsets[static_cast<std::size_t>(Edges.To[e]) + 1];
    }
    for (std::size_t v = 0; v < vertices; ++v)
        m_Offsets[v + 1] += m_Offsets[v];
    m_Neighbours.assign(static_cast<std::size_t>(edges) * 2, 0);
    m_Incident.assign(static_cast<std::size_t>(edges) * 2, 0);
    std::vector<std::int32_t> fill(m_Offsets.begin(), m_Offsets.end() - 1);
    for (std::int32_t e = 0; e < edges; ++e) {
        const std::int32_t from = Edges.From[e];
        const std::int32_t to = Edges.To[e];
        m_Neighbours[fill[from]] = to;
        m_Incident[fill[from]++] = e;
        m_Neighbours[fill[to]] = from;
        m_Incident[fill[to]++] = e;
    }
    m_AdjacencyEdges = edges;
}

std::span<const std::int32_t> TSurveyGraph::Neighbours(std::int32_t vertex) const {
    BuildAdjacency();
    const auto v = static_cast<std::size_t>(vertex);
    return {m_Neighbours.data() + m_Offsets[v], m_Neighbours.data() + m_Offsets[v + 1]};
}

std::span<const std::int32_t> TSurveyGraph::IncidentEdges(std::int32_t vertex) const {
    BuildAdjacency();
    const auto v = static_cast<std::size_t>(vertex);
    return {m_Incident.data() + m_Offsets[v], m_Incident.data() + m_Offsets[v + 1]};
}

} // namespace lumora::survey
