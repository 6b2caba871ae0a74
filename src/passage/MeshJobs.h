// Work on finished meshes beside the build: a worker thread runs one job (the normal step of the
// cave walls) on each mesh handed to it, while the build goes on filling the next mesh.
#pragma once

#include "platform/scene/MeshBuilder.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <unordered_set>

namespace lumora::passage {

class TMeshJobs {
public:
    // job runs on the worker thread, once per mesh, on nothing else the build touches.
    explicit TMeshJobs(std::function<void(scene::MeshBuilder&)> job);
    // Waits for the job that is running; jobs not started are dropped (an aborted build does
    // not wait for them).
    ~TMeshJobs();
    TMeshJobs(const TMeshJobs&) = delete;
    TMeshJobs& operator=(const TMeshJobs&) = delete;

    // Queues the job of mesh; the caller leaves the mesh alone until Complete.
    void Submit(const scene::MeshBuilderPtr& mesh);
    // Returns once the job of mesh is done: waits for a submitted one, runs it here for one
    // that was never submitted. Rethrows the job's exception (std::bad_alloc, say).
    void Complete(const scene::MeshBuilderPtr& mesh);

private:
    void Work();

    std::function<void(scene::MeshBuilder&)> m_Job;
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::deque<scene::MeshBuilderPtr> m_Queue;
    std::unordered_set<const scene::MeshBuilder*> m_Pending; // submitted, not done
    std::unordered_set<const scene::MeshBuilder*> m_Done;
    std::exception_ptr m_Failure;
    const scene::MeshBuilder* m_FailedMesh = nullptr;
    bool m_Quit = false;
    std::thread m_Worker;
};

} // namespace lumora::passage
