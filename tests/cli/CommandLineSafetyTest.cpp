// The command line refuses what it cannot do, at once and with the usage: mistyped words and options,
// empty values, increments no push-over has, models that are no files, output paths that cannot be
// written, and a desktop program without a display. Reports stay valid JSON whatever the file name.
#include "support/RunProgram.h"
#include "support/TempDir.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

using torva::test::ProgramRun;
using torva::test::RunTorva;

namespace {

namespace fs = std::filesystem;

std::string Example(const std::string& name) {
    return (torva::test::SourceDir() / "examples" / name).string();
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::size_t LineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Runs the binary under a shell prefix (environment changes, a time limit).
ProgramRun RunWith(const std::string& prefix, const std::string& arguments) {
    const std::string command =
        prefix + " " + (torva::test::BinaryDir() / "torva_fem").string() + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ProgramRun run{-1, ""};
    if (!pipe) return run;
    std::array<char, 4096> buffer{};
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        run.output.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string Head(const std::string& path, std::size_t bytes) {
    std::ifstream in(path, std::ios::binary);
    std::string text(bytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(bytes));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

} // namespace

TEST(CommandLineWords, AMistypedWordOrALeadingOptionIsAnErrorNotTheDesktop) {
    // Without a display the desktop program would abort; these must never reach it.
    const std::string noDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20";
    ProgramRun word = RunWith(noDisplay, "analyse " + Example("cantilever.fem"));
    EXPECT_EQ(word.exitCode, 1);
    EXPECT_EQ(word.output.rfind("torva_fem: unknown command 'analyse'\nUsage:\n", 0), 0u) << word.output;
    ProgramRun lone = RunWith(noDisplay, "analyse");
    EXPECT_EQ(lone.exitCode, 1);
    EXPECT_TRUE(Contains(lone.output, "unknown command 'analyse'")) << lone.output;
    ProgramRun option = RunWith(noDisplay, "--frobnicate=3 " + Example("cantilever.fem"));
    EXPECT_EQ(option.exitCode, 1);
    EXPECT_EQ(option.output.rfind("torva_fem: unknown option --frobnicate\nUsage:\n", 0), 0u)
        << option.output;
    ProgramRun stray = RunWith(noDisplay, Example("cantilever.fem") + " extra");
    EXPECT_EQ(stray.exitCode, 1);
    EXPECT_TRUE(Contains(stray.output, "stray argument 'extra'")) << stray.output;
    ProgramRun help = RunWith(noDisplay, "--version now");
    EXPECT_EQ(help.exitCode, 1);
    EXPECT_TRUE(Contains(help.output, "stray argument 'now'")) << help.output;
}

TEST(CommandLineWords, WithoutADisplayTheDesktopProgramSaysSoAndExits) {
    ProgramRun run =
        RunWith("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= timeout 20", Example("cantilever.fem"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.output, "the desktop program needs a display and there is none")) << run.output;
    ProgramRun none = RunWith("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20", "");
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(Contains(none.output, "needs a display")) << none.output;
}

TEST(CommandLineWords, AModelThatIsNoFileIsRefusedBeforeItIsOpened) {
    torva::test::TempDir dir;
    const std::string fifo = dir.file("model.fem");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Once a pipe blocked for ever; the time limit turns a hang into a failure (exit 124).
    for (const std::string& words : {"analyze " + fifo, "pack " + fifo, "export " + fifo, fifo}) {
        ProgramRun run = RunWith("timeout 20", words);
        EXPECT_EQ(run.exitCode, 1) << words << "\n" << run.output;
        EXPECT_TRUE(Contains(run.output, fifo + ": not a regular file")) << run.output;
    }
    ProgramRun folder = RunTorva("analyze " + dir.path().string());
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_TRUE(Contains(folder.output, ": a folder, not a file")) << folder.output;
}

TEST(CommandLineOptions, UnknownEmptyAndStrayAreRefusedWithTheUsage) {
    const std::string model = Example("cantilever.fem");
    const std::string usage = "usage: torva_fem analyze MODEL.fem";
    struct Case {
        std::string words, message;
    };
    for (const Case& c : std::vector<Case>{
             {"--frobnicate", "unknown option --frobnicate"},
             {"--frobnicate=1", "unknown option --frobnicate"},
             {"--curve=", "--curve needs a value"},
             {"--picture=", "--picture needs a value"},
             {"--picture ''", "--picture needs a value"},
             {"--curve", "--curve needs a value"},
             {"--raw=1", "--raw takes no value"},
             {"--last", "--last goes with --raw"},
             {"other.fem", "stray argument 'other.fem'"},
         }) {
        ProgramRun run = RunTorva("analyze " + model + " " + c.words);
        EXPECT_EQ(run.exitCode, 1) << c.words;
        EXPECT_EQ(run.output.rfind("torva_fem: " + c.message + "\n" + usage, 0), 0u) << c.words << "\n"
                                                                                     << run.output;
    }
    // "--" ends the options: a model whose name starts with a dash.
    torva::test::TempDir dir;
    fs::copy_file(model, dir.file("-wall.fem"));
    ProgramRun dashed = RunTorva("analyze --raw -- " + dir.file("-wall.fem"));
    EXPECT_EQ(dashed.exitCode, 0) << dashed.output;
}

TEST(CommandLineOptions, IncrementsAreBoundedAndZeroIsRefusedAlike) {
    const std::string model = Example("cantilever.fem");
    ProgramRun one = RunTorva("analyze " + model + " --increments=0");
    ProgramRun two = RunTorva("analyze " + model + " --increments=0,0");
    EXPECT_EQ(one.exitCode, 1);
    EXPECT_EQ(two.exitCode, 1);
    EXPECT_EQ(one.output, two.output);
    EXPECT_TRUE(
        Contains(one.output, "--increments: 0 mm is no push-over step; each increment is 1e-06 to 1000 mm"))
        << one.output;
    for (const char* bad : {"1e308", "-1e154", "1000.5", "0.5,2e3"}) {
        ProgramRun run = RunTorva("analyze " + model + " --increments=" + bad);
        EXPECT_EQ(run.exitCode, 1) << bad << "\n" << run.output;
        EXPECT_TRUE(Contains(run.output, "mm is no push-over step")) << run.output;
    }
    // The bounds themselves are steps.
    EXPECT_EQ(RunTorva("analyze " + model + " --increments=1e-6,-1e-6").exitCode, 0);
}

TEST(CommandLineOutputs, BadOutputPathsAreRefusedBeforeTheAnalysis) {
    torva::test::TempDir dir;
    const std::string model = Example("shear-wall.fem") + " --pushover";
    for (const std::string& option :
         {"--curve " + dir.file("no/curve.csv"), "--picture " + dir.file("no/wall.png"),
          "--picture " + dir.file("wall.gif"), "--curve " + dir.path().string()}) {
        ProgramRun run = RunTorva("analyze " + model + " " + option);
        EXPECT_EQ(run.exitCode, 1) << option;
        // Refused before the run: no summary was printed.
        EXPECT_FALSE(Contains(run.output, "status ")) << run.output;
        EXPECT_TRUE(Contains(run.output, "Cannot write ")) << run.output;
    }
    EXPECT_TRUE(Contains(RunTorva("analyze " + model + " --picture " + dir.file("wall.gif")).output,
                         "a picture file ends in .png, .jpg, .jpeg or .svg"));
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(CommandLineOutputs, PicturesAreWrittenInTheFormatTheirExtensionNames) {
    torva::test::TempDir dir;
    const std::string model = Example("one-element.fem");
    ASSERT_EQ(RunTorva("analyze " + model + " --picture " + dir.file("a.PNG")).exitCode, 0);
    ASSERT_EQ(RunTorva("analyze " + model + " --picture " + dir.file("a.jpg")).exitCode, 0);
    ASSERT_EQ(RunTorva("analyze " + model + " --picture " + dir.file("a.jpeg")).exitCode, 0);
    ASSERT_EQ(RunTorva("analyze " + model + " --picture " + dir.file("a.svg")).exitCode, 0);
    EXPECT_EQ(Head(dir.file("a.PNG"), 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(Head(dir.file("a.jpg"), 3), "\xff\xd8\xff");
    EXPECT_EQ(Head(dir.file("a.jpeg"), 3), "\xff\xd8\xff");
    const std::string svg = Head(dir.file("a.svg"), 1 << 20);
    EXPECT_TRUE(Contains(svg, "<svg")) << svg.substr(0, 200);
    EXPECT_TRUE(Contains(svg, "viewBox=\"0 0 1000 800\"")) << svg.substr(0, 400);
    EXPECT_TRUE(Contains(svg, "</svg>"));
    // Nothing else was left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 4);
}

TEST(CommandLineOutputs, TheJsonReportStaysValidWhateverTheModelIsCalled) {
    torva::test::TempDir dir;
    // A quote, a backslash, a newline and a byte that is no UTF-8 in the file name.
    const std::string name = dir.file("odd \"name\" \\ with\nnewline \xff.fem");
    fs::copy_file(Example("one-element.fem"), name);
    std::string quoted = "'";
    for (char c : name) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    quoted += "'";
    ProgramRun run = RunTorva("analyze --json " + quoted);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    nlohmann::json report;
    ASSERT_NO_THROW(report = nlohmann::json::parse(run.output)) << run.output.substr(0, 300);
    const std::string model = report["model"];
    EXPECT_EQ(model.substr(0, model.size() - 7), name.substr(0, name.size() - 5));
    EXPECT_EQ(model.substr(model.size() - 7), "\xef\xbf\xbd.fem"); // U+FFFD for the stray byte
    EXPECT_EQ(report["status"], 0);
}

TEST(CommandLineOutputs, RawKeepsOnlyTheLastCallWhenAsked) {
    const std::string model = Example("cantilever.fem");
    ProgramRun every = RunTorva("analyze " + model + " --raw --increments=0.5,0.5");
    ProgramRun last = RunTorva("analyze " + model + " --raw --last --increments=0.5,0.5");
    ASSERT_EQ(every.exitCode, 0) << every.output;
    ASSERT_EQ(last.exitCode, 0) << last.output;
    // 33 nodes and 20 elements: 608 values a call; every call has its header line.
    EXPECT_EQ(LineCount(every.output), 3u * 609u);
    EXPECT_EQ(LineCount(last.output), 608u);
    EXPECT_EQ(every.output.substr(every.output.size() - last.output.size()), last.output);
}
