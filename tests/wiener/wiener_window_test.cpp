// Scenario tests of the Wiener spectrum window with the viewer, driven as a user drives them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>
#include <random>

#include "common/ui/radio_group.h"
#include "mtf/unit2.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_files.h"
#include "tests/support/window_fixture.h"
#include "viewer/unit1.h"
#include "wiener/spectrum.h"
#include "wiener/unit3.h"

namespace ctiq {
namespace {

class WienerWindow : public test::WindowTest {
  protected:
    TForm3& form = spectrumWindow;
    TForm2& form2 = mtfWindow;

    std::string loadNoise(const std::string& name, int size, unsigned seed) {
        std::mt19937 random(seed);
        std::normal_distribution<double> noise(1000, 20);
        std::vector<std::int16_t> words(size * size);
        for (auto& w : words) w = static_cast<std::int16_t>(std::lround(noise(random)));
        const std::string path = writeFile(name, test::wordsLE(words));
        load(path, 1);
        return path;
    }
    std::string list(int c, int r) const { return form.listCell(c, r).toStdString(); }
};

TEST_F(WienerWindow, StartsWithItsStoredLayout) {
    EXPECT_EQ(form.windowTitle(), "WienerSpectra");
    EXPECT_EQ(field(form.EditC), "1.0");
    EXPECT_EQ(field(form.EditNSgmnt2), "10000");
    EXPECT_EQ(form.RadioGroupXY->itemIndex(), 0);
    EXPECT_EQ(form.RadioGroupWindow->itemText(1), "Haming");
    EXPECT_EQ(form.RadioGroupWindow->itemIndex(), 1);
    EXPECT_EQ(form.MemoWS->toPlainText(), "MemoWS");
    EXPECT_EQ(form.SpectrumCount, 0);
}

// Larger, the two spectra share the growth in width and take most of it in height; the list and
// the memo below them take the rest; the parameters along the top stay where they are.
TEST_F(WienerWindow, GrowsWithItsWindow) {
    form.show();
    const QSize first = form.size();
    EXPECT_EQ(form.minimumSize(), first);
    form.resize(first + QSize(400, 300));
    std::vector<QRect> charts;
    for (const QWidget* view : form.TabSheetWS->findChildren<QChartView*>())
        charts.push_back(view->geometry());
    std::sort(charts.begin(), charts.end(), [](QRect a, QRect b) { return a.x() < b.x(); });
    ASSERT_EQ(charts.size(), 2u);
    EXPECT_EQ(charts[0], QRect(0, 0, 480 + 200, 330 + 210));
    EXPECT_EQ(charts[1], QRect(484 + 200, 0, 480 + 200, 330 + 210));
    EXPECT_EQ(form.StringGridFileName->geometry(), QRect(0, 362 + 210, 640 + 200, 170 + 90));
    EXPECT_EQ(form.MemoWS->geometry(), QRect(650 + 200, 362 + 210, 240 + 200, 170 + 90));
    EXPECT_EQ(form.Editgnd->pos(), QPoint(896 + 400, 362 + 210));
    EXPECT_EQ(form.PageControl1->geometry(), QRect(0, 80, 980 + 400, 580 + 300));
    EXPECT_EQ(form.RadioGroupWindow->geometry(), QRect(888, 0, 120, 46));

    form.resize(100, 100);
    EXPECT_EQ(form.size(), first);
    EXPECT_EQ(form.MemoWS->geometry(), QRect(650, 362, 240, 170));
}

TEST_F(WienerWindow, ToWsLoadsTheViewersParameters) {
    loadNoise("n 64 64 0p5.raw", 64, 1);
    setRoi(32, 32, 64, 64);
    viewer.ButtonToForm3->click();
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(field(form.EditPxlSpc), "0.5");
    EXPECT_EQ(field(form.EditImgSizeX), "64");
    EXPECT_EQ(field(form.EditROIX), "64");
    EXPECT_EQ(field(form.EditSgmntX), "16");
    EXPECT_EQ(field(form.EditSgmntY), "16");
    EXPECT_EQ(field(form.EditShftX), "8");
    EXPECT_EQ(field(form.EditShftY), "8");
    EXPECT_EQ(list(2, 0), "FileName");
    EXPECT_EQ(list(0, 5), "5");
    viewer.EditROISizeX->setText("30");
    form.ButtonLoad->click();
    EXPECT_EQ(field(form.EditSgmntX), "7");
    EXPECT_EQ(field(form.EditShftX), "3");
}

TEST_F(WienerWindow, CalAddsASpectrumAndLockParaKeepsTheList) {
    const std::string path = loadNoise("n 64 64 0p5.raw", 64, 1);
    setRoi(32, 32, 64, 64);
    viewer.ButtonToForm3->click();
    form.ButtonCal->click();
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(field(form.EditNSgmnt), "49");
    EXPECT_EQ(list(1, 1), "blu");
    EXPECT_EQ(list(2, 1), path);
    EXPECT_EQ(list(3, 1), "16");
    EXPECT_EQ(list(4, 1), "16");
    EXPECT_EQ(form.SeriesWSLin[0]->count(), 8);
    EXPECT_EQ(form.SeriesWSLog[0]->count(), 8);
    EXPECT_EQ(form.SeriesACF[0]->count(), 16);
    EXPECT_EQ(form.SeriesProfile[0]->count(), 64);
    EXPECT_DOUBLE_EQ(form.SeriesWSLin[0]->at(7).x(), 1.0);  // Nyquist at 1 / (2 · 0.5)
    EXPECT_EQ(form.SpectrumCount, 1);
    EXPECT_EQ(form.LabelWsSummary->text().toStdString().rfind("Peak ", 0), 0u);
    EXPECT_NE(form.LabelWsSummary->text().indexOf(" · integral "), -1);

    form.EditSgmntX->setText("32");
    viewer.ButtonToForm3->click();  // "LockPara" and a listed spectrum: keeps the run's fields
    EXPECT_EQ(field(form.EditSgmntX), "32");
    EXPECT_EQ(list(1, 1), "blu");
    viewer.CheckBoxLockPara->setChecked(false);
    viewer.ButtonToForm3->click();
    EXPECT_EQ(field(form.EditSgmntX), "16");
    EXPECT_EQ(list(1, 1), "");
    EXPECT_EQ(form.SeriesWSLin[0]->count(), 0);
    EXPECT_TRUE(form.LabelWsSummary->text().isEmpty());
}

TEST_F(WienerWindow, SixComputationsKeepFiveSpectraAndTheirColours) {
    loadNoise("n 64 64 0p5.raw", 64, 1);
    setRoi(32, 32, 64, 64);
    viewer.ButtonToForm3->click();
    for (int run = 0; run < 6; ++run) {
        form.EditNSgmnt2->setText(QString::number(10 + run));  // distinguishable runs
        form.ButtonCal->click();
    }
    ASSERT_TRUE(errors().empty()) << errors()[0];
    const char* colours[] = {"blu", "red", "gre", "Aqu", "yel"};
    for (int r = 1; r <= 5; ++r) EXPECT_EQ(list(1, r), colours[r - 1]);
    EXPECT_EQ(form.SpectrumCount, 6);
    EXPECT_EQ(field(form.EditNSgmnt), "15");
    for (int s = 0; s < 5; ++s) EXPECT_EQ(form.SeriesWSLin[s]->count(), 8) << s;
    EXPECT_EQ(form.SeriesWSLin[5]->count(), 0);
    EXPECT_EQ(form.SeriesProfile[5]->count(), 64);  // the sixth run's profile
    EXPECT_EQ(form.SeriesProfile[6]->count(), 0);
    form.ButtonClr->click();
    EXPECT_EQ(form.SpectrumCount, 0);
    EXPECT_EQ(form.SeriesProfile[0]->count(), 0);
    EXPECT_EQ(list(1, 1), "");
    EXPECT_EQ(list(0, 1), "1");
    EXPECT_EQ(field(form.EditNSgmnt), "15");
}

TEST_F(WienerWindow, DirectionSwitchExchangesSegmentsAndShifts) {
    form.EditSgmntX->setText("64");
    form.EditSgmntY->setText("16");
    form.EditShftX->setText("32");
    form.EditShftY->setText("8");
    form.RadioGroupXY->setItemIndex(1);
    EXPECT_EQ(field(form.EditSgmntX), "16");
    EXPECT_EQ(field(form.EditSgmntY), "64");
    EXPECT_EQ(field(form.EditShftX), "8");
    EXPECT_EQ(field(form.EditShftY), "32");
    form.RadioGroupXY->setItemIndex(0);
    EXPECT_EQ(field(form.EditSgmntX), "64");
    EXPECT_EQ(field(form.EditShftY), "8");
}

TEST_F(WienerWindow, ExportsGoToTheMemoAndTheClipboard) {
    const std::string path = loadNoise("n 64 64 0p5.raw", 64, 1);
    setRoi(32, 32, 64, 64);
    viewer.ButtonToForm3->click();
    form.ButtonCal->click();
    form.ButtonResult->click();
    // The tables hold the spectrum and autocorrelation of the ROI as the computation gives them
    // for this image, at k / (N·Δ) and k·Δ: title line, then one TAB-separated pair a line.
    const SpectrumResult expected = computeWienerSpectrum(
        spectrumSource(viewer.ImageStream, {0, 64, 64, SampleFormat::Word16}, {}, 0, 0),
        defaultSpectrumParameters(64, 64, 0.5, DataWindow::Hamming));
    auto expectTable = [&](const QString& table, int rows, auto position, auto value) {
        const QStringList lines = table.split("\r\n", Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), rows + 1) << table.toStdString();
        EXPECT_EQ(lines[0].toStdString(), "c/mm\t" + path);
        for (int i = 1; i <= rows; ++i) {
            const QStringList pair = lines[i].split('\t');
            ASSERT_EQ(pair.size(), 2) << lines[i].toStdString();
            EXPECT_DOUBLE_EQ(pair[0].toDouble(), position(i));
            EXPECT_NEAR(pair[1].toDouble(), value(i), 1e-12 * std::abs(value(i))) << i;
        }
    };
    expectTable(
        QGuiApplication::clipboard()->text(), 8, [](int b) { return b / (16 * 0.5); },
        [&](int b) { return expected.spectrum[b]; });
    EXPECT_EQ(form.MemoWS->toPlainText().count('\n'), 9);
    form.ButtonACFtoCB->click();
    expectTable(
        QGuiApplication::clipboard()->text(), 9, [](int i) { return (i - 1) * 0.5; },
        [&](int i) { return expected.autocorrelation[i - 1]; });
    QGuiApplication::clipboard()->setText("kept");
    form.ButtonSmooth->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "kept");
    EXPECT_EQ(form.MemoWS->toPlainText().count('\n'), 24);
    form.EditPxlSpc->setText("x");
    form.ButtonResult->click();
    EXPECT_EQ(errors(), std::vector<std::string>{"mmPS: 'x' は浮動小数点数ではありません"});
    EXPECT_EQ(form.MemoWS->toPlainText().toStdString(), "c/mm\t" + path);
}

