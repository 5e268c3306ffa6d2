#include "analysis/StudyRun.h"

#include "analysis/EngineStatus.h"
#include "analysis/Mesh.h"
#include "analysis/Session.h"
#include "engine/EngineLimits.h"
#include "model/JsonField.h"

#include <cmath>
#include <cstdio>
#include <memory>

namespace torva {
namespace {

constexpr double kSofteningRatio = 0.8;

// Whether any concrete Gauss point of a plane element has an open crack, and whether any bar carries
// its yield strength.
void ReadStates(const engine::Engine& engine, bool& cracked, bool& yielded) {
    cracked = yielded = false;
    for (int e = 1; e <= engine.ElementCount() && !(cracked && yielded); ++e) {
        const engine::ElementRecord& element = engine.Element(e);
        if (element.discrete != 0 || element.concreteType == 0) continue;
        const engine::RebarType* rebar = element.rebarType ? &engine.Rebar(element.rebarType) : nullptr;
        for (int g = 1; g <= engine::kGaussPoints; ++g) {
            const engine::GaussPointState& point = engine.GaussPoint(e, g);
            cracked = cracked || point.concrete.crack != 0;
            if (!rebar) continue;
            const double fy[2] = {rebar->fyx, rebar->fyy};
            const double area[2] = {rebar->Ax, rebar->Ay};
            for (int d = 0; d < 2; ++d)
                yielded = yielded || (area[d] > 0 && fy[d] > 0 &&
                                      std::fabs(point.rebar.barStress[d]) >= fy[d] * (1.0 - 1e-9));
        }
    }
}

void Summarise(VariantResult& r) {
    r.steps = static_cast<int>(r.curve.size());
    for (const CurvePoint& point : r.curve)
        if (std::fabs(point.force) > std::fabs(r.peakForce)) {
            r.peakForce = point.force;
            r.peakDisplacement = point.displacement;
        }
    if (!r.curve.empty()) {
        r.finalDisplacement = r.curve.back().displacement;
        r.finalForce = r.curve.back().force;
    }
    switch (r.status) {
    case engine::kStatusDone:
        r.failureMode =
            std::fabs(r.finalForce) <= kSofteningRatio * std::fabs(r.peakForce) && r.peakForce != 0
                ? "softening"
                : "completed";
        break;
    case engine::kStatusNoResponse:
        r.failureMode = "no response";
        break;
    case engine::kStatusUnstable:
        r.failureMode = "unstable";
        break;
    case engine::kStatusNotFinite:
        r.failureMode = "diverged";
        break;
    default:
        r.failureMode = "refused";
        break;
    }
}

Json EventJson(const CurveEvent& event) {
    return Json::array({event.step, event.displacement, event.force});
}

CurveEvent EventOf(const Json& value) {
    return {value.at(0).get<int>(), value.at(1).get<double>(), value.at(2).get<double>()};
}

} // namespace

VariantResult RunStudyVariant(const Study& study, std::size_t index) {
    VariantResult result;
    result.values = study.variants.at(index);
    try {
        const std::unique_ptr<CFramePat> model = VariantModel(study, index);
        analysis::Session session;
        if (!session.StartPushover(*model, result.message)) {
            result.status = engine::kStatusBadInput;
            result.failureMode = "refused";
            return result;
        }
        PushoverDriver& driver = *session.Pushover();
        while (!driver.Finished()) {
            const int status = driver.RunStep();
            if (status != engine::kStatusDone) break;
            const CurvePoint& point = driver.Curve().back();
            if (result.firstCrack.step && result.firstYield.step) continue;
            bool cracked = false, yielded = false;
            ReadStates(session.Engine(), cracked, yielded);
            if (cracked && !result.firstCrack.step)
                result.firstCrack = {point.step, point.displacement, point.force};
            if (yielded && !result.firstYield.step)
                result.firstYield = {point.step, point.displacement, point.force};
        }
        result.status = driver.LastStatus();
        result.message = driver.StopMessage();
        result.curve = driver.Curve();
    } catch (const std::exception& e) {
        result.status = engine::kStatusBadInput;
        result.message = e.what();
    }
    Summarise(result);
    return result;
}

std::string VariantRecordText(const VariantResult& r) {
    Json record;
    record["values"] = r.values;
    record["status"] = r.status;
    record["failure_mode"] = r.failureMode;
    record["message"] = r.message;
    record["steps"] = r.steps;
    record["peak_force_N"] = r.peakForce;
    record["peak_displacement_mm"] = r.peakDisplacement;
    record["first_crack"] = EventJson(r.firstCrack);
    record["first_yield"] = EventJson(r.firstYield);
    record["final_displacement_mm"] = r.finalDisplacement;
    record["final_force_N"] = r.finalForce;
    Json curve = Json::array();
    for (const CurvePoint& point : r.curve)
        curve.push_back(Json::array({point.step, point.displacement, point.force}));
    record["curve"] = curve;
    return record.dump() + "\n";
}

bool ParseVariantRecord(const std::string& text, VariantResult& r) {
    try {
        const Json record = Json::parse(text);
        r = VariantResult{};
        r.values = record.at("values").get<std::vector<double>>();
        r.status = record.at("status").get<int>();
        r.failureMode = record.at("failure_mode").get<std::string>();
        r.message = record.at("message").get<std::string>();
        r.steps = record.at("steps").get<int>();
        r.peakForce = record.at("peak_force_N").get<double>();
        r.peakDisplacement = record.at("peak_displacement_mm").get<double>();
        r.firstCrack = EventOf(record.at("first_crack"));
        r.firstYield = EventOf(record.at("first_yield"));
        r.finalDisplacement = record.at("final_displacement_mm").get<double>();
        r.finalForce = record.at("final_force_N").get<double>();
        for (const Json& point : record.at("curve"))
            r.curve.push_back({point.at(0).get<int>(), point.at(1).get<double>(), point.at(2).get<double>()});
        return static_cast<int>(r.curve.size()) == r.steps;
    } catch (const nlohmann::json::exception&) {
        return false;
    }
}

std::string VariantCurveCsv(const VariantResult& r) {
    // The curve file's columns; a study runs the classic method (no load factor, one pass a step).
    std::string text = "step,control_displacement_mm,control_force_N,method,load_factor,iterations\n";
    char line[112];
    for (const CurvePoint& point : r.curve) {
        std::snprintf(line, sizeof line, "%d,%.17g,%.17g,classic,,1\n", point.step, point.displacement,
                      point.force);
        text += line;
    }
    return text;
}

} // namespace torva
