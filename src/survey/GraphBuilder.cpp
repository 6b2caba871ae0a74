#include "survey/GraphBuilder.h"

namespace lumora::survey {

TGraphBuilder::TGraphBuilder(TSurveyGraph& graph) : m_Graph(graph) {
    m_Filling.Shots.reserve(kBatch);
    m_Thread = std::thread([this] { Run(); });
}

TGraphBuilder::~TGraphBuilder() {
    {
        std::lock_guard lock(m_Mutex);
        m_Stop = true;
    }
    m_Changed.notify_all();
    m_Thread.join();
}

void TGraphBuilder::Add(const TShotEnds& shot) {
    m_Filling.Shots.push_back(shot);
    if (m_Filling.Shots.size() + m_Filling.Loops.size() < kBatch)
        return;
    std::unique_lock lock(m_Mutex);
    Hand(lock);
}

void TGraphBuilder::AddLoop(TEdgeArray& loop, std::string names) {
    m_Filling.Loops.push_back(TLoopAt{m_Filling.Shots.size(), &loop, std::move(names)});
    if (m_Filling.Shots.size() + m_Filling.Loops.size() < kBatch)
        return;
    std::unique_lock lock(m_Mutex);
    Hand(lock);
}

// Queues the job being filled, waiting while the queue is full (so a fast reader cannot run far
// ahead), and starts a new one.
void TGraphBuilder::Hand(std::unique_lock<std::mutex>& lock) {
    if (m_Filling.Shots.empty() && m_Filling.Loops.empty())
        return;
    m_Changed.wait(lock, [this] { return m_Queue.size() < kMaxQueued || m_Failure; });
    m_Queue.push_back(std::move(m_Filling));
    m_Filling = {};
    m_Filling.Shots.reserve(kBatch);
    m_Changed.notify_all();
}

void TGraphBuilder::RunJob(TJob& job) {
    const std::span<const TShotEnds> shots(job.Shots);
    std::size_t done = 0;
    for (TLoopAt& loop : job.Loops) {
        m_Graph.AddShots(shots.subspan(done, loop.AfterShots - done));
        done = loop.AfterShots;
        m_Graph.ResolveLoop(*loop.Loop, loop.Names);
    }
    m_Graph.AddShots(shots.subspan(done));
}

void TGraphBuilder::Drain() {
    std::unique_lock lock(m_Mutex);
    Hand(lock);
    m_Changed.wait(lock, [this] { return (m_Queue.empty() && !m_Busy) || m_Failure; });
    if (m_Failure) {
        std::exception_ptr failure = m_Failure;
        m_Failure = nullptr;
        m_Queue.clear();
        std::rethrow_exception(failure);
    }
}

void TGraphBuilder::Run() {
    for (;;) {
        TJob job;
        {
            std::unique_lock lock(m_Mutex);
            m_Changed.wait(lock, [this] { return m_Stop || (!m_Queue.empty() && !m_Failure); });
            if (m_Stop)
                return;
            job = std::move(m_Queue.front());
            m_Queue.pop_front();
            m_Busy = true;
        }
        std::exception_ptr failure;
        try {
            RunJob(job);
        } catch (...) {
            failure = std::current_exception();
        }
        {
            std::lock_guard lock(m_Mutex);
            m_Busy = false;
            if (failure)
                m_Failure = failure;
        }
        m_Changed.notify_all();
    }
}

} // namespace lumora::survey
