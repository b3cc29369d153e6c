// ctiq-cli nps2d, ttf and dprime on generated phantoms with known answers, and the inputs they
// refuse.
#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "cli/phantom.h"
#include "cli/spectrum_image.h"
#include "tasks/dprime.h"
#include "tasks/nps2d.h"
#include "tasks/ttf.h"
#include "tests/support/test_files.h"

namespace ctiq {
namespace {

struct CliRun {
    int status = -1;
    std::string out, err;
};

CliRun runCli(const QStringList& arguments) {
    QProcess process;
    process.start(CTIQ_CLI_PATH, arguments);
    process.waitForFinished(120000);
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

QJsonObject jsonOf(const std::string& line) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
}

std::vector<double> numbers(const QJsonValue& array) {
    std::vector<double> out;
    for (const QJsonValue& v : array.toArray()) out.push_back(v.toDouble());
    return out;
}

// The generated phantoms of one folder: white noise of SD 20 and blurred disks, 256 x 256 at
// 0.5 mm, as the README's walkthrough makes them.
class TaskCommands : public ::testing::Test {
  protected:
    static constexpr double kNoiseSd = 20, kSpacing = 0.5;
    static constexpr double kSigma = 1.2, kRadius = 15, kContrast = 200, kDiskSd = 10;
    test::TempFolder folder;
    QStringList noise, disks;

    void SetUp() override {
        for (int seed = 1; seed <= 4; ++seed)
            noise << QString::fromStdString(
                phantom({"noise", "--sd", "20", "--seed", QString::number(seed)},
                        "noise" + std::to_string(seed)));
        for (int seed = 1; seed <= 5; ++seed)
            disks << QString::fromStdString(
                phantom({"disk", "--radius", "15", "--contrast", "200", "--sigma", "1.2", "--sd",
                         "10", "--seed", QString::number(seed)},
                        "disk" + std::to_string(seed)));
    }

    std::string phantom(QStringList arguments, const std::string& name) {
        arguments.prepend("phantom");
        arguments << QString::fromStdString(folder.file(name));
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out.substr(0, run.out.find('\n'));
    }

    // A raw phantom's values as the test reads them itself: 16-bit little-endian words.
    static std::vector<double> rawValues(const QString& path) {
        const std::vector<std::uint8_t> bytes = test::readBytes(path.toStdString());
        std::vector<double> values;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
            values.push_back(static_cast<std::int16_t>(bytes[i] | (bytes[i + 1] << 8)));
        return values;
    }

