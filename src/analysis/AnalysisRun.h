#pragma once
// "Analyze" below the window: the check, the engine input stream and the one engine call in elastic
// mode (step 0: the engine initialises, runs the gravity state and load step 1).
//
// The program keeps one input stream and one result buffer. The engine writes into a spare buffer
// that replaces the result buffer only when the call has finished with status 0, so a refused or
// failed analysis leaves the results on display, and those a later step reads, exactly as they were.
#include "analysis/AnalysisState.h"
#include "analysis/Mesh.h"
#include "model/FramePat.h"

#include <cstdint>
#include <string>
#include <vector>

namespace torva {

class EngineBuffers {
public:
    // The stream and both result buffers at full size, zeroed.
    EngineBuffers();
    EngineBuffers(const EngineBuffers&) = delete;
    EngineBuffers& operator=(const EngineBuffers&) = delete;

    // The program's one set.
    static EngineBuffers& Instance();

    ResultBuffer Results() { return {results_.data(), static_cast<int>(results_.size())}; }
    const std::vector<double>& ResultValues() const { return results_; }
    const std::vector<int32_t>& Input() const { return input_; }
    // Zeroes the stream and the results (a scene reset).
    void Clear();

private:
    friend bool RunElasticAnalysis(const Mesh&, const CFramePat&, EngineBuffers&, int&, std::string&);
    std::vector<int32_t> input_;
    std::vector<double> results_;
    std::vector<double> spare_;
};

// Checks the scanned mesh of `model`, packs it and runs the engine in elastic mode from step 0.
// Returns true when the engine was called; `status` is then its status word, and with status 0 the
// new results are in buffers.Results(). Returns false, with `refusal` saying why, when the model is
// refused before the engine is called.
bool RunElasticAnalysis(const Mesh& mesh, const CFramePat& model, EngineBuffers& buffers, int& status,
                        std::string& refusal);

} // namespace torva
