#include "analysis/StudyResults.h"

#include "model/AtomicFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace torva {
namespace {

namespace fs = std::filesystem;

std::string VariantStem(const Study& study, std::size_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "variant_%04zu", index + 1);
    return (fs::path(study.outputFolder) / "variants" / name).string();
}

std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool WriteText(const std::string& path, const std::string& text, std::string& error) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    return WriteFileAtomically(path, text, error);
}

std::string Number(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// A CSV field: quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string EventFields(const CurveEvent& event) {
    if (event.step == 0) return ",,";
    return std::to_string(event.step) + "," + Number(event.displacement) + "," + Number(event.force);
}

// A round step for an axis of `span`: 1, 2 or 5 times a power of ten, about five to a span.
double TickStep(double span) {
    if (!(span > 0)) return 1;
    const double raw = span / 5;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0})
        if (raw <= factor * power) return factor * power;
    return 10 * power;
}

std::string Format(const char* format, double value) {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

std::string VariantRecordPath(const Study& study, std::size_t index) {
    return VariantStem(study, index) + ".json";
}

std::string VariantCurvePath(const Study& study, std::size_t index) {
    return VariantStem(study, index) + "_curve.csv";
}

bool LoadVariantRecord(const Study& study, std::size_t index, VariantResult& result) {
    const std::string path = VariantRecordPath(study, index);
    if (!fs::exists(path)) return false;
    VariantResult read;
    if (!ParseVariantRecord(ReadText(path), read) || read.values != study.variants[index]) return false;
    result = std::move(read);
    return true;
}

std::vector<std::size_t> PendingVariants(const Study& study) {
    std::vector<std::size_t> pending;
    VariantResult unused;
    for (std::size_t k = 0; k < study.variants.size(); ++k)
        if (!LoadVariantRecord(study, k, unused)) pending.push_back(k);
    return pending;
}

bool WriteVariantFiles(const Study& study, std::size_t index, const VariantResult& result,
                       std::string& error) {
    // Both files or neither: the record, whose presence marks the variant done, is renamed last. A
    // study writes many of these: they do not wait for the disk (a crash of the program never leaves
    // a partial one; after a crash of the machine a lost record only means the variant runs again).
    std::error_code ec;
    fs::create_directories(fs::path(VariantRecordPath(study, index)).parent_path(), ec);
    const std::string curve = VariantCurveCsv(result), record = VariantRecordText(result);
    return WriteFilesAtomically(
        {{VariantCurvePath(study, index), curve}, {VariantRecordPath(study, index), record}}, error, false);
}

std::string SummaryCsv(const Study& study, const std::vector<VariantResult>& results,
                       const std::vector<bool>& present) {
    std::string text = "variant";
    for (const std::string& parameter : study.parameters) text.append(",").append(CsvField(parameter));
    text += ",status,failure_mode,steps,peak_force_N,peak_displacement_mm,first_crack_step,"
            "first_crack_displacement_mm,first_crack_force_N,first_yield_step,first_yield_displacement_mm,"
            "first_yield_force_N,final_displacement_mm,final_force_N,message\n";
    for (std::size_t k = 0; k < study.variants.size(); ++k) {
        text.append(std::to_string(k + 1));
        for (double value : study.variants[k]) text.append(",").append(Number(value));
        if (!present[k]) {
            text.append(",,missing,,,,,,,,,,,,not run\n");
            continue;
        }
        const VariantResult& r = results[k];
        for (const std::string& field :
             {std::to_string(r.status), CsvField(r.failureMode), std::to_string(r.steps), Number(r.peakForce),
              Number(r.peakDisplacement), EventFields(r.firstCrack), EventFields(r.firstYield),
              Number(r.finalDisplacement), Number(r.finalForce), CsvField(r.message)})
            text.append(",").append(field);
        text.append("\n");
    }
    return text;
}

std::string CurvesSvg(const Study& study, const std::vector<VariantResult>& results,
                      const std::vector<bool>& present) {
    constexpr double kWidth = 900, kHeight = 560, kLeft = 80, kRight = 230, kTop = 30, kBottom = 60;
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    for (std::size_t k = 0; k < results.size(); ++k)
        if (present[k])
            for (const CurvePoint& p : results[k].curve) {
                xMin = std::min(xMin, p.displacement), xMax = std::max(xMax, p.displacement);
                yMin = std::min(yMin, p.force / 1000), yMax = std::max(yMax, p.force / 1000);
            }
    if (xMax == xMin) xMax = xMin + 1;
    if (yMax == yMin) yMax = yMin + 1;
    const double plotW = kWidth - kLeft - kRight, plotH = kHeight - kTop - kBottom;
    auto px = [&](double x) { return kLeft + (x - xMin) / (xMax - xMin) * plotW; };
    auto py = [&](double y) { return kTop + (yMax - y) / (yMax - yMin) * plotH; };

    std::ostringstream svg;
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << kHeight
        << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
        << "<text x=\"" << kLeft << "\" y=\"18\" font-size=\"14\">" << study.name
        << ": control force against control displacement, " << study.variants.size() << " variants</text>\n";
    svg << "<g stroke=\"#dddddd\">\n";
    const double xStep = TickStep(xMax - xMin), yStep = TickStep(yMax - yMin);
    for (double x = std::ceil(xMin / xStep) * xStep; x <= xMax + 1e-9 * xStep; x += xStep)
        svg << "<line x1=\"" << px(x) << "\" y1=\"" << kTop << "\" x2=\"" << px(x) << "\" y2=\""
            << kTop + plotH << "\"/>\n";
    for (double y = std::ceil(yMin / yStep) * yStep; y <= yMax + 1e-9 * yStep; y += yStep)
        svg << "<line x1=\"" << kLeft << "\" y1=\"" << py(y) << "\" x2=\"" << kLeft + plotW << "\" y2=\""
            << py(y) << "\"/>\n";
    svg << "</g>\n<g>\n";
    for (double x = std::ceil(xMin / xStep) * xStep; x <= xMax + 1e-9 * xStep; x += xStep)
        svg << "<text x=\"" << px(x) << "\" y=\"" << kTop + plotH + 18 << "\" text-anchor=\"middle\">"
            << Format("%g", std::fabs(x) < 1e-12 * xStep ? 0.0 : x) << "</text>\n";
    for (double y = std::ceil(yMin / yStep) * yStep; y <= yMax + 1e-9 * yStep; y += yStep)
        svg << "<text x=\"" << kLeft - 6 << "\" y=\"" << py(y) + 4 << "\" text-anchor=\"end\">"
            << Format("%g", std::fabs(y) < 1e-12 * yStep ? 0.0 : y) << "</text>\n";
    svg << "<text x=\"" << kLeft + plotW / 2 << "\" y=\"" << kHeight - 20
        << "\" text-anchor=\"middle\">control displacement (mm)</text>\n"
        << "<text transform=\"translate(20," << kTop + plotH / 2
        << ") rotate(-90)\" text-anchor=\"middle\">control force (kN)</text>\n"
        << "<rect x=\"" << kLeft << "\" y=\"" << kTop << "\" width=\"" << plotW << "\" height=\"" << plotH
        << "\" fill=\"none\" stroke=\"black\"/>\n</g>\n";
    for (std::size_t k = 0; k < results.size(); ++k) {
        if (!present[k] || results[k].curve.empty()) continue;
        // Hues spread round the circle so neighbouring variants differ.
        const double hue = std::fmod(static_cast<double>(k) * 137.508, 360.0);
        svg << "<polyline fill=\"none\" stroke-width=\"1.5\" stroke=\"hsl(" << Format("%.1f", hue)
            << ",70%,42%)\" points=\"" << Format("%.2f", px(0)) << "," << Format("%.2f", py(0));
        for (const CurvePoint& p : results[k].curve)
            svg << " " << Format("%.2f", px(p.displacement)) << "," << Format("%.2f", py(p.force / 1000));
        svg << "\"/>\n";
        if (k < 20) {
            const double y = kTop + 14 + 18 * static_cast<double>(k);
            std::string label = std::to_string(k + 1) + ":";
            for (std::size_t p = 0; p < study.parameters.size() && p < 2; ++p)
                label += " " + study.parameters[p] + "=" + Format("%g", study.variants[k][p]);
            svg << "<line x1=\"" << kWidth - kRight + 12 << "\" y1=\"" << y - 4 << "\" x2=\""
                << kWidth - kRight + 32 << "\" y2=\"" << y - 4 << "\" stroke-width=\"3\" stroke=\"hsl("
                << Format("%.1f", hue) << ",70%,42%)\"/>\n<text x=\"" << kWidth - kRight + 38 << "\" y=\""
                << y << "\" font-size=\"10\">" << label << "</text>\n";
        }
    }
    svg << "</svg>\n";
    return svg.str();
}

bool GatherStudy(const Study& study, StudySummary& summary, std::string& error) {
    std::vector<VariantResult> results(study.variants.size());
    std::vector<bool> present(study.variants.size(), false);
    summary = {};
    summary.variants = study.variants.size();
    for (std::size_t k = 0; k < study.variants.size(); ++k) {
        present[k] = LoadVariantRecord(study, k, results[k]);
        if (!present[k])
            ++summary.missing;
        else if (results[k].message.empty())
            ++summary.completed;
        else
            ++summary.stopped;
    }
    const fs::path folder(study.outputFolder);
    return WriteText((folder / "summary.csv").string(), SummaryCsv(study, results, present), error) &&
           WriteText((folder / "curves.svg").string(), CurvesSvg(study, results, present), error);
}

bool RunStudyHere(const Study& study, std::string& error,
                  const std::function<void(std::size_t, const VariantResult&)>& progress) {
    for (std::size_t k : PendingVariants(study)) {
        const VariantResult result = RunStudyVariant(study, k);
        if (!WriteVariantFiles(study, k, result, error)) return false;
        if (progress) progress(k, result);
    }
    return true;
}

} // namespace torva