TEST_F(WienerWindow, RefusedParametersChangeNothing) {
    loadNoise("n 64 64 0p5.raw", 64, 1);
    setRoi(32, 32, 64, 64);
    viewer.ButtonToForm3->click();
    form.ButtonCal->click();
    const std::vector<double> spectrum = form.WsData;
    form.EditSgmntX->setText("12");
    form.ButtonCal->click();
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_NE(errors()[0].find("power of two"), std::string::npos) << errors()[0];
    EXPECT_EQ(form.WsData, spectrum);
    EXPECT_EQ(form.SpectrumCount, 1);
    EXPECT_EQ(field(form.EditNSgmnt), "49");
    EXPECT_EQ(form.SeriesWSLin[1]->count(), 0);
    EXPECT_EQ(list(2, 2), "");
}

TEST_F(WienerWindow, AMagnifiedViewMeasuresTheRoiThatIsDrawn) {
    loadNoise("n 128 128 0p5.raw", 128, 2);
    setRoi(64, 64, 32, 32);
    viewer.ButtonToForm3->click();
    form.ButtonCal->click();
    const std::vector<double> unmagnified = form.WsData;
    viewer.EditMF->setText("2.0");
    viewer.ButtonDisp->click();
    ASSERT_EQ(viewer.ViewLeft, 32);
    form.ButtonCal->click();
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(form.WsData, unmagnified);
}

