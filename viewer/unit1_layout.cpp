#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QRadioButton>
#include <QTableWidget>
#include <utility>

#include "common/ui/event_hook.h"
#include "common/ui/growing_places.h"
#include "common/ui/guarded.h"
#include "common/ui/placement.h"
#include "common/ui/radio_group.h"
#include "common/ui/text.h"
#include "load/dicom/tag_dictionary.h"
#include "viewer/image_view.h"
#include "viewer/title_picture.h"
#include "viewer/unit1.h"
#include "viewer/unit1_constants.h"

// The viewer's controls at their places, how they follow the window's size and font, and the
// wiring of their events to the handlers.

namespace ctiq {
using namespace viewer_ui;
namespace {

constexpr int kPanelLeft = 580, kPanelWidth = 164;  // the right-hand panels' column
// The image area's side at display scale 1: the 512-pixel area the image is drawn in.
constexpr int kArea = 512;
// The header table's heights below the image area and enlarged over it, and the enlarged one's
// top, at the first size.
constexpr int kSmallTableHeight = 109;
constexpr int kLargeTableHeight = 618;
constexpr int kEnlargedTableTop = 22;

}  // namespace

void TForm1::buildControls() {
    followDesktopFont();
    buildFileRow();
    buildImageArea();
    buildImageButtons();
    buildHeaderTable();
    buildWindowingPanels();
    buildRoiPanel();
    buildCalculationPanel();
    buildListsAndMemos();
    buildParameterRow();
    Image2->raise();
    Image3->raise();
    resize(744, 692);
}

// Top row: file name, load, close.
void TForm1::buildFileRow() {
    EditFileName = placeEdit(this, 0, 0, 658, "FileName");
    BitBtnLoad = placeButton(this, 660, 0, 40, "⇒", 22);
    BitBtn1 = placeButton(this, 702, 0, 42, "Close", 22);
}

// Image area: the image, the title picture over it and the ROI overlay over both.
void TForm1::buildImageArea() {
    ScrollBox1 = new QWidget(this);
    ScrollBox1->setGeometry(0, 24, 578, 512);
    Image1 = new ImageView(bitmap_, ScrollBox1);
    Image1->setGeometry(0, 0, 512, 512);
    Image2 = new QLabel(ScrollBox1);
    Image2->setGeometry(0, 0, 512, 512);
    Image2->setPixmap(titlePicture(QSize(512, 512)));
    Image2->setScaledContents(true);
    Image3 = new QWidget(ScrollBox1);
    Image3->setAttribute(Qt::WA_TransparentForMouseEvents);
    Image3->setAttribute(Qt::WA_NoSystemBackground);
    Image3->setGeometry(0, 0, 512, 512);
}

// The magnification and image operation buttons beside the image.
void TForm1::buildImageButtons() {
    Button1 = placeButton(ScrollBox1, 514, 0, 62, "+", 22);
    EditMF = placeEdit(ScrollBox1, 514, 24, 62, "1.0");
    Button2 = placeButton(ScrollBox1, 514, 48, 62, "-", 22);
    ButtonVert = placeButton(ScrollBox1, 514, 90, 62, "V", 22);
    ButtonHoriz = placeButton(ScrollBox1, 514, 114, 62, "H", 22);
    ButtonCCW = placeButton(ScrollBox1, 514, 138, 62, "CCW", 22);
    ButtonCW = placeButton(ScrollBox1, 514, 162, 62, "CW", 22);
    ButtonTriming = placeButton(ScrollBox1, 514, 200, 62, "Trim", 22);
    RadioButtonSizeOrg = new QRadioButton("Org", ScrollBox1);
    RadioButtonSizeOrg->setGeometry(514, 250, 62, 20);
    RadioButtonSizeOrg->setChecked(true);
    RadioButtonSize512 = new QRadioButton("512", ScrollBox1);
    RadioButtonSize512->setGeometry(514, 272, 62, 20);
    RadioButton3 = new QRadioButton("Mag", ScrollBox1);
    RadioButton3->setGeometry(514, 294, 62, 20);
    CheckBoxWide = placeCheck(ScrollBox1, 514, 320, 62, "Wide");
    SpinFrame = new QSpinBox(ScrollBox1);
    SpinFrame->setGeometry(514, 350, 62, 22);
    SpinFrame->setRange(1, 1);
    LabelFrames = placeLabel(ScrollBox1, 514, 374, 62, "");
    SpinFrame->hide();
    LabelFrames->hide();
    ButtonSaveBMP = placeButton(ScrollBox1, 514, 488, 62, "imgToCB", 22);
}

// Header table below the image.
void TForm1::buildHeaderTable() {
    StringGridDICOM = new QTableWidget(2, 17, this);
    StringGridDICOM->setGeometry(0, 536, 578, kSmallTableHeight);
    StringGridDICOM->horizontalHeader()->hide();
    StringGridDICOM->verticalHeader()->hide();
    StringGridDICOM->verticalHeader()->setDefaultSectionSize(18);
    StringGridDICOM->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGridDICOM->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int c = 7; c < 17; ++c) StringGridDICOM->setColumnHidden(c, true);
    const int widths[7] = {34, 44, 54, 30, 44, 170, 300};
    for (int c = 0; c < 7; ++c) StringGridDICOM->setColumnWidth(c, widths[c]);
}

