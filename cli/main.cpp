// ctiq-cli: the viewer's, MTF window's and spectrum window's measurements without a display,
// printing the same text the windows put on the clipboard or in their memos.
//
// Built twice from this file: ctiq-cli links Qt Core alone, so that a measurement starts in a few
// milliseconds; for --plot and report, which draw with Qt Charts, it hands the whole command line
// to ctiq-cli-gui (CTIQ_CLI_WITH_GUI), the same program with the drawing parts.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/commands.h"
#include "cli/files_in_order.h"
#include "cli/frame_items.h"
#include "cli/printable_path.h"
#include "cli/json_results.h"
#include "cli/options.h"
#include "cli/selftest.h"
#include "cli/task_commands.h"
#include "common/app_error.h"
#include "common/language.h"
#include "common/version.h"

#if CTIQ_CLI_WITH_GUI
#include <QApplication>

#include "cli/plot.h"
#include "cli/report.h"
#else
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/companion_program.h"
#endif

namespace {

using namespace ctiq::cli;

// --plot and report draw with Qt Charts, which needs a QApplication.
bool drawsCharts(int argc, char* argv[]) {
    bool plot = false;
    for (int i = 1; i < argc; ++i) plot = plot || std::string_view(argv[i]) == "--plot";
    return plot || (argc > 1 && std::string_view(argv[1]) == "report");
}

#if !CTIQ_CLI_WITH_GUI
// The whole command line goes to ctiq-cli-gui, which draws; returns only when it cannot start.
int handOffToGui(char* argv[]) {
    const std::string gui =
        ctiq::companionProgram("ctiq-cli-gui", "CTIQ_CLI_GUI", CTIQ_CLI_GUI_BUILD_PATH);
    ::execv(gui.c_str(), argv);
    std::cerr << "ctiq-cli: --plot and report need " << gui << ": " << std::strerror(errno) << "\n";
    return 2;
}
#endif

// Qt for the run (resources, translation; a QApplication where charts are drawn), and the
// runtime folder it may need, which must outlive it.
struct QtRun {
    std::optional<QTemporaryDir> runtime;
    std::unique_ptr<QCoreApplication> app;
};

// ctiq-cli has handed the charts off before: `charts` is ctiq-cli-gui's alone.
void startQt(QtRun& qt, int& argc, char* argv[], [[maybe_unused]] bool charts) {
#if CTIQ_CLI_WITH_GUI
    // Offscreen where there is no display.
    if (charts && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a session (a script, cron, root) Qt would warn on stderr about a missing runtime
    // folder: give it a private one for this run.
    if (charts && qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        qt.runtime.emplace();
        if (qt.runtime->isValid()) qputenv("XDG_RUNTIME_DIR", qt.runtime->path().toLocal8Bit());
    }
    qt.app = charts ? std::make_unique<QApplication>(argc, argv)
                    : std::make_unique<QCoreApplication>(argc, argv);
    if (charts) setPlotWriter(&writePlot);
#else
    qt.app = std::make_unique<QCoreApplication>(argc, argv);
#endif
    ctiq::installTranslations(*qt.app);
}

// Reads the arguments into `line`; a usage error, --help and --version are answered here, with
// the exit status to end on.
std::optional<int> readCommandLine(const std::vector<std::string>& arguments, CommandLine& line) {
    try {
        line = parseCommandLine(arguments);
    } catch (const UsageError& e) {
        std::cerr << "ctiq-cli: " << e.text() << "\n"
                  << usage(arguments.empty() ? "" : arguments[0]);
        return 2;
    }
    if (line.help) {
        std::cout << usage(line.command);
        return 0;
    }
    if (line.version) {
        std::cout << "ctiq-cli " << ctiq::programVersion() << "\n";
        return 0;
    }
    return std::nullopt;
}

// The commands with one result for the whole line, and their exit status; none for the
// per-file commands.
std::optional<int> runOneResultCommand(const CommandLine& line) {
    try {
        if (line.command == "selftest") return runSelftest(std::cout) == 0 ? 0 : 1;
#if CTIQ_CLI_WITH_GUI
        if (line.command == "report") return runReport(line, std::cout, std::cerr);
#endif
        if (line.command == "phantom") {
            std::cout << runPhantom(line) << "\n";
            return 0;
        }
        if (isTaskCommand(line.command)) {
            std::string notes;
            const std::string out = runTaskCommand(line, notes);
            std::cerr << notes;
            std::cout << out;
            return 0;
        }
    } catch (const UsageError& e) {
        std::cerr << "ctiq-cli: " << e.text() << "\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << ctiq::inUserLanguage(e) << "\n";
        return 1;
    }
    return std::nullopt;
}

FileCommand fileCommand(const std::string& command) {
    return command == "header"   ? runHeader
           : command == "stats"  ? runStats
           : command == "window" ? runWindow
           : command == "mtf"    ? runMtf
                                 : runNps;
}

// Measures the files on every core and prints what each gives in their order, adding to `kept`
// (when given) what they leave for the combined result; the exit status so far. A usage error
// ends the batch; a failed file is reported and the others run.
int printFilesInOrder(const CommandLine& line, const std::vector<MeasuredItem>& items,
                      ForCombining* kept) {
    const FileCommand run = fileCommand(line.command);
    // The title goes out with the first row: a usage error found on the way prints nothing.
    bool titled = wantsJson(line) || (line.command != "stats" && line.command != "window");
    int status = 0;
    measureFilesInOrder<FileMeasured, MeasuredItem>(
        items, threadsFor(items.size()),
        [&](const MeasuredItem& item, std::string& notes) {
            return run(item.line, item.file, notes);
        },
        [&](const MeasuredItem& item, FileOutcome<FileMeasured>& outcome) {
            const std::string& file = item.file;
            std::cerr << outcome.notes;
            try {
                if (outcome.error) std::rethrow_exception(outcome.error);
                if (!std::exchange(titled, true)) std::cout << tableTitle(line.command);
                std::cout << outcome.measured.rows;
                if (kept) kept->append(std::move(outcome.measured.kept));
            } catch (const UsageError& e) {
                std::cerr << "ctiq-cli: " << e.text() << "\n";
                status = 2;
                return false;
            } catch (const std::exception& e) {
                std::cerr << printablePath(file) << ": " << ctiq::inUserLanguage(e) << "\n";
                status = 1;
            }
            std::cout.flush();
            return true;
        });
    return status;
}

// Several images of one object: their combined result, after their own tables.
int printCombinedResult(const CommandLine& line, const ForCombining& kept) {
    std::string notes;
    try {
        const std::string combined = line.command == "mtf" ? runCombinedMtf(line, kept.mtf, notes)
                                                           : runCombinedNps(line, kept.nps, notes);
        std::cerr << notes;
        std::cout << combined;
        return 0;
    } catch (const std::exception& e) {
        std::cerr << notes << ctiq::inUserLanguage("combined result: %1", {ctiq::inUserLanguage(e)})
                  << "\n";
        return 1;
    }
}

int runPerFileCommand(const CommandLine& line) {
    std::ios::sync_with_stdio(false);
    std::vector<MeasuredItem> items;
    try {
        items = measuredItems(line);
    } catch (const UsageError& e) {
        std::cerr << "ctiq-cli: " << e.text() << "\n";
        return 2;
    }
    // Several frames of one file combine as several files do.
    CommandLine measured = line;
    measured.files.clear();
    for (const MeasuredItem& item : items) measured.files.push_back(item.file);
    const bool combined = wantsCombinedMtf(measured) || wantsCombinedNps(measured);
    ForCombining kept;
    const int status = printFilesInOrder(line, items, combined ? &kept : nullptr);
    // A failed file leaves no combined result.
    if (status != 0 || !combined) return status;
    return printCombinedResult(line, kept);
}

}  // namespace

int main(int argc, char* argv[]) {
    const bool charts = drawsCharts(argc, argv);
#if !CTIQ_CLI_WITH_GUI
    if (charts) return handOffToGui(argv);
#endif
    QtRun qt;
    startQt(qt, argc, argv, charts);
    const std::vector<std::string> arguments(argv + 1, argv + argc);  // as Qt left them
    CommandLine line;
    if (const auto status = readCommandLine(arguments, line)) return *status;
    if (const auto status = runOneResultCommand(line)) return *status;
    return runPerFileCommand(line);
}
