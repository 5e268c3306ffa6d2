#pragma once
// Runs a started push-over in a thread of its own, so an engine step never holds up the window. After
// every engine call the thread publishes a PublishedStep (copies of the results and the results
// window's field of that step) and signals `progressed`; the window takes the published steps on its
// step timer. The window reads nothing the thread writes except through Take, Done and the signals.
//
// Stop cancels the run and waits for the thread: the step under way is finished, no further one is
// started. The run and its engine must outlive the worker's thread: the destructor stops it, and every
// owner stops it before touching the run or the engine again (a new run, an elastic analysis).
#include "analysis/CancelToken.h"
#include "analysis/MeshView.h"
#include "analysis/PublishedStep.h"

#include <QObject>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace torva {

class PushoverDriver;
namespace engine {
class Engine;
}

class PushoverWorker : public QObject {
    Q_OBJECT
public:
    // Fills the results window's field of a step from the engine holding it (runs in the worker thread).
    using FieldFiller =
        std::function<void(const engine::Engine& engine, const MeshView& mesh, ResultField& field)>;

    explicit PushoverWorker(QObject* parent = nullptr);
    ~PushoverWorker() override;

    // Starts running `run` (started, on `engine`) to its end in a new thread; a run already going is
    // stopped first.
    void Start(PushoverDriver& run, const engine::Engine& engine, FieldFiller fillField = {});
    // Cancels the run and waits for its thread (the step under way ends first). Steps already published
    // stay for Take.
    void Stop();
    // Paused, the thread starts no further step until resumed; pausing returns once the step under way
    // has ended and been published.
    void SetPaused(bool paused);

    // A thread was started and has not been waited for.
    bool Active() const { return thread_ != nullptr; }
    // The run's thread has made its last call (the run ended, or was cancelled).
    bool Done() const { return done_.load(std::memory_order_acquire); }
    // Waits for a Done thread; afterwards the run may be read again.
    void Join();
    // The steps published since the last Take, oldest first.
    std::vector<PublishedStep> Take();

signals:
    // A step was published: the engine's step counter after it and the run's step total.
    void progressed(int step, int total);
    // The run's thread made its last call.
    void finished();

private:
    void RunAll(PushoverDriver& run, const engine::Engine& engine, const FieldFiller& fillField);

    std::unique_ptr<QThread> thread_;
    CancelToken cancel_;
    std::atomic<bool> done_{false};
    std::mutex mutex_; // guards published_, paused_ and holding_
    std::condition_variable resumed_, held_;
    bool paused_ = false;
    bool holding_ = false; // the thread waits for the run to resume
    std::vector<PublishedStep> published_;
};

} // namespace torva
