// ctiq-cli against the windows: the same inputs through the handlers and through the program,
// compared byte for byte.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QThread>
#include <QXmlStreamReader>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>
#include <string_view>

#if defined(__unix__)
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include "common/number_text.h"
#include "common/ui/radio_group.h"
#include "mtf/unit2.h"
#include "tests/support/dicom_builder.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_files.h"
#include "tests/support/window_fixture.h"
#include "viewer/unit1.h"
#include "wiener/unit3.h"

namespace ctiq {
namespace {

struct CliRun {
    int status = -1;
    std::string out, err;
};

// Runs ctiq-cli on a Japanese system (its own messages) unless `language` says otherwise.
CliRun cli(const QStringList& arguments, const QString& folder = {},
           const QString& language = "ja_JP.UTF-8") {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("LANGUAGE");
    environment.remove("LC_ALL");
    environment.remove("LC_MESSAGES");
    environment.insert("LANG", language);
    environment.remove("XDG_RUNTIME_DIR");  // as under cron or a plain ssh command
    process.setProcessEnvironment(environment);
    if (!folder.isEmpty()) process.setWorkingDirectory(folder);
    process.start(CTIQ_CLI_PATH, arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

std::string crlf(QString text) {
    return text.replace("\n", "\r\n").toStdString();
}

class CliAgainstWindows : public test::WindowTest {
  protected:
    TForm2& form2 = mtfWindow;
    TForm3& form3 = spectrumWindow;

    std::string copy(const std::string& relative, const std::string& name) {
        return copyToFolder(relative, name);
    }
    void load(const std::string& path, int mode) {
        WindowTest::load(path, mode);
        ASSERT_TRUE(dialogs->errors.empty()) << dialogs->errors[0].toStdString();
    }
};

TEST_F(CliAgainstWindows, HeaderExportOfCtSmall) {
    const std::string path = copy("dicom/CT_small.dcm", "CT_small.dcm");
    load(path, 2);
    viewer.ButtonHeaderToCB->click();
    const CliRun run = cli({"header", QString::fromStdString(path)});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, QGuiApplication::clipboard()->text().toUtf8().toStdString());
    const CliRun summary = cli({"header", "--summary", QString::fromStdString(path)});
    EXPECT_EQ(crlf(viewer.Memo1->toPlainText()), summary.out);
}

TEST_F(CliAgainstWindows, StatisticsAndAutomaticWindowOfAPhantom) {
    const std::string path = copy("phantoms/noise1 256 256 0p5.raw", "noise1 256 256 0p5.raw");
    load(path, 1);
    viewer.EditROISizeX->setText("128");
    viewer.EditROISizeY->setText("128");
    viewer.ButtonDisp->click();
    viewer.ButtonStat->click();
    const CliRun stats =
        cli({"stats", "--mode", "16bit", "--roi", "128,128,128,128", QString::fromStdString(path)});
    ASSERT_EQ(stats.status, 0) << stats.err;
    const std::string line = stats.out.substr(stats.out.find("\r\n") + 2);
    ASSERT_EQ(line.substr(0, path.size() + 1), path + "\t");
    const std::string numbers = line.substr(path.size() + 1);
    const std::string mean = numbers.substr(0, numbers.find('\t'));
    const std::string sd =
        numbers.substr(numbers.find('\t') + 1, numbers.find("\r\n") - numbers.find('\t') - 1);
    EXPECT_EQ(FloatToStrF(StrToFloat(mean), 2, {}), viewer.EditHSBP->text().toStdString());
    EXPECT_EQ(FloatToStrF(StrToFloat(sd), 3, {}), viewer.EditVSBP->text().toStdString());

    const CliRun window = cli({"window", "--mode", "16bit", QString::fromStdString(path)});
    EXPECT_EQ(window.out, "File\tWidth\tLevel\r\n" + path + "\t" +
                              viewer.EditWindowWidth->text().toStdString() + "\t" +
                              viewer.EditWindowLevel->text().toStdString() + "\r\n");
}

TEST_F(CliAgainstWindows, MtfMemosOfThePointPhantom) {
    const std::string path = copy("phantoms/point 256 256 0p5.raw", "point 256 256 0p5.raw");
    load(path, 1);
    viewer.EditROISizeX->setText("64");
    viewer.EditROISizeY->setText("64");
    viewer.ButtonDisp->click();
    viewer.ButtonToTable->click();
    form2.FormActivate();
    form2.ButtonCalMTF->click();
    ASSERT_TRUE(dialogs->errors.empty());
    const QStringList common = {"--mode", "16bit", "--roi", "128,128,64,64",
                                QString::fromStdString(path)};
    EXPECT_EQ(cli(QStringList{"mtf"} + common).out, crlf(form2.MemoMTF->toPlainText()));
    EXPECT_EQ(cli(QStringList{"mtf", "--table", "lsf"} + common).out,
              crlf(form2.MemoLSF->toPlainText()));
    // The window shows four significant digits; its tooltip and ctiq-cli the whole figure.
    const std::string tip = form2.EditWork4->toolTip().toStdString();
    EXPECT_EQ(cli(QStringList{"mtf", "--table", "width"} + common).out,
              "HWHM=" + tip.substr(tip.rfind(' ') + 1) + "\r\n");
}

TEST_F(CliAgainstWindows, SpectrumTablesOfTwoNoiseImagesInOneRun) {
    const std::string first = copy("phantoms/noise1 256 256 0p5.raw", "noise1 256 256 0p5.raw");
    std::mt19937 random(11);
    std::normal_distribution<double> noise(1000, 20);
    std::vector<std::int16_t> words(256 * 256);
    for (auto& w : words) w = static_cast<std::int16_t>(std::lround(noise(random)));
    const std::string second = folder.file("noise2 256 256 0p5.raw");
    test::writeBytes(second, test::wordsLE(words));

    std::string spectrum, acf, smooth;
    for (const std::string& path : {first, second}) {
        load(path, 1);
        viewer.ButtonToForm3->click();
        form3.ButtonCal->click();
        ASSERT_TRUE(dialogs->errors.empty()) << dialogs->errors[0].toStdString();
        form3.ButtonResult->click();
        spectrum += QGuiApplication::clipboard()->text().toStdString();
        form3.ButtonACFtoCB->click();
        acf += QGuiApplication::clipboard()->text().toStdString();
        form3.ButtonSmooth->click();
        smooth += crlf(form3.MemoWS->toPlainText());
    }
    const QStringList files = {QString::fromStdString(first), QString::fromStdString(second)};
    EXPECT_EQ(cli(QStringList{"nps", "--mode", "16bit"} + files).out, spectrum);
    EXPECT_EQ(cli(QStringList{"nps", "--mode", "16bit", "--table", "acf"} + files).out, acf);
    EXPECT_EQ(cli(QStringList{"nps", "--mode", "16bit", "--table", "smooth"} + files).out, smooth);
}

TEST(Cli, UsageAndMeasurementErrors) {
    EXPECT_EQ(cli({"stats", "--bogus", "x.raw"}).status, 2);
    EXPECT_EQ(cli({"stats", "--roi"}).status, 2);
    EXPECT_EQ(cli({"stats", "--roi", "1,2", "x.raw"}).status, 2);
    EXPECT_EQ(cli({"nps", "--window", "blackman", "x.raw"}).status, 2);
    EXPECT_EQ(cli({"frobnicate"}).status, 2);
    EXPECT_EQ(cli({"mtf", "--help"}).status, 0);
    const std::string missing = "/nonexistent-ctiq/a.raw";
    const std::string good = test::testData("phantoms/noise1 256 256 0p5.raw");
    const CliRun run = cli({"window", "--mode", "16bit", QString::fromStdString(missing),
                            QString::fromStdString(good)});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              missing + ": ファイル " + missing + " は開けません (ファイルがありません)\n");
    // Any other system language reads the English translation.
    for (const char* language : {"C.UTF-8", "en_US.UTF-8", "de_DE.UTF-8"}) {
        const CliRun english =
            cli({"window", "--mode", "16bit", QString::fromStdString(missing)}, {}, language);
        EXPECT_EQ(english.err, missing + ": Cannot open file " + missing + " (no such file)\n")
            << language;
    }
    EXPECT_NE(run.out.find(good + "\t"), std::string::npos);  // the other file still ran
    const CliRun prompt = cli(
        {"stats", "--mode", "16bit", QString::fromStdString(test::testData("dicom/CT_small.dcm"))});
    EXPECT_EQ(prompt.status, 1);
    EXPECT_NE(prompt.err.find("--size"), std::string::npos);
    // A usage error found while running prints no table title; "--" ends the options.
    const CliRun bogus = cli({"stats", "--mode", "bogus", QString::fromStdString(good)});
    EXPECT_EQ(bogus.status, 2);
    EXPECT_EQ(bogus.out, "");
    const CliRun ended = cli({"window", "--mode", "16bit", "--", QString::fromStdString(good)});
    EXPECT_EQ(ended.status, 0) << ended.err;
    EXPECT_NE(ended.out.find(good + "\t"), std::string::npos);
}

TEST(Cli, EncodingsReadAlikeAndTheHeaderIsListedWhateverTheImage) {
    const QString base = QString::fromStdString(test::testData("encodings/"));
    const CliRun stats =
        cli({"stats", "--verbose", "--roi", "30,22,20,16", base + "explicit_little.dcm",
             base + "jpeg_lossless.dcm", base + "explicit_big.dcm"});
    ASSERT_EQ(stats.status, 0) << stats.err;
    std::vector<std::string> numbers;
    std::size_t at = stats.out.find("\r\n") + 2;
    while (at < stats.out.size()) {
        const std::size_t end = stats.out.find("\r\n", at);
        const std::string row = stats.out.substr(at, end - at);
        numbers.push_back(row.substr(row.find('\t')));
        at = end + 2;
    }
    ASSERT_EQ(numbers.size(), 3u);
    EXPECT_EQ(numbers[1], numbers[0]);
    EXPECT_EQ(numbers[2], numbers[0]);
    EXPECT_NE(stats.err.find("jpeg_lossless.dcm: read by the DICOM toolkit (JPEG Lossless)"),
              std::string::npos)
        << stats.err;
    EXPECT_NE(stats.err.find("explicit_little.dcm: read by the header scanner"), std::string::npos);

    // A file cut short inside its pixels: the header is still listed, --size is taken.
    const CliRun header = cli({"header", "--size", "64,64",
                               QString::fromStdString(test::testData("dicom/MR_truncated.dcm"))});
    EXPECT_EQ(header.status, 0) << header.err;
    EXPECT_GT(std::count(header.out.begin(), header.out.end(), '\n'), 60);
    const CliRun summary = cli({"header", "--summary", base + "j2k_lossless.dcm"});
    EXPECT_EQ(summary.out.rfind("decoded: JPEG 2000 Lossless\r\n", 0), 0u) << summary.out;
}

// A batch runs on every core, yet prints exactly what the files print one by one, in their
// order: rows, reader notes and errors (the toolkit's files among them).
TEST(Cli, ABatchPrintsWhatItsFilesPrintOneByOne) {
    const QString base = QString::fromStdString(test::testData("encodings/"));
    QStringList files;
    for (const char* name :
         {"jpeg_lossless.dcm", "explicit_little.dcm", "rle.dcm", "no-such-file.dcm",
          "explicit_big.dcm", "j2k_lossless.dcm", "deflated.dcm", "jpegls_lossless.dcm",
          "other/colour_rle.dcm", "implicit_little.dcm"})
        files << base + name;
    files = files + files;
    for (const char* command : {"stats", "window"}) {
        const QStringList options = {command, "--verbose"};
        const CliRun batch = cli(options + files);
        std::string out, err;
        for (const QString& file : files) {
            const CliRun alone = cli(options + QStringList{file});
            // Each run alone prints the table's title over its row; the batch prints it once.
            const std::size_t title = alone.out.empty() ? 0 : alone.out.find("\r\n") + 2;
            out += out.empty() ? alone.out : alone.out.substr(title);
            err += alone.err;
        }
        EXPECT_EQ(batch.status, 1) << command;
        EXPECT_EQ(batch.out, out) << command;
        EXPECT_EQ(batch.err, err) << command;
    }
}

// --plot draws the window's chart with the summary figures, offscreen, as PNG or SVG.
TEST(Cli, PlotsTheChartWithItsSummary) {
    test::TempFolder folder;
    const QString noise = QString::fromStdString(test::testData("phantoms/noise1 256 256 0p5.raw"));
    const QString png = QString::fromStdString(folder.file("nps.png"));
    const CliRun spectrum = cli({"nps", "--mode", "16bit", "--plot", png, noise});
    ASSERT_EQ(spectrum.status, 0) << spectrum.err;
    EXPECT_EQ(spectrum.err, "");                     // no warning of Qt's, even without a session
    EXPECT_EQ(spectrum.out.rfind("c/mm\t", 0), 0u);  // the table as ever
    EXPECT_EQ(QImage(png).size(), QSize(900, 600));
    const QString svg = QString::fromStdString(folder.file("mtf.svg"));
    const CliRun mtf =
        cli({"mtf", "--mode", "16bit", "--roi", "128,128,64,64", "--plot", svg,
             QString::fromStdString(test::testData("phantoms/point 256 256 0p5.raw"))});
    ASSERT_EQ(mtf.status, 0) << mtf.err;
    const std::vector<std::uint8_t> bytes = test::readBytes(folder.file("mtf.svg"));
    const std::string drawn(bytes.begin(), bytes.end());
    EXPECT_NE(drawn.find("<svg"), std::string::npos);
    EXPECT_NE(drawn.find("MTF50"), std::string::npos);
    EXPECT_EQ(cli({"nps", "--mode", "16bit", "--plot", png, noise, noise}).status, 2);
    EXPECT_EQ(cli({"nps", "--mode", "16bit", "--plot", QString::fromStdString(folder.file("x.gif")),
                   noise})
                  .status,
              1);
}

// The report: one self-contained page with the images' identities, charts and figures; against
// a baseline of an earlier --format json run, a verdict and the exit status 0 or 3.
TEST(Cli, ReportComparesWithItsBaseline) {
    test::TempFolder folder;
    const QString point = QString::fromStdString(test::testData("phantoms/point 256 256 0p5.raw"));
    const QString noise = QString::fromStdString(test::testData("phantoms/noise1 256 256 0p5.raw"));
    const QStringList images = {"--mode", "16bit", "--mtf", point, "--nps", noise};
    const QString page = QString::fromStdString(folder.file("report.html"));
    const CliRun first = cli(QStringList{"report"} + images + QStringList{"-o", page});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, page.toStdString() + "\nno baseline: figures recorded\n");
    EXPECT_NE(first.err.find("report: 2/2 "), std::string::npos) << first.err;
    const std::vector<std::uint8_t> bytes = test::readBytes(page.toStdString());
    const std::string html(bytes.begin(), bytes.end());
    for (const char* part : {"<!DOCTYPE html>", "data:image/png;base64,", "SHA-256 ", "MTF50",
                             "Noise power spectrum", "Mean frequency"})
        EXPECT_NE(html.find(part), std::string::npos) << part;
    EXPECT_EQ(html.find("src=\"http"), std::string::npos);  // nothing outside the page

