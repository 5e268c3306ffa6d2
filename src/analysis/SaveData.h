#pragma once
// "Save Data": writes "input_data.txt" into a folder, then, when an external program is set up,
// starts it from there.
#include "analysis/ExternalLauncher.h"
#include "analysis/Mesh.h"
#include "model/FramePat.h"

#include <string>

namespace torva {

struct SaveDataOutcome {
    std::string written;  // the path of the export, "" when it could not be written
    bool started = false; // the external program was started
    // "" when everything asked for worked, else what went wrong:
    //   "Cannot write <path>: <reason>" when the export failed (the program is then not started);
    //   "Could not start <program>." when the program is missing or does not start (the export stays).
    std::string error;
};

// `program` empty: nothing is started (the external launch is off until a program is set).
SaveDataOutcome SaveData(const Mesh& mesh, const CFramePat& model, const std::string& folder,
                         const std::string& program, ExternalLauncher& launcher);

} // namespace torva
