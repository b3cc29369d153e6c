// Scenario tests of the MTF window with the viewer's hand-off, driven as a user drives them.
#include <gtest/gtest.h>

#include <QtCharts/QValueAxis>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <cmath>
#include <numbers>

#include "common/app_error.h"
#include "common/number_text.h"
#include "common/pixel_spacing.h"
#include "common/ui/radio_group.h"
#include "common/ui/up_down.h"
#include "mtf/pixel_grid.h"
#include "mtf/tick_box.h"
#include "mtf/unit2.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_files.h"
#include "tests/support/window_fixture.h"
#include "viewer/unit1.h"
#include "wiener/unit3.h"

namespace ctiq {
namespace {

class MtfWindow : public test::WindowTest {
  protected:
    TForm2& form = mtfWindow;

    void load(const std::string& name, const std::vector<std::uint8_t>& bytes, int mode = 1) {
        WindowTest::load(writeFile(name, bytes), mode);
    }
    // "toMTF", then the window's activation as the window system delivers it.
    void handOff() {
        viewer.ButtonToTable->click();
        form.FormActivate();
    }
    // The point phantom loaded, an ROI of the size centred on its spot, and "toMTF".
    void handOffPointPhantom(int roiWidth, int roiHeight) {
        load("point 256 256 0p5.raw",
             test::readBytes(test::testData("phantoms/point 256 256 0p5.raw")));
        setRoi(128, 128, roiWidth, roiHeight);
        handOff();
    }
    std::string cell(int c, int r) const { return form.pixelTable().text(c, r); }
    std::string clipboard() const { return QGuiApplication::clipboard()->text().toStdString(); }
};

// A 512 × 512 image with sample value r·1000 + c (wrapped to 16 bits).
std::vector<std::uint8_t> coordinateImage() {
    std::vector<std::int16_t> words(512 * 512);
    for (int r = 0; r < 512; ++r)
        for (int c = 0; c < 512; ++c) words[r * 512 + c] = static_cast<std::int16_t>(r * 1000 + c);
    return test::wordsLE(words);
}

TEST_F(MtfWindow, StartsWithItsStoredLayout) {
    EXPECT_EQ(form.windowTitle(), "MTF");
    EXPECT_EQ(form.pixelTable().colCount(), 257);
    EXPECT_EQ(form.PageControl1->tabText(1), "LSF");
    EXPECT_EQ(form.PageControl1->currentIndex(), 1);
    EXPECT_EQ(form.RadioGroup1->itemIndex(), -1);
    EXPECT_EQ(form.RadioGroup1->itemText(1), "Pnt_Y ");
    EXPECT_EQ(field(form.EditYL), "24");
    EXPECT_EQ(form.UpDown1->position(), 24);
    EXPECT_EQ(field(form.EditGeta), "1");
    EXPECT_EQ(form.Chart2->title(), "MTF");
    // Activating before any hand-off has nothing to search and shows no error.
    form.FormActivate();
    EXPECT_TRUE(errors().empty());
    EXPECT_EQ(form.NData, 256);
    EXPECT_EQ(form.MaxCol, 0);
}

TEST_F(MtfWindow, HandOffLaysOutTheRoiTable) {
    load("c 512 512 0p468.raw", coordinateImage());
    setRoi(132, 232, 64, 64);  // frame columns 100..163, rows 200..263
    ASSERT_EQ(viewer.RoiFrameRect, (IntRect{100, 200, 163, 263}));
    handOff();
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(form.pixelTable().colCount(), 65);
    EXPECT_EQ(form.pixelTable().rowCount(), 65);
    EXPECT_EQ(cell(1, 0), "100");
    EXPECT_EQ(cell(64, 0), "163");
    EXPECT_EQ(cell(0, 1), "200");
    EXPECT_EQ(cell(0, 64), "263");
    EXPECT_EQ(cell(0, 0), "");
    EXPECT_EQ(cell(1, 1), std::to_string(static_cast<std::int16_t>(200 * 1000 + 100)));
    EXPECT_EQ(field(form.EditPxlSpc), "0.468");
    EXPECT_EQ(field(form.EditLSFgdx), "0.468");
    EXPECT_EQ(field(form.Editdnd), "64");
    EXPECT_EQ(field(form.EditMTFgnd), "64");
    EXPECT_EQ(form.RadioGroup1->itemIndex(), 0);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(field(form.EditImgSizeX), "512");
}

TEST_F(MtfWindow, EightBitHandOffWritesByteValuesAndEmptySpacingGivesOne) {
    std::vector<std::uint8_t> bytes(16 * 16);
    for (int k = 0; k < 256; ++k) bytes[k] = static_cast<std::uint8_t>(k);
    load("b 16 16.raw", bytes, 0);
    ASSERT_EQ(viewer.EditPxlSpc->text(), "");
    setRoi(8, 8, 4, 2);  // rows 7..8, columns 6..9
    handOff();
    EXPECT_EQ(cell(1, 1), "118");
    EXPECT_EQ(cell(4, 2), "137");
    EXPECT_EQ(field(form.EditPxlSpc), "1");
    EXPECT_EQ(field(form.EditMTFgdx), "1");
}

TEST_F(MtfWindow, HandOffOfAnRoiOutsideTheImageChangesNothing) {
    load("c 512 512 1.raw", coordinateImage());
    setRoi(5, 5, 64, 64);
    viewer.ButtonToTable->click();
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_EQ(form.pixelTable().colCount(), 257);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(MtfWindow, CopiesSelectionsAndStatistics) {
    load("c 512 512 1.raw", coordinateImage());
    setRoi(101, 201, 3, 3);  // frame columns and stored columns 100..102, rows 200..202
    handOff();
    auto v = [](int r, int c) { return std::to_string(static_cast<std::int16_t>(r * 1000 + c)); };
    form.EditStep->setText("2");
    form.ButtonAll->click();
    EXPECT_EQ(clipboard(), v(200, 100) + "\t" + v(200, 102) + "\r\n" + v(202, 100) + "\t" +
                               v(202, 102) + "\r\n");
    EXPECT_EQ(form.SelRect, (CellRect{1, 1, 3, 3}));
    EXPECT_EQ(field(form.EditWork1), "3");
    form.ButtonSelected->click();  // the same block: the same statistics
    EXPECT_EQ(clipboard(), v(200, 100) + "\t" + v(200, 101) + "\t" + v(200, 102) + "\r\n" +
                               v(201, 100) + "\t" + v(201, 101) + "\t" + v(201, 102) + "\r\n" +
                               v(202, 100) + "\t" + v(202, 101) + "\t" + v(202, 102) + "\r\n");
    EXPECT_EQ(field(form.EditMax), v(202, 102));
    EXPECT_EQ(field(form.EditMin), v(200, 100));
    EXPECT_EQ(form.StatusPanels[1]->text(), "3  3");
    form.CheckBoxSwapRC->setChecked(true);
    form.ButtonAll->click();
    EXPECT_EQ(clipboard().substr(0, clipboard().find("\r\n")),
              v(200, 100) + "\t" + v(201, 100) + "\t" + v(202, 100));
    form.SelRect = {2, 2, 3, 2};
    form.Button1->click();
    EXPECT_EQ(clipboard(), v(201, 101) + "\r\n" + v(201, 102) + "\r\n");
    EXPECT_TRUE(errors().empty()) << errors()[0];
}

TEST_F(MtfWindow, MouseSelectionFollowsOnlyRightAndBottomEdges) {
    load("c 512 512 1.raw", coordinateImage());
    setRoi(132, 232, 16, 16);
    handOff();
    form.show();
    form.PageControl1->setCurrentIndex(0);
    QApplication::processEvents();
    QTableView* grid = form.StringGrid1;
    auto at = [&](int c, int r) { return grid->visualRect(grid->model()->index(r, c)).center(); };
    auto send = [&](QEvent::Type type, QPoint p, Qt::MouseButtons held) {
        QMouseEvent e(type, p, grid->viewport()->mapToGlobal(p), Qt::LeftButton, held,
                      Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &e);
    };
    send(QEvent::MouseButtonPress, at(5, 5), Qt::LeftButton);
    send(QEvent::MouseMove, at(8, 7), Qt::LeftButton);
    EXPECT_EQ(form.StatusPanels[0]->text(), "8  7");
    send(QEvent::MouseButtonRelease, at(8, 7), Qt::NoButton);
    EXPECT_EQ(form.SelRect, (CellRect{5, 5, 8, 7}));
    EXPECT_EQ(form.SelDrag, 0);
    // A drag up and to the left leaves the pressed cell.
    send(QEvent::MouseButtonPress, at(5, 5), Qt::LeftButton);
    send(QEvent::MouseMove, at(2, 2), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, at(2, 2), Qt::NoButton);
    EXPECT_EQ(form.SelRect, (CellRect{5, 5, 5, 5}));
    EXPECT_EQ(form.StatusPanels[2]->text(), "");
}

TEST_F(MtfWindow, SpinnerRangeAndTypedLineCounts) {
    handOffPointPhantom(64, 128);  // tall enough for a band of 100 lines
    form.EditYL->setText("0");
    form.EditYLChange();
    EXPECT_EQ(field(form.EditYL), "1");
    EXPECT_EQ(form.UpDown1->position(), 1);
    form.setEditYLText("250");
    EXPECT_EQ(field(form.EditYL), "100");
    form.UpDown1->stepUp();  // at 100 the spinner does not move and starts nothing
    EXPECT_EQ(form.UpDown1->position(), 100);
    EXPECT_EQ(form.NLsf, 64);
    form.EditYL->setText("x");
    EXPECT_THROW(form.EditYLChange(), AppError);
}

// A point spot in a flat background: the LSF, half width and MTF of the point phantom.
TEST_F(MtfWindow, PointPhantomMtfMatchesTheAnalyticGaussian) {
    handOffPointPhantom(64, 64);
    ASSERT_EQ(form.MaxCol, 33);  // stored column 128 = c0 96 + 32: table column 33
    form.ButtonCalMTF->click();
    ASSERT_TRUE(errors().empty()) << errors()[0];
    ASSERT_EQ(form.NMtf, 64);
    const double sigma = 1.2 * 0.5;  // mm
    const std::string memo = form.MemoMTF->toPlainText().toStdString();
    ASSERT_EQ(memo.substr(0, memo.find('\n')),
              "c/mm\t" + viewer.EditFileName->text().toStdString());
    for (int k = 0; k <= 32; ++k) {
        const double f = k / (64 * 0.5);
        const double mtf = form.MtfAbs[k] / form.MtfAbs[0];
        EXPECT_NEAR(mtf, std::exp(-2 * std::numbers::pi * std::numbers::pi * sigma * sigma * f * f),
                    0.005)
            << "f = " << f;
    }
    const std::string width = field(form.EditWork4);
    ASSERT_EQ(width.substr(0, 5), "HWHM=");
    EXPECT_NEAR(std::stod(width.substr(5)), 2.3548 * sigma, 0.05 * 2.3548 * sigma);
    // Four significant digits to read (it was fifteen); the whole number in the tooltip.
    EXPECT_LE(width.size(), 5u + 5u) << width;
    const std::string tip = form.EditWork4->toolTip().toStdString();
    EXPECT_NE(tip.find("Full width at half maximum"), std::string::npos) << tip;
    EXPECT_NEAR(std::stod(tip.substr(tip.rfind(' ') + 1)), std::stod(width.substr(5)), 5e-4);
    // The summary line under the chart: MTF50 = √(ln 2 / 2π²) / σ = 0.312 c/mm for σ = 0.6 mm.
    const std::string summary = form.LabelMtfSummary->text().toStdString();
    EXPECT_EQ(summary.rfind("MTF50 0.31", 0), 0u) << summary;
    EXPECT_NE(summary.find(" · MTF10 0.5"), std::string::npos) << summary;
    // The LSF memo lists positions 0, 0.5, 1, ... and the LSF, the MTF memo 65 lines.
    const std::string lsf = form.MemoLSF->toPlainText().toStdString();
    EXPECT_NE(lsf.find("\n0.5\t"), std::string::npos);
    EXPECT_EQ(std::count(memo.begin(), memo.end(), '\n'), 65);  // title and 64 lines
    EXPECT_NE(memo.find("\n0.0312\t"), std::string::npos);
    EXPECT_NE(memo.find("\n0.0938\t"), std::string::npos);
}

// The spectrum window's exports read its own spacing field; the MTF window's memos keep the
// spacing of its own LSF.
TEST_F(MtfWindow, ItsMemosKeepItsOwnSpacingWhateverTheSpectrumWindowExports) {
    handOffPointPhantom(64, 64);
    form.ButtonCalMTF->click();
    viewer.ButtonToForm3->click();
    spectrumWindow.ButtonCal->click();
    spectrumWindow.EditPxlSpc->setText("0.25");
    spectrumWindow.ButtonSmooth->click();
    ASSERT_TRUE(errors().empty()) << errors()[0];
    form.ButtonMemoLSF->click();
    form.ButtonToMemoMTF->click();
    const std::string lsf = form.MemoLSF->toPlainText().toStdString();
    const std::string mtf = form.MemoMTF->toPlainText().toStdString();
    EXPECT_NE(lsf.find("\n0.5\t"), std::string::npos) << lsf;  // positions 0, 0.5, 1, ... mm
    EXPECT_EQ(lsf.find("\n0.25\t"), std::string::npos) << lsf;
    EXPECT_NE(mtf.find("\n0.0312\t"), std::string::npos) << mtf;  // 1 / (64 · 0.5 mm)
}

TEST_F(MtfWindow, ChartsPlotThePageShownAndRefuseTooManyMtfPoints) {
    handOffPointPhantom(64, 64);
    form.ButtonCalMTF->click();
    form.PageControl1->setCurrentIndex(2);  // "MTF": ticks and 32 points below Nyquist
    EXPECT_EQ(form.Series2->count(), 32);
    EXPECT_DOUBLE_EQ(form.Series2->at(31).x(), 31.0 / 32);
    EXPECT_EQ(field(form.EditMTFgdx), "0.5");
    form.PageControl1->setCurrentIndex(1);
    EXPECT_EQ(form.Series1->count(), 64);
    EXPECT_DOUBLE_EQ(form.Series1->at(2).x(), 1.0);
    form.EditLSFgdx->clear();
    form.EditLSFgnd->clear();
    form.ButtonDrawG->click();
    EXPECT_EQ(field(form.EditLSFgdx), "10");
    EXPECT_EQ(field(form.EditLSFgnd), "64");
    form.Editdnd->setText("100");
    form.ButtonDrawD->click();  // the LSF page plots the 64 points there are
    EXPECT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(form.Series1->count(), 64);
    form.PageControl1->setCurrentIndex(2);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_NE(errors()[0].find("64 points"), std::string::npos) << errors()[0];
}

// On the LSF page, "CalMTF" draws the LSF at once, on axes that say what they show.
TEST_F(MtfWindow, TheLsfPageShowsItsCurveAtOnceWithTitledAxes) {
    handOffPointPhantom(64, 64);
    form.PageControl1->setCurrentIndex(1);
    form.ButtonCalMTF->click();
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(form.Series1->count(), 64);
    const auto* x = static_cast<QValueAxis*>(form.Chart1->axes(Qt::Horizontal).first());
    const auto* y = static_cast<QValueAxis*>(form.Chart1->axes(Qt::Vertical).first());
    EXPECT_EQ(x->titleText(), "Position (mm)");
    EXPECT_EQ(y->titleText(), "Value of LSF");
    EXPECT_EQ(y->labelFormat(), "%g");
    double top = 0;
    for (int i = 0; i < form.Series1->count(); ++i) top = std::max(top, form.Series1->at(i).y());
    EXPECT_GE(y->max(), top);  // the peak inside the chart
}

// Larger, the charts, the table and the memos take the growth, the column beside them moves
// along, and the LSF's tick marks follow the chart's new width; the smallest size is the first.
TEST_F(MtfWindow, GrowsWithItsWindow) {
    handOffPointPhantom(64, 64);
    form.ButtonCalMTF->click();
    form.EditLSFgdx->clear();
    form.EditLSFgnd->clear();
    form.ButtonDrawG->click();  // the LSF page: ticks every 10 mm over 64 × 0.5 mm
    ASSERT_TRUE(errors().empty()) << errors()[0];
    form.show();
    const QSize first = form.size();
    EXPECT_EQ(form.minimumSize(), first);
    EXPECT_EQ(form.PaintBoxLSF->ticks(), (std::vector<std::int32_t>{0, 175, 350, 525}));

    form.resize(first + QSize(300, 200));
    EXPECT_EQ(form.Chart1View->geometry(), QRect(0, 0, 560 + 300, 520 + 200));
    EXPECT_EQ(form.StringGrid1->geometry(), QRect(0, 0, 560 + 300, 556 + 200));
    EXPECT_EQ(form.MemoLSF->geometry(), QRect(566 + 300, 0, 186, 480 + 200));
    EXPECT_EQ(form.EditLSFgnd->pos(), QPoint(0, 526 + 200));
    EXPECT_EQ(form.ButtonCalMTF->mapTo(&form, QPoint()), QPoint(766 + 300 + 2, 80 + 92));
    EXPECT_EQ(form.EditAve->pos(), QPoint(606 + 300, 4));
    // 860 · 10/32 = 268.75, 537.5 (to even), 806.25
    EXPECT_EQ(form.PaintBoxLSF->ticks(), (std::vector<std::int32_t>{0, 269, 538, 806}));

    form.resize(100, 100);
    EXPECT_EQ(form.size(), first);
    EXPECT_EQ(form.Chart1View->geometry(), QRect(0, 0, 560, 520));
    EXPECT_EQ(form.MemoLSF->geometry(), QRect(566, 0, 186, 480));
}

// "Pnt_Y" on an ROI taller than wide: 64 samples along Y, whatever the ROI's 32 columns primed.
TEST_F(MtfWindow, TheMtfAxisAndDataCountFollowTheTransformLength) {
    handOffPointPhantom(32, 64);
    EXPECT_EQ(field(form.Editdnd), "32");
    form.RadioGroup1->setItemIndex(1);
    form.PageControl1->setCurrentIndex(2);
    form.ButtonCalMTF->click();
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(form.NMtf, 64);
    EXPECT_EQ(field(form.Editdnd), "64");
    form.ButtonDrawD->click();
    ASSERT_EQ(form.Series2->count(), 32);
    EXPECT_DOUBLE_EQ(form.Series2->at(1).x(), 1.0 / (64 * 0.5));
    // The Nyquist frequency, 1 / (2 · 0.5 mm), marked by a vertical line over the curve's range.
    ASSERT_EQ(form.SeriesNyquist->count(), 2);
    EXPECT_DOUBLE_EQ(form.SeriesNyquist->at(0).x(), 1.0);
    EXPECT_DOUBLE_EQ(form.SeriesNyquist->at(1).x(), 1.0);
    EXPECT_LT(form.SeriesNyquist->at(0).y(), form.SeriesNyquist->at(1).y());
    // A count the user types stays; fewer points keep the axis.
    form.Editdnd->setText("40");
    emit form.Editdnd->textEdited("40");
    form.ButtonCalMTF->click();
    form.ButtonDrawD->click();
    EXPECT_EQ(field(form.Editdnd), "40");
    ASSERT_EQ(form.Series2->count(), 20);
    EXPECT_DOUBLE_EQ(form.Series2->at(1).x(), 1.0 / (64 * 0.5));
}

TEST_F(MtfWindow, ASpacingThatIsNotPositiveIsRefusedByName) {
    handOffPointPhantom(64, 64);
    for (const char* spacing : {"-0.5", "0"}) {
        form.EditPxlSpc->setText(spacing);
        form.ButtonCalMTF->click();
        ASSERT_FALSE(errors().empty());
        EXPECT_EQ(errors().back().rfind("The pixel spacing (P.Spacing) is ", 0), 0u)
            << errors().back();
    }
    EXPECT_TRUE(form.MemoMTF->toPlainText().isEmpty());  // no "HWHM=-1.46", no negative axis
}

// A computation that fails leaves no result of the previous one on screen.
TEST_F(MtfWindow, AFailedCalculationClearsTheOldResults) {
    handOffPointPhantom(64, 64);
    form.ButtonCalMTF->click();
    ASSERT_TRUE(errors().empty()) << errors()[0];
    ASSERT_FALSE(form.MemoMTF->toPlainText().isEmpty());
    ASSERT_TRUE(field(form.EditWork4).rfind("HWHM=", 0) == 0);
    form.UpDown1->setPosition(100);  // a band larger than the table
    form.ButtonCalMTF->click();
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_TRUE(form.MemoMTF->toPlainText().isEmpty());
    EXPECT_TRUE(form.MemoLSF->toPlainText().isEmpty());
    EXPECT_EQ(field(form.EditWork4), "");
    EXPECT_TRUE(form.LabelMtfSummary->text().isEmpty());
    // The next hand-off clears the half width too.
    form.UpDown1->setPosition(24);
    form.ButtonCalMTF->click();
    handOff();
    EXPECT_EQ(field(form.EditWork4), "");
}

TEST_F(MtfWindow, TheBandTakesEachOfItsLinesOnce) {
    handOffPointPhantom(64, 64);
    const PixelTable& table = form.pixelTable();
    for (int lines : {1, 2, 3, 24}) {
        form.UpDown1->setPosition(lines);
        form.ButtonCalMTF->click();
        ASSERT_TRUE(errors().empty()) << errors()[0];
        // Rows MaxRow - L div 2 .. MaxRow + (L - 1 - L div 2), each once.
        for (int i = 0; i < 64; ++i) {
            double sum = 0;
            for (int r = form.MaxRow - lines / 2; r <= form.MaxRow + (lines - 1 - lines / 2); ++r)
                sum += static_cast<double>(table.value(i + 1, r));
            EXPECT_EQ(form.RawLsf[i], sum) << "L = " << lines << ", sample " << i;
        }
    }
}

TEST_F(MtfWindow, HistogramOfTheTable) {
    load("c 512 512 1.raw", coordinateImage());
    setRoi(101, 1, 3, 2);  // rows 0..1, columns 99..101: values 99..101, 1099..1101
    handOff();
    dialogs->inputAnswers = {std::nullopt};  // cancel: 10 bits
    form.ButtonHist->click();
    ASSERT_EQ(dialogs->inputRequests.back().caption, "Inpt GrayScale");
    ASSERT_EQ(dialogs->inputRequests.back().prompt, "bit");
    std::vector<std::string> lines;
    const std::string text = clipboard();
    for (std::size_t s = 0; s < text.size();) {
        const std::size_t e = text.find("\r\n", s);
        lines.push_back(text.substr(s, e - s));
        s = e + 2;
    }
    ASSERT_EQ(lines.size(), 128u);
    EXPECT_EQ(lines[12], "0.5");   // 100 and 101 (column 99 is not counted)
    EXPECT_EQ(lines[127], "0.5");  // 1100 and 1101 lie beyond 10 bits
    QGuiApplication::clipboard()->setText("kept");
    dialogs->inputAnswers = {QString("")};
    form.ButtonHist->click();
    EXPECT_EQ(clipboard(), "kept");
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// "⇒" empties the viewer's size field before its dialog: activating the MTF window then fails,
// and the return from that message box must not fail again and again.
TEST_F(MtfWindow, AFailedActivationDoesNotComeBackFromItsOwnMessageBox) {
    viewer.EditImgSizeX->clear();
    form.show();
    form.activateWindow();
    QApplication::processEvents();
    if (!form.isActiveWindow()) GTEST_SKIP() << "this platform does not activate windows";
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_EQ(errors()[0], "Colum: '' は整数ではありません");
    QEvent returned(QEvent::ActivationChange);  // the message box closes: activated again
    QApplication::sendEvent(&form, &returned);
    EXPECT_EQ(errors().size(), 1u);
    QApplication::sendEvent(&form, &returned);  // a later activation runs again
    EXPECT_EQ(errors().size(), 2u);
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

class MtfWindowFlags : public test::WindowTest {};

// The summary line under the MTF chart names the flags that qualify its figures (their texts in
// its tooltip): none for the clean sample point, "point-near-edge" for a point near the ROI's end.
TEST_F(MtfWindowFlags, SummaryLineNamesTheFlags) {
    const std::string path = writeFile(
        "point 256 256 0p5.raw", test::readBytes(test::testData("phantoms/point 256 256 0p5.raw")));
    struct Case {
        int centreX;
        const char* flag;
    };
    for (const Case& c : {Case{128, ""}, Case{153, "point-near-edge"}}) {
        load(path, 1);
        setRoi(c.centreX, 128, 64, 64);
        viewer.ButtonToTable->click();
        mtfWindow.FormActivate();
        mtfWindow.RadioGroup1->setItemIndex(0);
        mtfWindow.ButtonCalMTF->click();
        ASSERT_TRUE(errors().empty()) << errors()[0];
        const QString line = mtfWindow.LabelMtfSummary->text();
        EXPECT_TRUE(line.startsWith("MTF50 ")) << line.toStdString();
        if (*c.flag) {
            EXPECT_TRUE(line.contains(QString("⚠ ") + c.flag)) << line.toStdString();
            EXPECT_TRUE(mtfWindow.LabelMtfSummary->toolTip().contains(c.flag));
        } else {
            EXPECT_FALSE(line.contains("⚠")) << line.toStdString();
        }
    }
}

}  // namespace
}  // namespace ctiq