    std::string write(const std::string& name, const std::string& text) {
        test::writeBytes(folder.file(name), std::vector<std::uint8_t>(text.begin(), text.end()));
        return folder.file(name);
    }
};

TEST_F(TaskCommands, Nps2dOfWhiteNoiseIsFlatAtSigmaSquaredDeltaSquared) {
    const QString pgm = QString::fromStdString(folder.file("spectrum.pgm"));
    const CliRun json = runCli(QStringList{"nps2d", "--mode", "16bit", "--roi-size", "64",
                                           "--format", "json", "--spectrum-image", pgm} +
                               noise);
    ASSERT_EQ(json.status, 0) << json.err;
    const QJsonObject result = jsonOf(json.out);
    EXPECT_EQ(result["command"].toString(), "nps2d");
    EXPECT_EQ(result["inputs"].toArray().size(), 4);
    const QJsonObject summary = result["summary"].toObject();
    EXPECT_NEAR(summary["sdFromSpectrum"].toDouble(), kNoiseSd, 0.01 * kNoiseSd);
    EXPECT_EQ(summary["rois"].toInt(), 4 * 7 * 7);
    EXPECT_TRUE(summary["flags"].toArray().isEmpty());
    EXPECT_FALSE(result["results"].toObject().contains("spectrum2d"));  // only with --full

    // Flat up to the Nyquist frequency (1 c/mm): every ring beyond the few the quadratic
    // detrend takes power from, averaged over bands of four rings against sampling noise.
    const double expected = kNoiseSd * kNoiseSd * kSpacing * kSpacing;
    const std::vector<double> f = numbers(result["results"].toObject()["frequency"]);
    const std::vector<double> nps = numbers(result["results"].toObject()["nps"]);
    ASSERT_EQ(f.size(), nps.size());
    int bands = 0;
    for (std::size_t k = 4; k + 4 <= f.size() && f[k + 3] <= 1.0; k += 4) {
        const double band = (nps[k] + nps[k + 1] + nps[k + 2] + nps[k + 3]) / 4;
        EXPECT_NEAR(band, expected, 0.03 * expected) << "from " << f[k] << " c/mm";
        ++bands;
    }
    EXPECT_EQ(bands, 7);

    // The same measurement as text: the summary, then the profile's rows.
    const CliRun text = runCli(QStringList{"nps2d", "--mode", "16bit", "--roi-size", "64"} + noise);
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out.rfind("Slices\t4\r\nROIs\t196 of 64 x 64 px, step 32, quadratic detrend\r\n"
                             "Noise SD from the spectrum\t",
                             0),
              0u)
        << text.out;
    const std::size_t table = text.out.find("c/mm\tNPS (HU²·mm²)\tSE\r\n");
    ASSERT_NE(table, std::string::npos);
    EXPECT_EQ(std::count(text.out.begin() + table, text.out.end(), '\n'), 1 + f.size());

    // The spectrum's picture: a 64 x 64 PGM, the zero frequency (no power after the detrend)
    // black.
    const std::vector<std::uint8_t> picture = test::readBytes(pgm.toStdString());
    const std::string head = "P5\n64 64\n255\n";
    ASSERT_EQ(picture.size(), head.size() + 64 * 64);
    EXPECT_EQ(std::string(picture.begin(), picture.begin() + head.size()), head);
    EXPECT_EQ(picture[head.size() + 32 * 64 + 32], 0);
}

TEST_F(TaskCommands, TtfOfABlurredDiskMatchesTheGaussiansTransform) {
    const CliRun run = runCli(QStringList{"ttf", "--mode", "16bit", "--centre", "127,129",
                                          "--radius", "14", "--format", "json"} +
                              disks);
    ASSERT_EQ(run.status, 0) << run.err;
    const QJsonObject result = jsonOf(run.out);
    const QJsonObject summary = result["summary"].toObject();
    // exp(-2π²σ²f²) = 1/2 at f = √(ln 2 / 2) / (π σ) cycles per pixel.
    const double ttf50 = std::sqrt(std::numbers::ln2 / 2) / (std::numbers::pi * kSigma) / kSpacing;
    EXPECT_NEAR(summary["ttf50"].toDouble(), ttf50, 0.03 * ttf50);
    EXPECT_NEAR(summary["centreX"].toDouble(), 128, 0.05);  // from a guess 1 px off
    EXPECT_NEAR(summary["centreY"].toDouble(), 128, 0.05);
    EXPECT_NEAR(summary["contrast"].toDouble(), kContrast, 2);
    EXPECT_NEAR(summary["noiseSd"].toDouble(), kDiskSd, 0.5);
    EXPECT_TRUE(summary["flags"].toArray().isEmpty());
    const QJsonObject results = result["results"].toObject();
    EXPECT_EQ(results["ttf"].toArray().size(), results["frequency"].toArray().size());
    EXPECT_EQ(results["esf"].toArray().size(), results["distance"].toArray().size());
    EXPECT_EQ(result["inputs"].toArray().size(), 5);

    const CliRun text = runCli(
        QStringList{"ttf", "--mode", "16bit", "--centre", "128,128", "--radius", "15"} + disks);
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out.rfind("Slices\t5\r\nCentre\t128.0", 0), 0u) << text.out;
    EXPECT_NE(text.out.find("\r\nc/mm\tTTF\r\n0\t1\r\n"), std::string::npos) << text.out;
}

