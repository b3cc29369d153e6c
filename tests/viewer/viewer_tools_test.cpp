// Scenario tests of the viewer's measuring tools: mouse drags, statistics, flips and turns,
// trimming, wheel stepping and the header export, driven as a user drives them.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QWheelEvent>
#include <cmath>

#include "common/number_text.h"
#include "common/ui/radio_group.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_files.h"
#include "tests/support/window_fixture.h"
#include "viewer/image_view.h"
#include "viewer/unit1.h"

namespace ctiq {
namespace {

using test::TempFolder;

class ViewerTools : public test::WindowTest {
  protected:
    TForm1& form = viewer;

    void load(const std::string& path, int mode = 1) { WindowTest::load(path, mode); }
    // A 512 × 512 16-bit image whose samples differ from their neighbours.
    std::vector<std::int16_t> loadPattern(const std::string& name = "img 512 512 0p5.raw") {
        std::vector<std::int16_t> words(512 * 512);
        for (int r = 0; r < 512; ++r)
            for (int c = 0; c < 512; ++c)
                words[r * 512 + c] = static_cast<std::int16_t>((r * 7 + c * 3) % 1000);
        load(writeFile(name, test::wordsLE(words)));
        return words;
    }
    void mouse(QEvent::Type type, Qt::MouseButton button, int x, int y) {
        const QPointF at(x, y);
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, at, form.Image1->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(form.Image1, &event);
    }
    void press(Qt::MouseButton b, int x, int y) { mouse(QEvent::MouseButtonPress, b, x, y); }
    void moveTo(Qt::MouseButton b, int x, int y) { mouse(QEvent::MouseMove, b, x, y); }
    void release(Qt::MouseButton b, int x, int y) { mouse(QEvent::MouseButtonRelease, b, x, y); }
    void wheel(int delta) {
        QWheelEvent event(QPointF(10, 10), form.mapToGlobal(QPoint(10, 10)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(form.Image1, &event);
    }
};

// Mean (2 decimals) and SD (3 decimals) computed here directly, for comparison to the last digit.
std::pair<std::string, std::string> directStatistics(const std::vector<std::uint8_t>& file,
                                                     std::size_t header, int columns, int r0,
                                                     int c0, int nr, int nc, int offset) {
    std::vector<long double> values;
    for (int r = r0; r < r0 + nr; ++r) {
        for (int c = c0; c < c0 + nc; ++c) {
            const std::size_t at = header + 2 * (static_cast<std::size_t>(r) * columns + c);
            values.push_back(static_cast<std::int16_t>(
                static_cast<std::int16_t>(file[at] | (file[at + 1] << 8)) + offset));
        }
    }
    long double sum = 0, squares = 0;
    for (long double v : values) sum += v;
    const long double mean = sum / values.size();
    for (long double v : values) squares += (v - mean) * (v - mean);
    return {FloatToStrF(mean, 2, {}), FloatToStrF(std::sqrt(squares / values.size()), 3, {})};
}

TEST_F(ViewerTools, PressesArmTheDragByWhereTheyLand) {
    loadPattern();
    ASSERT_EQ(form.RoiFrameRect, (IntRect{128, 128, 383, 383}));
    struct Press {
        int x, y;
        bool topLeft, bottomRight, move;
    };
    for (const Press p :
         {Press{128, 200, false, false, false}, Press{200, 383, false, false, false},
          Press{390, 100, false, false, false}, Press{100, 390, false, false, false},
          Press{100, 100, true, false, false}, Press{400, 400, false, true, false},
          Press{200, 200, false, false, true}}) {
        press(Qt::LeftButton, p.x, p.y);
        EXPECT_EQ(form.DragTopLeft, p.topLeft) << p.x << "," << p.y;
        EXPECT_EQ(form.DragBottomRight, p.bottomRight) << p.x << "," << p.y;
        EXPECT_EQ(form.DragMove, p.move) << p.x << "," << p.y;
        EXPECT_EQ(form.DragButton, DragButtonKind::Left);
        release(Qt::LeftButton, p.x, p.y);
        EXPECT_EQ(form.DragButton, DragButtonKind::None);
    }
    // A press inside at exactly the last recorded position arms no move.
    press(Qt::RightButton, 250, 250);
    release(Qt::RightButton, 250, 250);
    press(Qt::LeftButton, 250, 250);
    EXPECT_FALSE(form.DragMove);
    release(Qt::LeftButton, 250, 250);
    EXPECT_TRUE(errors().empty()) << errors()[0];
}

TEST_F(ViewerTools, CornerDragSizesTheRoiAndTheReleaseShowsItsStatistics) {
    const auto words = loadPattern();
    press(Qt::LeftButton, 100, 100);
    moveTo(Qt::LeftButton, 120, 130);
    EXPECT_EQ(form.RoiFrameRect, (IntRect{120, 130, 383, 383}));
    EXPECT_EQ(field(form.EditROISizeX), "264");
    EXPECT_EQ(field(form.EditROISizeY), "254");
    // The fields describe the dragged frame: its centre is where it now stands.
    EXPECT_EQ(field(form.EditROIPosX), "252");  // 120 + 264 div 2
    EXPECT_EQ(field(form.EditROIPosY), "257");  // 130 + 254 div 2
    release(Qt::LeftButton, 120, 130);
    const auto expected = directStatistics(test::wordsLE(words), 0, 512, 130, 120, 254, 264, 0);
    EXPECT_EQ(field(form.EditHSBP), expected.first);
    EXPECT_EQ(field(form.EditVSBP), expected.second);
    // The next rendering keeps the frame where it was dragged, and Stat measures the same block.
    form.ButtonDisp->click();
    EXPECT_EQ(form.RoiFrameRect, (IntRect{120, 130, 383, 383}));
    form.ButtonStat->click();
    EXPECT_EQ(field(form.EditHSBP), expected.first);
}

TEST_F(ViewerTools, CornerDraggedPastTheOtherCornerIsAnEmptyRoi) {
    loadPattern();
    press(Qt::LeftButton, 100, 100);
    moveTo(Qt::LeftButton, 400, 390);
    EXPECT_EQ(field(form.EditROISizeX), "-16");
    EXPECT_EQ(field(form.EditROISizeY), "-6");
    form.EditHSBP->setText("kept");
    release(Qt::LeftButton, 400, 390);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_NE(errors()[0].find("The ROI is empty"), std::string::npos);
    EXPECT_EQ(field(form.EditHSBP), "kept");
}

TEST_F(ViewerTools, MovingTheRoiCentresItOnTheMouse) {
    loadPattern();
    setRoi(256, 256, 64, 64);
    press(Qt::LeftButton, 250, 250);
    moveTo(Qt::LeftButton, 100, 100);
    EXPECT_EQ(form.RoiFrameRect, (IntRect{68, 68, 131, 131}));
    EXPECT_EQ(field(form.EditROIPosX), "100");
    EXPECT_EQ(field(form.EditROIPosY), "100");
    EXPECT_EQ(field(form.EditROISizeX), "64");
    release(Qt::LeftButton, 100, 100);
    EXPECT_TRUE(errors().empty()) << errors()[0];
}

TEST_F(ViewerTools, MoveToolPansOnlyWhereTheViewHasRoom) {
    loadPattern();
    form.RadioGroupTool->setItemIndex(1);
    press(Qt::LeftButton, 200, 200);
    moveTo(Qt::LeftButton, 250, 150);
    EXPECT_EQ(field(form.EditImgSftX), "0");
    EXPECT_EQ(field(form.EditImgSftY), "0");
    release(Qt::LeftButton, 250, 150);

    form.EditMF->setText("2.0");
    form.ButtonDisp->click();  // view 128..383, bitmap 256 high: s = 0.5
    press(Qt::LeftButton, 200, 200);
    moveTo(Qt::LeftButton, 210, 190);
    EXPECT_EQ(field(form.EditImgSftX), "5");
    EXPECT_EQ(field(form.EditImgSftY), "5");
    EXPECT_EQ(form.ViewLeft, 128 - 10);
    EXPECT_EQ(form.ViewTop, 128 + 10);
    release(Qt::LeftButton, 210, 190);
}

TEST_F(ViewerTools, RightDragWindowsInRangeStepsWithAnyTool) {
    loadPattern();
    form.RadioGroupRange->setItemIndex(3);
    form.RadioGroupTool->setItemIndex(2);  // "OFF"
    form.EditWindowWidth->setText("100");
    form.EditWindowLevel->setText("500");
    press(Qt::RightButton, 200, 200);
    moveTo(Qt::RightButton, 202, 200);
    EXPECT_EQ(field(form.EditWindowWidth), "160");
    EXPECT_EQ(field(form.EditWindowLevel), "500");
    moveTo(Qt::RightButton, 196, 200);  // would be 160 - 180: the width stays
    EXPECT_EQ(field(form.EditWindowWidth), "160");
    moveTo(Qt::RightButton, 196, 1200);
    EXPECT_EQ(field(form.EditWindowLevel), "-29500");
    release(Qt::RightButton, 196, 1200);
    EXPECT_EQ(form.DragButton, DragButtonKind::None);
}

TEST_F(ViewerTools, HomeResetsTheViewAndKeepsItsTool) {
    loadPattern();
    form.EditMF->setText("1.5");
    form.EditImgSftX->setText("7");
    form.EditImgSftY->setText("-3");
    form.RadioGroupTool->setItemIndex(3);
    EXPECT_EQ(field(form.EditMF), "1.0");
    EXPECT_EQ(field(form.EditImgSftX), "0");
    EXPECT_EQ(field(form.EditImgSftY), "0");
    EXPECT_EQ(form.RadioGroupTool->itemIndex(), 3);
    const IntRect frame = form.RoiFrameRect;
    press(Qt::LeftButton, 200, 200);
    moveTo(Qt::LeftButton, 300, 300);
    release(Qt::LeftButton, 300, 300);
    EXPECT_EQ(form.RoiFrameRect, frame);
    EXPECT_EQ(field(form.EditImgSftX), "0");
}

TEST_F(ViewerTools, SizeMenuSwitchesToTheRoiToolAndDrawsASquare) {
    loadPattern();
    form.RadioGroupTool->setItemIndex(1);
    form.N2561->trigger();
    EXPECT_EQ(form.RadioGroupTool->itemIndex(), 0);
    EXPECT_EQ(field(form.EditROISizeX), "256");
    EXPECT_EQ(field(form.EditROISizeY), "256");
    EXPECT_EQ(form.RoiFrameRect, (IntRect{128, 128, 383, 383}));
    form.N641->trigger();
    EXPECT_EQ(form.RoiFrameRect, (IntRect{224, 224, 287, 287}));
}

TEST_F(ViewerTools, StatIsForTheRoiToolOnly) {
    loadPattern();
    form.RadioGroupTool->setItemIndex(1);
    form.ButtonStat->click();
    EXPECT_EQ(field(form.EditHSBP), "");
    form.RadioGroupTool->setItemIndex(0);
    form.ButtonStat->click();
    EXPECT_NE(field(form.EditHSBP), "");
    EXPECT_TRUE(errors().empty()) << errors()[0];
}

// "Stat" shows the statistics of exactly the samples under the frame, computed here directly from
// the file's bytes: a DICOM slice (header 6300, intercept -1024) and the raw noise phantom.
TEST_F(ViewerTools, StatisticsMatchADirectComputation) {
    struct Case {
        const char* data;
        const char* name;
        int mode, header, columns, left, top, size, offset;
    };
    const Case cases[] = {
        {"dicom/CT_small.dcm", "CT_small.dcm", 2, 6300, 128, 32, 32, 64, -1024},
        {"phantoms/noise1 256 256 0p5.raw", "noise1 256 256 0p5.raw", 1, 0, 256, 64, 64, 128, 0},
    };
    for (const Case& c : cases) {
        const std::string path = folder.file(c.name);
        test::writeBytes(path, test::readBytes(test::testData(c.data)));
        // A raw file is read with the header and offset the fields hold.
        form.EditHeader->setText(QString::number(c.header));
        form.EditOffst->setText(QString::number(c.offset));
        load(path, c.mode);
        setRoi(c.left + c.size / 2, c.top + c.size / 2, c.size, c.size);
        form.ButtonStat->click();
        ASSERT_TRUE(errors().empty()) << errors()[0];
        const auto expected = directStatistics(test::readBytes(path), c.header, c.columns, c.top,
                                               c.left, c.size, c.size, c.offset);
        EXPECT_EQ(field(form.EditHSBP), expected.first) << c.name;
        EXPECT_EQ(field(form.EditVSBP), expected.second) << c.name;
    }
    // White noise of SD 20 about 1000 (a mean below 1000 has no thousands separator).
    EXPECT_NEAR(std::stod(field(form.EditHSBP)), 1000, 2);
    EXPECT_NEAR(std::stod(field(form.EditVSBP)), 20, 1);
}

TEST_F(ViewerTools, RoiOutsideTheImageIsRefusedWithAMessage) {
    loadPattern();
    setRoi(10, 10, 64, 64);
    form.EditHSBP->setText("kept");
    form.ButtonStat->click();
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_NE(errors()[0].find("reaches outside the image"), std::string::npos) << errors()[0];
    EXPECT_EQ(field(form.EditHSBP), "kept");
}

TEST_F(ViewerTools, TrimmedFileReadsBackAsTheRoiSamples) {
    const auto words = loadPattern("src 512 512 0p5.raw");
    setRoi(300, 200, 40, 30);  // block rows 185..214, columns 280..319
    const std::string chosen = folder.file("cut.raw");
    dialogs->openFileAnswers.push_back(QString::fromStdString(chosen));
    form.ButtonTriming->click();
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(dialogs->informations, std::vector<QString>{"トリミングした画像を保存しました。"});
    const std::string written = folder.file("cut 40 30 0p5.bin");
    load(written, 1);
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(field(form.EditImgSizeX), "40");
    EXPECT_EQ(field(form.EditPxlSpc), "0.5");
    std::vector<std::int16_t> block;
    for (int r = 185; r < 215; ++r)
        for (int c = 280; c < 320; ++c) block.push_back(words[r * 512 + c]);
    EXPECT_EQ(form.ImageStream, test::wordsLE(block));
}

TEST_F(ViewerTools, EightBitTrimWritesWordsThatReadBackWith16bit) {
    std::vector<std::uint8_t> bytes(16 * 16);
    for (int k = 0; k < 256; ++k) bytes[k] = static_cast<std::uint8_t>(k);
    load(writeFile("b 16 16 1.raw", bytes), 0);
    setRoi(8, 8, 4, 2);  // rows 7..8, columns 6..9
    dialogs->openFileAnswers.push_back(QString::fromStdString(folder.file("b8.raw")));
    form.ButtonTriming->click();
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(test::readBytes(folder.file("b8 4 2 1.bin")),
              test::wordsLE({118, 119, 120, 121, 134, 135, 136, 137}));
}

TEST_F(ViewerTools, TrimCancelledOrOutsideWritesNothing) {
    loadPattern();
    dialogs->openFileAnswers.push_back("");
    form.ButtonTriming->click();
    setRoi(0, 0, 64, 64);
    form.ButtonTriming->click();              // refused before any dialog
    EXPECT_EQ(dialogs->openFileRequests, 2);  // the load's and the cancelled one
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_TRUE(dialogs->informations.empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(ViewerTools, FlipsAndTurnsChangeTheStoredSamples) {
    const auto words = loadPattern();
    const auto original = form.ImageStream;
    form.ButtonVert->click();
    EXPECT_EQ(form.ImageStream[0], test::wordsLE({words[511 * 512]})[0]);
    form.ButtonVert->click();
    form.ButtonHoriz->click();
    form.ButtonHoriz->click();
    EXPECT_EQ(form.ImageStream, original);

    form.EditMF->setText("2.0");
    form.ButtonDisp->click();
    form.ButtonCCW->click();  // only rows and columns 128..383 turn
    const auto at = [&](int r, int c) {
        return static_cast<std::int16_t>(form.ImageStream[2 * (r * 512 + c)] |
                                         (form.ImageStream[2 * (r * 512 + c) + 1] << 8));
    };
    EXPECT_EQ(at(0, 0), words[0]);
    EXPECT_EQ(at(127, 200), words[127 * 512 + 200]);
    EXPECT_EQ(at(383, 128), words[128 * 512 + 128]);  // top-left corner went bottom-left
    form.ButtonCW->click();
    EXPECT_EQ(form.ImageStream, original);
    EXPECT_TRUE(errors().empty()) << errors()[0];
}

TEST_F(ViewerTools, TurningAViewThatLeavesTheImageIsRefused) {
    loadPattern();
    form.EditMF->setText("0.5");
    form.ButtonDisp->click();
    const auto before = form.ImageStream;
    form.ButtonCW->click();
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_NE(errors()[0].find("outside the image"), std::string::npos);
    EXPECT_EQ(form.ImageStream, before);
}

class WheelStepping : public ViewerTools {
  protected:
    void SetUp() override {
        for (const char* name : {"a 2 2 1.raw", "c 2 2 1.raw"})
            writeFile(name, std::vector<std::uint8_t>(8, 1));
        load(writeFile("b 2 2 1.raw", std::vector<std::uint8_t>(8, 2)));
        form.show();
        QApplication::setActiveWindow(&form);
        ASSERT_EQ(QApplication::activeWindow(), &form);
    }
    std::string shown() const {
        const std::string name = form.EditFileName->text().toStdString();
        return name.substr(name.rfind('/') + 1, 1);
    }
};

TEST_F(WheelStepping, NotchesLoadThePositionAndMoveIt) {
    EXPECT_EQ(field(form.EditFListNo), "1");
    wheel(120);
    EXPECT_EQ(shown(), "b");
    EXPECT_EQ(field(form.EditFListNo), "2");
    wheel(240);  // two notches at once step once
    EXPECT_EQ(shown(), "c");
    EXPECT_EQ(field(form.EditFListNo), "2");
    wheel(-120);
    EXPECT_EQ(shown(), "c");
    EXPECT_EQ(field(form.EditFListNo), "1");
    wheel(-240);
    EXPECT_EQ(shown(), "b");
    EXPECT_EQ(field(form.EditFListNo), "0");
    EXPECT_EQ(form.LoadState, LoadStatus::Loaded);
    EXPECT_EQ(dialogs->openFileRequests, 1);
    EXPECT_TRUE(errors().empty()) << errors()[0];
}

TEST_F(WheelStepping, OtherWindowsAndTheEnlargedTableKeepTheWheel) {
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    wheel(120);
    EXPECT_EQ(field(form.EditFListNo), "1");
    QApplication::setActiveWindow(&form);
    form.StringGridDICOMDblClick();
    EXPECT_EQ(form.StringGridDICOM->height(), 618);
    EXPECT_EQ(form.StringGridDICOM->y(), 22);
    wheel(120);
    EXPECT_EQ(field(form.EditFListNo), "1");
    form.StringGridDICOMDblClick();
    EXPECT_EQ(form.StringGridDICOM->height(), 109);
    EXPECT_EQ(form.StringGridDICOM->y(), 536);
    EXPECT_TRUE(errors().empty());
}

TEST_F(WheelStepping, PositionOutsideTheListAndFailingLoads) {
    form.EditFListNo->setText("7");
    wheel(120);
    EXPECT_EQ(errors(), std::vector<std::string>{"リストのインデックスが範囲を超えています (7)"});
    form.EditFListNo->setText("0");
    std::filesystem::remove(folder.file("a 2 2 1.raw"));
    wheel(120);
    ASSERT_EQ(errors().size(), 2u);
    EXPECT_EQ(form.LoadState,
              LoadStatus::FromFileField);  // the next "⇒" loads the field's path without a dialog
    EXPECT_EQ(field(form.EditFListNo), "0");
}

TEST_F(ViewerTools, ImageToClipboardIsTheBitmapWithItsFrame) {
    loadPattern();
    setRoi(256, 256, 64, 64);
    form.ButtonSaveBMP->click();
    QImage withFrame = QGuiApplication::clipboard()->image();
    ASSERT_EQ(withFrame.size(), QSize(512, 512));
    const DisplayBitmap& bitmap = form.displayBitmap();
    EXPECT_EQ(qGray(withFrame.pixel(223, 241)),
              bitmap.at(223, 241));        // an inverted dot of the frame
    form.RadioGroupTool->setItemIndex(2);  // "OFF": rendered without the frame
    form.ButtonSaveBMP->click();
    const QImage plain = QGuiApplication::clipboard()->image();
    EXPECT_NE(qGray(plain.pixel(223, 241)), qGray(withFrame.pixel(223, 241)));
    form.EditMF->setText("2.0");
    form.ButtonDisp->click();
    form.ButtonSaveBMP->click();
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(256, 256));
}

TEST_F(ViewerTools, HeaderExportOfCtSmall) {
    const std::string path = folder.file("CT_small.dcm");
    test::writeBytes(path, test::readBytes(test::testData("dicom/CT_small.dcm")));
    load(path, 2);
    form.ButtonHeaderToCB->click();
    const std::string text = QGuiApplication::clipboard()->text().toLatin1().toStdString();
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(text.find('\0'), std::string::npos);
    std::size_t start = 0, lines = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        const std::string line = text.substr(start, end - start);
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 6) << line;
        const std::string group = line.substr(line.find('\t') + 1, 4);
        if (lines > 0 && !group.empty() && group[0] != '\t') {
            EXPECT_NE(group[0], 'F') << line;
            EXPECT_EQ(std::stoi(group, nullptr, 16) % 2, 0) << line;
        }
        start = end + 2;
        ++lines;
    }
    EXPECT_EQ(text.substr(0, text.find("\r\n")), " No\tGroup\tErement\tVR\tCHR#\tName\tValue");
    std::size_t kept = 0;
    for (int r = 1; r < form.StringGridDICOM->rowCount(); ++r) {
        const QString group = form.StringGridDICOM->item(r, 1)->text();
        kept += group.isEmpty() || (!group.startsWith('F') && group.toInt(nullptr, 16) % 2 == 0);
    }
    EXPECT_EQ(lines, 1 + kept);
    EXPECT_LT(kept, 254u);
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// The block is the samples under the frame: the default ROI of a load measures on an image of
// exactly 256 columns (once refused, one column out on the left) and fits smaller images.
TEST_F(ViewerTools, TheDefaultRoiMeasuresOn256WideAndSmallerImages) {
    for (const int side : {256, 100}) {
        std::vector<std::int16_t> words(side * side);
        for (int k = 0; k < side * side; ++k) words[k] = static_cast<std::int16_t>(k % side);
        load(writeFile("ramp " + std::to_string(side) + " " + std::to_string(side) + " 1.raw",
                       test::wordsLE(words)));
        form.ButtonStat->click();
        ASSERT_TRUE(errors().empty()) << side << ": " << errors()[0];
        // Every column 0 .. side - 1 once per row: the mean of 0 .. side - 1.
        EXPECT_EQ(field(form.EditHSBP), FloatToStrF((side - 1) / 2.0L, 2, {})) << side;
        EXPECT_EQ(field(form.EditROISizeX), std::to_string(std::min(side, 256)));
    }
}

TEST_F(ViewerTools, ANewLoadClearsTheStatisticsOfTheOldImage) {
    loadPattern("a 512 512 0p5.raw");
    form.ButtonStat->click();
    ASSERT_FALSE(field(form.EditHSBP).empty());
    loadPattern("b 512 512 0p5.raw");
    EXPECT_EQ(field(form.EditHSBP), "");
    EXPECT_EQ(field(form.EditVSBP), "");
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// A larger window shows the image area larger; the pointer still picks the same stored sample,
// and every control keeps its place relative to the image area.
TEST_F(ViewerTools, TheWindowGrowsAndThePointerFollowsTheShownSize) {
    auto dragTopLeftTo = [&](int x, int y) {
        loadPattern();
        press(Qt::LeftButton, x, y);
        moveTo(Qt::LeftButton, x, y);
        release(Qt::LeftButton, x, y);
        return std::vector<std::string>{field(form.EditROIPosX), field(form.EditROIPosY),
                                        field(form.EditROISizeX), field(form.EditROISizeY)};
    };
    form.show();
    EXPECT_EQ(form.minimumSize(), QSize(744, 692));
    const auto atFirstSize = dragTopLeftTo(60, 70);
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_NE(atFirstSize[2], "256");  // the drag did change the ROI

    form.resize(744 + 256, 692 + 300);  // the image area 768 square: 1.5 times
    EXPECT_EQ(form.Image1->geometry(), QRect(0, 0, 768, 768));
    EXPECT_EQ(form.StringGridDICOM->geometry(), QRect(0, 536 + 256, 578 + 256, 109 + 44));
    EXPECT_EQ(form.ListBox1->x(), 580 + 256);
    EXPECT_EQ(form.EditFileSize->y(), 668 + 256 + 44);
    EXPECT_EQ(dragTopLeftTo(90, 105), atFirstSize);             // (60, 70) · 1.5
    EXPECT_EQ(form.Image1->geometry(), QRect(0, 0, 768, 768));  // a load keeps the scale

    form.resize(form.minimumSize());
    EXPECT_EQ(form.Image1->geometry(), QRect(0, 0, 512, 512));
    EXPECT_EQ(form.StringGridDICOM->geometry(), QRect(0, 536, 578, 109));
    EXPECT_TRUE(errors().empty()) << errors()[0];
}

}  // namespace
}  // namespace ctiq
