#pragma once

#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/roi_block.h"
#include "image/stored_image.h"
#include "load/dicom/dicom_header.h"
#include "load/load_fields.h"
#include "load/load_plan.h"
#include "viewer/display_bitmap.h"
#include "viewer/image_transform.h"
#include "viewer/render.h"
#include "viewer/roi_hand_off.h"

class QCheckBox;
class QMenu;
class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;

#include "common/ui/viewer_link.h"

namespace ctiq {

// What the viewer holds: nothing yet, a loaded image; FromFileField makes the next load take its
// path from the file-name field instead of the dialog (a wheel step).
enum class LoadStatus : std::int32_t { Empty = 0, Loaded = 1, FromFileField = 2 };

// The mouse button that a drag in the image started with.
enum class DragButtonKind { None, Left, Right };

class GrowingPlaces;
class ImageView;
class RadioGroup;

// The viewer window "Viewer": loads one image file, shows it through window and level, lists its
// DICOM header. Its fields hold the image parameters as text; every handler reads them when it
// runs. Controls and globals keep the names users and documentation know them by.
class TForm1 : public QWidget, public ViewerLink {
    Q_OBJECT
  public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // What the analysis windows read of the viewer.
    QString fieldText(ViewerField field) const override;
    bool swapChecked() const override;
    bool eightBitSamples() const override;
    const std::vector<std::uint8_t>& imageBytes() const override { return ImageStream; }
    std::int32_t imageColumns() const override { return ImgCols; }
    std::int32_t imageRows() const override { return ImgRows; }
    QPoint roiImageCorner() const override;
    void showViewer() override;

    // Loads a file given from outside (the command line, a file manager) in the mode that fits
    // it, as "⇒" loads a typed path; a failure shows the load's message and leaves the viewer
    // ready for the next load.
    void openFromOutside(const std::string& path);
    // Loads `path` as "⇒" loads the path in the file-name field, in the selected mode.
    void loadTypedPath(const std::string& path);

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
    void CheckBoxFileWindowClick();
    // The window a load ends with: the file's own with "File W/L" ticked, else the automatic one.
    void applyLoadWindow();
    void ButtonFileListClick();
    void Button3Click();

    // Mouse tools, ROI and statistics.
    void Image1MouseDown(Qt::MouseButton button, int x, int y);
    void Image1MouseMove(int x, int y);
    void Image1MouseUp(Qt::MouseButton button, int x, int y);
    void RadioGroupToolClick();
    void PopupMenu1Change();
    void N641Click();
    void N1281Click();
    void N2561Click();
    void N5121Click();
    void N10241Click();
    void N20481Click();
    void ButtonStatClick();

    // Flips, rotations, trimming.
    void ButtonVertClick();
    void ButtonHorizClick();
    void ButtonCCWClick();
    void ButtonCWClick();
    void ButtonTrimingClick();

    // Wheel stepping through the folder, the header table's size and its export. A wheel turn
    // over the viewer is one message with its signed delta; `handled` keeps it from its target.
    void ApplicationEvents1Message(int wheelDelta, bool& handled);
    // PageDown/PageUp (and the arrows over the image): the next or previous file of the list,
    // from the one on screen.
    void stepThroughFolder(int step);
    void StringGridDICOMDblClick();
    void ButtonHeaderToCBClick();

    // Hand-off to the analysis windows.
    void ButtonToTableClick();
    void ButtonSaveBMPClick();
    void ButtonToForm3Click();

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
    QCheckBox* CheckBoxFileWindow;
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
    // The frame of a multi-frame file on screen (shown only for such a file) and their count.
    QSpinBox* SpinFrame;
    QLabel* LabelFrames;
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
    QMenu* PopupMenu1;
    QAction* N641;
    QAction* N1281;
    QAction* N2561;
    QAction* N5121;
    QAction* N10241;
    QAction* N20481;

    // Globals of the viewer.
    ImageBytes ImageStream;
    std::string ImageFileName;
    LoadStatus LoadState = LoadStatus::Empty;
    std::int32_t ImgCols = 0;
    std::int32_t ImgRows = 0;
    std::int32_t RoiLeft = 0, RoiTop = 0, RoiRight = 0, RoiBottom = 0;
    IntRect RoiFrameRect;
    std::int32_t ViewLeft = 0, ViewRight = 0, ViewTop = 0, ViewBottom = 0;
    bool DragTopLeft = false, DragBottomRight = false, DragMove = false;
    DragButtonKind DragButton = DragButtonKind::None;
    std::int32_t LastMouseX = 0, LastMouseY = 0;

    // The picture of Image1.
    const DisplayBitmap& displayBitmap() const { return bitmap_; }