// Right-hand panels: the load mode, then the windowing.
void TForm1::buildWindowingPanels() {
    RadioGroupMode = new RadioGroup("Mode", {" 8bit", "16bit", "DICOM"}, 3, this);
    RadioGroupMode->setGeometry(kPanelLeft, 24, kPanelWidth, 44);
    RadioGroupMode->setItemIndexSilently(kModeDicom);

    auto* panel2 = new QWidget(this);
    panel2->setGeometry(kPanelLeft, 70, kPanelWidth, 160);
    placeLabel(panel2, 0, 0, 80, "Windowing");
    placeLabel(panel2, 0, 22, 40, "Lebel");
    EditWindowLevel = placeEdit(panel2, 42, 22, 60, "");
    placeLabel(panel2, 0, 46, 40, "Width");
    EditWindowWidth = placeEdit(panel2, 42, 46, 60, "");
    ButtonDisp = placeButton(panel2, 106, 22, 46, "Disp", 22);
    ButtonAutoWL = placeButton(panel2, 106, 46, 46, "Auto", 22);
    CheckBoxSwp = placeCheck(panel2, 0, 70, 55, "Swap");
    CheckBoxInvrt = placeCheck(panel2, 55, 70, 59, "Invert");
    CheckBoxSign = placeCheck(panel2, 114, 70, 50, "Sign");
    CheckBoxFileWindow = placeCheck(panel2, 0, 138, 164, "File W/L");
    RadioGroupRange = new RadioGroup("Range", {"1", "3", "10", "30"}, 4, panel2);
    RadioGroupRange->setGeometry(0, 92, kPanelWidth, 44);
    RadioGroupRange->setItemIndexSilently(1);
}

// The ROI tools, its place and size fields, and the statistics of its block.
void TForm1::buildRoiPanel() {
    auto* roiPanel = new QWidget(this);
    roiPanel->setGeometry(kPanelLeft, 232, kPanelWidth, 176);
    RadioGroupTool = new RadioGroup("", {"ROI", "Move", "OFF", "Home"}, 2, roiPanel);
    RadioGroupTool->setGeometry(0, 0, kPanelWidth, 44);
    RadioGroupTool->setItemIndexSilently(kToolRoi);
    placeLabel(roiPanel, 0, 46, 30, "Pos");
    EditROIPosX = placeEdit(roiPanel, 32, 46, 58, "64");
    EditROIPosY = placeEdit(roiPanel, 94, 46, 58, "64");
    placeLabel(roiPanel, 0, 70, 30, "Size");
    EditROISizeX = placeEdit(roiPanel, 32, 70, 58, "64");
    EditROISizeY = placeEdit(roiPanel, 94, 70, 58, "64");
    buildRoiSizeMenu();
    CheckBoxRoiLock = placeCheck(roiPanel, 0, 94, 60, "Lock");
    CheckBoxRoiSet = placeCheck(roiPanel, 62, 94, 50, "Use");
    ButtonStat = placeButton(roiPanel, 112, 94, 40, "Stat", 22);
    placeLabel(roiPanel, 0, 118, 50, "Average");
    EditHSBP = placeEdit(roiPanel, 52, 118, 100, "");
    placeLabel(roiPanel, 0, 142, 50, "SD");
    EditVSBP = placeEdit(roiPanel, 52, 142, 100, "");
}