    const QString baseline = QString::fromStdString(folder.file("baseline.jsonl"));
    const CliRun mtf = cli({"mtf", "--mode", "16bit", "--format", "json", point});
    const CliRun nps = cli({"nps", "--mode", "16bit", "--format", "json", noise});
    const std::string lines = mtf.out + nps.out;
    test::writeBytes(baseline.toStdString(), std::vector<std::uint8_t>(lines.begin(), lines.end()));
    const CliRun same =
        cli(QStringList{"report"} + images + QStringList{"--baseline", baseline, "-o", page});
    EXPECT_EQ(same.status, 0) << same.err;
    EXPECT_NE(same.out.find("PASS against the baseline (2 figures)"), std::string::npos);
    // "Rect" instead of "Haming": the noise integral moves by a third, beyond ±10 %.
    const CliRun changed = cli(QStringList{"report"} + images +
                               QStringList{"--window", "rect", "--baseline", baseline, "-o", page});
    EXPECT_EQ(changed.status, 3) << changed.err;
    EXPECT_NE(changed.out.find("FAIL"), std::string::npos);
    EXPECT_EQ(cli(QStringList{"report"} + images).status, 2);  // no -o
    EXPECT_EQ(cli({"report", point, "-o", page}).status, 2);   // no --mtf / --nps

