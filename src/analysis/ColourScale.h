#pragma once
// The stress colour scale of the analysis view: 270 fully saturated hues, 0° (red) to 269° (violet-blue),
// mapped onto a value range. The range is the smallest and largest displayed stress of the latest
// repaint, so the smallest stress is red and the largest violet-blue. The legend shows every entry as
// a 10-pixel run, one row per entry, with the range printed beside its two ends.
#include <string>

namespace torva {

struct Rgb {
    float r = 0, g = 0, b = 0; // 0..1
};

struct Rgb8 {
    int r = 0, g = 0, b = 0; // 0..255
};

class ColourScale {
public:
    static constexpr int kCount = 270;

    // Legend placement in client pixels: entry i is the run x = 50..59 at y = 100 + i.
    static constexpr int kLegendX = 50;
    static constexpr int kLegendWidth = 10;
    static constexpr int kLegendTop = 100;
    static constexpr int kLoTextX = 20, kLoTextY = 100; // the minimum, next to red
    static constexpr int kHiTextX = 20, kHiTextY = 370; // the maximum

    // Builds the hues, range 0..1.
    ColourScale();

    int Count() const { return kCount; }
    const Rgb& Entry(int i) const { return entries_[i]; }

    void SetRange(float lo, float hi) {
        lo_ = lo;
        hi_ = hi;
    }
    float Lo() const { return lo_; }
    float Hi() const { return hi_; }

    // Index of the entry for v: (v − lo) / (hi − lo) × (count − 1) truncated toward zero; 0 and below
    // give the first entry, count and above the last. An empty range (lo = hi) gives the first entry.
    int LookupIndex(float v) const;
    const Rgb& Lookup(float v) const { return entries_[LookupIndex(v)]; }

    // Entry i as 8-bit components (255 × component, truncated).
    Rgb8 LegendColour(int i) const;
    // The range values as the legend prints them ("%lf").
    std::string LoText() const;
    std::string HiText() const;

    // The hue h (degrees, 0..300) by the six-sector rule at full saturation and value.
    static Rgb Hue(int h);

private:
    Rgb entries_[kCount];
    float lo_ = 0.0f;
    float hi_ = 1.0f;
};

} // namespace torva