// The sizes the ROI's size fields offer on a right click.
void TForm1::buildRoiSizeMenu() {
    PopupMenu1 = new QMenu(this);
    N641 = PopupMenu1->addAction("64");
    N1281 = PopupMenu1->addAction("128");
    N2561 = PopupMenu1->addAction("256");
    N5121 = PopupMenu1->addAction("512");
    N10241 = PopupMenu1->addAction("1024");
    N20481 = PopupMenu1->addAction("2048");
    for (QLineEdit* sizeField : {EditROISizeX, EditROISizeY}) {
        sizeField->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(
            sizeField, &QLineEdit::customContextMenuRequested, this,
            [this, sizeField](const QPoint& at) { PopupMenu1->popup(sizeField->mapToGlobal(at)); });
    }
}

// The hand-offs to the analysis windows and the buttons that show them.
void TForm1::buildCalculationPanel() {
    auto* calculation = new QWidget(this);
    calculation->setGeometry(kPanelLeft, 410, kPanelWidth, 48);
    placeLabel(calculation, 0, 0, 80, "Calculation");
    ButtonToTable = placeButton(calculation, 0, 22, 46, "toMTF", 22);
    ButtonToForm3 = placeButton(calculation, 47, 22, 42, "toWS", 22);
    CheckBoxLockPara = placeCheck(calculation, 89, 22, 75, "LockPara");
    CheckBoxLockPara->setChecked(true);
    ButtonToForm2 = placeButton(this, kPanelLeft, 460, 76, "Form2", 22);
    ButtonForm3 = placeButton(this, kPanelLeft + 78, 460, 76, "Form3", 22);
}

// The scan summary, the folder list with its buttons, the header's export and the (hidden) tag
// dictionary.
void TForm1::buildListsAndMemos() {
    Memo1 = new QPlainTextEdit(this);
    Memo1->setGeometry(kPanelLeft, 484, kPanelWidth, 90);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    ButtonFileList = placeButton(this, kPanelLeft, 576, 50, "F.List", 22);
    Button3 = placeButton(this, kPanelLeft + 52, 576, 56, "Button3", 22);
    EditFListNo = placeEdit(this, kPanelLeft + 110, 576, 44, "1");
    ListBox1 = new QListWidget(this);
    ListBox1->setGeometry(kPanelLeft, 600, kPanelWidth, 46);
    // Long names (GE's all start "1_2_840_113619_2_…") keep their distinguishing end in view.
    ListBox1->setTextElideMode(Qt::ElideMiddle);
    ButtonHeaderToCB = placeButton(this, kPanelLeft, 648, 80, "HeaderToCB", 22);
    Memo2 = new QPlainTextEdit("M\ne\nm\no\n2", this);
    Memo2->setGeometry(kPanelLeft + 82, 648, 72, 40);

    Memo_DICOMTag = new QPlainTextEdit(this);
    Memo_DICOMTag->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo_DICOMTag->setPlainText(q(TagDictionary::builtIn().text()));
    Memo_DICOMTag->hide();
}

// Bottom row of image parameters, each caption over its own field.
void TForm1::buildParameterRow() {
    EditFileSize = placeEdit(this, 0, 668, 66, "0");
    EditHeader = placeEdit(this, 68, 668, 56, "0");
    EditFOVSize = placeEdit(this, 126, 668, 56, "0");
    EditImgSizeX = placeEdit(this, 184, 668, 56, "0");
    EditImgSizeY = placeEdit(this, 242, 668, 56, "0");
    EditOffst = placeEdit(this, 300, 668, 56, "0");
    EditPxlSpc = placeEdit(this, 358, 668, 64, "0");
    EditImgSftX = placeEdit(this, 424, 668, 44, "0");
    EditImgSftY = placeEdit(this, 470, 668, 44, "0");
    Label1 = placeLabel(this, 0, 648, 66, "File");
    const std::pair<QLineEdit*, const char*> captions[] = {
        {EditHeader, "Header"},  {EditFOVSize, "FOV"},   {EditImgSizeX, "Colum"},
        {EditImgSizeY, "Row"},   {EditOffst, "Offset"},  {EditPxlSpc, "Pixel"},
        {EditImgSftX, "ShiftX"}, {EditImgSftY, "ShiftY"}};
    for (const auto& [field, caption] : captions)
        placeLabel(this, field->x(), 648, field->width(), caption);
    ButtonRowCulm = placeButton(this, 516, 668, 40, "<>", 22);
}

