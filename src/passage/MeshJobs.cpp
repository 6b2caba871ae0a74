#include "passage/MeshJobs.h"

namespace lumora::passage {

TMeshJobs::TMeshJobs(std::function<void(scene::MeshBuilder&)> job) : m_Job(std::move(job)) {}

TMeshJobs::~TMeshJobs() {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Quit = true;
        m_Queue.clear();
    }
    m_Changed.notify_all();
    if (m_Worker.joinable())
        m_Worker.join();
}

void TMeshJobs::Submit(const scene::MeshBuilderPtr& mesh) {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Queue.push_back(mesh);
        m_Pending.insert(mesh.get());
    }
    if (!m_Worker.joinable())
        m_Worker = std::thread([this] { Work(); });
    m_Changed.notify_all();
}

void TMeshJobs::Complete(const scene::MeshBuilderPtr& mesh) {
    std::unique_lock<std::mutex> lock(m_Mutex);
    if (!m_Pending.count(mesh.get()) && !m_Done.count(mesh.get())) {
        lock.unlock();
        m_Job(*mesh);
        return;
    }
    m_Changed.wait(lock, [&] { return !m_Pending.count(mesh.get()); });
    if (m_Failure && m_FailedMesh == mesh.get())
        std::rethrow_exception(std::exchange(m_Failure, nullptr));
}

void TMeshJobs::Work() {
    std::unique_lock<std::mutex> lock(m_Mutex);
    for (;;) {
        m_Changed.wait(lock, [&] { return !m_Queue.empty() || m_Quit; });
        if (m_Queue.empty())
            return;
        const scene::MeshBuilderPtr mesh = std::move(m_Queue.front());
        m_Queue.pop_front();
        lock.unlock();
        std::exception_ptr failure;
        try {
            m_Job(*mesh);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        if (failure && !m_Failure) {
            m_Failure = failure;
            m_FailedMesh = mesh.get();
        }
        m_Pending.erase(mesh.get());
        m_Done.insert(mesh.get());
        m_Changed.notify_all();
    }
}

} // namespace lumora::passage
