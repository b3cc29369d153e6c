#pragma once

#include <QJsonObject>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/options.h"
#include "mtf/lsf.h"
#include "wiener/spectrum.h"

namespace ctiq {
struct LoadedImage;
}

namespace ctiq::cli {

// One ROI's MTF as the combined MTF takes it: never the image, only its LSF and MTF, spacing
// and, for JSON, where it came from (the file's identity with the ROI) and the method options.
struct MtfForCombining {
    std::string file;
    MtfResult result;
    double spacing = 0;
    QJsonObject input, method;
};

// One file's spectrum as the image-to-image spectrum takes it: the bins 1 … N/2 and what the
// mean's summary and flags need.
struct NpsForCombining {
    std::string file;
    QJsonObject input, method;
    std::vector<double> binFrequency, binValue, binError;
    double pixelSpacing = 0;
    std::int32_t segmentLength = 0;
    std::size_t spectrumLength = 0;
    double effectiveSegments = 0;
    double roiSd = 0;
    DataWindow window = DataWindow::Hamming;
    std::vector<double> kept;  // segmentKeptShare of the run
};

// What a file's measurements leave for a combined result, in the files' and ROIs' order.
struct ForCombining {
    std::vector<MtfForCombining> mtf;  // mtf: one per ROI
    std::vector<NpsForCombining> nps;  // nps: one per file

    void append(ForCombining&& more) {
        for (MtfForCombining& m : more.mtf) mtf.push_back(std::move(m));
        for (NpsForCombining& n : more.nps) nps.push_back(std::move(n));
    }
};

// What one command gives for one file: the rows it prints on stdout and what its measurements
// leave for the combined result.
struct FileMeasured {
    std::string rows;
    ForCombining kept;
};

// Runs one command for one file, adding to `notes` what goes to stderr before its rows;
// AppError for a measurement error, UsageError for values that do not fit the command. Safe to
// run for several files at once.
using FileCommand = FileMeasured (*)(const CommandLine& line, const std::string& file,
                                     std::string& notes);
FileMeasured runHeader(const CommandLine& line, const std::string& file, std::string& notes);
FileMeasured runStats(const CommandLine& line, const std::string& file, std::string& notes);
FileMeasured runWindow(const CommandLine& line, const std::string& file, std::string& notes);
FileMeasured runMtf(const CommandLine& line, const std::string& file, std::string& notes);
FileMeasured runNps(const CommandLine& line, const std::string& file, std::string& notes);

// With several files or ROIs, `mtf` ends with their combined MTF (a text table, or a JSON line
// "mtf-combined"), and `nps` with their image-to-image spectrum (JSON "nps-combined"), each
// from what the files' own measurements kept.
bool wantsCombinedMtf(const CommandLine& line);
std::string runCombinedMtf(const CommandLine& line, const std::vector<MtfForCombining>& rois,
                           std::string& notes);
bool wantsCombinedNps(const CommandLine& line);
std::string runCombinedNps(const CommandLine& line, const std::vector<NpsForCombining>& files,
                           std::string& notes);

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