// The image area grows as a square, by the smaller of the window's growths across and down, and
// what stands right of it moves with it; the bottom row and the folder list's foot follow the
// window's height. The image control and the header table have places of their own.
void TForm1::placeForFontAndSize() {
    places_ = std::make_unique<GrowingPlaces>(this, GrowingPlaces::Across::Square);
    constexpr Stretch keepRight{1, 0, 1, 0}, keepDown{0, 1, 0, 1}, square{0, 0, 1, 1, true};
    places_->stretchRightOf(ScrollBox1, keepRight);    // the right-hand column, load and close
    places_->stretchRightOf(Image1, keepRight);        // the buttons beside the image
    places_->stretchBelow(StringGridDICOM, keepDown);  // the bottom row
    const std::pair<QWidget*, Stretch> stretches[] = {
        {ScrollBox1, square},         {Image2, square},         {Image3, square},
        {EditFileName, {0, 0, 1, 0}}, {ListBox1, {1, 0, 1, 1}}, {ButtonHeaderToCB, {1, 1, 1, 1}},
        {Memo2, {1, 1, 1, 1}}};
    for (const auto& [control, how] : stretches) places_->stretch(control, how);
    places_->placeBy(Image1, [this] {
        Image1->setDisplayScale(displayScale());  // the pointer still maps into the 512 pixels
        return imageControlRect(imageControl_.first, imageControl_.second);
    });
    places_->placeBy(StringGridDICOM, [this] { return headerTablePlace(); });
}

double TForm1::displayScale() const {
    const int area = scaled(kArea, places_->scale()) + places_->growth().width();
    return static_cast<double>(area) / kArea;
}

QRect TForm1::imageControlRect(int left, int width) const {
    const double s = displayScale();
    return {static_cast<int>(left * s), 0, static_cast<int>(width * s),
            static_cast<int>(kArea * s)};
}

// Small, the table moves down with the image area and takes the height the image area leaves;
// enlarged, it covers the image area and takes the whole height's growth.
QRect TForm1::headerTablePlace() const {
    const QRect g = places_->smallestPlace(StringGridDICOM);
    const QSize grown = places_->growth();
    const int square = grown.width(), down = grown.height();
    const double s = places_->scale();
    return headerTableEnlarged_ ? QRect(g.x(), scaled(kEnlargedTableTop, s), g.width() + square,
                                        scaled(kLargeTableHeight, s) + down)
                                : QRect(g.x(), g.y() + square, g.width() + square,
                                        scaled(kSmallTableHeight, s) + down - square);
}

void TForm1::followDesktopFont() {
    QFont desktop = QApplication::font();
    if (desktop.pointSizeF() > 1) desktop.setPointSizeF(desktop.pointSizeF() - 1);
    setFont(desktop);
}

bool TForm1::event(QEvent* event) {
    // The viewer's own font keeps it from the desktop's; a change there comes back as the
    // viewer's font change, which its places follow.
    if (event->type() == QEvent::ApplicationFontChange) followDesktopFont();
    return QWidget::event(event);
}

