// torva._core: the model, its analyses and studies for Python. The module only drives the core; the
// Python package torva (python/torva) builds its user-facing classes on these.
#include "analysis/EngineStatus.h"
#include "analysis/Mesh.h"
#include "analysis/PushoverDriver.h"
#include "analysis/Session.h"
#include "analysis/StudyDefinition.h"
#include "analysis/StudyResults.h"
#include "analysis/StudyRun.h"
#include "engine/Engine.h"
#include "engine/EngineLimits.h"
#include "model/FramePat.h"
#include "model/ModelIo.h"
#include "model/ModelJson.h"

#include <cmath>
#include <limits>
#include <memory>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <stdexcept>

namespace py = pybind11;
using namespace torva;

namespace {

// The Python exception types, set up when the module loads.
PyObject* modelError = nullptr;
PyObject* analysisError = nullptr;
PyObject* studyError = nullptr;

[[noreturn]] void Raise(PyObject* type, const std::string& message) {
    PyErr_SetString(type, message.c_str());
    throw py::error_already_set();
}

class PyModel {
public:
    PyModel() : model_(std::make_unique<CFramePat>()) {}
    explicit PyModel(std::unique_ptr<CFramePat> model) : model_(std::move(model)) {}

    static PyModel Load(const std::string& path) {
        auto model = std::make_unique<CFramePat>();
        FileError error;
        if (!LoadModel(path, *model, error)) Raise(modelError, error.Text());
        return PyModel(std::move(model));
    }
    static PyModel FromJson(const std::string& text) {
        auto model = std::make_unique<CFramePat>();
        FileError error;
        if (!ReadModelJson(text, *model, error)) Raise(modelError, error.detail);
        return PyModel(std::move(model));
    }
    void Save(const std::string& path) {
        FileError error;
        if (!SaveModel(path, *model_, error)) Raise(modelError, error.Text());
    }
    std::string Json() const { return WriteModelJson(*model_); }
    py::bytes FemImage() const {
        const std::vector<uint8_t> image = ConvertedModelImage(*model_);
        return py::bytes(reinterpret_cast<const char*>(image.data()), image.size());
    }
    const CFramePat& Get() const { return *model_; }

private:
    std::shared_ptr<CFramePat> model_;
};

engine::AnalysisMethod MethodNamed(const std::string& name) {
    if (name == "classic") return engine::AnalysisMethod::Classic;
    if (name == "mcft") return engine::AnalysisMethod::Mcft;
    Raise(analysisError, "unknown analysis method '" + name + "' (classic or mcft)");
}

// One analysis of one model: a session of its own (mesh, engine, push-over run).
class PyAnalysis {
public:
    PyAnalysis(const PyModel& model, const std::string& method)
        : model_(std::make_unique<CFramePat>(model.Get())) {
        session_.SetMethod(MethodNamed(method));
        session_.CurrentMesh(*model_, kActualSize);
    }

    void Elastic() {
        records_.clear();
        std::string refusal;
        int status = 0;
        bool called = false;
        {
            py::gil_scoped_release release;
            called = session_.RunElastic(*model_, status, refusal);
        }
        if (!called) Raise(analysisError, refusal);
        if (status != engine::kStatusDone) Raise(analysisError, EngineStatusMessage(status, 1));
        source_ = Source::Elastic;
        RecordStep();
    }

    void StartPushover() {
        std::string message;
        if (!session_.StartPushover(*model_, message)) Raise(analysisError, message);
        source_ = Source::None;
        records_.clear();
    }

