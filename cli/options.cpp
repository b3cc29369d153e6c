#include "cli/options.h"

#include <QCoreApplication>
#include <QString>
#include <charconv>
#include <set>

#include "cli/task_commands.h"
#include "common/app_error.h"
#include "common/number_text.h"

namespace ctiq::cli {
namespace {

const std::set<std::string> kCommands = {"header",   "stats",  "window", "mtf", "nps",   "phantom",
                                         "selftest", "report", "nps2d",  "ttf", "dprime"};
const std::set<std::string> kImageOptions = {"mode",    "size", "header", "offset",
                                             "spacing", "roi",  "frame"};
const std::map<std::string, std::set<std::string>> kCommandOptions = {
    {"header", {}},
    {"phantom",
     {"size", "spacing", "sigma", "profile", "centre", "amplitude", "background", "mean", "sd",
      "kernel", "seed", "value", "radius", "contrast"}},
    {"selftest", {}},
    {"report", {"baseline",      "tol-mtf50",     "tol-integral", "output",        "mtf-roi",
                "window",        "hamming-scale", "mtf-lines",    "mtf-direction", "psf-width",
                "nps-direction", "segment",       "nps-lines",    "segment-step",  "strip-step",
                "line-trend",    "segment-trend", "max-segments", "factor",        "min-mtf50",
                "min-mtf10",     "max-noise-sd",  "max-integral", "roi-size",      "grid",
                "region",        "detrend",       "centre",       "radius",        "contrast"}},
    {"stats", {"format", "frames"}},
    {"window", {"frames"}},
    {"mtf", {"direction", "lines", "psf-width", "points", "table", "format", "plot", "frames"}},
    {"nps",
     {"direction", "segment", "lines", "segment-step", "strip-step", "window", "line-trend",
      "segment-trend", "factor", "max-segments", "table", "format", "hamming-scale", "plot",
      "frames"}},
    {"nps2d", {"roi-size", "grid", "region", "detrend", "format", "plot", "spectrum-image"}},
    {"ttf", {"centre", "radius", "contrast", "format", "plot"}},
    {"dprime", {"ttf", "nps", "task", "observer", "format", "plot"}},
};

}  // namespace

UsageError::UsageError(const char* pattern, std::vector<std::string> values)
    : std::runtime_error(filledIn(pattern, values)),
      pattern_(pattern),
      values_(std::move(values)) {}

std::string UsageError::text() const {
    return filledIn(QCoreApplication::translate("cli", pattern_).toStdString(), values_);
}

std::string CommandLine::value(const std::string& name, const std::string& fallback) const {
    const auto found = values.find(name);
    return found == values.end() ? fallback : found->second;
}

std::optional<int> CommandLine::integer(const std::string& name) const {
    if (!has(name)) return std::nullopt;
    try {
        return StrToInt(values.at(name));
    } catch (const AppError&) {
        throw UsageError("--%1 takes an integer, not '%2'", {name, values.at(name)});
    }
}

std::optional<double> CommandLine::real(const std::string& name) const {
    if (!has(name)) return std::nullopt;
    try {
        return static_cast<double>(StrToFloat(values.at(name)));
    } catch (const AppError&) {
        throw UsageError("--%1 takes a number, not '%2'", {name, values.at(name)});
    }
}

namespace {

// The parts of "a,b,c" converted by `convert`; any part it refuses makes a usage error.
template <class T, class Convert>
std::vector<T> commaList(const std::string& name, const std::string& text, std::size_t count,
                         const char* what, Convert convert) {
    std::vector<T> out;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        try {
            out.push_back(convert(text.substr(
                start, comma == std::string::npos ? std::string::npos : comma - start)));
        } catch (const AppError&) {
            throw UsageError(what == std::string("integers")
                                 ? "--%1 takes integers separated by commas, not '%2'"
                                 : "--%1 takes numbers separated by commas, not '%2'",
                             {name, text});
        }
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (count != 0 && out.size() != count)
        throw UsageError(what == std::string("integers")
                             ? "--%1 takes %2 integers separated by commas, not '%3'"
                             : "--%1 takes %2 numbers separated by commas, not '%3'",
                         {name, std::to_string(count), text});
    return out;
}

}  // namespace

std::optional<std::vector<double>> CommandLine::reals(const std::string& name,
                                                      std::size_t count) const {
    if (!has(name)) return std::nullopt;
    return commaList<double>(name, values.at(name), count, "numbers", [](const std::string& part) {
        return static_cast<double>(StrToFloat(part));
    });
}

std::optional<std::vector<int>> CommandLine::integers(const std::string& name,
                                                      std::size_t count) const {
    if (!has(name)) return std::nullopt;
    return commaList<int>(name, values.at(name), count, "integers",
                          [](const std::string& part) { return StrToInt(part); });
}

std::vector<std::vector<int>> CommandLine::roiList() const {
    std::vector<std::vector<int>> list;
    for (const std::string& roi : rois)
        list.push_back(commaList<int>("roi", roi, 4, "integers",
                                      [](const std::string& part) { return StrToInt(part); }));
    return list;
}

namespace {

// A flag takes no value: --swap, --verbose, and a few of one command each.
bool isFlag(const std::string& name, const std::string& command) {
    return name == "swap" || name == "verbose" || (name == "summary" && command == "header") ||
           (name == "dicom" && command == "phantom") || (name == "full" && command == "nps2d");
}

bool knownOption(const std::string& name, const std::string& command) {
    const bool imageCommand =
        command != "header" && command != "phantom" && command != "selftest" && command != "dprime";
    return kCommandOptions.at(command).count(name) || (imageCommand && kImageOptions.count(name)) ||
           (command == "header" && (name == "mode" || name == "size"));
}

// The options, flags and files after the command; for report, the files of each group (--mtf,
// --nps, --nps2d, --ttf) in turn.
void readArguments(const std::vector<std::string>& arguments, CommandLine& line) {
    bool optionsEnded = false;
    std::string group;
    auto addFile = [&](const std::string& file) {
        if (line.command == "report") {
            if (group.empty())
                throw UsageError("report: put --mtf, --nps, --nps2d or --ttf before '%1'", {file});
            line.groups[group].push_back(file);
        }
        line.files.push_back(file);
    };
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        std::string a = arguments[i];
        if (line.command == "report" && !optionsEnded &&
            (a == "--mtf" || a == "--nps" || a == "--nps2d" || a == "--ttf")) {
            group = a.substr(2);
            continue;
        }
        if (line.command == "report" && a == "-o") a = "--output";
        if (optionsEnded) {  // after "--" every argument is a file, even one named like an option
            addFile(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        if (a == "--help" || a == "-h") {
            line.help = true;
            continue;
        }
        if (a.rfind("--", 0) != 0) {
            addFile(a);
            continue;
        }
        const std::string name = a.substr(2);
        if (isFlag(name, line.command)) {
            line.flags[name] = true;
            continue;
        }
        if (!knownOption(name, line.command))
            throw UsageError("unknown option '%1' for %2", {a, line.command});
        if (i + 1 >= arguments.size()) throw UsageError("option '%1' needs a value", {a});
        line.values[name] = arguments[++i];
        if (name == "roi") line.rois.push_back(line.values[name]);
    }
}

// Every value read once, so a malformed one is a usage error before any file runs.
void checkValues(const CommandLine& line) {
    line.integers("size", 2);
    line.roiList();
    line.integers("mtf-roi", 4);
    line.integers("region", 4);
    for (const char* name : {"roi-size", "grid"}) line.integer(name);
    if (const auto frame = line.integer("frame"); frame && *frame < 1)
        throw UsageError("--frame counts from 1, not '%1'", {std::to_string(*frame)});
    for (const char* name : {"radius", "contrast"}) line.real(name);
    for (const char* name :
         {"header", "offset", "lines", "psf-width", "points", "segment", "segment-step",
          "strip-step", "line-trend", "segment-trend", "max-segments", "mtf-lines", "nps-lines"})
        line.integer(name);
    for (const char* name :
         {"factor", "spacing", "sigma", "amplitude", "background", "mean", "sd", "value",
          "tol-mtf50", "tol-integral", "min-mtf50", "min-mtf10", "max-noise-sd", "max-integral"})
        line.real(name);
    line.reals("centre", 2);
    line.reals("kernel", 0);
    line.integer("seed");
    if (const std::string format = line.value("format", "text");
        format != "text" && format != "json")
        throw UsageError("--format takes text or json, not '%1'", {format});
}

// How many files each command takes.
void checkFiles(const CommandLine& line) {
    if (line.command == "selftest") {
        if (!line.files.empty()) throw UsageError("selftest takes no file");
        return;
    }
    if (line.command == "phantom") {
        if (line.files.size() != 2)
            throw UsageError("phantom takes a kind (point, noise, uniform, disk) and OUT");
        return;
    }
    if (line.command == "dprime") {
        if (!line.files.empty()) throw UsageError("dprime takes no file: give --ttf and --nps");
        return;
    }
    if (line.files.empty()) throw UsageError("no file given");
    if (line.command == "header" && line.files.size() != 1)
        throw UsageError("%1 takes one file", {line.command});
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    if (arguments.empty()) throw UsageError("no command given");
    if (arguments[0] == "--help" || arguments[0] == "-h") {
        line.help = true;
        return line;
    }
    if (arguments[0] == "--version") {
        line.version = true;
        return line;
    }
    line.command = arguments[0];
    line.arguments = arguments;
    if (!kCommands.count(line.command)) throw UsageError("unknown command '%1'", {line.command});
    readArguments(arguments, line);
    checkValues(line);
    if (!line.help) checkFiles(line);
    return line;
}

const std::string kJsonOption =
    "  --format text|json   json: one object per file with results, summary figures, "
    "parameters, the input's identity and the version (docs/results.schema.json)\n";
const std::string kPlotOption =
    "  --plot FILE.png|.svg  also draw the window's chart with the summary figures (one file)\n";

std::string usage(const std::string& command) {
    if (std::string text = taskUsage(command); !text.empty()) return text;
    const std::string image =
        "Image options:\n"
        "  --mode 8bit|16bit|dicom   sample format (default dicom)\n"
        "  --size COLS,ROWS          geometry where neither the name nor a DICOM header gives it\n"
        "  --header BYTES            bytes before the first sample\n"
        "  --offset N                added to every sample (default: 0, or the rescale intercept)\n"
        "  --frame N                 the frame of a multi-frame DICOM file (default 1)\n"
        "  --frames all|A-B          stats, window, mtf, nps: each of these frames of every file,\n"
        "                            one result each (mtf and nps combine them)\n"
        "  --swap                    exchange the two bytes of every sample\n"
        "  --verbose                 name the reader of each file on stderr (file name, header\n"
        "                            scanner, or the DICOM toolkit and what it decoded)\n"
        "  --spacing MM              pixel spacing in mm\n"
        "  --roi CX,CY,W,H           ROI centre and size (default: image centre, 256 x 256)\n";
    if (command == "header")
        return "Usage: ctiq-cli header [--summary] [--mode M] [--size COLS,ROWS] [--verbose] FILE\n"
               "Prints the DICOM header table as \"HeaderToCB\" copies it, or with --summary the "
               "scan summary, whenever the header can be read, also when the image cannot be "
               "shown (the reason goes to stderr). --verbose names the reader that gave the "
               "image.\n";
    if (command == "stats")
        return "Usage: ctiq-cli stats [options] FILE...\n"
               "Prints file, ROI mean and SD (population), one line per file.\n" +
               image + kJsonOption;
    if (command == "window")
        return "Usage: ctiq-cli window [options] FILE...\n"
               "Prints file, width and level of the automatic window, one line per file: width\n"
               "max - min - 1 and level (max + min) div 2 of the central half of the image, so a\n"
               "uniform centre gives width -1.\n" +
               image;
    if (command == "mtf")
        return "Usage: ctiq-cli mtf [options] FILE...\n"
               "Prints the MTF memo (--table mtf, default), the LSF memo (--table lsf), the half "
               "width (--table width) or the plotted points (--table points), one per file and "
               "ROI. With several files or --roi options, a combined MTF follows: the LSFs "
               "aligned on their centroids and averaged before the transform, with the standard "
               "error at each frequency (docs/methods.md). Reliability flags go to stderr (text) "
               "or into \"summary\" (json).\n" +
               image +
               "MTF options:\n"
               "  --direction x|y   LSF direction (default x)\n"
               "  --lines L         DFT line# (default 24)\n"
               "  --psf-width W     PSF width (default 1)\n"
               "  --roi CX,CY,W,H   may be given several times: one LSF per ROI\n"
               "  --points N        Data#, points plotted (default: the transform length, the "
               "ROI's extent along the direction)\n" +
               kJsonOption + kPlotOption;
    if (command == "nps")
        return "Usage: ctiq-cli nps [options] FILE...\n"
               "Prints, for each file in turn, the spectrum table (--table spectrum, default), "
               "the ACF table (--table acf) or the smoothed table (--table smooth).\n" +
               image +
               "Spectrum options (defaults as \"Load\" derives them from the ROI):\n"
               "  --direction x|y        spectrum direction (default x)\n"
               "  --segment N            segment length along the direction\n"
               "  --lines N              strip width across it\n"
               "  --segment-step N       step between segments\n"
               "  --strip-step N         step between strips\n"
               "  --window rect|hamming  data window (default hamming)\n"
               "  --line-trend DEG       detrend every image line (off by default)\n"
               "  --segment-trend DEG    detrend every segment instead of removing its mean\n"
               "  --factor C             factor on every sample (default 1.0)\n"
               "  --max-segments K       at most K segments (default 10000)\n"
               "  --hamming-scale amplitude|power  the Hamming window's scaling (default "
               "amplitude; power: white noise reads sigma^2 delta^2 as with rect)\n" +
               kJsonOption + kPlotOption;
    if (command == "phantom")
        return "Usage: ctiq-cli phantom point|noise|uniform|disk [options] OUT\n"
               "Writes 'OUT COLS ROWS SPACING.raw' (16-bit little endian), or OUT.dcm with "
               "--dicom.\n"
               "  --size COLS,ROWS (256,256)  --spacing MM (0.5)  --seed N (1)\n"
               "  point:   --sigma PX (1.2) --centre X,Y (image centre) --amplitude A (3000)\n"
               "           --profile gaussian|exponential (exp(-r/PX), not separable)\n"
               "           --background B (1000) --sd S (0: no noise)\n"
               "  noise:   --mean M (1000) --sd S (20) --kernel a,b,c (filter along rows)\n"
               "  uniform: --value V (1000)\n"
               "  disk:    --radius PX (20) --contrast HU (100) --sigma PX (1.2, 0: sharp)\n"
               "           --centre X,Y (image centre) --background B (0) --sd S (0)\n";
    if (command == "report")
        return "Usage: ctiq-cli report --mtf POINT_IMAGE... --nps UNIFORM_IMAGE... [image "
               "options] -o REPORT.html\n"
               "Writes one self-contained HTML report: each image's identity (dates, scanner, "
               "protocol), parameters, chart, figures with units and flags; with several point "
               "images their combined MTF. Prints the report's path and a one-line verdict; exit "
               "status 0 pass (or nothing to judge), 3 fail.\n"
               "Method options (as mtf and nps take them):\n"
               "  MTF:      --mtf-roi CX,CY,W,H  --mtf-direction x|y  --mtf-lines L (24)  "
               "--psf-width W (1)\n"
               "  spectrum: --nps-direction x|y  --segment N  --nps-lines N  --segment-step N  "
               "--strip-step N\n"
               "            --line-trend D  --segment-trend D  --max-segments N  --factor C  "
               "--window rect|hamming\n"
               "            --hamming-scale amplitude|power\n"
               "Verdicts (each optional):\n"
               "  --baseline EARLIER.jsonl  lines of an earlier --format json run: the change of "
               "MTF50 and of the noise\n"
               "                            integral, within --tol-mtf50 PCT (5) and "
               "--tol-integral PCT (10); a change\n"
               "                            beyond its tolerance but within twice its standard "
               "error does not fail\n"
               "  --min-mtf50 C/MM  --min-mtf10 C/MM  --max-noise-sd HU  --max-integral "
               "HU2MM   limits without a baseline\n"
               "Task-based sections: --nps2d UNIFORM_SLICE... [--roi-size N --grid STEP --region "
               "X,Y,W,H --detrend D]\n"
               "                     --ttf INSERT_SLICE... --centre X,Y --radius R [--contrast "
               "HU]   (as nps2d and ttf measure them)\n";
    if (command == "selftest")
        return "Usage: ctiq-cli selftest\n"
               "Measures generated phantoms and compares with their known answers.\n";
    return "Usage: ctiq-cli COMMAND [options] FILE...\n"
           "Commands: header, stats, window, mtf, nps, nps2d, ttf, dprime, phantom, selftest, "
           "report. 'ctiq-cli COMMAND "
           "--help' for each. 'ctiq-cli --version' prints the version.\n"
           "Exit status: 0 success, 1 a measurement failed, 2 a usage error.\n";
}

}  // namespace ctiq::cli
