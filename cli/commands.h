#pragma once

#include <string>

#include "cli/options.h"

namespace ctiq {
struct LoadedImage;
}

namespace ctiq::cli {

// Runs one command for one file and returns what it prints on stdout, adding to `notes` what
// goes to stderr before it; AppError for a measurement error, UsageError for values that do
// not fit the command. Safe to run for several files at once.
using FileCommand = std::string (*)(const CommandLine& line, const std::string& file,
                                    std::string& notes);
std::string runHeader(const CommandLine& line, const std::string& file, std::string& notes);
std::string runStats(const CommandLine& line, const std::string& file, std::string& notes);
std::string runWindow(const CommandLine& line, const std::string& file, std::string& notes);
std::string runMtf(const CommandLine& line, const std::string& file, std::string& notes);
std::string runNps(const CommandLine& line, const std::string& file, std::string& notes);

// With several files or ROIs, `mtf` ends with their combined MTF (a text table, or a JSON line
// "mtf-combined"), and `nps` with their image-to-image spectrum (JSON "nps-combined").
bool wantsCombinedMtf(const CommandLine& line);
std::string runCombinedMtf(const CommandLine& line, std::string& notes);
bool wantsCombinedNps(const CommandLine& line);
std::string runCombinedNps(const CommandLine& line, std::string& notes);

// Where --plot goes: ctiq-cli's main sets the chart writer (a QApplication's work); without one
// --plot is refused.
struct PlotRequest;
using PlotWriter = void (*)(const PlotRequest&);
void setPlotWriter(PlotWriter writer);
PlotWriter currentPlotWriter();

// An image as the file commands load it (the image options of the line), and where its pixel
// spacing came from, for messages.
LoadedImage loadImageFor(const CommandLine& line, const std::string& file, std::string& notes);
std::string pixelSpacingSource(const CommandLine& line);

// Writes a phantom ("phantom KIND OUT") and returns the path written.
std::string runPhantom(const CommandLine& line);

// The first line of the per-file tables of stats and window.
std::string tableTitle(const std::string& command);

}  // namespace ctiq::cli