    // A baseline without MTF lines says so instead of a pass over nothing.
    test::writeBytes(baseline.toStdString(),
                     std::vector<std::uint8_t>(nps.out.begin(), nps.out.end()));
    const CliRun npsOnly =
        cli(QStringList{"report"} + images + QStringList{"--baseline", baseline, "-o", page});
    EXPECT_EQ(npsOnly.status, 0) << npsOnly.err;
    EXPECT_NE(npsOnly.out.find("PASS against the baseline (1 figures)"), std::string::npos);
    const std::vector<std::uint8_t> npsOnlyPage = test::readBytes(page.toStdString());
    EXPECT_NE(std::string(npsOnlyPage.begin(), npsOnlyPage.end())
                  .find("no figures of this kind in the baseline"),
              std::string::npos);
    // Limits without a baseline.
    struct Limit {
        QStringList options;
        int status;
        const char* verdict;
    };
    const Limit limits[] = {
        {{"--min-mtf50", "0.2", "--max-noise-sd", "25"}, 0, "PASS against the limits (2 figures)"},
        {{"--min-mtf50", "0.5"}, 3, "FAIL against the limits (1 figures)"},
        {{"--max-noise-sd", "5"}, 3, "FAIL against the limits (1 figures)"},
    };
    for (const Limit& l : limits) {
        const CliRun run =
            cli(QStringList{"report"} + images + l.options + QStringList{"-o", page});
        EXPECT_EQ(run.status, l.status) << l.options.join(' ').toStdString() << run.err;
        EXPECT_NE(run.out.find(l.verdict), std::string::npos) << run.out;
    }
}

// The task-based sections: the 2-D NPS of uniform slices and the TTF of an insert's slices, each
// one ensemble, with their figures, units and flags.
TEST(Cli, ReportHasTaskBasedSections) {
    test::TempFolder folder;
    QStringList noise, disks;
    for (int seed = 1; seed <= 2; ++seed) {
        const CliRun n = cli({"phantom", "noise", "--seed", QString::number(seed),
                              QString::fromStdString(folder.file("n" + std::to_string(seed)))});
        const CliRun d = cli({"phantom", "disk", "--radius", "15", "--contrast", "200", "--sd",
                              "10", "--seed", QString::number(seed),
                              QString::fromStdString(folder.file("d" + std::to_string(seed)))});
        ASSERT_EQ(n.status + d.status, 0) << n.err << d.err;
        noise << QString::fromStdString(n.out).trimmed();
        disks << QString::fromStdString(d.out).trimmed();
    }
    const QString page = QString::fromStdString(folder.file("tasks.html"));
    const CliRun run =
        cli(QStringList{"report", "--mode", "16bit", "--nps2d"} + noise + QStringList{"--ttf"} +
            disks + QStringList{"--centre", "128,128", "--radius", "15", "-o", page});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::uint8_t> bytes = test::readBytes(page.toStdString());
    const std::string html(bytes.begin(), bytes.end());
    for (const char* part :
         {"Task-based measurements", "2-D NPS, radial average — 2 slices",
          "TTF from the circular insert — 2 slices", "Noise SD from the spectrum", "TTF50",
          "&nbsp;c/mm", "&nbsp;HU", "ctiq-cli 0."})
        EXPECT_NE(html.find(part), std::string::npos) << part;
    EXPECT_EQ(cli(QStringList{"report", "--mode", "16bit", "--ttf"} + disks +
                  QStringList{"--centre", "128,128", "--radius", "150", "-o", page})
                  .status,
              1);  // a radius that does not fit
}

// Slices of one scan compared with each other: noisy point images whose MTF50 differ by far more
// than 5 % do not FAIL a scanner; the report says the change lies within the figures' noise (or
// rests on flagged figures), and the same slices as their own baseline pass outright.
TEST(Cli, ReportOverSlicesOfOneScanDoesNotFailAgainstItself) {
    test::TempFolder folder;
    QStringList first, second;
    for (int seed = 1; seed <= 8; ++seed) {
        const QString out = QString::fromStdString(folder.file("slice" + std::to_string(seed)));
        const CliRun made =
            cli({"phantom", "point", "--sd", "150", "--seed", QString::number(seed), "--centre",
                 QString("128.%1,127.%2").arg(seed * 13 % 10).arg(seed * 7 % 10), out});
        ASSERT_EQ(made.status, 0) << made.err;
        (seed <= 4 ? first : second) << QString::fromStdString(made.out).trimmed();
    }
    const QStringList options = {"--mode", "16bit", "--roi", "128,128,64,64"};
    const QString baseline = QString::fromStdString(folder.file("baseline.jsonl"));
    const CliRun measured = cli(QStringList{"mtf", "--format", "json"} + options + first);
    ASSERT_EQ(measured.status, 0) << measured.err;
    test::writeBytes(baseline.toStdString(),
                     std::vector<std::uint8_t>(measured.out.begin(), measured.out.end()));
    const QString page = QString::fromStdString(folder.file("report.html"));
    const CliRun same =
        cli(QStringList{"report", "--mode", "16bit", "--mtf-roi", "128,128,64,64", "--mtf"} +
            first + QStringList{"--baseline", baseline, "-o", page});
    EXPECT_EQ(same.status, 0) << same.err;
    EXPECT_NE(same.out.find("PASS against the baseline (1 figures)\n"), std::string::npos)
        << same.out;
    const CliRun other =
        cli(QStringList{"report", "--mode", "16bit", "--mtf-roi", "128,128,64,64", "--mtf"} +
            second + QStringList{"--baseline", baseline, "-o", page});
    EXPECT_EQ(other.status, 0) << other.out;
    EXPECT_EQ(other.out.find("FAIL"), std::string::npos) << other.out;
    const std::vector<std::uint8_t> bytes = test::readBytes(page.toStdString());
    const std::string html(bytes.begin(), bytes.end());
    EXPECT_NE(html.find("Combined MTF of 4 images"), std::string::npos);
    // Each single image against the next: a change beyond 5 % is never a FAIL on its own noise.
    for (int i = 0; i + 1 < first.size(); ++i) {
        const CliRun single =
            cli(QStringList{"mtf", "--format", "json"} + options + QStringList{first[i]});
        test::writeBytes(baseline.toStdString(),
                         std::vector<std::uint8_t>(single.out.begin(), single.out.end()));
        const CliRun run =
            cli(QStringList{"report", "--mode", "16bit", "--mtf-roi", "128,128,64,64", "--mtf",
                            first[i + 1], "--baseline", baseline, "-o", page});
        EXPECT_EQ(run.status, 0) << run.out;
    }
}

std::vector<QJsonObject> jsonLines(const std::string& out) {
    std::vector<QJsonObject> lines;
    for (const QByteArray& line : QByteArray::fromStdString(out).split('\n'))
        if (!line.isEmpty()) lines.push_back(QJsonDocument::fromJson(line).object());
    return lines;
}

// The combined results are those of the files' own lines: the spectra's mean, every ROI's input
// in the files' order; a file that fails leaves none.
TEST(Cli, CombinedResultsComeFromTheFilesOwnMeasurements) {
    test::TempFolder folder;
    QStringList noise, points;
    for (int seed = 1; seed <= 3; ++seed) {
        const std::string n = folder.file("noise" + std::to_string(seed));
        const std::string p = folder.file("point" + std::to_string(seed));
        const CliRun a =
            cli({"phantom", "noise", "--seed", QString::number(seed), QString::fromStdString(n)});
        const CliRun b = cli({"phantom", "point", "--sd", "20", "--seed", QString::number(seed),
                              QString::fromStdString(p)});
        ASSERT_EQ(a.status + b.status, 0) << a.err << b.err;
        noise << QString::fromStdString(a.out).trimmed();
        points << QString::fromStdString(b.out).trimmed();
    }

    const CliRun nps = cli(QStringList{"nps", "--mode", "16bit", "--format", "json"} + noise);
    ASSERT_EQ(nps.status, 0) << nps.err;
    const std::vector<QJsonObject> spectra = jsonLines(nps.out);
    ASSERT_EQ(spectra.size(), 4u);
    const QJsonObject mean = spectra[3];
    EXPECT_EQ(mean["command"].toString(), "nps-combined");
    EXPECT_EQ(mean["results"]["images"].toInt(), 3);
    const QJsonArray meanSpectrum = mean["results"]["spectrum"].toArray();
    ASSERT_EQ(meanSpectrum.size(), spectra[0]["results"]["spectrum"].toArray().size());
    for (qsizetype b = 0; b < meanSpectrum.size(); ++b) {
        double sum = 0;
        for (int f = 0; f < 3; ++f) sum += spectra[f]["results"]["spectrum"][b].toDouble();
        EXPECT_DOUBLE_EQ(meanSpectrum[b].toDouble(), sum / 3) << b;
    }
    for (int f = 0; f < 3; ++f)
        EXPECT_EQ(mean["inputs"][f].toObject(), spectra[f]["input"].toObject()) << f;

    const QStringList rois = {"--roi", "128,128,64,64", "--roi", "127,129,64,64"};
    const CliRun mtf =
        cli(QStringList{"mtf", "--mode", "16bit", "--format", "json"} + rois + points.mid(0, 2));
    ASSERT_EQ(mtf.status, 0) << mtf.err;
    const std::vector<QJsonObject> curves = jsonLines(mtf.out);
    ASSERT_EQ(curves.size(), 5u);
    const QJsonObject combined = curves[4];
    EXPECT_EQ(combined["command"].toString(), "mtf-combined");
    EXPECT_EQ(combined["results"]["images"].toInt(), 4);
    for (int i = 0; i < 4; ++i) {
        QJsonObject input = curves[i]["input"].toObject();
        input["roi"] = curves[i]["parameters"]["roi"];
        EXPECT_EQ(combined["inputs"][i].toObject(), input) << i;
    }

    const CliRun failed =
        cli(QStringList{"mtf", "--mode", "16bit", "--format", "json"} + rois +
            QStringList{points[0], QString::fromStdString(folder.file("missing")), points[1]});
    EXPECT_EQ(failed.status, 1);
    const std::vector<QJsonObject> left = jsonLines(failed.out);
    ASSERT_EQ(left.size(), 4u);
    for (const QJsonObject& line : left) EXPECT_EQ(line["command"].toString(), "mtf");
}

// What a script gives is checked, not quietly changed: every case is refused with a message.
// Usage errors speak the reader's language: Japanese on a Japanese system, English elsewhere.
TEST(Cli, UsageErrorsSpeakTheReadersLanguage) {
    struct Case {
        QStringList arguments;
        const char* japanese;
        const char* english;
    };
    const Case cases[] = {
        {{"stats", "--bogus", "x.raw"},
         "stats には不明なオプション '--bogus'",
         "unknown option '--bogus' for stats"},
        {{"nps", "--header", "abc", "x.raw"},
         "--header には整数を指定してください（'abc' は整数ではありません）",
         "--header takes an integer, not 'abc'"},
        {{"stats", "--roi", "1,2,3", "x.raw"},
         "--roi にはカンマで区切った 4 個の整数を指定してください",
         "--roi takes 4 integers separated by commas, not '1,2,3'"},
        {{"frobnicate"}, "不明なコマンド 'frobnicate'", "unknown command 'frobnicate'"},
        {{"stats"}, "ファイルが指定されていません", "no file given"},
        {{"ttf", "x.raw"},
         "ttf には --centre X,Y と --radius R（ピクセル）が必要です",
         "ttf needs --centre X,Y and --radius R (pixels)"},
    };
    for (const Case& c : cases) {
        const CliRun japanese = cli(c.arguments);
        const CliRun english = cli(c.arguments, {}, "en_GB.UTF-8");
        EXPECT_EQ(japanese.status, 2);
        EXPECT_EQ(english.status, 2);
        EXPECT_NE(japanese.err.find(std::string("ctiq-cli: ") + c.japanese), std::string::npos)
            << japanese.err;
        EXPECT_NE(english.err.find(std::string("ctiq-cli: ") + c.english), std::string::npos)
            << english.err;
    }
}

TEST(Cli, OutOfRangeValuesAreRefused) {
    const QString noise = QString::fromStdString(test::testData("phantoms/noise1 256 256 0p5.raw"));
    const QString point = QString::fromStdString(test::testData("phantoms/point 256 256 0p5.raw"));
    test::TempFolder folder;
    const QString out = QString::fromStdString(folder.file("p"));
    struct Case {
        QStringList arguments;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{"mtf", "--mode", "16bit", "--lines", "0", point}, 2, "--lines には 1 から 100 まで"},
        {{"mtf", "--mode", "16bit", "--lines", "-3", point}, 2, "（-3 は指定できません）"},
        {{"mtf", "--mode", "16bit", "--roi", "128,128,64,64", "--spacing", "-0.5", point},
         1,
         "ピクセル間隔（--spacing）が -0.5 です"},
        {{"nps", "--mode", "16bit", "--spacing", "0", noise}, 1, "ピクセル間隔（--spacing）"},
        {{"nps", "--mode", "16bit", "--segment", "1", noise}, 1, "2～1024 の 2 のべき乗"},
        {{"phantom", "point", "--sigma", "0", out}, 1, "--sigma は正のピクセル数"},
        {{"phantom", "noise", "--kernel", "1e308,1e308,1e308", out}, 1, "有限でない値"},
        {{"phantom", "uniform", "--size", "65536,1", "--dicom", out}, 1, "65535 以下"},
        {{"phantom", "uniform", "--spacing", "0", out}, 1, "ピクセル間隔（--spacing）"},
    };
    for (const Case& c : cases) {
        const CliRun run = cli(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments.join(' ').toStdString() << "\n" << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos)
            << c.arguments.join(' ').toStdString() << "\n"
            << run.err;
    }
}