TEST_F(TaskCommands, DprimeFromTheLinesIsTheLibrarysFromTheImages) {
    const CliRun ttf = runCli(QStringList{"ttf", "--mode", "16bit", "--centre", "128,128",
                                          "--radius", "15", "--format", "json"} +
                              disks);
    const CliRun nps =
        runCli(QStringList{"nps2d", "--mode", "16bit", "--format", "json", "--full"} + noise);
    ASSERT_EQ(ttf.status + nps.status, 0) << ttf.err << nps.err;
    const QString ttfFile = QString::fromStdString(write("ttf.jsonl", ttf.out));
    // Another command's line beside the spectrum is passed over.
    const QString npsFile = QString::fromStdString(write("nps.jsonl", ttf.out + nps.out));
    const CliRun run = runCli(
        {"dprime", "--ttf", ttfFile, "--nps", npsFile, "--task", "disk:5:10", "--format", "json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const QJsonObject summary = jsonOf(run.out)["summary"].toObject();

    std::vector<std::vector<double>> diskValues, noiseValues;
    std::vector<tasks::ImageView> diskViews, noiseViews;
    for (const QString& path : disks) diskValues.push_back(rawValues(path));
    for (const QString& path : noise) noiseValues.push_back(rawValues(path));
    for (const auto& v : diskValues) diskViews.push_back({v, 256, 256, kSpacing, kSpacing});
    for (const auto& v : noiseValues) noiseViews.push_back({v, 256, 256, kSpacing, kSpacing});
    tasks::TtfParameters p;
    p.centreX = p.centreY = 128;
    p.radius = 15;
    const tasks::TtfResult t = tasks::computeTtf(diskViews, p);
    const tasks::Nps2dResult n = tasks::computeNps2d(noiseViews, {});
    const tasks::Detectability d = tasks::detectability(tasks::parseTask("disk:5:10"),
                                                        tasks::ttfCurveOf(t), tasks::npsGridOf(n));
    EXPECT_NEAR(summary["npw"].toDouble(), d.npw, 0.01 * d.npw);
    EXPECT_NEAR(summary["npwe"].toDouble(), d.npwe, 0.01 * d.npwe);

    // And the closed form of NPW for this white noise and Gaussian blur: d'² = ∫ W² TTF² d²f /
    // (σ²Δ²), W the disk's transform, as a sum over the NPS's grid. The measurement lies about
    // 2.5 % above it, nearly all from the spectrum, not the TTF (the measured TTF alone: +0.2 %):
    // every detrend takes the zero frequency (+0.3 %), the quadratic one also power from the
    // next rings (+1.2 % over the mean's), where the disk's signal is; the rest (+0.7 %) is the
    // scatter of 36 ROIs at those few rings. A slip of units (Δ, 2π) would be far beyond the 4 %.
    const double radius = 2.5, contrast = 10, s = kSigma * kSpacing, step = 1 / (128 * kSpacing);
    double sum = 0;
    for (int ky = -64; ky < 64; ++ky)
        for (int kx = -64; kx < 64; ++kx) {
            const double f = std::hypot(kx, ky) * step, x = 2 * std::numbers::pi * radius * f;
            const double w = contrast * std::numbers::pi * radius * radius *
                             (x > 0 ? 2 * std::cyl_bessel_j(1.0, x) / x : 1.0);
            const double transfer =
                std::exp(-2 * std::numbers::pi * std::numbers::pi * s * s * f * f);
            sum += w * w * transfer * transfer * step * step;
        }
    const double closed = std::sqrt(sum / (kNoiseSd * kNoiseSd * kSpacing * kSpacing));
    EXPECT_NEAR(summary["npw"].toDouble(), closed, 0.04 * closed);

    const CliRun text = runCli(
        {"dprime", "--ttf", ttfFile, "--nps", npsFile, "--task", "disk:5:10", "--observer", "npw"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("\r\nd' NPW\t"), std::string::npos) << text.out;
    EXPECT_EQ(text.out.find("NPWE"), std::string::npos) << text.out;
}

// --plot draws each result with what it rests on beside it: the 2-D spectrum next to its radial
// average, the edge spread function next to the TTF, the spectrum next to the TTF for d′.
TEST_F(TaskCommands, PlotsShowTheirSecondPanel) {
    const QString nps = QString::fromStdString(write("nps.jsonl", ""));
    const QString ttf = QString::fromStdString(write("ttf.jsonl", ""));
    const CliRun spectrum =
        runCli(QStringList{"nps2d", "--mode", "16bit", "--format", "json", "--full"} + noise);
    const CliRun transfer = runCli(QStringList{"ttf", "--mode", "16bit", "--centre", "128,128",
                                               "--radius", "15", "--format", "json"} +
                                   disks);
    ASSERT_EQ(spectrum.status + transfer.status, 0) << spectrum.err << transfer.err;
    write("nps.jsonl", spectrum.out);
    write("ttf.jsonl", transfer.out);
    const std::vector<QStringList> runs = {
        QStringList{"nps2d", "--mode", "16bit"} + noise,
        QStringList{"ttf", "--mode", "16bit", "--centre", "128,128", "--radius", "15"} + disks,
        QStringList{"dprime", "--ttf", ttf, "--nps", nps, "--task", "disk:5:10"},
    };
    for (const QStringList& arguments : runs) {
        const QString png = QString::fromStdString(write(arguments[0].toStdString() + ".png", ""));
        const CliRun run = runCli(arguments + QStringList{"--plot", png});
        ASSERT_EQ(run.status, 0) << run.err;
        const QImage image(png);
        ASSERT_FALSE(image.isNull()) << arguments[0].toStdString();
        EXPECT_EQ(image.size(), QSize(1500, 600)) << arguments[0].toStdString();
        // The right-hand panel holds its picture, or its curve (red) on axes that fit it.
        int red = 0, grey = 0;
        for (int y = 0; y < image.height(); y += 2) {
            for (int x = 950; x < image.width(); x += 2) {
                const QRgb c = image.pixel(x, y);
                red += qRed(c) > 200 && qGreen(c) < 80 && qBlue(c) < 80;
                grey += qGray(c) > 1 && qGray(c) < 250 && qRed(c) == qGreen(c);
            }
        }
        if (arguments[0] == "nps2d")
            EXPECT_GT(grey, 20000) << "the 2-D spectrum";
        else
            EXPECT_GT(red, 200) << arguments[0].toStdString();
    }
}

TEST_F(TaskCommands, RefusedInputsSayWhy) {
    const QString nearEdge = QString::fromStdString(
        phantom({"disk", "--radius", "15", "--centre", "20,128", "--sd", "10"}, "edge"));
    const QString coarse =
        QString::fromStdString(phantom({"noise", "--spacing", "0.6", "--sd", "20"}, "coarse"));
    const CliRun ttf = runCli({"ttf", "--mode", "16bit", "--centre", "128,128", "--radius", "15",
                               "--format", "json", disks[0]});
    const CliRun coarseNps =
        runCli({"nps2d", "--mode", "16bit", "--format", "json", "--full", coarse});
    const CliRun thinNps = runCli({"nps2d", "--mode", "16bit", "--format", "json", noise[0]});
    ASSERT_EQ(ttf.status + coarseNps.status + thinNps.status, 0);
    const QString ttfFile = QString::fromStdString(write("ttf.jsonl", ttf.out));
    const QString coarseFile = QString::fromStdString(write("coarse.jsonl", coarseNps.out));
    const QString thinFile = QString::fromStdString(write("thin.jsonl", thinNps.out));
    const QString fullFile = QString::fromStdString(write("full.jsonl", coarseNps.out));

    struct Case {
        QStringList arguments;
        int status;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"ttf", "--mode", "16bit", "--centre", "20,128", "--radius", "15", nearEdge},
         1,
         "too close to the image's edge"},
        {{"ttf", "--mode", "16bit", "--centre", "128,128", "--radius", "140", disks[0]},
         1,
         "fit in the image twice over"},
        {{"ttf", "--mode", "16bit", "--centre", "128,128", disks[0]}, 2, "--radius"},
        {{"ttf", "--mode", "16bit", "--roi", "128,128,64,64", "--centre", "128,128", "--radius",
          "15", disks[0]},
         2,
         "does not take --roi"},
        {{"nps2d", "--mode", "16bit", "--region", "0,0,100,100", noise[0]},
         1,
         "smaller than one ROI"},
        {{"nps2d", "--mode", "16bit", "--detrend", "cubic", noise[0]}, 2, "--detrend"},
        {{"nps2d", "--mode", "16bit", "--spectrum-image", "s.png", noise[0]}, 2, ".pgm"},
        {{"dprime", "--ttf", ttfFile, "--nps", coarseFile, "--task", "disk:5:10"},
         1,
         "one pixel spacing"},
        {{"dprime", "--ttf", ttfFile, "--nps", thinFile, "--task", "disk:5:10"}, 1, "--full"},
        {{"dprime", "--ttf", fullFile, "--nps", coarseFile, "--task", "disk:5:10"},
         1,
         "holds no ttf result"},
        {{"dprime", "--ttf", ttfFile, "--nps", coarseFile, "--task", "disk:5"},
         1,
         "disk:DIAMETER_MM:CONTRAST_HU"},
        {{"dprime", "--ttf", ttfFile, "--nps", coarseFile, "--task", "square:5:10"},
         1,
         "disk:DIAMETER_MM:CONTRAST_HU"},
        {{"dprime", "--ttf", ttfFile, "--nps", coarseFile, "--task", "disk:5:10", "--observer",
          "ideal"},
         2,
         "--observer"},
    };
    for (const Case& c : cases) {
        const CliRun run = runCli(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments.join(' ').toStdString() << "\n" << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos)
            << c.arguments.join(' ').toStdString() << "\n"
            << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST(DiskPhantom, PlateauBackgroundAndEdge) {
    cli::PhantomSpec spec;
    spec.kind = "disk";
    spec.columns = 64;
    spec.rows = 48;
    spec.radius = 10;
    spec.contrast = 300;
    spec.background = -100;
    spec.sigma = 0;
    spec.sd = 0;
    const std::vector<std::int16_t> v = cli::makePhantom(spec);
    EXPECT_EQ(v[24 * 64 + 32], 200);      // the centre (32, 24)
    EXPECT_EQ(v[24 * 64 + 32 + 9], 200);  // inside the edge
    EXPECT_EQ(v[24 * 64 + 32 + 10], 50);  // on the circle: half the contrast
    EXPECT_EQ(v[24 * 64 + 32 + 11], -100);
    EXPECT_EQ(v[0], -100);
}

TEST(SpectrumImage, LogScaleOverSixDecades) {
    // 2 x 2: zero, the largest, two decades below it, and far below the six decades.
    const std::vector<std::uint8_t> bytes = cli::spectrumPgm({0, 1e4, 1e2, 1e-6}, 2);
    const std::string head = "P5\n2 2\n255\n";
    ASSERT_EQ(bytes.size(), head.size() + 4);
    EXPECT_EQ(bytes[head.size() + 0], 0);
    EXPECT_EQ(bytes[head.size() + 1], 255);
    EXPECT_EQ(bytes[head.size() + 2], 170);  // 255 · 4/6
    EXPECT_EQ(bytes[head.size() + 3], 0);
    EXPECT_THROW(cli::spectrumPgm({1, 2, 3}, 2), std::exception);
}

}  // namespace
}  // namespace ctiq