TEST_F(WienerWindow, ToForm1HidesTheWindow) {
    form.show();
    form.ButtontoMain->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(viewer.isVisible());
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// With "LockPara" the next image keeps the run's segment and step fields, but its own size and
// spacing: the spectrum of a larger image is the one computed for that image.
TEST_F(WienerWindow, LockParaKeepsTheParametersButNotTheImageGeometry) {
    loadNoise("a 64 64 0p5.raw", 64, 1);
    setRoi(32, 32, 64, 64);
    viewer.ButtonToForm3->click();
    form.ButtonCal->click();
    ASSERT_TRUE(errors().empty()) << errors()[0];

    const std::string path = loadNoise("b 128 96 0p25.raw", 128, 2);
    ASSERT_TRUE(errors().empty()) << errors()[0];  // a square file; the name says 128 × 96
    setRoi(64, 48, 64, 64);
    viewer.ButtonToForm3->click();
    EXPECT_EQ(field(form.EditSgmntX), "16");  // kept
    EXPECT_EQ(field(form.EditImgSizeX), "128");
    EXPECT_EQ(field(form.EditPxlSpc), "0.25");
    form.ButtonCal->click();
    ASSERT_TRUE(errors().empty()) << errors()[0];

    const StoredImageLayout layout{0, 128, 96, SampleFormat::Word16};
    const SpectrumResult expected =
        computeWienerSpectrum(spectrumSource(viewer.ImageStream, layout, {}, 32, 16),
                              defaultSpectrumParameters(64, 64, 0.25, DataWindow::Hamming));
    for (int k = 1; k < 8; ++k) EXPECT_DOUBLE_EQ(form.WsData[k], expected.spectrum[k]) << k;
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// A uniform image has a spectrum of zeros, which no logarithmic axis can show: the charts say so
// instead of silently losing the series.
TEST_F(WienerWindow, LogChartsLeaveOutValuesTheyCannotShowAndSaySo) {
    load(writeFile("u 64 64 0p5.raw", test::wordsLE(std::vector<std::int16_t>(64 * 64, 500))), 1);
    setRoi(32, 32, 64, 64);
    viewer.ButtonToForm3->click();
    form.ButtonCal->click();
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(form.SeriesWSLog[0]->count(), 0);
    EXPECT_EQ(form.ChartWSLog->title(), "Logarithm scale (8 points ≤ 0 not shown)");
    EXPECT_EQ(form.ChartWSLin->title(), "Linear scale (8 points ≤ 0 not shown)");
    loadNoise("n 64 64 0p5.raw", 64, 1);
    setRoi(32, 32, 64, 64);
    form.ButtonCal->click();
    EXPECT_EQ(form.SeriesWSLog[0]->count(), 8);
    EXPECT_EQ(form.ChartWSLog->title(), "Logarithm scale");
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// Following the walkthrough (toWS once, then the next image and "Cal"), an image of another
// pixel spacing was computed with the first one's: a 0.488 mm slice read as 0.513 mm put its peak
// 5 % off. "Cal" now refuses, naming both spacings, until toWS takes the new image's geometry.
TEST_F(WienerWindow, CalNeverUsesAnotherImagesSpacing) {
    loadNoise("a 64 64 0p5.raw", 64, 1);
    setRoi(32, 32, 64, 64);
    viewer.ButtonToForm3->click();
    form.ButtonCal->click();
    ASSERT_TRUE(errors().empty()) << errors()[0];
    loadNoise("b 64 64 0p25.raw", 64, 2);
    setRoi(32, 32, 64, 64);
    form.ButtonCal->click();
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_NE(errors()[0].find("0.25 mm"), std::string::npos) << errors()[0];
    EXPECT_NE(errors()[0].find("0.5 mm"), std::string::npos) << errors()[0];
    EXPECT_EQ(form.SpectrumCount, 1);  // nothing computed
    viewer.CheckBoxLockPara->setChecked(true);
    viewer.ButtonToForm3->click();  // takes the new image's spacing, keeps the listed run
    form.ButtonCal->click();
    ASSERT_EQ(errors().size(), 1u) << errors().back();
    EXPECT_EQ(form.SpectrumCount, 2);
    EXPECT_DOUBLE_EQ(form.SeriesWSLin[0]->at(7).x(), 2.0);  // the new one: Nyquist 1 / (2 · 0.25)
    EXPECT_DOUBLE_EQ(form.SeriesWSLin[1]->at(7).x(), 1.0);  // the first keeps its own axis
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// The texts a chart draws (titles, tick labels) as its scene holds them.
QStringList drawnTexts(const QChart* chart) {
    QStringList texts;
    for (QGraphicsItem* item : chart->scene()->items())
        if (auto* t = dynamic_cast<QGraphicsTextItem*>(item)) texts << t->toPlainText();
    return texts;
}

// At the window's first size no axis title of the spectra is cut short ("Log Wiener spectral
// va..." it was), and the linear axes tick at round values (0.03, 0.27, 0.52, … they were).
TEST_F(WienerWindow, SpectrumChartsShowWholeTitlesAndRoundTicks) {
    loadNoise("n 64 64 0p5.raw", 64, 1);
    setRoi(32, 32, 64, 64);
    viewer.ButtonToForm3->click();
    form.ButtonCal->click();
    ASSERT_TRUE(errors().empty()) << errors()[0];
    form.show();
    QApplication::processEvents();
    for (const QChart* chart : {form.ChartWSLin, form.ChartWSLog}) {
        const QStringList texts = drawnTexts(chart);
        EXPECT_TRUE(texts.filter("Log Wiener spectral value").size() == 1)
            << texts.join('|').toStdString();
        for (const QString& t : texts) EXPECT_FALSE(t.contains("...")) << t.toStdString();
    }
    auto* x = static_cast<QValueAxis*>(form.ChartWSLin->axes(Qt::Horizontal).first());
    const double step = (x->max() - x->min()) / (x->tickCount() - 1);
    const double decade = std::pow(10.0, std::floor(std::log10(step)));
    const double mantissa = step / decade;
    const double round[] = {1.0, 2.0, 2.5, 5.0};
    EXPECT_TRUE(std::any_of(std::begin(round), std::end(round), [&](double m) {
        return std::abs(mantissa - m) < 1e-9;
    })) << step;
    EXPECT_NEAR(std::remainder(x->min(), step), 0, 1e-9 * step) << x->min();
    EXPECT_LE(x->min(), form.SeriesWSLin[0]->at(0).x());
    EXPECT_GE(x->max(), 1.0);
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// The summary line under the spectra names their flags: shading across a noise image makes its
// first bins dominate; white noise alone does not.
TEST_F(WienerWindow, SummaryLineNamesTheFlags) {
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0, 20);
    for (const double slope : {0.0, 1.0}) {
        std::vector<std::int16_t> words(256 * 256);
        for (int r = 0; r < 256; ++r)
            for (int c = 0; c < 256; ++c)
                words[r * 256 + c] =
                    static_cast<std::int16_t>(std::lround(1000 + slope * c + noise(random)));
        load(writeFile(slope ? "shaded 256 256 0p5.raw" : "flat 256 256 0p5.raw",
                       test::wordsLE(words)),
             1);
        setRoi(128, 128, 256, 256);
        viewer.ButtonToForm3->click();
        form.ButtonCal->click();
        ASSERT_TRUE(errors().empty()) << errors()[0];
        const QString line = form.LabelWsSummary->text();
        EXPECT_EQ(line.contains("⚠ low-frequency-dominates"), slope != 0) << line.toStdString();
        EXPECT_EQ(form.LabelWsSummary->toolTip().contains("Enable detrending"), slope != 0);
    }
}

}  // namespace
}  // namespace ctiq