// The spectrum's last digits are part of its definition: these tables were made by the first
// implementation of the computation, and every faster one must give them byte for byte.
TEST(Cli, SpectrumTablesKeepTheirLastDigits) {
    struct Golden {
        const char* file;
        QStringList options;
    };
    const Golden goldens[] = {
        {"nps_noise1_hamming.txt", {}},
        {"nps_noise1_rect_acf.txt", {"--window", "rect", "--table", "acf"}},
        {"nps_noise1_y_trends_smooth.txt",
         {"--direction", "y", "--segment-trend", "1", "--line-trend", "2", "--offset", "7",
          "--factor", "1.5", "--table", "smooth"}},
    };
    const QString phantoms = QString::fromStdString(test::testData("phantoms"));
    for (const Golden& g : goldens) {
        const CliRun run = cli(QStringList{"nps", "--mode", "16bit"} + g.options +
                                   QStringList{"noise1 256 256 0p5.raw"},
                               phantoms);
        ASSERT_EQ(run.status, 0) << run.err;
        const std::vector<std::uint8_t> golden =
            test::readBytes(test::testData(std::string("golden/") + g.file));
        EXPECT_EQ(run.out, std::string(golden.begin(), golden.end())) << g.file;
    }
}

#if defined(__unix__)
// A file of millions of tiny elements before its pixels: the header table stops at its cap and
// the rest is walked without building rows, so memory stays near the file's size (it took twenty
// times the file before). The child's peak is measured; the sanitizers' own memory is included.
TEST(Cli, ManyTinyElementsKeepMemoryNearTheFileSize) {
    test::TempFolder folder;
    std::vector<std::uint8_t> bytes(128, 0);
    auto add = [&](std::vector<std::uint8_t> part) {
        bytes.insert(bytes.end(), part.begin(), part.end());
    };
    add({'D', 'I', 'C', 'M'});
    auto element = [&](std::uint16_t g, std::uint16_t e, const char* vr,
                       std::vector<std::uint8_t> v) {
        add({static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(g >> 8),
             static_cast<std::uint8_t>(e), static_cast<std::uint8_t>(e >> 8),
             static_cast<std::uint8_t>(vr[0]), static_cast<std::uint8_t>(vr[1]),
             static_cast<std::uint8_t>(v.size()), 0});
        add(v);
    };
    element(0x0002, 0x0000, "UL", {0, 0, 0, 0});
    element(0x0002, 0x0002, "UI", {'1', '.', '2', 0});
    element(0x0002, 0x0010, "UI", {'1', '.', '2', '.', '8', '4', '0', '.', '1', '0',
                                   '0', '0', '8', '.', '1', '.', '2', '.', '1', 0});
    element(0x0028, 0x0010, "US", {16, 0});
    element(0x0028, 0x0011, "US", {16, 0});
    const std::size_t elements = 2'000'000;  // 20 MB of 10-byte elements
    bytes.reserve(2 * (bytes.size() + elements * 10 + 600));
    for (std::size_t i = 0; i < elements; ++i)
        element(0x0009, static_cast<std::uint16_t>(0x1000 + i % 0xE000), "LO", {'a', 'b'});
    add({0xE0, 0x7F, 0x10, 0x00, 'O', 'W', 0, 0, 0, 2, 0, 0});
    bytes.resize(bytes.size() + 512, 7);
    bytes.resize(2 * bytes.size(), 0);  // the pixels in the first half
    const std::string path = folder.file("tiny.dcm");
    test::writeBytes(path, bytes);

    const CliRun run = cli({"stats", "--roi", "8,8,8,8", QString::fromStdString(path)});
    ASSERT_EQ(run.status, 0) << run.err;
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const double peakMb = usage.ru_maxrss / 1024.0, fileMb = bytes.size() / 1e6;
    EXPECT_LT(peakMb, 6 * fileMb + 300)
        << "peak " << peakMb << " MB for a " << fileMb << " MB file";
}

