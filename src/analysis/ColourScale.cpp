#include "analysis/ColourScale.h"

#include <cstdio>

namespace torva {

namespace {

std::string FormatRangeValue(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%lf", static_cast<double>(value));
    return text;
}

} // namespace

Rgb ColourScale::Hue(int h) {
    const float hf = static_cast<float>(h);
    if (h <= 60) return {1.0f, hf / 60.0f, 0.0f};
    if (h <= 120) return {(120.0f - hf) / 60.0f, 1.0f, 0.0f};
    if (h <= 180) return {0.0f, 1.0f, (hf - 120.0f) / 60.0f};
    if (h <= 240) return {0.0f, (240.0f - hf) / 60.0f, 1.0f};
    return {(hf - 240.0f) / 60.0f, 0.0f, 1.0f};
}

ColourScale::ColourScale() {
    for (int h = 0; h < kCount; ++h) entries_[h] = Hue(h);
}

int ColourScale::LookupIndex(float v) const {
    const float span = hi_ - lo_;
    if (span == 0.0f) return 0;
    const float position = (v - lo_) / span * static_cast<float>(kCount - 1);
    // Written so that a NaN lands on the first entry instead of an undefined conversion.
    if (!(position > 0.0f)) return 0;
    if (position >= static_cast<float>(kCount)) return kCount - 1;
    const int i = static_cast<int>(position);
    return i >= kCount ? kCount - 1 : i;
}

Rgb8 ColourScale::LegendColour(int i) const {
    const Rgb& c = entries_[i];
    return {static_cast<int>(255.0f * c.r), static_cast<int>(255.0f * c.g), static_cast<int>(255.0f * c.b)};
}

std::string ColourScale::LoText() const {
    return FormatRangeValue(lo_);
}
std::string ColourScale::HiText() const {
    return FormatRangeValue(hi_);
}

} // namespace torva
