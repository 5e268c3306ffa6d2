#pragma once
// The study runners outside this process: child processes of this program on this machine, and a Dask
// distributed cluster through the Python module. Both leave the variants' files in the study's folder.
#include "analysis/StudyResults.h"

#include <functional>
#include <string>

namespace torva::cli {

// Runs the pending variants `workers` at a time, each as `torva_fem study STUDY --variant K`. A child
// that ends without its record (a crash, a signal) is recorded as failed with how it ended.
bool RunStudyInProcesses(const Study& study, const std::string& studyPath, int workers,
                         const std::function<void(std::size_t, const VariantResult&)>& progress,
                         std::string& error);

// Runs the pending variants on the Dask scheduler at `address` (python3 -m torva.cluster).
bool RunStudyOnCluster(const std::string& studyPath, const std::string& address, std::string& error);

} // namespace torva::cli
