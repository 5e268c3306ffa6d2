#include "analysis_view/PushoverWorker.h"

#include "analysis/PushoverDriver.h"
#include "analysis/ResultFieldFill.h"
#include "engine/Engine.h"

#include <chrono>

namespace torva {

PushoverWorker::PushoverWorker(QObject* parent) : QObject(parent) {}

PushoverWorker::~PushoverWorker() {
    Stop();
}

void PushoverWorker::Start(PushoverDriver& run, const engine::Engine& engine, FieldFiller fillField) {
    Stop();
    {
        const std::lock_guard lock(mutex_);
        published_.clear();
        paused_ = false;
    }
    cancel_.Reset();
    done_.store(false, std::memory_order_release);
    thread_.reset(QThread::create([this, &run, &engine, fill = std::move(fillField)] {
        RunAll(run, engine, fill);
        {
            const std::lock_guard lock(mutex_);
            done_.store(true, std::memory_order_release);
        }
        held_.notify_all();
        emit finished();
    }));
    thread_->start();
}

void PushoverWorker::RunAll(PushoverDriver& run, const engine::Engine& engine, const FieldFiller& fillField) {
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
                PublishedStep step;
                step.status = status;
                step.step = run.Step();
                if (status == 0) {
                    const std::span<const double> results = run.Results().Buffer();
                    step.results.assign(results.begin(), results.end());
                    step.displacement = run.Results().ControlDisplacement();
                    step.force = run.Results().ControlForce();
                    FillFromResults(run.Results(), mesh, step.field);
                    if (fillField) fillField(engine, mesh, step.field);
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
