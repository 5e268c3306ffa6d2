#pragma once
// The two text overlays of the analysis view: the response amplification, drawn on every repaint at
// (client width − 100, 20), and the step progress, drawn in push-over mode at (client width − 200, 20).
#include <string>

namespace torva {

inline constexpr int kAmpTextRightOffset = 100;
inline constexpr int kStepTextRightOffset = 200;
inline constexpr int kOverlayTextY = 20;

// "Amp %5.2f".
std::string AmpText(float responseScale);
// The scale with reading aids: the view's multiplier and the automatic scale, "× 1.0 (auto 212)";
// the multiplier alone ("× 1.0") without an automatic scale (automatic ≤ 0: nothing shown yet).
std::string ScaleText(float multiplier, float automatic);
// "%d / %d": the step counter and the steps of the whole run.
std::string StepText(int step, long long total);

} // namespace torva
