#pragma once
// A study's files in its output folder:
//   variants/variant_0001.json        the record of variant 1 (parameters, results, curve); written
//                                     last, so its presence means the variant is done
//   variants/variant_0001_curve.csv   its force-deformation curve
//   summary.csv                       one row per variant
//   curves.svg                        every variant's curve in one picture
// A study run again skips the variants whose record is there with the same parameter values, so an
// interrupted study goes on from what it had written.
#include "analysis/StudyDefinition.h"
#include "analysis/StudyRun.h"

#include <functional>
#include <string>
#include <vector>

namespace torva {

std::string VariantRecordPath(const Study& study, std::size_t index);
std::string VariantCurvePath(const Study& study, std::size_t index);

// Whether variant `index` has a complete record for its parameter values; fills `result` when it has.
bool LoadVariantRecord(const Study& study, std::size_t index, VariantResult& result);
// The variants without such a record, in order.
std::vector<std::size_t> PendingVariants(const Study& study);

// Writes the curve and then the record of a variant (each complete or not at all). False with the
// reason when a file cannot be written.
bool WriteVariantFiles(const Study& study, std::size_t index, const VariantResult& result,
                       std::string& error);

struct StudySummary {
    std::size_t variants = 0, completed = 0, stopped = 0, missing = 0; // stopped: a run that ended early
};

// The summary file's text for the records at hand (a missing variant has a row saying so).
std::string SummaryCsv(const Study& study, const std::vector<VariantResult>& results,
                       const std::vector<bool>& present);
// Every curve in one picture: axes, one coloured line a variant, a legend for up to 20 variants.
std::string CurvesSvg(const Study& study, const std::vector<VariantResult>& results,
                      const std::vector<bool>& present);

// Reads every record and writes summary.csv and curves.svg.
bool GatherStudy(const Study& study, StudySummary& summary, std::string& error);

// Runs the pending variants one after the other in this process, writing each one's files as it ends.
// `progress(index, result)` is called after each. Returns false when a file cannot be written.
bool RunStudyHere(const Study& study, std::string& error,
                  const std::function<void(std::size_t, const VariantResult&)>& progress = {});

} // namespace torva
