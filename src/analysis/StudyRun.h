#pragma once
// One variant of a study: its push-over and what the run can tell about it, and its record on disk.
//
// What is read from the run: the peak control force and its displacement; the first step at which a
// concrete Gauss point cracked and the first at which a bar reached its yield strength (with the
// control displacement and force there); the end of the curve; and how the run ended:
//   "completed"     every step of the loading was done and the force never fell far below its peak
//   "softening"     the force fell to 80 % of its peak or less after the peak
//   "no response"   the control node stopped responding to the load pattern (a step could not be done)
//   "unstable"      the stiffness lost positive definiteness: a mechanism formed
//   "diverged"      a step's displacements, forces or stresses would not have been finite
//   "refused"       the model or its input was refused before or by the engine
#include "analysis/PushoverDriver.h"
#include "analysis/StudyDefinition.h"

#include <string>
#include <vector>

namespace torva {

struct CurveEvent {
    int step = 0; // 0: did not happen
    double displacement = 0, force = 0;
};

struct VariantResult {
    std::vector<double> values; // the parameter values of the variant
    int status = 0;             // the engine status of the last call (0 done)
    std::string failureMode;
    std::string message; // why the run stopped early, "" when it completed
    int steps = 0;       // steps done
    double peakForce = 0, peakDisplacement = 0;
    CurveEvent firstCrack, firstYield;
    double finalDisplacement = 0, finalForce = 0;
    std::vector<CurvePoint> curve;
};

// Runs variant `index` of the study (a full push-over on an engine of its own). Never throws: a variant
// that cannot be run is returned with status 5, failure mode "refused" and the message.
VariantResult RunStudyVariant(const Study& study, std::size_t index);

// The record of a variant as a JSON text, and back (false when the text is not a whole record).
std::string VariantRecordText(const VariantResult& result);
bool ParseVariantRecord(const std::string& text, VariantResult& result);

// The curve as CSV with the export's columns: step,control_displacement_mm,control_force_N,method,
// load_factor,iterations ("classic,,1"), numbers in %.17g.
std::string VariantCurveCsv(const VariantResult& result);

} // namespace torva