    // One step; the engine status (0 done). A run that has finished returns its last status.
    int Step() {
        PushoverDriver* driver = session_.Pushover();
        if (!driver) Raise(analysisError, "no push-over was started");
        py::gil_scoped_release release;
        const int status = driver->RunStep();
        if (status == engine::kStatusDone) {
            source_ = Source::Pushover;
            RecordStep();
        }
        return status;
    }
    // Per step done: iterations, converged pieces, residual |R| / |applied force|, load factor. The
    // classic method does one pass a step without an equilibrium check: 1, 1, NaN, NaN.
    py::dict StepRecords() const {
        const std::size_t n = records_.size();
        py::array_t<int32_t> iterations(n), pieces(n);
        py::array_t<double> residuals(n), loadFactors(n);
        for (std::size_t i = 0; i < n; ++i) {
            iterations.mutable_at(i) = records_[i].iterations;
            pieces.mutable_at(i) = records_[i].subSteps;
            residuals.mutable_at(i) = records_[i].residual;
            loadFactors.mutable_at(i) = records_[i].loadFactor;
        }
        py::dict out;
        out["iterations"] = iterations, out["pieces"] = pieces;
        out["residuals"] = residuals, out["load_factors"] = loadFactors;
        return out;
    }
    // The iterative method's Gauss-point states after the last step done, one array a quantity of
    // (elements, 9[, 2]); the joints of zero-width columns or rows have none (NaN, condition -1).
    py::dict McftPoints() const {
        View();
        const engine::Engine& engine = EngineOf();
        const engine::IterativeSolver* solver = Iterative();
        if (!solver)
            Raise(analysisError, "the Gauss-point states of the iterative method need method='mcft'");
        const std::size_t elements = static_cast<std::size_t>(engine.ElementCount());
        const std::size_t points = engine::kGaussPoints;
        const double none = std::numeric_limits<double>::quiet_NaN();
        py::array_t<double> e1({elements, points}), e2({elements, points}), f1({elements, points}),
            f2({elements, points}), theta({elements, points}), width({elements, points});
        py::array_t<int8_t> condition({elements, points});
        py::array_t<double> barStrain({elements, points, std::size_t{2}}),
            barStress({elements, points, std::size_t{2}});
        py::array_t<bool> yielded({elements, points, std::size_t{2}});
        for (std::size_t e = 0; e < elements; ++e) {
            const bool plane = engine.Element(int(e) + 1).discrete == 0;
            for (std::size_t g = 0; g < points; ++g) {
                const engine::McftPoint& p = solver->Point(int(e) + 1, int(g) + 1);
                e1.mutable_at(e, g) = plane ? p.e1 : none;
                e2.mutable_at(e, g) = plane ? p.e2 : none;
                f1.mutable_at(e, g) = plane ? p.f1 : none;
                f2.mutable_at(e, g) = plane ? p.f2 : none;
                theta.mutable_at(e, g) = plane ? p.theta : none;
                width.mutable_at(e, g) = plane ? p.crackWidth : none;
                condition.mutable_at(e, g) = plane ? static_cast<int8_t>(p.condition) : int8_t{-1};
                for (std::size_t d = 0; d < 2; ++d) {
                    barStrain.mutable_at(e, g, d) = plane ? p.barStrain[d] : none;
                    barStress.mutable_at(e, g, d) = plane ? p.barStress[d] : none;
                    yielded.mutable_at(e, g, d) = plane && p.yielded[d];
                }
            }
        }
        py::dict out;
        out["e1"] = e1, out["e2"] = e2, out["f1"] = f1, out["f2"] = f2, out["theta"] = theta;
        out["crack_width"] = width, out["condition"] = condition;
        out["bar_strain"] = barStrain, out["bar_stress"] = barStress, out["yielded"] = yielded;
        return out;
    }
    const PushoverDriver* Driver() const { return session_.Pushover(); }
    bool Finished() const { return !Driver() || Driver()->Finished(); }
    int StepsDone() const { return Driver() ? Driver()->Step() : 0; }
    int TotalSteps() const { return Driver() ? Driver()->TotalSteps() : 0; }
    int LastStatus() const { return Driver() ? Driver()->LastStatus() : 0; }
    std::string StopMessage() const { return Driver() ? Driver()->StopMessage() : std::string(); }

    py::array_t<double> Curve() const {
        const std::size_t n = Driver() ? Driver()->Curve().size() : 0;
        py::array_t<double> out({n, std::size_t{3}});
        auto a = out.mutable_unchecked<2>();
        for (std::size_t i = 0; i < n; ++i) {
            const CurvePoint& p = Driver()->Curve()[i];
            a(i, 0) = p.step, a(i, 1) = p.displacement, a(i, 2) = p.force;
        }
        return out;
    }

