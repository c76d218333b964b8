#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace kxt::gui {

// One thread that runs the jobs posted to it, one at a time, in the order they
// were posted. Destroying it runs the jobs still waiting, then joins the thread.
class WorkerThread {
  public:
    using Job = std::function<void()>;

    WorkerThread();
    // Waits for every posted job: a job that needs the GUI thread (a message box)
    // must not be waiting when the GUI thread destroys the worker.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Any thread.
    void Post(Job job);
    // True on the worker's own thread.
    bool OnWorker() const { return std::this_thread::get_id() == thread_.get_id(); }

  private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    std::thread thread_;  // last: starts after the queue exists
};

}  // namespace kxt::gui
