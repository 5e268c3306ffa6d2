#pragma once
// Runs a started push-over, or one engine call (the elastic "Analyze"), in a thread of its own, so an
// engine step never holds up the window. After every push-over call the thread publishes a
// PublishedStep (copies of the results and the results window's state of that step) and signals
// `progressed`; the window takes the published steps on its step timer. The iterative method reports
// every iteration to the worker (LastIteration). The window reads nothing the thread writes except
// through Take, Done, CallStatus, LastIteration and the signals.
//
// Stop cancels the run and waits for the thread: a step of the classic method is finished, one of the
// iterative method is abandoned at its next iteration (the engine back at the step before, nothing
// published for it); no further step is started. The run and its engine must outlive the worker's
// thread: the destructor stops it, and every owner stops it before touching the run or the engine
// again (a new run, an elastic analysis).
#include "analysis/CancelToken.h"
#include "analysis/MeshView.h"
#include "analysis/PublishedStep.h"
#include "engine/IterationObserver.h"

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
    // Called in the run's thread after a step was copied from the engine holding it.
    using StepHook =
        std::function<void(const engine::Engine& engine, const MeshView& mesh, PublishedStep& step)>;

    explicit PushoverWorker(QObject* parent = nullptr);
    ~PushoverWorker() override;

    // The last iteration the iterative method reported (step -1: none since the thread started).
    struct IterationProgress {
        int step = -1;
        int iteration = 0;
        double residual = 0;
    };

    // Starts running `run` (started, on `engine`) to its end in a new thread; a run already going is
    // stopped first. The steps' large arrays are taken from `storage` when one is given.
    void Start(PushoverDriver& run, engine::Engine& engine, StepHook afterStep = {},
               std::shared_ptr<StepStorage> storage = {});
    // Starts `call` (one engine call on `engine`, returning its status) in a new thread; a run already
    // going is stopped first. Its status is CallStatus once Done.
    void StartCall(engine::Engine& engine, std::function<int()> call);
    int CallStatus() const { return callStatus_.load(std::memory_order_acquire); }
    IterationProgress LastIteration() const;
    // Called in the run's thread after every iteration the iterative method reports, before a Stop is
    // looked at; set while no thread runs. Tests hold a step there until StopRequested.
    void SetIterationHook(std::function<void(const engine::IterationReport&)> hook) {
        hook_ = std::move(hook);
    }
    // Stop was asked for: the run's thread ends at its next look.
    bool StopRequested() const { return cancel_.Cancelled(); }
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
    // Runs `body` in a new thread, the engine's iteration observer set to this worker meanwhile.
    void Launch(engine::Engine& engine, std::function<void()> body);
    void RunAll(PushoverDriver& run, const engine::Engine& engine, const StepHook& afterStep,
                const std::shared_ptr<StepStorage>& storage);

    std::unique_ptr<QThread> thread_;
    CancelToken cancel_;
    std::atomic<bool> done_{false};
    std::atomic<int> callStatus_{0};
    mutable std::mutex mutex_; // guards published_, paused_, holding_ and iteration_
    std::condition_variable resumed_, held_;
    bool paused_ = false;
    bool holding_ = false; // the thread waits for the run to resume
    std::vector<PublishedStep> published_;
    IterationProgress iteration_;
    std::function<void(const engine::IterationReport&)> hook_;
};

} // namespace torva
