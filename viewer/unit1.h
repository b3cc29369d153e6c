#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "viewer/display_bitmap.h"
#include "viewer/render.h"
#include "viewer/stored_image.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace ctiq {

class ImageView;
class RadioGroup;

// The viewer window "Viewer": loads one image file, shows it through window and level, lists its
// DICOM header. Its fields hold the image parameters as text; every handler reads them when it
// runs. Controls and globals keep the names users and documentation know them by.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The analysis windows "Form2" and "Form3" show.
    void setAnalysisWindows(QWidget* form2, QWidget* form3);

    // Handlers (a user's click reaches them through the guarded boundary; code calls them
    // directly so that their errors end the caller too).
    void BitBtnLoadClick();
    void ButtonToForm2Click();
    void ButtonForm3Click();
    void ButtonDispClick();
    void Button1Click();
    void Button2Click();
    void CheckBoxSwpClick();
    void CheckBoxInvrtClick();
    void ButtonRowCulmClick();
    void ButtonAutoWLClick();
    void ButtonFileListClick();
    void Button3Click();

    // Image parameters and display.
    QLineEdit* EditFileName;
    QLineEdit* EditFileSize;
    QLineEdit* EditHeader;
    QLineEdit* EditFOVSize;
    QLineEdit* EditImgSizeX;
    QLineEdit* EditImgSizeY;
    QLineEdit* EditOffst;
    QLineEdit* EditPxlSpc;
    QLineEdit* EditImgSftX;
    QLineEdit* EditImgSftY;
    RadioGroup* RadioGroupMode;
    QCheckBox* CheckBoxSwp;
    QCheckBox* CheckBoxInvrt;
    QCheckBox* CheckBoxSign;
    QCheckBox* CheckBoxWide;
    QLineEdit* EditWindowLevel;
    QLineEdit* EditWindowWidth;
    QLineEdit* EditMF;
    RadioGroup* RadioGroupTool;
    RadioGroup* RadioGroupRange;
    QLineEdit* EditROIPosX;
    QLineEdit* EditROIPosY;
    QLineEdit* EditROISizeX;
    QLineEdit* EditROISizeY;
    QCheckBox* CheckBoxRoiLock;
    QCheckBox* CheckBoxRoiSet;
    QLineEdit* EditHSBP;
    QLineEdit* EditVSBP;
    QLabel* Label1;

    // Image area.
    QWidget* ScrollBox1;
    ImageView* Image1;
    QLabel* Image2;
    QWidget* Image3;

    // Buttons.
    QPushButton* BitBtnLoad;
    QPushButton* BitBtn1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* ButtonDisp;
    QPushButton* ButtonRowCulm;
    QPushButton* ButtonAutoWL;
    QPushButton* ButtonStat;
    QPushButton* ButtonVert;
    QPushButton* ButtonHoriz;
    QPushButton* ButtonCCW;
    QPushButton* ButtonCW;
    QPushButton* ButtonTriming;
    QPushButton* ButtonToTable;
    QPushButton* ButtonToForm3;
    QCheckBox* CheckBoxLockPara;
    QPushButton* ButtonSaveBMP;
    QPushButton* ButtonToForm2;
    QPushButton* ButtonForm3;
    QRadioButton* RadioButtonSizeOrg;
    QRadioButton* RadioButtonSize512;
    QRadioButton* RadioButton3;

    // Header table, scan summary, dictionary, file list.
    QTableWidget* StringGridDICOM;
    QPlainTextEdit* Memo1;
    QPlainTextEdit* Memo_DICOMTag;
    QPushButton* ButtonFileList;
    QPushButton* Button3;
    QListWidget* ListBox1;
    QLineEdit* EditFListNo;
    QPushButton* ButtonHeaderToCB;
    QPlainTextEdit* Memo2;

    // Globals of the viewer.
    ImageBytes ImageStream;
    std::string ImageFileName;
    std::int32_t LoadState = 0;
    std::int32_t ImgCols = 0;
    std::int32_t ImgRows = 0;
    std::int32_t RoiLeft = 0, RoiTop = 0, RoiRight = 0, RoiBottom = 0;
    IntRect RoiFrameRect;
    std::int32_t ViewLeft = 0, ViewRight = 0, ViewTop = 0, ViewBottom = 0;
    bool DragTopLeft = false, DragBottomRight = false, DragMove = false;

    // The picture of Image1.
    const DisplayBitmap& displayBitmap() const { return bitmap_; }

protected:
    void closeEvent(QCloseEvent*) override;

private:
    void FormCreate();
    void ReadDicomHeader();
    void DrawImage();
    void DrawRoiFrame();

    void buildControls();
    void connectHandlers();
    SampleFormat sampleFormat() const;
    // Lists the folder of the current file into ListBox1 and returns the list.
    std::vector<std::string> rebuildFileList();

    DisplayBitmap bitmap_;
    QWidget* form2_ = nullptr;
    QWidget* form3_ = nullptr;
};

}  // namespace ctiq
