#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "common/quality_flag.h"
#include "load/headless_load.h"
#include "viewer/load_placement.h"

namespace ctiq::cli {

// True when the command line asks for `--format json` (the parser refuses other formats).
bool wantsJson(const CommandLine& line);

// Where an image came from: its path, size and SHA-256, and for DICOM the identifying header
// values (SOP instance and series, scanner model, kernel, kV, mAs, slice thickness).
QJsonObject inputIdentity(const std::string& path);

// The image options that produced a result (defaults included).
QJsonObject imageParameters(const LoadedImage& image, const RoiPlacement& roi);

// One result line: {"program", "command", "input", "parameters", "results", "summary"}.
std::string resultLine(const std::string& command, const std::string& path,
                       const QJsonObject& parameters, const QJsonObject& results,
                       const QJsonObject& summary);
// The same with the input's identity already read (inputIdentity), for results that share it.
std::string resultLine(const std::string& command, const QJsonObject& input,
                       const QJsonObject& parameters, const QJsonObject& results,
                       const QJsonObject& summary);

// The flags of a figure as [{"code", "text"}].
QJsonArray flagsJson(const QualityFlags& flags);
// Flags as notes on stderr beside the text tables (stdout keeps the window's export).
void noteFlags(const std::string& what, const QualityFlags& flags, std::string& notes);

// JSON has no NaN: a figure that does not exist (not finite, or not found) is null.
QJsonValue numberOrNull(double v);
QJsonValue numberOrNull(const std::optional<double>& v);
QJsonArray numbersOf(const std::vector<double>& values);

// One result of several inputs (a combined MTF or spectrum): "inputs" instead of "input".
std::string combinedResultLine(const std::string& command, const QJsonArray& inputs,
                               const QJsonObject& parameters, const QJsonObject& results,
                               const QJsonObject& summary);

}  // namespace ctiq::cli
