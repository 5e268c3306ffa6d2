#include "analysis_view/PushoverWorker.h"

#include "analysis/PushoverDriver.h"
#include "engine/Engine.h"

#include <chrono>

namespace torva {

PushoverWorker::PushoverWorker(QObject* parent) : QObject(parent) {}

PushoverWorker::~PushoverWorker() {
    Stop();
}

void PushoverWorker::Start(PushoverDriver& run, engine::Engine& engine, StepHook afterStep,
                           std::shared_ptr<StepStorage> storage) {
    Launch(engine, [this, &run, &engine, hook = std::move(afterStep), storage = std::move(storage)] {
        RunAll(run, engine, hook, storage);
    });
}

void PushoverWorker::StartCall(engine::Engine& engine, std::function<int()> call) {
    Launch(engine, [this, call = std::move(call)] { callStatus_.store(call(), std::memory_order_release); });
}

void PushoverWorker::Launch(engine::Engine& engine, std::function<void()> body) {
    Stop();
    {
        const std::lock_guard lock(mutex_);
        published_.clear();
        paused_ = false;
        iteration_ = {};
    }
    cancel_.Reset();
    done_.store(false, std::memory_order_release);
    callStatus_.store(0, std::memory_order_release);
    thread_.reset(QThread::create([this, &engine, body = std::move(body)] {
        // Every iteration is reported here, and a Stop abandons the step at the next one.
        engine.SetIterationObserver([this](const engine::IterationReport& report) {
            {
                const std::lock_guard lock(mutex_);
                iteration_ = {report.step, report.iteration, report.residual};
            }
            if (hook_) hook_(report);
            return !cancel_.Cancelled();
        });
        body();
        engine.SetIterationObserver({});
        {
            const std::lock_guard lock(mutex_);
            done_.store(true, std::memory_order_release);
        }
        held_.notify_all();
        emit finished();
    }));
    thread_->start();
}

PushoverWorker::IterationProgress PushoverWorker::LastIteration() const {
    const std::lock_guard lock(mutex_);
    return iteration_;
}

void PushoverWorker::RunAll(PushoverDriver& run, const engine::Engine& engine, const StepHook& afterStep,
                            const std::shared_ptr<StepStorage>& storage) {
    const MeshView mesh = run.RunMesh();
    while (!run.Finished() && !cancel_.Cancelled()) {
        {
            std::unique_lock lock(mutex_);
            holding_ = paused_;
            if (holding_) held_.notify_all();
            resumed_.wait(lock, [this] { return !paused_ || cancel_.Cancelled(); });
            holding_ = false;
        }
        // One step per call: the token is looked at before every step.
        run.RunFor(
            std::chrono::steady_clock::duration::zero(),
            [&](int status) {
                // An abandoned step was not done: the run is as after the last one published.
                if (status == engine::kStatusCancelled) return;
                PublishedStep step;
                step.status = status;
                step.step = run.Step();
                if (status == 0) {
                    PublishEngineStep(engine, mesh, step, storage);
                    if (afterStep) afterStep(engine, mesh, step);
                }
                {
                    const std::lock_guard lock(mutex_);
                    published_.push_back(std::move(step));
                }
                emit progressed(run.Step(), run.TotalSteps());
            },
            &cancel_);
    }
}

void PushoverWorker::Stop() {
    if (!thread_) return;
    cancel_.Cancel();
    {
        const std::lock_guard lock(mutex_);
        paused_ = false;
    }
    resumed_.notify_all();
    thread_->wait();
    thread_.reset();
}

void PushoverWorker::Join() {
    if (!thread_) return;
    thread_->wait();
    thread_.reset();
}

void PushoverWorker::SetPaused(bool paused) {
    std::unique_lock lock(mutex_);
    paused_ = paused;
    resumed_.notify_all();
    // Pausing waits for the step under way, so that what was published is all the run has done.
    if (paused && thread_) held_.wait(lock, [this] { return holding_ || Done(); });
}

std::vector<PublishedStep> PushoverWorker::Take() {
    const std::lock_guard lock(mutex_);
    std::vector<PublishedStep> steps;
    steps.swap(published_);
    return steps;
}

} // namespace torva
