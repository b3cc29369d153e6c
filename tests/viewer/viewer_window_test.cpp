// Scenario tests of the viewer window: the handlers driven as a user drives them, with scripted
// dialogs, under the offscreen platform.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <functional>

#include "common/language.h"
#include "common/ui/radio_group.h"
#include "mtf/unit2.h"
#include "tests/support/dicom_builder.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_files.h"
#include "tests/support/window_fixture.h"
#include "viewer/image_view.h"
#include "viewer/unit1.h"
#include "wiener/unit3.h"

namespace ctiq {
namespace {

using test::TempFolder;

class ViewerWindow : public test::WindowTest {
  protected:
    TForm1& form = viewer;

    void load(const std::string& path, int mode = 2) { WindowTest::load(path, mode); }
};

TEST_F(ViewerWindow, StartsWithItsStoredLayout) {
    EXPECT_EQ(form.windowTitle(), "Viewer");
    EXPECT_EQ(form.width(), 744);
    EXPECT_EQ(form.LoadState, LoadStatus::Empty);
    EXPECT_EQ(field(form.EditFileName), "FileName");
    EXPECT_EQ(field(form.EditMF), "1.0");
    EXPECT_EQ(field(form.EditROIPosX), "64");
    EXPECT_EQ(field(form.EditROISizeY), "64");
    EXPECT_EQ(field(form.EditWindowLevel), "");
    EXPECT_EQ(field(form.EditFListNo), "1");
    EXPECT_EQ(form.RadioGroupMode->itemIndex(), 2);
    EXPECT_EQ(form.RadioGroupMode->itemText(0), " 8bit");
    EXPECT_EQ(form.RadioGroupTool->itemIndex(), 0);
    EXPECT_EQ(form.RadioGroupRange->itemIndex(), 1);
    EXPECT_TRUE(form.CheckBoxLockPara->isChecked());
    EXPECT_EQ(form.BitBtnLoad->text(), "⇒");
    EXPECT_EQ(form.Memo2->toPlainText(), "M\ne\nm\no\n2");
    const char* titles[] = {" No", "Group", "Erement", "VR", "CHR#", "Name", "Value"};
    for (int c = 0; c < 7; ++c) EXPECT_EQ(form.StringGridDICOM->item(0, c)->text(), titles[c]);
    EXPECT_EQ(form.Memo_DICOMTag->toPlainText().count('\n'), 1910);
}

TEST_F(ViewerWindow, BeforeAnyLoadDisplayControlsChangeNothing) {
    form.ButtonDisp->click();
    form.CheckBoxSwp->click();
    form.CheckBoxInvrt->click();
    form.ButtonAutoWL->click();
    EXPECT_TRUE(errors().empty());
    EXPECT_FALSE(form.Image2->isHidden());
    EXPECT_TRUE(form.Image1->isHidden());
}

TEST_F(ViewerWindow, FormButtonsShowTheAnalysisWindows) {
    form.ButtonToForm2->click();
    form.ButtonForm3->click();
    EXPECT_TRUE(mtfWindow.isVisible());
    EXPECT_TRUE(spectrumWindow.isVisible());
}

TEST_F(ViewerWindow, LoadsCtSmallWithHeaderSummaryAutoWindowAndFolderList) {
    const std::string path = copyToFolder("dicom/CT_small.dcm", "CT_small.dcm");
    writeFile("IM10", {1});
    writeFile("IM2", {1});
    load(path);
    ASSERT_TRUE(errors().empty()) << errors()[0];

    EXPECT_EQ(form.LoadState, LoadStatus::Loaded);
    EXPECT_EQ(field(form.EditFileName), path);
    EXPECT_EQ(field(form.EditFileSize), "39206");
    EXPECT_EQ(field(form.EditHeader), "6300");
    EXPECT_EQ(field(form.EditImgSizeX), "128");
    EXPECT_EQ(field(form.EditImgSizeY), "128");
    EXPECT_EQ(field(form.EditPxlSpc), "0.661468");
    EXPECT_EQ(field(form.EditOffst), "-1024");
    EXPECT_EQ(field(form.EditFOVSize), "338.671600");
    EXPECT_FALSE(form.CheckBoxSwp->isChecked());
    EXPECT_TRUE(form.CheckBoxRoiSet->isChecked());
    EXPECT_EQ(field(form.EditROIPosX), "64");
    EXPECT_EQ(field(form.EditROISizeX), "128");  // the default 256 fitted to the image
    EXPECT_TRUE(dialogs->inputRequests.empty());

    EXPECT_EQ(form.StringGridDICOM->rowCount(), 257);
    EXPECT_EQ(form.StringGridDICOM->item(1, 5)->text(), "MediaStorageSOPClassUID");
    EXPECT_EQ(form.StringGridDICOM->item(195, 5)->text(), "Rows");
    EXPECT_TRUE(form.Memo1->toPlainText().startsWith("RHAPSODE\nmmST : 5.000000\n"));

    // The automatic window, computed here directly from the central half of the file.
    const auto bytes = test::readBytes(path);
    int lo = 1 << 20, hi = -(1 << 20);
    for (int r = 32; r < 96; ++r) {
        for (int c = 32; c < 96; ++c) {
            const std::size_t at = 6300 + 2 * (r * 128 + c);
            const int v = static_cast<std::int16_t>(
                static_cast<std::int16_t>(bytes[at] | (bytes[at + 1] << 8)) - 1024);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    }
    EXPECT_EQ(field(form.EditWindowWidth), std::to_string(hi - lo - 1));
    EXPECT_EQ(field(form.EditWindowLevel), std::to_string((hi + lo) / 2));

    EXPECT_EQ(form.displayBitmap().width, 128);
    EXPECT_EQ(form.Image1->geometry(), QRect(0, 0, 512, 512));
    EXPECT_TRUE(form.Image2->isHidden());

    const std::string prefix = folder.path() + "/";
    ASSERT_EQ(form.ListBox1->count(), 3);
    // The list shows names; its items keep the whole paths.
    const char* names[] = {"CT_small.dcm", "IM2", "IM10"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(form.ListBox1->item(i)->text().toStdString(), names[i]);
        EXPECT_EQ(form.ListBox1->item(i)->data(Qt::UserRole).toString().toStdString(),
                  prefix + names[i]);
    }
    EXPECT_EQ(field(form.EditFListNo), "0");
}

TEST_F(ViewerWindow, NonSquareDicomShowsRowsAndColumnsInTheirFields) {
    std::vector<std::int16_t> ramp(4 * 6);
    for (int k = 0; k < 24; ++k) ramp[k] = static_cast<std::int16_t>(k * 10);
    test::DicomBuilder b;
    b.us(0x0028, 0x0010, 6).us(0x0028, 0x0011, 4);
    form.RadioGroupTool->setItemIndex(2);
    load(writeFile("tall.dcm", b.withPixels(ramp)));
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(field(form.EditImgSizeX), "4");
    EXPECT_EQ(field(form.EditImgSizeY), "6");
    const DisplayBitmap& bitmap = form.displayBitmap();
    ASSERT_EQ(bitmap.width, 4);
    ASSERT_EQ(bitmap.height, 6);
    EXPECT_EQ(form.Image1->geometry(), QRect(85, 0, 341, 512));
    // The central half is rows 1..2 and columns 1..2: 50, 60, 90, 100.
    EXPECT_EQ(field(form.EditWindowWidth), "49");
    EXPECT_EQ(field(form.EditWindowLevel), "75");
    // With the tool "OFF" no frame is drawn: every pixel is image.
    const float scale = static_cast<float>(256.0L / 49);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 4; ++x) {
            const long double d = (y * 4 + x) * 10 - 75;
            const long grey = std::clamp(std::lround(std::nearbyint(d * scale)) + 128, 0L, 255L);
            EXPECT_EQ(bitmap.at(x, y), grey) << x << "," << y;
        }
    }
}

// "File W/L" takes the window the DICOM file states, on this load and every later one, until it
// is unticked; a file that states none, or a raw file, gets the automatic window.
TEST_F(ViewerWindow, FileWindowIsOfferedBesideTheAutomaticOneAndRemembered) {
    std::vector<std::int16_t> ramp(8 * 8);
    for (int k = 0; k < 64; ++k) ramp[k] = static_cast<std::int16_t>(k * 10);
    auto dicom = [&](const std::string& name, const std::string& centre, const std::string& width) {
        test::DicomBuilder b;
        b.us(0x0028, 0x0010, 8).us(0x0028, 0x0011, 8);
        if (!centre.empty()) b.explicitElement(0x0028, 0x1050, "DS", centre);
        if (!width.empty()) b.explicitElement(0x0028, 0x1051, "DS", width);
        return writeFile(name, b.withPixels(ramp));
    };
    const std::string stated = dicom("a.dcm", "-83", "400");
    const std::string twoValues = dicom("b.dcm", "40.4\\50", "350.6\\1000");
    const std::string none = dicom("c.dcm", "", "");
    auto window = [&] { return field(form.EditWindowLevel) + "/" + field(form.EditWindowWidth); };
    // The central half: rows and columns 2..5, values 180 … 450.
    const std::string automatic = "315/269";

    load(stated);
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_FALSE(form.CheckBoxFileWindow->isChecked());  // the automatic window stays the default
    EXPECT_EQ(window(), automatic);
    form.CheckBoxFileWindow->click();
    EXPECT_EQ(window(), "-83/400");
    const DisplayBitmap& bitmap = form.displayBitmap();
    EXPECT_EQ(bitmap.at(0, 0), 181);  // 0 HU lies 83 above the level: 128 + 83 · 256 / 400
    load(twoValues);
    EXPECT_EQ(window(), "40/351");
    load(none);
    EXPECT_EQ(window(), automatic);
    form.EditHeader->setText("0");  // a raw file is read with the header length in the field
    load(writeFile("r 8 8 1p0.raw", test::wordsLE(ramp)), 1);
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(window(), automatic);
    load(stated);
    EXPECT_EQ(window(), "-83/400");
    form.CheckBoxFileWindow->click();
    EXPECT_EQ(window(), automatic);
}

TEST_F(ViewerWindow, RawFileTakesItsGeometryFromItsName) {
    const std::string path =
        copyToFolder("phantoms/point 256 256 0p5.raw", "point 256 256 0p5.raw");
    form.EditHeader->setText("0");
    form.RadioGroupTool->setItemIndexSilently(2);  // "OFF": no frame in the picture
    load(path, 1);
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_TRUE(dialogs->inputRequests.empty());
    EXPECT_EQ(field(form.EditImgSizeX), "256");
    EXPECT_EQ(field(form.EditImgSizeY), "256");
    EXPECT_EQ(field(form.EditPxlSpc), "0.5");
    EXPECT_EQ(field(form.EditHeader), "0");
    EXPECT_EQ(field(form.EditROIPosX), "128");
    // The point (peak 3751 at row 128, column 128) is the one white sample of the centre.
    const DisplayBitmap& bitmap = form.displayBitmap();
    const auto brightest = std::max_element(bitmap.pixels.begin(), bitmap.pixels.end());
    EXPECT_EQ(brightest - bitmap.pixels.begin(), 128 * 256 + 128);
}

TEST_F(ViewerWindow, SizePromptOffersASquareAndTakesTheAnswer) {
    const std::string path = writeFile("img.raw", std::vector<std::uint8_t>(262144, 7));
    dialogs->inputAnswers = {QString("256"), QString("0.7")};
    form.EditHeader->setText("12");
    form.EditMF->setText("2.0");
    load(path, 0);
    ASSERT_TRUE(errors().empty()) << errors()[0];
    ASSERT_EQ(dialogs->inputRequests.size(), 2u);
    EXPECT_EQ(dialogs->inputRequests[0].caption, "");
    EXPECT_EQ(dialogs->inputRequests[0].prompt, "Matrix Size x y , ");
    EXPECT_EQ(dialogs->inputRequests[0].defaultText, "512 512");
    EXPECT_EQ(dialogs->inputRequests[1].caption, "InputBox");
    EXPECT_EQ(dialogs->inputRequests[1].prompt, "ﾋﾟｸｾﾙ間隔(mm)を入力してください。");
    EXPECT_EQ(field(form.EditImgSizeX), "256");
    EXPECT_EQ(field(form.EditImgSizeY), "256");
    EXPECT_EQ(field(form.EditPxlSpc), "0.7");
    EXPECT_EQ(field(form.EditHeader), "0");
    EXPECT_EQ(field(form.EditMF), "1.0");
}

// Cancel on either prompt cancels the load: the image on screen stays with its fields, also when
// the key that stepped to the file was PageDown.
TEST_F(ViewerWindow, CancelOnASizePromptCancelsTheLoad) {
    load(copyToFolder("phantoms/point 256 256 0p5.raw", "p 16 16 1.raw"), 1);
    ASSERT_TRUE(errors().empty()) << errors()[0];
    const std::vector<std::uint8_t> stream = form.ImageStream;
    const std::string shown = field(form.EditFileName);
    const std::string noSize = writeFile("notes.md", std::vector<std::uint8_t>(524288 + 1234, 0));
    for (std::size_t cancelled : {0u, 1u}) {
        dialogs->inputAnswers = {QString("64 64"), QString("0.5")};
        dialogs->inputAnswers[cancelled] = std::nullopt;
        dialogs->inputRequests.clear();
        load(noSize, 1);
        EXPECT_EQ(dialogs->inputRequests.size(), cancelled + 1);
        EXPECT_EQ(dialogs->inputRequests[0].defaultText, "1024 1024");
        EXPECT_TRUE(errors().empty()) << errors()[0];
        EXPECT_EQ(field(form.EditFileName), shown);
        EXPECT_EQ(field(form.EditImgSizeX), "16");
        EXPECT_EQ(field(form.EditPxlSpc), "1");
        EXPECT_EQ(form.ImageStream, stream);
        EXPECT_EQ(form.LoadState, LoadStatus::Loaded);
        dialogs->inputAnswers.clear();
    }
}

TEST_F(ViewerWindow, AnswerThatIsNotASizeStopsTheLoad) {
    const std::string path = writeFile("img.raw", std::vector<std::uint8_t>(100, 0));
    dialogs->inputAnswers = {QString("ten"), QString("1")};
    load(path, 1);
    EXPECT_EQ(errors(), std::vector<std::string>{"'ten' は整数ではありません"});
    EXPECT_EQ(form.LoadState, LoadStatus::Empty);
}

TEST_F(ViewerWindow, TruncatedDicomKeepsItsHeaderAndTheRenderingNamesTheMismatch) {
    load(copyToFolder("dicom/MR_truncated.dcm", "MR_truncated.dcm"));
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_NE(errors()[0].find("header 1500 + 64 × 64 × 2 bytes"), std::string::npos)
        << errors()[0];
    EXPECT_NE(errors()[0].find("9630"), std::string::npos) << errors()[0];
    EXPECT_EQ(form.LoadState, LoadStatus::Loaded);
    EXPECT_EQ(field(form.EditImgSizeX), "64");
    EXPECT_EQ(form.StringGridDICOM->rowCount(), 66);
}

TEST_F(ViewerWindow, BigEndianDicomIsDecodedByTheToolkitWithoutASizePrompt) {
    load(copyToFolder("dicom/MR_small_implicit.dcm", "MR_small_implicit.dcm"));
    ASSERT_TRUE(errors().empty()) << errors()[0];
    setRoi(30, 34, 40, 36);
    form.ButtonStat->click();
    const QString mean = form.EditHSBP->text(), sd = form.EditVSBP->text();

    load(copyToFolder("dicom/MR_small_bigendian.dcm", "MR_small_bigendian.dcm"));
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_TRUE(dialogs->inputRequests.empty());
    EXPECT_EQ(field(form.EditHeader), "0");
    EXPECT_EQ(field(form.EditImgSizeX), "64");
    EXPECT_EQ(field(form.EditPxlSpc), "0.3125");
    EXPECT_FALSE(form.CheckBoxSwp->isChecked());
    EXPECT_TRUE(form.Memo1->toPlainText().startsWith("decoded: Explicit VR Big Endian\n"));
    EXPECT_GT(form.StringGridDICOM->rowCount(), 40);
    EXPECT_EQ(form.ImageStream.size(), 64u * 64u * 2u);
    setRoi(30, 34, 40, 36);
    form.ButtonStat->click();  // the same image as the implicit file: the same numbers
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(form.EditHSBP->text(), mean);
    EXPECT_EQ(form.EditVSBP->text(), sd);
}

TEST_F(ViewerWindow, CancelledDialogAndMissingFileChangeNoState) {
    load(copyToFolder("phantoms/point 256 256 0p5.raw", "p 16 16 1.raw"), 1);
    ASSERT_EQ(form.LoadState, LoadStatus::Loaded);
    const std::vector<std::uint8_t> stream = form.ImageStream;

    const std::string shownFile = field(form.EditFileName);
    load("", 1);  // cancelled: nothing changes
    EXPECT_EQ(field(form.EditImgSizeX), "16");
    EXPECT_EQ(form.ImageStream, stream);
    EXPECT_TRUE(errors().empty());

    // A file that cannot be read says why and changes nothing: the image, its fields and its
    // statistics stay together, and "Disp" still draws it.
    const std::string missing = folder.file("gone 8 8 1.raw");
    load(missing, 1);
    EXPECT_EQ(errors(), std::vector<std::string>{"ファイル " + missing +
                                                 " は開けません (ファイルがありません)"});
    EXPECT_EQ(field(form.EditFileName), shownFile);
    EXPECT_EQ(field(form.EditImgSizeX), "16");
    EXPECT_EQ(field(form.EditImgSizeY), "16");
    EXPECT_EQ(form.ImageStream, stream);
    EXPECT_EQ(form.LoadState, LoadStatus::Loaded);
    form.ButtonDisp->click();
    EXPECT_EQ(errors().size(), 1u);
    EXPECT_EQ(form.ImgCols, 16);
}

TEST_F(ViewerWindow, LoadStateTwoTakesThePathFromTheField) {
    const std::string path = copyToFolder("phantoms/point 256 256 0p5.raw", "p 256 256 0p5.raw");
    form.RadioGroupMode->setItemIndex(1);
    form.EditFileName->setText(QString::fromStdString(path));
    form.LoadState = LoadStatus::FromFileField;
    form.BitBtnLoadClick();
    EXPECT_EQ(dialogs->openFileRequests, 0);
    EXPECT_EQ(form.LoadState, LoadStatus::Loaded);
    EXPECT_EQ(form.ImgCols, 256);
}

class LoadedRamp : public ViewerWindow {
  protected:
    void SetUp() override {
        std::vector<std::int16_t> words(512 * 256);
        for (std::size_t k = 0; k < words.size(); ++k)
            words[k] = static_cast<std::int16_t>(k % 997);
        load(writeFile("ramp 512 256 1.raw", test::wordsLE(words)), 1);
        ASSERT_TRUE(errors().empty()) << errors()[0];
    }
};

TEST_F(LoadedRamp, MagnificationStepsStayOnTheTenthGrid) {
    for (const char* expected : {"1.1", "1.2", "1.3", "1.4", "1.5"}) {
        form.Button1->click();
        EXPECT_EQ(field(form.EditMF), expected);
    }
    form.EditMF->setText("1.1");
    form.EditImgSftX->setText("5");
    form.EditImgSftY->setText("-5");
    form.Button2->click();
    EXPECT_EQ(field(form.EditMF), "1.0");
    EXPECT_EQ(field(form.EditImgSftX), "0");
    EXPECT_EQ(field(form.EditImgSftY), "0");
    form.EditImgSftX->setText("3");
    form.Button2->click();  // at 1.0 "-" only resets the shifts
    EXPECT_EQ(field(form.EditMF), "1.0");
    EXPECT_EQ(field(form.EditImgSftX), "0");
    form.EditMF->setText("1.05");
    form.Button2->click();
    EXPECT_EQ(field(form.EditMF), "0.95");
    form.EditMF->setText("0.9");
    form.Button1->click();
    EXPECT_EQ(field(form.EditMF), "1.0");
    EXPECT_TRUE(errors().empty()) << errors()[0];
}

TEST_F(LoadedRamp, ExchangeButtonTurnsColumnsAndRowsAndSetsTheWindowAgain) {
    EXPECT_EQ(form.displayBitmap().width, 256);  // wide: the central 256 × 256 square
    form.EditWindowWidth->setText("1");
    form.ButtonRowCulm->click();
    EXPECT_EQ(field(form.EditImgSizeX), "256");
    EXPECT_EQ(field(form.EditImgSizeY), "512");
    EXPECT_EQ(form.displayBitmap().width, 256);
    EXPECT_EQ(form.displayBitmap().height, 512);
    EXPECT_EQ(form.Image1->geometry(), QRect(128, 0, 256, 512));
    EXPECT_EQ(field(form.EditWindowWidth), "995");  // 0..996 in the central half
}

TEST_F(LoadedRamp, TypedFieldsTakeEffectAndBadOnesLeaveThePicture) {
    form.EditImgSizeX->setText("128");
    form.ButtonDisp->click();
    EXPECT_EQ(form.ImgCols, 128);
    EXPECT_EQ(form.displayBitmap().width, 128);

    const std::vector<std::uint8_t> before = form.displayBitmap().pixels;
    form.EditWindowWidth->setText("x");
    form.ButtonDisp->click();
    EXPECT_EQ(form.displayBitmap().pixels, before);
    // Width 0 is drawn as width 1, and the field keeps its text.
    form.EditWindowWidth->setText("1");
    form.ButtonDisp->click();
    const std::vector<std::uint8_t> widthOne = form.displayBitmap().pixels;
    form.EditWindowWidth->setText("0");
    form.ButtonDisp->click();
    EXPECT_EQ(form.displayBitmap().pixels, widthOne);
    EXPECT_EQ(field(form.EditWindowWidth), "0");
    EXPECT_EQ(errors(), (std::vector<std::string>{"Width: 'x' は整数ではありません"}));
}

// On a system that is not Japanese the same message reads in English, naming the field.
TEST_F(LoadedRamp, ConversionMessagesNameTheFieldInTheUsersLanguage) {
    useEnglish(true);
    form.EditROISizeX->setText("abc");
    form.ButtonDisp->click();
    useEnglish(false);
    form.EditROISizeX->setText("abc");
    form.ButtonDisp->click();
    EXPECT_EQ(errors(), (std::vector<std::string>{"Size: 'abc' is not an integer",
                                                  "Size: 'abc' は整数ではありません"}));
}

TEST_F(LoadedRamp, AMagnificationThatShowsNoSampleSaysSo) {
    const std::vector<std::uint8_t> before = form.displayBitmap().pixels;
    form.EditMF->setText("1000");
    form.ButtonDisp->click();
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_NE(errors()[0].find("no whole sample"), std::string::npos) << errors()[0];
    EXPECT_EQ(form.displayBitmap().pixels, before);
    // A Japanese reader's message box reads it in Japanese.
    useEnglish(false);
    form.ButtonDisp->click();
    ASSERT_EQ(errors().size(), 2u);
    EXPECT_NE(errors()[1].find("倍率 1000 では画像の"), std::string::npos) << errors()[1];
}

// A central region of two neighbouring values gives the automatic window width 0: the load
// finishes instead of ending in a division error.
TEST_F(ViewerWindow, AutomaticWindowOfWidthZeroStillShowsTheImage) {
    std::vector<std::int16_t> words(16 * 16, 100);
    for (int k = 0; k < 16 * 16; k += 2) words[k] = 101;
    load(writeFile("two 16 16 1.raw", test::wordsLE(words)), 1);
    EXPECT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(field(form.EditWindowWidth), "0");
    EXPECT_EQ(form.LoadState, LoadStatus::Loaded);
}

TEST_F(LoadedRamp, SwapAndInvertRenderAgainAndToggleBack) {
    const std::vector<std::uint8_t> plain = form.displayBitmap().pixels;
    form.CheckBoxSwp->click();
    EXPECT_NE(form.displayBitmap().pixels, plain);
    form.CheckBoxSwp->click();
    EXPECT_EQ(form.displayBitmap().pixels, plain);
    form.CheckBoxInvrt->click();
    std::vector<std::uint8_t> inverted = plain;
    for (auto& g : inverted) g = static_cast<std::uint8_t>(255 - g);
    // The ROI frame is drawn into the bitmap by inversion, so compare away from it.
    const DisplayBitmap& b = form.displayBitmap();
    EXPECT_EQ(b.at(3, 3), inverted[3 * b.width + 3]);
    EXPECT_EQ(b.at(200, 10), inverted[10 * b.width + 200]);
}

TEST_F(ViewerWindow, TinyImageKeepsTheWindowFields) {
    load(writeFile("tiny 3 3 1.raw", test::wordsLE({1, 2, 3, 4, 5, 6, 7, 8, 9})), 1);
    EXPECT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(field(form.EditWindowLevel), "512");
    EXPECT_EQ(field(form.EditWindowWidth), "1024");
}

TEST_F(ViewerWindow, FileListButtonsListTheFolderAndFindTheFile) {
    const std::string path = writeFile("b 2 2 1.raw", std::vector<std::uint8_t>(8, 0));
    writeFile("a 2 2 1.raw", std::vector<std::uint8_t>(8, 0));
    writeFile("c 2 2 1.raw", std::vector<std::uint8_t>(8, 0));
    load(path, 1);
    EXPECT_EQ(field(form.EditFListNo), "1");
    form.EditFListNo->setText("2");
    form.Button3->click();  // lists only
    EXPECT_EQ(form.ListBox1->count(), 3);
    EXPECT_EQ(field(form.EditFListNo), "2");
    form.EditFileName->setText(QString::fromStdString(folder.file("B 2 2 1.raw")));
    form.ButtonFileList->click();
    EXPECT_EQ(errors(), std::vector<std::string>{"リストのインデックスが範囲を超えています (3)"});
    EXPECT_EQ(form.ListBox1->count(), 3);
    EXPECT_EQ(field(form.EditFListNo), "2");
    // An activated item (double click, Return) opens its file.
    emit form.ListBox1->itemActivated(form.ListBox1->item(2));
    EXPECT_EQ(form.fieldText(ViewerField::FileName).toStdString(), folder.file("c 2 2 1.raw"));
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// Average and SD belong to the frame on screen: a frame that moves (Disp with new fields, the
// ROI tool switched off), or fields typed in, clear them; "Stat" measures the frame shown.
TEST_F(ViewerWindow, StatisticsNeverBelongToAnotherFrame) {
    std::vector<std::int16_t> words(64 * 64);
    for (std::size_t k = 0; k < words.size(); ++k) words[k] = static_cast<std::int16_t>(k % 64);
    load(writeFile("ramp 64 64 0p5.raw", test::wordsLE(words)), 1);
    setRoi(8, 32, 4, 4);  // columns 6 … 9: mean 7.50
    viewer.ButtonStat->click();
    ASSERT_EQ(field(viewer.EditHSBP), "7.50");
    viewer.ButtonDisp->click();  // the same frame drawn again: the numbers stay
    EXPECT_EQ(field(viewer.EditHSBP), "7.50");

    struct Step {
        const char* what;
        std::function<void()> act;
    };
    const Step steps[] = {
        {"Disp after new fields", [&] { setRoi(40, 32, 4, 4); }},
        {"a size typed in",
         [&] {
             viewer.EditROISizeX->setFocus();
             QTest::keyClicks(viewer.EditROISizeX, "0");
         }},
    };
    for (const Step& s : steps) {
        setRoi(8, 32, 4, 4);
        viewer.ButtonStat->click();
        ASSERT_EQ(field(viewer.EditHSBP), "7.50") << s.what;
        s.act();
        EXPECT_EQ(field(viewer.EditHSBP), "") << s.what;
        EXPECT_EQ(field(viewer.EditVSBP), "") << s.what;
    }
    setRoi(40, 32, 4, 4);  // columns 38 … 41
    viewer.ButtonStat->click();
    EXPECT_EQ(field(viewer.EditHSBP), "39.50");
    // A mirror puts other samples under the same frame.
    viewer.ButtonHoriz->click();
    EXPECT_EQ(field(viewer.EditHSBP), "");
    viewer.ButtonStat->click();
    EXPECT_EQ(field(viewer.EditHSBP), "23.50");  // columns 22 … 25 before the mirror
    viewer.ButtonVert->click();
    EXPECT_EQ(field(viewer.EditHSBP), "");
}

// Replaces a field's text key by key, as a user types it.
void typeInto(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    for (const QChar c : text) {
        QTest::keyClick(field, Qt::Key_End);
        QTest::keyClick(field, c.toLatin1());
    }
}

// Return in an ROI field draws the frame the fields describe, and "Stat" measures that frame.
TEST_F(ViewerWindow, ReturnInAnRoiFieldAppliesItBeforeStat) {
    std::vector<std::int16_t> words(64 * 64);
    for (std::size_t k = 0; k < words.size(); ++k) words[k] = static_cast<std::int16_t>(k % 64);
    load(writeFile("ramp 64 64 0p5.raw", test::wordsLE(words)), 1);
    setRoi(8, 32, 4, 4);
    typeInto(viewer.EditROIPosX, "40");
    QTest::keyClick(viewer.EditROIPosX, Qt::Key_Return);
    ASSERT_EQ(field(viewer.EditROIPosX), "40");
    viewer.ButtonStat->click();
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(field(viewer.EditHSBP), "39.50");  // columns 38 … 41, not the old frame's 7.50
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

TEST_F(ViewerWindow, StepsThroughTheFramesOfAMultiFrameFile) {
    const std::string path = folder.file("three frames.dcm");
    test::writeBytes(path, test::multiFrameImage(8, {100, 200, 300}));

    load(path);
    EXPECT_TRUE(form.SpinFrame->isVisibleTo(&form));
    EXPECT_EQ(form.SpinFrame->maximum(), 3);
    EXPECT_EQ(form.LabelFrames->text(), "/ 3");
    form.ButtonStat->click();
    EXPECT_TRUE(field(form.EditHSBP).starts_with("100")) << field(form.EditHSBP);

    form.SpinFrame->setValue(3);
    form.ButtonStat->click();
    EXPECT_TRUE(field(form.EditHSBP).starts_with("300")) << field(form.EditHSBP);
    EXPECT_EQ(form.SpinFrame->value(), 3);

    // Another file starts at its first frame, and a single frame hides the control.
    load(test::testData("dicom/CT_small.dcm"));
    EXPECT_FALSE(form.SpinFrame->isVisibleTo(&form));
    EXPECT_TRUE(errors().empty()) << errors()[0];
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// Whatever the order of files, the fields, the picture and the labels belong to the file on
// screen.
TEST_F(ViewerWindow, AFileThatStatesNoOffsetTakesTheTypedOneNotThePreviousFiles) {
    load(copyToFolder("dicom/CT_small.dcm", "CT_small.dcm"));
    ASSERT_EQ(field(form.EditOffst), "-1024");
    std::vector<std::int16_t> words(16 * 16, 500);
    const std::string raw = writeFile("flat 16 16 1.raw", test::wordsLE(words));
    load(raw, 1);
    ASSERT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(field(form.EditOffst), "0");
    setRoi(8, 8, 4, 4);
    form.ButtonStat->click();
    EXPECT_EQ(field(form.EditHSBP), "500.00");

    // An offset the user typed stays for files that state none, whatever came between.
    typeInto(form.EditOffst, "-24");
    load(copyToFolder("dicom/CT_small.dcm", "CT_small.dcm"));
    EXPECT_EQ(field(form.EditOffst), "-1024");
    load(raw, 1);
    EXPECT_EQ(field(form.EditOffst), "-24");
}

TEST_F(ViewerWindow, ARefusedFileAfterAFileWithoutImageShowsNoEarlierImage) {
    load(copyToFolder("dicom/rtplan.dcm", "rtplan.dcm"));
    std::vector<std::uint8_t> truncatedPlan = test::readBytes(folder.file("rtplan.dcm"));
    truncatedPlan.resize(truncatedPlan.size() / 3);
    test::DicomBuilder colour;
    colour.us(0x0028, 0x0002, 3).explicitElement(0x0028, 0x0004, "CS", "RGB ");
    colour.us(0x0028, 0x0010, 4).us(0x0028, 0x0011, 4).us(0x0028, 0x0100, 16);
    for (const std::string& refused :
         {writeFile("plan_cut.dcm", truncatedPlan),
          writeFile("colour.dcm", colour.withPixels(std::vector<std::int16_t>(48, 7)))}) {
        load(copyToFolder("phantoms/point 256 256 0p5.raw", "p 16 16 1.raw"), 1);
        load(copyToFolder("dicom/rtplan.dcm", "rtplan.dcm"));
        const std::size_t before = errors().size();
        load(refused);
        EXPECT_EQ(form.LoadState, LoadStatus::Empty) << refused;
        EXPECT_TRUE(form.ImageStream.empty()) << refused;
        EXPECT_TRUE(form.Image1->isHidden()) << refused;
        form.ButtonStat->click();
        ASSERT_GT(errors().size(), before) << refused;
        EXPECT_NE(errors().back().find("No image"), std::string::npos) << errors().back();
    }
}

TEST_F(ViewerWindow, ResultsAreNamedByTheImageOnScreenNotByAPathThatFailed) {
    const std::string shown = copyToFolder("phantoms/point 256 256 0p5.raw", "p 16 16 1.raw");
    load(shown, 1);
    const std::string missing = folder.file("gone 8 8 1.raw");
    form.EditFileName->setText(QString::fromStdString(missing));
    form.LoadState = LoadStatus::FromFileField;
    EXPECT_ANY_THROW(form.BitBtnLoadClick());  // the guarded handler would show why
    EXPECT_EQ(form.fieldText(ViewerField::FileName).toStdString(), shown);
}

}  // namespace
}  // namespace ctiq