  protected:
    void closeEvent(QCloseEvent*) override;
    bool event(QEvent*) override;
    // A file dropped on the viewer loads in the selected mode.
    void dragEnterEvent(QDragEnterEvent*) override;
    void dropEvent(QDropEvent*) override;

  private:
    void FormCreate();
    // A file's own header length and offset for that file, else what the user typed last.
    void keepOrRestoreTypedFields(LoadFields& fields);
    // Writes what a load decides into the image fields.
    void showLoadFields(const LoadFields& fields);
    // Writes what the header reader found into the table and the summary (the load then stops
    // with its message when the image cannot be shown).
    void ReadDicomHeader(const LoadPlan& plan);
    // A DICOM file without an image was opened: no image, no size, no statistics are shown.
    void dropImage();  // the image goes, its fields stay (a refused file's header)
    void showNoImage();
    // Average and SD always belong to the frame on screen: they are cleared when the frame moves
    // or changes size, when the ROI fields are typed in, and when another image comes.
    void forgetStatisticsOfAnotherFrame();
    void forgetStatistics();
    std::optional<RoiBlock> statisticsBlock_;  // the block Average and SD were measured on
    void DrawImage();
    void DrawRoiFrame();

    bool hasImage() const { return LoadState != LoadStatus::Empty; }
    void buildControls();
    // Its parts, in the order of creation (tab order, stacking).
    void buildFileRow();
    void buildImageArea();
    void buildImageButtons();
    void buildHeaderTable();
    void buildWindowingPanels();
    void buildRoiPanel();
    void buildRoiSizeMenu();
    void buildCalculationPanel();
    void buildListsAndMemos();
    void buildParameterRow();
    void connectHandlers();
    LoadMode loadMode() const;
    SampleFormat sampleFormat() const;
    // The stored image as the fields and the last rendering describe it (reads EditHeader).
    StoredImageLayout storedImage() const;
    // The value rule of the measurements (reads EditOffst).
    SampleValueRule sampleRule() const;
    // The ROI block, checked to lie inside the loaded image.
    RoiBlock checkedRoiBlock() const;
    void setRoiSizeFromMenu(const char* size);
    // Bitmap pixels per control pixel.
    double mouseScale() const;
    void setRoiGlobals(const IntRect& roi);
    void rotate(Turn turn);
    void installWheelStepping();
    void installOpeningKeys();
    // A point below the desktop's font, as the viewer was drawn (8 points beside the usual 9).
    void followDesktopFont();
    // The places follow the window's font and size; at the smallest (the first) size every
    // control stands where the layout put it.
    void placeForFontAndSize();
    // The image area's side over 512: how much larger than the 512-pixel area it is shown.
    double displayScale() const;
    QRect imageControlRect(int left, int width) const;
    QRect headerTablePlace() const;
    std::unique_ptr<GrowingPlaces> places_;
    std::pair<int, int> imageControl_{0, 512};  // left and width in the 512-pixel area
    bool headerTableEnlarged_ = false;
    void explainControls();
    // Lists the folder of the current file into ListBox1 and returns the list.
    std::vector<std::string> rebuildFileList();

    DisplayBitmap bitmap_;
    // The rows of the header table as read, for its export.
    std::vector<HeaderRow> headerRows_;
    // The window the loaded DICOM file states, for "File W/L".
    std::optional<GreyWindow> fileWindow_;
    // The frame of the current file that is loaded (0-based); a new file starts at its first.
    std::uint32_t frame_ = 0;
    // A field a file may fill for itself (header length, offset) and the user types for others.
    struct FileOrTypedField {
        std::string typed = "0";  // what the user typed last
        bool fromFile = false;    // the field shows a file's own value
        void settle(std::optional<std::string>& value) {
            if (value) {
                fromFile = true;
            } else if (fromFile) {
                value = typed;
                fromFile = false;
            }
        }
        void type(const QString& text) {
            typed = text.toStdString();
            fromFile = false;
        }
    };
    FileOrTypedField header_, offset_;
    // Shows the file's frame count and the frame on screen.
    void showFrames(const LoadPlan& plan);
    // Loads frame `frame` (0-based) of the current file, keeping the ROI as a lock would.
    void stepToFrame(int frame);

  signals:
    // The hand-offs to the analysis windows, which the application wires: the viewer knows
    // neither window. "Form2" and "Form3" ask to show them, "toMTF" hands on the ROI, "toWS" the
    // image (keeping a listed run's fields with "LockPara").
    void mtfWindowRequested();
    void spectrumWindowRequested();
    void roiHandedToMtf(const ctiq::RoiHandOff& roi);
    void imageHandedToSpectrum(bool keepListedRun);
};

}  // namespace ctiq