void TForm1::connectHandlers() {
    connectClick(BitBtnLoad, &QPushButton::clicked, this, &TForm1::BitBtnLoadClick);
    connectClick(ButtonToForm2, &QPushButton::clicked, this, &TForm1::ButtonToForm2Click);
    connectClick(ButtonForm3, &QPushButton::clicked, this, &TForm1::ButtonForm3Click);
    connectClick(ButtonDisp, &QPushButton::clicked, this, &TForm1::ButtonDispClick);
    connectClick(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connectClick(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connectClick(ButtonRowCulm, &QPushButton::clicked, this, &TForm1::ButtonRowCulmClick);
    connectClick(ButtonAutoWL, &QPushButton::clicked, this, &TForm1::ButtonAutoWLClick);
    connectClick(CheckBoxFileWindow, &QCheckBox::clicked, this, &TForm1::CheckBoxFileWindowClick);
    connectClick(ButtonFileList, &QPushButton::clicked, this, &TForm1::ButtonFileListClick);
    connectClick(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    // A double click (or Return) on a listed file opens it.
    connect(ListBox1, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        guarded(this, [&] { loadTypedPath(item->data(Qt::UserRole).toString().toStdString()); });
    });
    connectClick(ButtonStat, &QPushButton::clicked, this, &TForm1::ButtonStatClick);
    // Typed ROI fields describe another frame than the one measured; Return (or leaving the
    // field, as a click on "Stat" does) draws the frame they describe, which "Stat" measures.
    for (QLineEdit* roiField : {EditROIPosX, EditROIPosY, EditROISizeX, EditROISizeY}) {
        connect(roiField, &QLineEdit::textEdited, this, [this] { forgetStatistics(); });
        connectGuarded(roiField, &QLineEdit::editingFinished, this, [this] {
            if (hasImage()) DrawImage();
        });
    }
    // What the user types holds for files that state none.
    connect(EditOffst, &QLineEdit::textEdited, this,
            [this](const QString& typed) { offset_.type(typed); });
    connect(EditHeader, &QLineEdit::textEdited, this,
            [this](const QString& typed) { header_.type(typed); });
    connectClick(ButtonVert, &QPushButton::clicked, this, &TForm1::ButtonVertClick);
    connectClick(ButtonHoriz, &QPushButton::clicked, this, &TForm1::ButtonHorizClick);
    connectClick(ButtonCCW, &QPushButton::clicked, this, &TForm1::ButtonCCWClick);
    connectClick(ButtonCW, &QPushButton::clicked, this, &TForm1::ButtonCWClick);
    connectClick(ButtonTriming, &QPushButton::clicked, this, &TForm1::ButtonTrimingClick);
    connectGuarded(SpinFrame, &QSpinBox::valueChanged, this,
                   [this] { stepToFrame(SpinFrame->value() - 1); });
    connectClick(ButtonHeaderToCB, &QPushButton::clicked, this, &TForm1::ButtonHeaderToCBClick);
    connectClick(ButtonToTable, &QPushButton::clicked, this, &TForm1::ButtonToTableClick);
    connectClick(ButtonSaveBMP, &QPushButton::clicked, this, &TForm1::ButtonSaveBMPClick);
    connectClick(ButtonToForm3, &QPushButton::clicked, this, &TForm1::ButtonToForm3Click);
    connect(BitBtn1, &QPushButton::clicked, this, &QWidget::close);
    connectClick(N641, &QAction::triggered, this, &TForm1::N641Click);
    connectClick(N1281, &QAction::triggered, this, &TForm1::N1281Click);
    connectClick(N2561, &QAction::triggered, this, &TForm1::N2561Click);
    connectClick(N5121, &QAction::triggered, this, &TForm1::N5121Click);
    connectClick(N10241, &QAction::triggered, this, &TForm1::N10241Click);
    connectClick(N20481, &QAction::triggered, this, &TForm1::N20481Click);
    RadioGroupTool->onClick = [this] { RadioGroupToolClick(); };
    Image1->onMouseDown = [this](Qt::MouseButton b, int x, int y) { Image1MouseDown(b, x, y); };
    Image1->onMouseMove = [this](int x, int y) { Image1MouseMove(x, y); };
    Image1->onMouseUp = [this](Qt::MouseButton b, int x, int y) { Image1MouseUp(b, x, y); };
    StringGridDICOM->viewport()->installEventFilter(
        new EventHook(this, [this](QObject*, QEvent* e) {
            if (e->type() != QEvent::MouseButtonDblClick) return false;
            guarded(this, [this] { StringGridDICOMDblClick(); });
            return true;
        }));
    // `clicked` comes from the user only, so code that sets the boxes runs no handler.
    connectGuarded(CheckBoxSwp, &QCheckBox::clicked, this, [this] { CheckBoxSwpClick(); });
    connectGuarded(CheckBoxInvrt, &QCheckBox::clicked, this, [this] { CheckBoxInvrtClick(); });
}

}  // namespace ctiq
