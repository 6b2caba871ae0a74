// Adds the shots of a load to the station graph on a second thread, while the reader goes on.
#pragma once

#include "survey/CaveGraph.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lumora::survey {

// The graph is written only by the builder's thread between the first Add and the next Drain;
// nothing may read it in between. Shots are added in the order given, as AddShot would add them.
class TGraphBuilder {
public:
    explicit TGraphBuilder(TSurveyGraph& graph);
    // Stops the thread; shots not yet drained may be lost (call Drain to keep them).
    ~TGraphBuilder();
    TGraphBuilder(const TGraphBuilder&) = delete;
    TGraphBuilder& operator=(const TGraphBuilder&) = delete;

    void Add(const TShotEnds& shot);
    // Fills the loop from its names (see TSurveyGraph::ResolveLoop) after the shots given so far.
    // Nothing else may touch the loop until the next Drain.
    void AddLoop(TEdgeArray& loop, std::string names);
    // Waits until every shot given so far is in the graph. Rethrows what the thread failed with
    // (std::bad_alloc when memory ran out); the graph then holds the shots before the failure.
    void Drain();

private:
    void Run();
    void Hand(std::unique_lock<std::mutex>& lock);

    static constexpr std::size_t kBatch = 256;
    static constexpr std::size_t kMaxQueued = 32;

    TSurveyGraph& m_Graph;
    // A loop to resolve once the first AfterShots shots of its job are in the graph.
    struct TLoopAt {
        std::size_t AfterShots = 0;
        TEdgeArray* Loop = nullptr;
        std::string Names;
    };
    // One piece of work: shots and loops, in file order.
    struct TJob {
        std::vector<TShotEnds> Shots;
        std::vector<TLoopAt> Loops;
    };
    void RunJob(TJob& job);

    TJob m_Filling;
    std::deque<TJob> m_Queue;
    bool m_Busy = false;
    bool m_Stop = false;
    std::exception_ptr m_Failure;
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::thread m_Thread;
};

} // namespace lumora::survey
