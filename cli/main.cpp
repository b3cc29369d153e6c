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
#include <string_view>
#include <utility>

#include "cli/commands.h"
#include "cli/files_in_order.h"
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

int main(int argc, char* argv[]) {
    // --plot draws with Qt Charts, which needs a QApplication: offscreen where there is no display.
    bool plot = false;
    for (int i = 1; i < argc; ++i) plot = plot || std::string_view(argv[i]) == "--plot";
    plot = plot || (argc > 1 && std::string_view(argv[1]) == "report");
#if !CTIQ_CLI_WITH_GUI
    if (plot) {
        const std::string gui =
            ctiq::companionProgram("ctiq-cli-gui", "CTIQ_CLI_GUI", CTIQ_CLI_GUI_BUILD_PATH);
        ::execv(gui.c_str(), argv);
        std::cerr << "ctiq-cli: --plot and report need " << gui << ": " << std::strerror(errno)
                  << "\n";
        return 2;
    }
#else
    if (plot && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a session (a script, cron, root) Qt would warn on stderr about a missing runtime
    // folder: give it a private one for this run.
    std::optional<QTemporaryDir> runtime;
    if (plot && qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        runtime.emplace();
        if (runtime->isValid()) qputenv("XDG_RUNTIME_DIR", runtime->path().toLocal8Bit());
    }
    const std::unique_ptr<QCoreApplication> app =
        plot ? std::make_unique<QApplication>(argc, argv)
             : std::make_unique<QCoreApplication>(argc, argv);  // resources, translation
    if (plot) ctiq::cli::setPlotWriter(&ctiq::cli::writePlot);
#endif
#if !CTIQ_CLI_WITH_GUI
    const auto app = std::make_unique<QCoreApplication>(argc, argv);  // resources, translation
#endif
    ctiq::installTranslations(*app);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    using namespace ctiq::cli;
    CommandLine line;
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
    try {
        if (line.command == "selftest") return runSelftest(std::cout) == 0 ? 0 : 1;
#if CTIQ_CLI_WITH_GUI
        if (line.command == "report") return ctiq::cli::runReport(line, std::cout, std::cerr);
#endif
        if (line.command == "phantom") {
            std::cout << runPhantom(line) << "\n";
            return 0;
        }
        if (isTaskCommand(line.command)) {  // one result for all the files
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
        std::cerr << e.what() << "\n";
        return 1;
    }
    const FileCommand run = line.command == "header"   ? runHeader
                            : line.command == "stats"  ? runStats
                            : line.command == "window" ? runWindow
                            : line.command == "mtf"    ? runMtf
                                                       : runNps;
    std::ios::sync_with_stdio(false);
    // The title goes out with the first row: a usage error found on the way prints nothing.
    const bool json = ctiq::cli::wantsJson(line);
    bool titled = json || (line.command != "stats" && line.command != "window");
    int status = 0;
    // The files are measured on every core; what they print goes out in their order.
    measureFilesInOrder(
        line.files, threadsFor(line.files.size()),
        [&](const std::string& file, std::string& notes) { return run(line, file, notes); },
        [&](const std::string& file, FileOutcome& outcome) {
            std::cerr << outcome.notes;
            try {
                if (outcome.error) std::rethrow_exception(outcome.error);
                if (!std::exchange(titled, true)) std::cout << tableTitle(line.command);
                std::cout << outcome.rows;
            } catch (const UsageError& e) {
                std::cerr << "ctiq-cli: " << e.text() << "\n";
                status = 2;
                return false;
            } catch (const std::exception& e) {
                std::cerr << file << ": " << e.what() << "\n";
                status = 1;
            }
            std::cout.flush();
            return true;
        });
    // Several images of one object: their combined result after their own tables.
    if (status == 0 && (wantsCombinedMtf(line) || wantsCombinedNps(line))) {
        std::string notes;
        try {
            const std::string combined =
                line.command == "mtf" ? runCombinedMtf(line, notes) : runCombinedNps(line, notes);
            std::cerr << notes;
            std::cout << combined;
        } catch (const std::exception& e) {
            std::cerr << notes << "combined result: " << e.what() << "\n";
            status = 1;
        }
    }
    return status;
}