    // Mesh node positions (mm), one row a node.
    py::array_t<double> NodePositions() const {
        const Mesh& mesh = session_.GetMesh();
        py::array_t<double> out({static_cast<std::size_t>(mesh.nodeCount), std::size_t{2}});
        auto a = out.mutable_unchecked<2>();
        for (int k = 0; k < mesh.nodeCount; ++k) a(k, 0) = mesh.nodeX[k], a(k, 1) = mesh.nodeY[k];
        return out;
    }
    py::array_t<int32_t> ElementNodes() const {
        const Mesh& mesh = session_.GetMesh();
        py::array_t<int32_t> out({static_cast<std::size_t>(mesh.elementCount), std::size_t{4}});
        auto a = out.mutable_unchecked<2>();
        for (int e = 0; e < mesh.elementCount; ++e)
            for (int c = 0; c < 4; ++c) a(e, c) = mesh.ElementNode(e, c);
        return out;
    }
    // Node displacements (mm) after the last step done.
    py::array_t<double> NodeDisplacements() const {
        const engine::ResultView view = View();
        const std::size_t n = static_cast<std::size_t>(view.Layout().Nodes());
        py::array_t<double> out({n, std::size_t{2}});
        auto a = out.mutable_unchecked<2>();
        for (std::size_t k = 0; k < n; ++k)
            a(k, 0) = view.Displacement(int(k), 0), a(k, 1) = view.Displacement(int(k), 1);
        return out;
    }
    // Per element and Gauss point: a quantity of `width` values read by `read`.
    template <class Read> py::array_t<double> GaussArray(std::size_t width, Read read) const {
        View();
        const engine::Engine& engine = EngineOf();
        const std::size_t elements = static_cast<std::size_t>(engine.ElementCount());
        py::array_t<double> out({elements, std::size_t{engine::kGaussPoints}, width});
        auto a = out.mutable_unchecked<3>();
        for (std::size_t e = 0; e < elements; ++e)
            for (std::size_t g = 0; g < engine::kGaussPoints; ++g) {
                const engine::GaussPointState& point = engine.GaussPoint(int(e) + 1, int(g) + 1);
                double values[3] = {0, 0, 0};
                read(point, values);
                for (std::size_t q = 0; q < width; ++q) a(e, g, q) = values[q];
            }
        return out;
    }
    // The same from the iterative method's points (which it keeps apart from the classic states).
    template <class Read>
    py::array_t<double> McftArray(std::size_t width, Read read, const engine::IterativeSolver* solver) const {
        const std::size_t elements = static_cast<std::size_t>(EngineOf().ElementCount());
        py::array_t<double> out({elements, std::size_t{engine::kGaussPoints}, width});
        auto a = out.mutable_unchecked<3>();
        for (std::size_t e = 0; e < elements; ++e)
            for (std::size_t g = 0; g < engine::kGaussPoints; ++g) {
                double values[3] = {0, 0, 0};
                read(solver->Point(int(e) + 1, int(g) + 1), values);
                for (std::size_t q = 0; q < width; ++q) a(e, g, q) = values[q];
            }
        return out;
    }
    py::array_t<double> ConcreteStress() const {
        // The iterative method keeps its concrete stresses as principal ones along the principal strains.
        if (const engine::IterativeSolver* solver = Iterative())
            return McftArray(
                3,
                [](const auto& p, double* v) {
                    const double c = std::cos(p.theta), s = std::sin(p.theta);
                    v[0] = p.f1 * c * c + p.f2 * s * s;
                    v[1] = p.f1 * s * s + p.f2 * c * c;
                    v[2] = (p.f1 - p.f2) * s * c;
                },
                solver);
        return GaussArray(3, [](const auto& p, double* v) { std::copy_n(p.concrete.stress, 3, v); });
    }
    py::array_t<double> PrincipalStress() const {
        return GaussArray(3, [](const auto& p, double* v) { std::copy_n(p.concrete.principal, 3, v); });
    }
    py::array_t<double> Strain() const {
        return GaussArray(3, [](const auto& p, double* v) { std::copy_n(p.strain, 3, v); });
    }
    py::array_t<double> TotalStress() const {
        return GaussArray(3, [](const auto& p, double* v) { std::copy_n(p.totalStress, 3, v); });
    }
    py::array_t<double> BarStress() const {
        if (const engine::IterativeSolver* solver = Iterative())
            return McftArray(
                2, [](const auto& p, double* v) { std::copy_n(p.barStress, 2, v); }, solver);
        return GaussArray(2, [](const auto& p, double* v) { std::copy_n(p.rebar.barStress, 2, v); });
    }
    py::array_t<double> Cracked() const {
        if (const engine::IterativeSolver* solver = Iterative())
            return McftArray(
                1, [](const auto& p, double* v) { v[0] = p.cracked; }, solver);
        return GaussArray(1, [](const auto& p, double* v) { v[0] = p.concrete.crack != 0; });
    }
    py::array_t<int32_t> PlaneElements() const {
        View();
        const engine::Engine& engine = EngineOf();
        const std::size_t elements = static_cast<std::size_t>(engine.ElementCount());
        py::array_t<int32_t> out(elements);
        auto a = out.mutable_unchecked<1>();
        for (std::size_t e = 0; e < elements; ++e) a(e) = engine.Element(int(e) + 1).discrete == 0;
        return out;
    }

private:
    enum class Source { None, Elastic, Pushover };

