// The include layers: model and engine at the bottom, the analysis core above them, then the drawing on
// Qt GUI, then the widgets; the command line sits on the core and the drawing. A file that includes
// across a layer boundary fails here, naming the file and the include.
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Every `#include` line of the folder's sources that matches none of the allowed prefixes.
std::vector<std::string> StrayIncludes(const std::string& folder, const std::vector<std::string>& allowed) {
    std::vector<std::string> stray;
    for (const auto& entry : fs::directory_iterator(torva::test::SourceDir() / "src" / folder)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".h" && ext != ".cpp") continue;
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("#include", 0) != 0) continue;
            const auto open = line.find_first_of("\"<");
            if (open == std::string::npos) continue;
            const std::string target = line.substr(open + 1);
            bool ok = false;
            for (const std::string& prefix : allowed) ok = ok || target.rfind(prefix, 0) == 0;
            // System and library headers in angle brackets are fine, Qt's only where listed.
            if (line[open] == '<' && target[0] != 'Q') ok = true;
            if (!ok) stray.push_back(entry.path().filename().string() + ": " + line);
        }
    }
    return stray;
}

} // namespace

TEST(Layering, EachFolderIncludesOnlyTheLayersBelowIt) {
    const std::vector<std::string> none;
    EXPECT_EQ(StrayIncludes("model", {"model/"}), none);
    EXPECT_EQ(StrayIncludes("engine", {"engine/"}), none);
    EXPECT_EQ(StrayIncludes("analysis", {"analysis/", "engine/", "model/"}), none);
    // The drawing: the core and Qt GUI, no widgets and nothing of the window's folders.
    EXPECT_EQ(StrayIncludes("drawing", {"drawing/",    "analysis/",     "engine/", "model/",   "QBrush",
                                        "QBuffer",     "QByteArray",    "QColor",  "QFont",    "QImage",
                                        "QLine",       "QPainter",      "QPoint",  "QPolygon", "QSize",
                                        "QString",     "QSvgGenerator", "QRect",   "QPen",     "QTransform",
                                        "QPainterPath"}),
              none);
    EXPECT_EQ(StrayIncludes("cli", {"cli/", "drawing/", "analysis/", "engine/", "model/", "QCoreApplication",
                                    "QGuiApplication", "QImage", "QPainter", "QString", "QProcess",
                                    "QByteArray", "QDir", "QFile", "QTemporaryDir"}),
              none);
}