// Under a file-size limit the write fails with a message; the program is not killed by the
// system's signal, and no temporary file stays behind.
TEST(Cli, AFileSizeLimitIsAFailedWriteNotAKilledProgram) {
    test::TempFolder folder;
    const QString out = QString::fromStdString(folder.file("big"));
    QProcess shell;
    shell.start("/bin/sh", {"-c", "ulimit -f 8; exec \"$0\" phantom noise --size 512,512 \"$1\"",
                            QString(CTIQ_CLI_PATH), out});
    shell.waitForFinished(60000);
    EXPECT_EQ(shell.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(shell.exitCode(), 1);
    EXPECT_NE(shell.readAllStandardError().toStdString().find("could not be written"),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}
#endif

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// A data set with the image's geometry, sequences (and items) of undefined length nested `depth`
// deep, then 8 × 8 words 0 … 63 of Pixel Data, in the syntax's encoding.
std::vector<std::uint8_t> deeplyNested(const char* syntax, bool implicit, bool bigEndian,
                                       int depth) {
    std::vector<std::uint8_t> b = test::DicomBuilder(syntax).bytes();
    auto w16 = [&](std::uint16_t v) {
        b.push_back(static_cast<std::uint8_t>(bigEndian ? v >> 8 : v));
        b.push_back(static_cast<std::uint8_t>(bigEndian ? v : v >> 8));
    };
    auto w32 = [&](std::uint32_t v) {
        w16(static_cast<std::uint16_t>(bigEndian ? v >> 16 : v));
        w16(static_cast<std::uint16_t>(bigEndian ? v : v >> 16));
    };
    auto header = [&](std::uint16_t g, std::uint16_t e, const char* vr, std::uint32_t length) {
        w16(g);
        w16(e);
        if (implicit) return w32(length);
        b.push_back(static_cast<std::uint8_t>(vr[0]));
        b.push_back(static_cast<std::uint8_t>(vr[1]));
        if (std::string_view(vr) == "US") return w16(static_cast<std::uint16_t>(length));
        w16(0);
        w32(length);
    };
    for (std::uint16_t e : {0x0010, 0x0011, 0x0100}) {
        header(0x0028, e, "US", 2);
        w16(e == 0x0100 ? 16 : 8);
    }
    for (int i = 0; i < depth; ++i) {
        header(0x0040, 0x0275, "SQ", 0xFFFFFFFF);
        w16(0xFFFE), w16(0xE000), w32(0xFFFFFFFF);
    }
    for (int i = 0; i < depth; ++i) {
        w16(0xFFFE), w16(0xE00D), w32(0);
        w16(0xFFFE), w16(0xE0DD), w32(0);
    }
    header(0x7FE0, 0x0010, "OW", 128);
    for (std::uint16_t v = 0; v < 64; ++v) w16(v);
    return b;
}

// The header walk keeps its own count of nesting: no depth of sequences takes a batch down.
TEST(CliRobustness, DeeplyNestedSequencesTakeNoBatchDown) {
    test::TempFolder folder;
    const std::string good = test::testData("encodings/explicit_little.dcm");
    struct Encoding {
        const char* name;
        const char* syntax;
        bool implicit, bigEndian;
    };
    for (const Encoding& e : {Encoding{"explicit", "1.2.840.10008.1.2.1", false, false},
                              Encoding{"implicit", "1.2.840.10008.1.2", true, false},
                              Encoding{"big", "1.2.840.10008.1.2.2", false, true}}) {
        for (int depth : {40, 100, 10000}) {
            const std::string path =
                folder.file(std::string(e.name) + std::to_string(depth) + ".dcm");
            test::writeBytes(path, deeplyNested(e.syntax, e.implicit, e.bigEndian, depth));
            const CliRun run = cli({"stats", "--roi", "4,4,8,8", QString::fromStdString(good),
                                    QString::fromStdString(path), QString::fromStdString(good)});
            const std::string where = std::string(e.name) + " " + std::to_string(depth);
            // Both neighbours are measured, before and after the deep file.
            const std::string line = good + "\t";
            const std::size_t first = run.out.find(line);
            ASSERT_NE(first, std::string::npos) << where << "\n" << run.err;
            EXPECT_NE(run.out.find(line, first + 1), std::string::npos) << where << "\n" << run.err;
            EXPECT_EQ(run.err.find("Sanitizer"), std::string::npos) << where << "\n" << run.err;
            const bool measured = run.out.find(path + "\t31.5\t") != std::string::npos;
            // Its Pixel Data lies in the second half of the file, so the toolkit's helper reads
            // it (8 × 8 words 0 … 63) — up to a nesting no real file reaches; deeper, the file
            // is refused by name before the toolkit's own walk, which recurses, sees it.
            if (depth <= 64) {
                EXPECT_TRUE(measured) << where << "\n" << run.err;
            } else {
                EXPECT_NE(run.err.find(path + ": "), std::string::npos) << where << run.err;
                EXPECT_NE(run.err.find("入れ子が 64 段を超えて"), std::string::npos) << run.err;
            }
        }
    }
}

// Files that make the DICOM toolkit itself fail (its assertions, a segmentation fault in its RLE
// decoder, a runaway allocation, a decode that spins), found by fuzzing its reading: each is
// measured by the header scanner or refused with a message, and the batch goes on.
TEST(CliRobustness, FilesThatBreakTheToolkitAreContainedOneByOne) {
    const std::string good = test::testData("encodings/explicit_little.dcm");
    QStringList arguments{"stats", "--roi", "4,4,8,8", QString::fromStdString(good)};
    std::vector<std::string> hostile;
    for (const auto& entry :
         std::filesystem::directory_iterator(test::testData("hostile/toolkit"))) {
        hostile.push_back(entry.path().string());
        arguments << QString::fromStdString(hostile.back());
    }
    ASSERT_GE(hostile.size(), 8u);
    arguments << QString::fromStdString(good);
    const CliRun run = cli(arguments, {}, "C");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.err.find("Sanitizer"), std::string::npos) << run.err;
    const std::size_t first = run.out.find(good + "\t");
    ASSERT_NE(first, std::string::npos) << run.err;
    EXPECT_NE(run.out.find(good + "\t", first + 1), std::string::npos) << run.err;
    for (const std::string& file : hostile) {
        const bool measured = run.out.find(file + "\t") != std::string::npos;
        const bool refused = run.err.find(file + ": ") != std::string::npos;
        EXPECT_TRUE(measured != refused) << file << "\n" << run.err;
    }
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

namespace fs = std::filesystem;

// Every writer of ctiq-cli (phantom, --plot, report) against every hostile target: nothing is
// written through a link, nothing that is not a regular file is replaced by one, a read-only
// file stays, a file-size limit is a failed write; each time a message and exit status 1.
TEST(CliWriters, HostileTargetsAreRefusedByName) {
    test::TempFolder folder;
    const std::string point = folder.file("pt.dcm");
    ASSERT_EQ(cli({"phantom", "point", "--size", "64,64", "--dicom",
                   QString::fromStdString(folder.file("pt"))})
                  .status,
              0);
    struct Writer {
        const char* name;
        // The command line that writes `target` (phantom --dicom appends ".dcm" to its name).
        std::function<QStringList(const std::string& target)> arguments;
    };
    auto q = [](const std::string& s) { return QString::fromStdString(s); };
    const Writer writers[] = {
        {"phantom",
         [&](const std::string& t) {
             return QStringList{"phantom", "uniform", "--size",
                                "32,32",   "--dicom", q(t.substr(0, t.size() - 4))};
         }},
        {"plot",
         [&](const std::string& t) {
             return QStringList{"mtf", "--roi", "32,32,32,32", "--plot", q(t), q(point)};
         }},
        {"report",
         [&](const std::string& t) {
             return QStringList{"report",      "--mtf", q(point), "--mtf-roi",
                                "32,32,32,32", "-o",    q(t)};
         }},
    };
    const bool root = ::geteuid() == 0;
    struct Target {
        const char* kind;
        const char* messagePart;
    };
    const Target targets[] = {{"symlink", "symbolic link"},
                              {"read-only", "read-only"},
                              {"fifo", "FIFO"},
                              {"device", "device"},
                              {"folder", "folder"},
                              {"size limit", "could not be written"}};
    for (const Writer& w : writers) {
        for (const Target& t : targets) {
            const std::string where = std::string(w.name) + " × " + t.kind;
            const std::string dir = folder.file(std::string(w.name) + "-" + t.kind);
            fs::create_directory(dir);
            const std::string victim = dir + "/victim.txt";
            test::writeBytes(victim, {'K', 'E', 'E', 'P'});
            const std::string target = dir + "/out" +
                                       (std::string(w.name) == "plot"     ? ".png"
                                        : std::string(w.name) == "report" ? ".html"
                                                                          : ".dcm");
            const std::string kind = t.kind;
            if (kind == "symlink") fs::create_symlink(victim, target);
            if (kind == "read-only" || kind == "size limit") {
                test::writeBytes(target, {'O', 'L', 'D'});
                if (kind == "read-only") fs::permissions(target, fs::perms::owner_read);
            }
            if (kind == "fifo") {
                ASSERT_EQ(::mkfifo(target.c_str(), 0600), 0) << where;
            }
            if (kind == "device") {
                if (!root) continue;  // only root may make a device node
                ASSERT_EQ(::mknod(target.c_str(), S_IFCHR | 0600, makedev(1, 3)), 0) << where;
            }
            if (kind == "folder") fs::create_directory(target);

            QProcess run;
            QStringList arguments = w.arguments(target);
            if (kind == "size limit") {
                arguments.prepend(QString(CTIQ_CLI_PATH));
                arguments.prepend("ulimit -f 1; exec \"$0\" \"$@\"");
                arguments.prepend("-c");
                run.start("/bin/sh", arguments);
            } else {
                run.start(CTIQ_CLI_PATH, arguments);
            }
            run.waitForFinished(120000);
            const std::string err = run.readAllStandardError().toStdString();
            EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << where;
            EXPECT_NE(run.exitCode(), 0) << where;
            EXPECT_NE(err.find(t.messagePart), std::string::npos) << where << ": " << err;
            // Nothing written through, nothing replaced, nothing left beside it.
            EXPECT_EQ(test::readBytes(victim), (std::vector<std::uint8_t>{'K', 'E', 'E', 'P'}))
                << where;
            const fs::file_status s = fs::symlink_status(target);
            const bool kept = kind == "symlink"  ? fs::is_symlink(s)
                              : kind == "fifo"   ? fs::is_fifo(s)
                              : kind == "device" ? fs::is_character_file(s)
                              : kind == "folder" ? fs::is_directory(s)
                                                 : test::readBytes(target) ==
                                                       std::vector<std::uint8_t>{'O', 'L', 'D'};
            EXPECT_TRUE(kept) << where;
            std::size_t entries = 0;
            for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++entries;
            EXPECT_EQ(entries, 2u) << where;  // the victim and the target
        }
    }
}

// A new file follows the user's umask like any tool's (it was 0600 whatever the umask).
TEST(CliWriters, NewFilesFollowTheUmask) {
    test::TempFolder folder;
    QProcess run;
    run.start("/bin/sh", {"-c", "umask 022; exec \"$0\" phantom uniform --size 8,8 --dicom \"$1\"",
                          QString(CTIQ_CLI_PATH), QString::fromStdString(folder.file("u"))});
    run.waitForFinished(60000);
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    EXPECT_EQ(fs::status(folder.file("u.dcm")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// A folder named like markup, with a tab: the SVG plot stays well-formed XML with no live element,
// and the HTML report shows the name as text.
TEST(CliWriters, InputNamesNeverBecomeMarkup) {
    test::TempFolder folder;
    const std::string hostile =
        folder.file("d<script>alert(1)</script>\t<img src=x onerror=alert(2)>");
    fs::create_directories(hostile);  // "</script>" holds a separator: two folders
    ASSERT_EQ(cli({"phantom", "point", "--size", "64,64", "--dicom",
                   QString::fromStdString(hostile + "/pt")})
                  .status,
              0);
    const QString input = QString::fromStdString(hostile + "/pt.dcm");
    const QString svg = QString::fromStdString(folder.file("p.svg"));
    const CliRun plot = cli({"mtf", "--roi", "32,32,32,32", "--plot", svg, input});
    ASSERT_EQ(plot.status, 0) << plot.err;
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    int elements = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        ++elements;
        EXPECT_NE(xml.name().toString().toLower(), "script");
        EXPECT_NE(xml.name().toString().toLower(), "img");
        for (const QXmlStreamAttribute& a : xml.attributes())
            EXPECT_FALSE(a.name().toString().toLower().startsWith("on"))
                << a.name().toString().toStdString();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(elements, 10);

    const QString html = QString::fromStdString(folder.file("r.html"));
    const CliRun report = cli({"report", "--mtf", input, "--mtf-roi", "32,32,32,32", "-o", html});
    ASSERT_EQ(report.status, 0) << report.err;
    const std::vector<std::uint8_t> bytes = test::readBytes(html.toStdString());
    const std::string page(bytes.begin(), bytes.end());
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("<img src=x"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;"), std::string::npos);
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// A file name that is not UTF-8: "path" stays valid JSON (with U+FFFD), "pathBytes" names the file
// without loss.
// The input's identity: its size and SHA-256, checked here with Qt's own transform and with
// coreutils' digest of the file.
TEST(CliJson, TheInputsDigestIsItsSha256) {
    const std::string path = test::testData("dicom/CT_small.dcm");
    const CliRun run = cli({"stats", "--format", "json", QString::fromStdString(path)});
    ASSERT_EQ(run.status, 0) << run.err;
    const QJsonObject input =
        QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object()["input"].toObject();
    const std::vector<std::uint8_t> file = test::readBytes(path);
    const QByteArray bytes(reinterpret_cast<const char*>(file.data()),
                           static_cast<qsizetype>(file.size()));
    EXPECT_EQ(input["size"].toInteger(), bytes.size());
    EXPECT_EQ(input["sha256"].toString(),
              QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    EXPECT_EQ(input["sha256"].toString(),
              "3dd31e5cc835b3f2cdd46c9da1982f59251e78518fefa8163d914631c66437d6");
}

TEST(CliJson, APathThatIsNotUtf8KeepsItsBytes) {
    test::TempFolder folder;
    const std::string name = folder.file(std::string("n\xff 8 8 0p5.raw"));
    test::writeBytes(name, std::vector<std::uint8_t>(128, 1));
    // QProcess hands its arguments over as UTF-8: the byte 0xFF goes through the shell instead.
    QProcess shell;
    shell.start("/bin/sh", {"-c",
                            "exec \"$0\" stats --mode 16bit --format json \"$(printf '%s/n\\377 8 "
                            "8 0p5.raw' \"$1\")\"",
                            QString(CTIQ_CLI_PATH), QString::fromStdString(folder.path())});
    shell.waitForFinished(60000);
    ASSERT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
    const QJsonObject input =
        QJsonDocument::fromJson(shell.readAllStandardOutput()).object()["input"].toObject();
    EXPECT_TRUE(input["path"].toString().contains(QChar(0xFFFD)));
    EXPECT_EQ(input["pathBytes"].toString().toStdString(), folder.path() + "/n\\xff 8 8 0p5.raw");
    fs::remove(name);  // Qt's folder removal cannot name it
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// Names in the data set's character set reach the header table, the JSON identity and the report
// as the characters they are: Latin-1 and ISO 2022 Japanese (JIS X 0208 between escapes).
TEST(CliJson, IdentityTextsAreDecodedThroughTheCharacterSet) {
    struct Case {
        const char* characterSet;
        std::string stationBytes;
        const char* station;
    };
    const Case cases[] = {
        {"ISO_IR 100", "Z\xFCrich", "Zürich"},
        {"\\ISO 2022 IR 87", "\x1B$B;3ED\x1B(B CT", "山田 CT"},
        {"ISO_IR 192", "\xE6\x9D\xB1\xE4\xBA\xAC", "東京"},
    };
    test::TempFolder folder;
    for (const Case& c : cases) {
        test::DicomBuilder b;
        std::string characterSet = c.characterSet, station = c.stationBytes;
        if (characterSet.size() % 2) characterSet += ' ';
        if (station.size() % 2) station += ' ';
        b.explicitElement(0x0008, 0x0005, "CS", characterSet);
        b.explicitElement(0x0008, 0x1010, "SH", station);
        b.us(0x0028, 0x0010, 4).us(0x0028, 0x0011, 4);
        const std::string path = folder.file("named.dcm");
        test::writeBytes(path, b.withPixels(std::vector<std::int16_t>(16, 3)));

        const CliRun json = cli({"stats", "--format", "json", QString::fromStdString(path)});
        ASSERT_EQ(json.status, 0) << json.err;
        const QJsonObject dicom = QJsonDocument::fromJson(QByteArray::fromStdString(json.out))
                                      .object()["input"]
                                      .toObject()["dicom"]
                                      .toObject();
        EXPECT_EQ(dicom["stationName"].toString().toStdString(), c.station) << c.characterSet;
        const CliRun header = cli({"header", QString::fromStdString(path)});
        EXPECT_NE(header.out.find(std::string("StationName\t") + c.station), std::string::npos)
            << c.characterSet << "\n" << header.out;
    }
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

TEST(CliFrames, EachFrameIsMeasuredAndNamed) {
    test::TempFolder folder;
    const std::string path = folder.file("three.dcm");
    test::writeBytes(path, test::multiFrameImage(4, {10, 20, 30}));
    const QString file = QString::fromStdString(path);

    const CliRun all = cli({"stats", "--frames", "all", file});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.out, "File\tMean\tSD\r\n" + path + " (frame 1)\t10\t0\r\n" + path +
                           " (frame 2)\t20\t0\r\n" + path + " (frame 3)\t30\t0\r\n");

    const CliRun second = cli({"stats", "--frame", "2", "--format", "json", file});
    ASSERT_EQ(second.status, 0) << second.err;
    const QJsonObject result = QJsonDocument::fromJson(QByteArray::fromStdString(second.out)).object();
    EXPECT_EQ(result["parameters"].toObject()["frame"].toInt(), 2);
    EXPECT_EQ(result["parameters"].toObject()["frames"].toInt(), 3);
    EXPECT_EQ(result["results"].toObject()["mean"].toDouble(), 20.0);

    const struct {
        QStringList arguments;
        int status;
        const char* says;
    } refused[] = {
        {{"stats", "--frame", "4", file}, 1, "no frame 4"},
        {{"stats", "--frame", "0", file}, 2, "--frame counts from 1"},
        {{"stats", "--frames", "3-2", file}, 2, "--frames takes"},
        {{"stats", "--frames", "all", "--frame", "1", file}, 2, "not both"},
        {{"nps2d", "--frames", "all", file}, 2, "'--frames'"},
    };
    for (const auto& r : refused) {
        const CliRun run = cli(r.arguments, {}, "C");
        EXPECT_EQ(run.status, r.status) << r.arguments.join(' ').toStdString() << "\n" << run.err;
        EXPECT_NE(run.err.find(r.says), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// phantom --dicom appends ".dcm": given a device, it would create a file beside it among the
// devices. The folders of devices and kernel files take no file of ours.
TEST(CliWriters, NoFileIsCreatedAmongDevices) {
    for (const char* target : {"/dev/full", "/dev/shm/../null", "/proc/self/ctiq"}) {
        const CliRun run = cli({"phantom", "uniform", "--size", "8,8", "--dicom", target});
        EXPECT_EQ(run.status, 1) << target << run.err;
        EXPECT_NE(run.err.find("デバイスやカーネルのファイルを置く場所です"), std::string::npos)
            << run.err;
        EXPECT_FALSE(fs::exists(std::string(target) + ".dcm")) << target;
    }
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// Names are data: text output shows a name's control characters as \xNN (a newline would split
// the row, ESC would reach the terminal), JSON keeps every character, a leading U+FEFF too.
TEST(CliNames, ControlCharactersAndAByteOrderMarkSurviveAsTheyAre) {
    test::TempFolder folder;
    test::DicomBuilder b;
    b.us(0x0028, 0x0010, 2).us(0x0028, 0x0011, 2);
    const std::vector<std::uint8_t> image = b.withPixels({5, 5, 5, 5});
    const std::string tricky = folder.file("new\nline\x1b[31m.dcm");
    const std::string marked = folder.file("\xEF\xBB\xBF" "bom.dcm");
    test::writeBytes(tricky, image);
    test::writeBytes(marked, image);

    const CliRun text = cli({"stats", QString::fromStdString(tricky)});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out, "File\tMean\tSD\r\n" + folder.path() + "/new\\x0aline\\x1b[31m.dcm\t5\t0\r\n");

    const CliRun json = cli({"stats", "--format", "json", QString::fromStdString(marked)});
    ASSERT_EQ(json.status, 0) << json.err;
    const QJsonObject input =
        QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object()["input"].toObject();
    EXPECT_EQ(input["path"].toString().toStdString(), marked);
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

bool hasJapanese(const std::string& text) {
    for (const QChar c : QString::fromStdString(text))
        if ((c.unicode() >= 0x3040 && c.unicode() <= 0x30FF) ||
            (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF))
            return true;
    return false;
}

// `bytes` with the first `from` replaced by `to`.
std::vector<std::uint8_t> replaced(std::vector<std::uint8_t> bytes, const std::string& from,
                                   const std::string& to) {
    const auto at = std::search(bytes.begin(), bytes.end(), from.begin(), from.end());
    if (at == bytes.end()) return bytes;
    bytes.insert(bytes.erase(at, at + static_cast<std::ptrdiff_t>(from.size())), to.begin(),
                 to.end());
    return bytes;
}

// Every refusal in the reader's language, on every path: the header scanner's and the load's
// (the pixel description, the rescale rules, a frame past the last), the toolkit helper's (a
// reason it gives in its own process, inside the program's own frame), a task's, a usage error's.
// An English system reads no Japanese; a Japanese one reads Japanese in each message, and none of
// its English.
TEST(CliLanguage, RefusalsSpeakTheReadersLanguage) {
    test::TempFolder folder;
    const auto dicomWith = [&](const char* name, const char* tag, const char* value) {
        test::DicomBuilder b;
        b.us(0x0028, 0x0010, 2).us(0x0028, 0x0011, 2);
        const std::string t = tag;
        if (t == "photometric") b.explicitElement(0x0028, 0x0004, "CS", value);
        if (t == "intercept") b.explicitElement(0x0028, 0x1052, "DS", value);
        if (t == "slope") b.explicitElement(0x0028, 0x1053, "DS", value);
        const std::string path = folder.file(name);
        test::writeBytes(path, b.withPixels({1, 2, 3, 4}));
        return QString::fromStdString(path);
    };
    // A syntax neither the toolkit nor its helper knows: refused by name in the helper.
    const auto lengthAndValue = [](const std::string& value) {
        return std::string{static_cast<char>(value.size()), '\0'} + value;
    };
    const std::string pad(1, '\0'), unknownSyntax = folder.file("unknown_syntax.dcm");
    test::writeBytes(unknownSyntax,
                     replaced(test::readBytes(test::testData("encodings/explicit_little.dcm")),
                              lengthAndValue("1.2.840.10008.1.2.1" + pad),
                              lengthAndValue("1.2.840.99999.1.2.1" + pad)));
    // Frames no CT image has: refused by the helper before its toolkit reads them.
    test::DicomBuilder huge;
    huge.us(0x0028, 0x0002, 3).us(0x0028, 0x0010, 65535).us(0x0028, 0x0011, 65535);
    huge.us(0x0028, 0x0100, 16);
    const std::string hugeFrames = folder.file("huge_frames.dcm");
    test::writeBytes(hugeFrames, huge.withPixels(std::vector<std::int16_t>(512, 7)));
    const std::string three = folder.file("three.dcm");
    test::writeBytes(three, test::multiFrameImage(4, {10, 20, 30}));
    const QString noise = QString::fromStdString(test::testData("phantoms/noise1 256 256 0p5.raw"));

    struct Case {
        const char* what;
        QStringList arguments;
        int status;
        const char* english;  // a part of the English message, none of the Japanese one
    };
    const Case cases[] = {
        {"an intercept that is not a number",
         {"stats", dicomWith("abc.dcm", "intercept", "abc ")},
         1,
         "is not a"},
        {"an intercept of NaN",
         {"stats", dicomWith("nan.dcm", "intercept", "NaN ")},
         1,
         "'NaN' is not a floating-point number"},
        {"a slope of 0",
         {"stats", dicomWith("zero.dcm", "slope", "0 ")},
         1,
         "every CT value would be the intercept"},
        {"a colour photometric",
         {"stats", dicomWith("rgb.dcm", "photometric", "RGB ")},
         1,
         "This image cannot be measured: its photometric interpretation is RGB"},
        {"an unknown transfer syntax",
         {"stats", QString::fromStdString(unknownSyntax)},
         1,
         "transfer syntax 1.2.840.99999.1.2.1 is not supported"},
        {"frames of 24575 MiB",
         {"stats", QString::fromStdString(hugeFrames)},
         1,
         "declares frames of 24575 MiB"},
        {"a frame past the last",
         {"stats", "--frame", "4", QString::fromStdString(three)},
         1,
         "there is no frame 4"},
        {"a raw image without its size",
         {"stats", "--mode", "16bit", QString::fromStdString(folder.file("nameless.raw"))},
         1,
         "is neither in its name nor in a DICOM header"},
        {"an insert too large for the image",
         {"ttf", "--mode", "16bit", "--centre", "128,128", "--radius", "140", noise},
         1,
         "fit in the image twice over"},
        {"a usage error", {"stats", "--mode", "bogus", noise}, 2, "--mode takes 8bit"},
    };
    test::writeBytes(folder.file("nameless.raw"), std::vector<std::uint8_t>(100, 0));
    const auto lines = [](const std::string& text) {
        std::vector<std::string> out;
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = std::min(text.find('\n', start), text.size());
            if (end > start) out.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return out;
    };
    for (const Case& c : cases) {
        for (const char* language : {"C", "C.UTF-8", "POSIX", "en_US.UTF-8"}) {
            const CliRun run = cli(c.arguments, {}, language);
            EXPECT_EQ(run.status, c.status) << c.what << " under " << language << ": " << run.err;
            EXPECT_NE(run.err.find(c.english), std::string::npos)
                << c.what << " under " << language << ": " << run.err;
            EXPECT_FALSE(hasJapanese(run.err)) << c.what << " under " << language << ": " << run.err;
        }
        const CliRun japanese = cli(c.arguments, {}, "ja_JP.UTF-8");
        EXPECT_EQ(japanese.status, c.status) << c.what << ": " << japanese.err;
        EXPECT_EQ(japanese.err.find(c.english), std::string::npos)
            << c.what << ": " << japanese.err;
        // A usage error is followed by the usage, which stays as the command line writes it.
        std::vector<std::string> messages = lines(japanese.err);
        if (c.status == 2 && !messages.empty()) messages.resize(1);
        ASSERT_FALSE(messages.empty()) << c.what;
        for (const std::string& message : messages)
            EXPECT_TRUE(hasJapanese(message)) << c.what << ": " << message;
    }
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// A batch ended by a signal while its helpers decode leaves nothing in the temporary folder: the
// helpers have no folder of their own any more.
TEST(CliRobustness, ASignalMidBatchLeavesNoTemporaryFile) {
    std::vector<QString> files;
    for (int i = 0; i < 40; ++i)
        for (const char* name : {"encodings/jpeg_lossless.dcm", "encodings/rle.dcm",
                                 "encodings/j2k_lossless.dcm", "encodings/deflated.dcm"})
            files.push_back(QString::fromStdString(test::testData(name)));
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        test::TempFolder temporary;
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", QString::fromStdString(temporary.path()));
        process.setProcessEnvironment(environment);
        QStringList arguments{"stats"};
        for (const QString& f : files) arguments << f;
        process.start(CTIQ_CLI_PATH, arguments);
        ASSERT_TRUE(process.waitForStarted());
        // Once the first results are out, the helpers are at work.
        process.waitForReadyRead(20000);
        ::kill(static_cast<pid_t>(process.processId()), signal);
        process.waitForFinished(20000);
        QThread::msleep(200);  // the helpers end with their parent
        EXPECT_TRUE(fs::is_empty(temporary.path())) << "signal " << signal;
    }
}

}  // namespace
}  // namespace ctiq