    // The results of the last step done: the elastic analysis's, or the push-over run's.
    engine::ResultView View() const {
        if (source_ == Source::None) Raise(analysisError, "no analysis step has been done yet");
        return source_ == Source::Elastic ? session_.Results() : Driver()->Results();
    }

    // The iterative method's state when the analysis runs it (null for the classic method).
    const engine::IterativeSolver* Iterative() const {
        View();
        const engine::Engine& engine = EngineOf();
        return engine.Method() == engine::AnalysisMethod::Mcft ? engine.Iterative() : nullptr;
    }
    const engine::Engine& EngineOf() const {
        const engine::Engine* engine = session_.ExistingEngine();
        if (!engine) Raise(analysisError, "no analysis step has been done yet");
        return *engine;
    }

    // The step just done, as the iterative method recorded it (the classic method does one pass).
    void RecordStep() {
        const engine::Engine& engine = EngineOf();
        engine::IterativeStepRecord record;
        if (engine.Method() == engine::AnalysisMethod::Mcft && engine.Iterative()) {
            record = engine.Iterative()->LastRecord();
        } else {
            record.iterations = 1;
            record.residual = record.loadFactor = std::numeric_limits<double>::quiet_NaN();
        }
        records_.push_back(record);
    }

    std::unique_ptr<CFramePat> model_;
    analysis::Session session_;
    Source source_ = Source::None;
    std::vector<engine::IterativeStepRecord> records_; // one a step done
};

// A study on the Python side: its definition, and its files.
class PyStudy {
public:
    explicit PyStudy(Study study) : study_(std::move(study)) {}
    static PyStudy Load(const std::string& path) {
        try {
            return PyStudy(LoadStudy(path));
        } catch (const StudyError& e) {
            Raise(studyError, e.what());
        }
    }
    static PyStudy FromText(const std::string& text) {
        try {
            return PyStudy(ParseStudy(text, "", "study"));
        } catch (const StudyError& e) {
            Raise(studyError, e.what());
        }
    }
    std::string Text() const { return StudyAsText(study_); }
    std::vector<std::string> Parameters() const { return study_.parameters; }
    std::vector<std::vector<double>> Variants() const { return study_.variants; }
    std::string OutputFolder() const { return study_.outputFolder; }
    std::vector<std::size_t> Pending() const { return PendingVariants(study_); }
    std::string Run(std::size_t index) const {
        if (index >= study_.variants.size()) throw py::index_error("no such variant");
        py::gil_scoped_release release;
        return VariantRecordText(RunStudyVariant(study_, index));
    }
    void WriteRecord(std::size_t index, const std::string& record) const {
        VariantResult result;
        if (index >= study_.variants.size() || !ParseVariantRecord(record, result))
            Raise(studyError, "not a record of variant " + std::to_string(index + 1));
        std::string error;
        if (!WriteVariantFiles(study_, index, result, error)) Raise(studyError, error);
    }
    // A variant whose run was lost (its worker died): recorded as failed with the reason.
    void WriteFailure(std::size_t index, const std::string& message) const {
        if (index >= study_.variants.size()) throw py::index_error("no such variant");
        VariantResult result;
        result.values = study_.variants[index];
        result.status = 5;
        result.failureMode = "error";
        result.message = message;
        std::string error;
        if (!WriteVariantFiles(study_, index, result, error)) Raise(studyError, error);
    }
    std::string Record(std::size_t index) const {
        VariantResult result;
        if (index >= study_.variants.size() || !LoadVariantRecord(study_, index, result)) return "";
        return VariantRecordText(result);
    }
    py::dict Gather() const {
        StudySummary summary;
        std::string error;
        if (!GatherStudy(study_, summary, error)) Raise(studyError, error);
        py::dict counts;
        counts["variants"] = summary.variants;
        counts["completed"] = summary.completed;
        counts["stopped"] = summary.stopped;
        counts["missing"] = summary.missing;
        return counts;
    }

private:
    Study study_;
};

} // namespace

PYBIND11_MODULE(_core, m) {
    m.doc() = "The TORVA_FEM core: models, analyses and studies";
    static py::exception<std::runtime_error> error(m, "Error");
    static py::exception<std::runtime_error> model(m, "ModelError", error.ptr());
    static py::exception<std::runtime_error> analysis(m, "AnalysisError", error.ptr());
    static py::exception<std::runtime_error> study(m, "StudyError", error.ptr());
    modelError = model.ptr();
    analysisError = analysis.ptr();
    studyError = study.ptr();

    py::class_<PyModel>(m, "Model")
        .def(py::init<>())
        .def_static("load", &PyModel::Load)
        .def_static("from_json", &PyModel::FromJson)
        .def("save", &PyModel::Save)
        .def("to_json", &PyModel::Json)
        .def("fem_image", &PyModel::FemImage);

    m.def(
        "convert",
        [](const std::string& in, const std::string& out) {
            int dropped = 0;
            FileError error;
            if (!ConvertModel(in, out, dropped, error)) Raise(modelError, error.Text());
            return dropped;
        },
        py::arg("source"), py::arg("target"));

    py::class_<PyAnalysis>(m, "Analysis")
        .def(py::init<const PyModel&, const std::string&>(), py::arg("model"), py::arg("method") = "classic")
        .def("elastic", &PyAnalysis::Elastic)
        .def("start_pushover", &PyAnalysis::StartPushover)
        .def("step", &PyAnalysis::Step)
        .def_property_readonly("finished", &PyAnalysis::Finished)
        .def_property_readonly("steps_done", &PyAnalysis::StepsDone)
        .def_property_readonly("total_steps", &PyAnalysis::TotalSteps)
        .def_property_readonly("last_status", &PyAnalysis::LastStatus)
        .def_property_readonly("stop_message", &PyAnalysis::StopMessage)
        .def("curve", &PyAnalysis::Curve)
        .def("node_positions", &PyAnalysis::NodePositions)
        .def("element_nodes", &PyAnalysis::ElementNodes)
        .def("node_displacements", &PyAnalysis::NodeDisplacements)
        .def("concrete_stress", &PyAnalysis::ConcreteStress)
        .def("principal_stress", &PyAnalysis::PrincipalStress)
        .def("strain", &PyAnalysis::Strain)
        .def("total_stress", &PyAnalysis::TotalStress)
        .def("bar_stress", &PyAnalysis::BarStress)
        .def("cracked", &PyAnalysis::Cracked)
        .def("plane_elements", &PyAnalysis::PlaneElements)
        .def("step_records", &PyAnalysis::StepRecords)
        .def("mcft_points", &PyAnalysis::McftPoints);

    py::class_<PyStudy>(m, "Study")
        .def_static("load", &PyStudy::Load)
        .def_static("from_text", &PyStudy::FromText)
        .def("text", &PyStudy::Text)
        .def_property_readonly("parameters", &PyStudy::Parameters)
        .def_property_readonly("variants", &PyStudy::Variants)
        .def_property_readonly("output_folder", &PyStudy::OutputFolder)
        .def("pending", &PyStudy::Pending)
        .def("run", &PyStudy::Run)
        .def("write_record", &PyStudy::WriteRecord)
        .def("write_failure", &PyStudy::WriteFailure)
        .def("record", &PyStudy::Record)
        .def("gather", &PyStudy::Gather);
}
