#include "viewer/unit1.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QWheelEvent>
#include <QtCharts/QLineSeries>

#include "common/app_error.h"
#include "common/checked.h"
#include "common/number_text.h"
#include "common/rounding.h"
#include "common/ui/dialogs.h"
#include "common/ui/guarded.h"
#include "common/ui/placement.h"
#include "common/ui/radio_group.h"
#include "mtf/unit2.h"
#include "viewer/auto_window.h"
#include "viewer/dicom/dicom_header.h"
#include "viewer/dicom/tag_dictionary.h"
#include "viewer/file_list.h"
#include "viewer/file_reading.h"
#include "viewer/header_export.h"
#include "viewer/image_view.h"
#include "viewer/name_geometry.h"
#include "viewer/roi_statistics.h"
#include "viewer/roi_table.h"
#include "viewer/title_picture.h"
#include "viewer/trimming.h"
#include "wiener/unit3.h"

namespace ctiq {
namespace {

constexpr int kModeByte8 = 0;
constexpr int kModeDicom = 2;
constexpr int kToolRoi = 0;
constexpr int kToolMove = 1;
constexpr int kToolOff = 2;
constexpr int kToolHome = 3;
constexpr int kSmallTableHeight = 109;
constexpr int kLargeTableHeight = 618;

// Hands the events of another object to a function (an application-wide or a viewport hook).
class EventHook : public QObject {
  public:
    EventHook(QObject* parent, std::function<bool(QObject*, QEvent*)> hook)
        : QObject(parent), hook_(std::move(hook)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override { return hook_(watched, event); }

  private:
    std::function<bool(QObject*, QEvent*)> hook_;
};

std::string text(const QLineEdit* e) {
    return e->text().toStdString();
}
QString q(const std::string& s) {
    return QString::fromStdString(s);
}
// Header values are the file's bytes, one per character.
QString latin1(const std::string& s) {
    return QString::fromLatin1(s.data(), std::ssize(s));
}

void setCell(QTableWidget* grid, int row, int column, const QString& value) {
    QTableWidgetItem* item = grid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        grid->setItem(row, column, item);
    }
    item->setText(value);
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
    setWindowTitle("Viewer");
    buildControls();
    connectHandlers();
    FormCreate();
    installWheelStepping();
    PopupMenu1Change();  // the toolkit reports the menu's change once it is built
}

TForm1::~TForm1() = default;

void TForm1::setAnalysisWindows(TForm2* form2, TForm3* form3) {
    form2_ = form2;
    form3_ = form3;
    if (form2_) form2_->setViewer(this);
    if (form3_) form3_->setViewer(this);
}

QString TForm1::fieldText(ViewerField field) const {
    switch (field) {
        case ViewerField::FileName:
            return EditFileName->text();
        case ViewerField::ImgSizeX:
            return EditImgSizeX->text();
        case ViewerField::ImgSizeY:
            return EditImgSizeY->text();
        case ViewerField::PxlSpc:
            return EditPxlSpc->text();
        case ViewerField::ROISizeX:
            return EditROISizeX->text();
        case ViewerField::ROISizeY:
            return EditROISizeY->text();
        case ViewerField::Header:
            return EditHeader->text();
        case ViewerField::Offst:
            return EditOffst->text();
    }
    return {};
}

bool TForm1::swapChecked() const {
    return CheckBoxSwp->isChecked();
}

bool TForm1::eightBitSamples() const {
    return sampleFormat() == SampleFormat::Byte8;
}

QPoint TForm1::roiImageCorner() const {
    // The frame is measured from the view's first column and row: add them, so a magnified or
    // shifted view measures the ROI that is drawn.
    return QPoint(checkedAdd(ViewLeft, RoiFrameRect.left), checkedAdd(ViewTop, RoiFrameRect.top));
}

void TForm1::showViewer() {
    show();
    raise();
    activateWindow();
}

void TForm1::closeEvent(QCloseEvent* event) {
    event->accept();
    QApplication::quit();  // the viewer is the main window: closing it ends the program
}

void TForm1::buildControls() {
    QFont formFont = font();
    formFont.setPointSize(8);
    setFont(formFont);

    // Top row: file name, load, close.
    EditFileName = placeEdit(this, 0, 0, 630, "FileName");
    BitBtnLoad = placeButton(this, 632, 0, 40, "⇒", 22);
    BitBtn1 = placeButton(this, 674, 0, 42, "Close", 22);

    // Image area with the magnification and image operation buttons beside the image.
    ScrollBox1 = new QWidget(this);
    ScrollBox1->setGeometry(0, 24, 550, 512);
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
    Button1 = placeButton(ScrollBox1, 514, 0, 34, "+", 22);
    EditMF = placeEdit(ScrollBox1, 514, 24, 34, "1.0");
    Button2 = placeButton(ScrollBox1, 514, 48, 34, "-", 22);
    ButtonVert = placeButton(ScrollBox1, 514, 90, 34, "V", 22);
    ButtonHoriz = placeButton(ScrollBox1, 514, 114, 34, "H", 22);
    ButtonCCW = placeButton(ScrollBox1, 514, 138, 34, "CCW", 22);
    ButtonCW = placeButton(ScrollBox1, 514, 162, 34, "CW", 22);
    ButtonTriming = placeButton(ScrollBox1, 514, 200, 34, "Trim", 22);
    RadioButtonSizeOrg = new QRadioButton("Org", ScrollBox1);
    RadioButtonSizeOrg->setGeometry(514, 250, 36, 20);
    RadioButtonSizeOrg->setChecked(true);
    RadioButtonSize512 = new QRadioButton("512", ScrollBox1);
    RadioButtonSize512->setGeometry(514, 272, 36, 20);
    RadioButton3 = new QRadioButton("Mag", ScrollBox1);
    RadioButton3->setGeometry(514, 294, 36, 20);
    CheckBoxWide = placeCheck(ScrollBox1, 514, 320, 36, "Wide");
    ButtonSaveBMP = placeButton(ScrollBox1, 514, 488, 36, "imgToCB", 22);

    // Header table below the image.
    StringGridDICOM = new QTableWidget(2, 17, this);
    StringGridDICOM->setGeometry(0, 536, 550, 109);
    StringGridDICOM->horizontalHeader()->hide();
    StringGridDICOM->verticalHeader()->hide();
    StringGridDICOM->verticalHeader()->setDefaultSectionSize(18);
    StringGridDICOM->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGridDICOM->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int c = 7; c < 17; ++c) StringGridDICOM->setColumnHidden(c, true);
    const int widths[7] = {34, 44, 54, 30, 44, 170, 300};
    for (int c = 0; c < 7; ++c) StringGridDICOM->setColumnWidth(c, widths[c]);

    // Right-hand panels.
    const int px = 552, pw = 164;
    RadioGroupMode = new RadioGroup("Mode", {" 8bit", "16bit", "DICOM"}, 3, this);
    RadioGroupMode->setGeometry(px, 24, pw, 44);
    RadioGroupMode->setItemIndexSilently(kModeDicom);

    auto* panel2 = new QWidget(this);  // the windowing panel
    panel2->setGeometry(px, 70, pw, 160);
    placeLabel(panel2, 0, 0, 80, "Windowing");
    placeLabel(panel2, 0, 22, 40, "Lebel");
    EditWindowLevel = placeEdit(panel2, 42, 22, 60, "");
    placeLabel(panel2, 0, 46, 40, "Width");
    EditWindowWidth = placeEdit(panel2, 42, 46, 60, "");
    ButtonDisp = placeButton(panel2, 106, 22, 46, "Disp", 22);
    ButtonAutoWL = placeButton(panel2, 106, 46, 46, "Auto", 22);
    CheckBoxSwp = placeCheck(panel2, 0, 70, 52, "Swap");
    CheckBoxInvrt = placeCheck(panel2, 52, 70, 56, "Invert");
    CheckBoxSign = placeCheck(panel2, 108, 70, 46, "Sign");
    RadioGroupRange = new RadioGroup("Range", {"1", "3", "10", "30"}, 4, panel2);
    RadioGroupRange->setGeometry(0, 92, pw, 44);
    RadioGroupRange->setItemIndexSilently(1);

    auto* roiPanel = new QWidget(this);
    roiPanel->setGeometry(px, 232, pw, 176);
    RadioGroupTool = new RadioGroup("", {"ROI", "Move", "OFF", "Home"}, 4, roiPanel);
    RadioGroupTool->setGeometry(0, 0, pw, 30);
    RadioGroupTool->setItemIndexSilently(kToolRoi);
    placeLabel(roiPanel, 0, 32, 30, "Pos");
    EditROIPosX = placeEdit(roiPanel, 32, 32, 58, "64");
    EditROIPosY = placeEdit(roiPanel, 94, 32, 58, "64");
    placeLabel(roiPanel, 0, 56, 30, "Size");
    EditROISizeX = placeEdit(roiPanel, 32, 56, 58, "64");
    EditROISizeY = placeEdit(roiPanel, 94, 56, 58, "64");
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
    CheckBoxRoiLock = placeCheck(roiPanel, 0, 80, 60, "Lock");
    CheckBoxRoiSet = placeCheck(roiPanel, 62, 80, 50, "Use");
    ButtonStat = placeButton(roiPanel, 112, 80, 40, "Stat", 22);
    placeLabel(roiPanel, 0, 104, 50, "Average");
    EditHSBP = placeEdit(roiPanel, 52, 104, 100, "");
    placeLabel(roiPanel, 0, 128, 50, "SD");
    EditVSBP = placeEdit(roiPanel, 52, 128, 100, "");

    auto* calculation = new QWidget(this);
    calculation->setGeometry(px, 410, pw, 48);
    placeLabel(calculation, 0, 0, 80, "Calculation");
    ButtonToTable = placeButton(calculation, 0, 22, 46, "toMTF", 22);
    ButtonToForm3 = placeButton(calculation, 48, 22, 40, "toWS", 22);
    CheckBoxLockPara = placeCheck(calculation, 90, 22, 64, "LockPara");
    CheckBoxLockPara->setChecked(true);
    ButtonToForm2 = placeButton(this, px, 460, 76, "Form2", 22);
    ButtonForm3 = placeButton(this, px + 78, 460, 76, "Form3", 22);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setGeometry(px, 484, pw, 90);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    ButtonFileList = placeButton(this, px, 576, 50, "F.List", 22);
    Button3 = placeButton(this, px + 52, 576, 56, "Button3", 22);
    EditFListNo = placeEdit(this, px + 110, 576, 44, "1");
    ListBox1 = new QListWidget(this);
    ListBox1->setGeometry(px, 600, pw, 46);
    ButtonHeaderToCB = placeButton(this, px, 648, 80, "HeaderToCB", 22);
    Memo2 = new QPlainTextEdit("M\ne\nm\no\n2", this);
    Memo2->setGeometry(px + 82, 648, 72, 40);

    Memo_DICOMTag = new QPlainTextEdit(this);
    Memo_DICOMTag->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo_DICOMTag->setPlainText(q(TagDictionary::builtIn().text()));
    Memo_DICOMTag->hide();

    // Bottom row of image parameters.
    Label1 = placeLabel(this, 0, 648, 560,
                        "File      Header      FOV       Colum      Row      Offset     Pixel    "
                        "ShiftX ShiftY");
    EditFileSize = placeEdit(this, 0, 668, 66, "0");
    EditHeader = placeEdit(this, 68, 668, 56, "0");
    EditFOVSize = placeEdit(this, 126, 668, 56, "0");
    EditImgSizeX = placeEdit(this, 184, 668, 56, "0");
    EditImgSizeY = placeEdit(this, 242, 668, 56, "0");
    EditOffst = placeEdit(this, 300, 668, 56, "0");
    EditPxlSpc = placeEdit(this, 358, 668, 64, "0");
    EditImgSftX = placeEdit(this, 424, 668, 44, "0");
    EditImgSftY = placeEdit(this, 470, 668, 44, "0");
    ButtonRowCulm = placeButton(this, 516, 668, 40, "<>", 22);

    Image2->raise();
    Image3->raise();
    setFixedHeight(692);
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
    connectClick(ButtonFileList, &QPushButton::clicked, this, &TForm1::ButtonFileListClick);
    connectClick(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connectClick(ButtonStat, &QPushButton::clicked, this, &TForm1::ButtonStatClick);
    connectClick(ButtonVert, &QPushButton::clicked, this, &TForm1::ButtonVertClick);
    connectClick(ButtonHoriz, &QPushButton::clicked, this, &TForm1::ButtonHorizClick);
    connectClick(ButtonCCW, &QPushButton::clicked, this, &TForm1::ButtonCCWClick);
    connectClick(ButtonCW, &QPushButton::clicked, this, &TForm1::ButtonCWClick);
    connectClick(ButtonTriming, &QPushButton::clicked, this, &TForm1::ButtonTrimingClick);
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

void TForm1::FormCreate() {
    LoadState = 0;
    ImageStream.clear();
    setFixedWidth(716);
    move(51, 20);
    DragTopLeft = DragBottomRight = DragMove = false;
    Image3->resize(512, 512);
    Image1->hide();
    for (int c = 0; c < 7; ++c) setCell(StringGridDICOM, 0, c, q(kHeaderTableTitles[c]));
}

SampleFormat TForm1::sampleFormat() const {
    return RadioGroupMode->itemIndex() == kModeByte8 ? SampleFormat::Byte8 : SampleFormat::Word16;
}

void TForm1::ButtonToForm2Click() {
    if (!form2_) return;
    form2_->show();
    form2_->raise();
    form2_->activateWindow();
}

void TForm1::ButtonForm3Click() {
    if (form3_) form3_->show();
}

void TForm1::ButtonToForm3Click() {
    if (!form3_) return;
    form3_->show();
    form3_->raise();
    if (CheckBoxLockPara->isChecked() && !form3_->listCell(1, 1).isEmpty()) return;
    form3_->ButtonLoadClick();
}

void TForm1::BitBtnLoadClick() {
    ImageFileName.clear();
    EditImgSizeX->clear();
    EditImgSizeY->clear();
    if (LoadState < 2) {
        ImageFileName = dialogs().openFile(this).toStdString();
    } else {
        ImageFileName = text(EditFileName);
    }
    if (ImageFileName.empty()) return;

    ImageStream.clear();
    const NameGeometry name = splitNameGeometry(ImageFileName);
    EditImgSizeX->setText(q(name.columns));
    EditImgSizeY->setText(q(name.rows));
    EditPxlSpc->setText(q(name.spacing));
    std::string suggestion = name.suggestion;

    EditFileName->setText(q(ImageFileName));
    readWholeFile(ImageFileName, ImageStream);
    EditFileSize->setText(q(IntToStr(static_cast<std::int64_t>(ImageStream.size()))));
    Image1->show();

    if (RadioGroupMode->itemIndex() == kModeDicom &&
        (EditImgSizeX->text().isEmpty() || EditImgSizeY->text().isEmpty())) {
        ReadDicomHeader();
        suggestion = text(EditImgSizeX) + " " + text(EditImgSizeY);
    }

    if (!EditImgSizeX->text().isEmpty() && !EditImgSizeY->text().isEmpty()) {
        ImgCols = StrToInt(text(EditImgSizeX));
        ImgRows = StrToInt(text(EditImgSizeY));
    } else {
        if (suggestion.size() < 4)
            suggestion = sizeSuggestion(static_cast<std::int64_t>(ImageStream.size()),
                                        sampleBytes(sampleFormat()));
        const QString answer = dialogs().inputBox(this, "", "Matrix Size x y , ", q(suggestion));
        EditPxlSpc->setText(dialogs().inputBox(
            this, "InputBox", "ﾋﾟｸｾﾙ間隔(mm)を入力してください。", EditPxlSpc->text()));
        const MatrixSize size = parseSizeAnswer(answer.toStdString());
        ImgCols = size.columns;
        ImgRows = size.rows;
        EditHeader->setText("0");
        EditMF->setText("1.0");
    }

    requireDrawableBitmap({{}, false, ImgCols, ImgRows});
    bitmap_.resize(ImgCols, ImgRows);
    EditImgSizeX->setText(q(IntToStr(ImgCols)));
    EditImgSizeY->setText(q(IntToStr(ImgRows)));
    LoadState = 1;
    CheckBoxRoiSet->setChecked(true);
    if (!CheckBoxRoiLock->isChecked()) {
        EditROIPosX->setText(q(IntToStr(ImgCols / 2)));
        EditROIPosY->setText(q(IntToStr(ImgRows / 2)));
        EditROISizeX->setText("256");
        EditROISizeY->setText("256");
    }
    EditWindowLevel->setText("512");
    EditWindowWidth->setText("1024");
    DrawImage();
    ButtonAutoWLClick();
    ButtonFileListClick();
}

void TForm1::ReadDicomHeader() {
    const DicomHeaderResult r =
        readDicomHeader(ImageStream.data(), ImageStream.size(), TagDictionary::builtIn());
    const DicomFieldWrites& f = r.fields;
    auto apply = [](QLineEdit* e, const std::optional<std::string>& v) {
        if (v) e->setText(latin1(*v));
    };
    apply(EditHeader, f.header);
    apply(EditImgSizeX, f.columns);
    apply(EditImgSizeY, f.rows);
    apply(EditFOVSize, f.fieldOfView);
    apply(EditOffst, f.offset);
    apply(EditPxlSpc, f.pixelSpacing);
    apply(EditWindowLevel, f.windowLevel);
    apply(EditWindowWidth, f.windowWidth);
    if (f.swap) CheckBoxSwp->setChecked(*f.swap);  // no click handler: no rendering mid-load

    if (r.pixelDataFound) {
        headerRows_ = r.rows;
        StringGridDICOM->setUpdatesEnabled(false);
        StringGridDICOM->setRowCount(1 + static_cast<int>(r.rows.size()));
        for (int row = 0; row < static_cast<int>(r.rows.size()); ++row)
            for (int c = 0; c < 7; ++c)
                setCell(StringGridDICOM, row + 1, c, latin1(r.rows[row][c]));
        StringGridDICOM->setUpdatesEnabled(true);
        QString summary = latin1(r.summary);
        summary.replace("\r\n", "\n");
        Memo1->setPlainText(summary);
    }
    if (r.error) throw AppError(*r.error);
    if (r.compressedSyntax) throw AppError(compressedImageMessage(*r.compressedSyntax));
}

void TForm1::DrawImage() {
    if (LoadState <= 0) return;
    Image3->show();
    Image2->hide();
    Image1->show();

    const double m = static_cast<double>(StrToFloat(text(EditMF)));
    ImgCols = StrToInt(text(EditImgSizeX));
    ImgRows = StrToInt(text(EditImgSizeY));
    GreyWindow window;
    window.level = StrToInt(text(EditWindowLevel));
    window.width = StrToInt(text(EditWindowWidth));
    const std::int32_t shiftX = StrToInt(text(EditImgSftX));
    const std::int32_t shiftY = StrToInt(text(EditImgSftY));
    const ViewLayout layout = computeView(m, ImgCols, ImgRows, shiftX, shiftY);
    requireDrawableBitmap(layout);
    bitmap_.resize(layout.bitmapWidth, layout.bitmapHeight);

    StoredImageLayout image;
    image.header = StrToInt(text(EditHeader));
    image.columns = ImgCols;
    image.rows = ImgRows;
    image.format = sampleFormat();
    checkedDivide(256, window.width);
    PaintOptions options;
    options.offset = StrToInt(text(EditOffst));
    options.format = image.format;
    options.swap = CheckBoxSwp->isChecked();
    options.invert = CheckBoxInvrt->isChecked();
    paintView(ImageStream.data(), ImageStream.size(), image, layout, window, options, bitmap_);

    const ControlGeometry control = imageControlGeometry(ImgCols, ImgRows, layout.wide);
    Image1->setGeometry(control.left, 0, control.width, 512);
    Image1->update();

    if (RadioGroupTool->itemIndex() == kToolRoi) {
        const std::int32_t posX = StrToInt(text(EditROIPosX));
        const std::int32_t sizeX = StrToInt(text(EditROISizeX));
        const std::int32_t posY = StrToInt(text(EditROIPosY));
        const std::int32_t sizeY = StrToInt(text(EditROISizeY));
        const IntRect roi = roiFromFields(posX, sizeX, posY, sizeY);
        setRoiGlobals(roi);
        RoiFrameRect = toBitmapCoordinates(roi, layout.view.left, layout.view.top);
        DrawRoiFrame();
    }
    ViewLeft = layout.view.left;
    ViewRight = layout.view.right;
    ViewTop = layout.view.top;
    ViewBottom = layout.view.bottom;
}

void TForm1::DrawRoiFrame() {
    if (LoadState <= 0) return;
    drawRoiFrame(bitmap_, RoiFrameRect);
    Image1->update();
}

void TForm1::ButtonDispClick() {
    DrawImage();
}

void TForm1::Button1Click() {
    const long double magnified = StrToFloat(text(EditMF)) + 0.1L;
    EditMF->setText(q(FloatToStr(magnified)));
    if (StrToFloat(text(EditMF)) == 1) {
        EditMF->setText("1.0");
        EditImgSftY->setText("0");
        EditImgSftX->setText("0");
    }
    DrawImage();
}

void TForm1::Button2Click() {
    if (StrToFloat(text(EditMF)) > 1)
        EditMF->setText(q(FloatToStr(StrToFloat(text(EditMF)) - 0.1L)));
    if (StrToFloat(text(EditMF)) == 1) {
        EditMF->setText("1.0");
        EditImgSftY->setText("0");
        EditImgSftX->setText("0");
    }
    DrawImage();
}

void TForm1::CheckBoxSwpClick() {
    ButtonDispClick();
}

void TForm1::CheckBoxInvrtClick() {
    ButtonDispClick();
}

void TForm1::ButtonRowCulmClick() {
    const QString columns = EditImgSizeX->text();
    EditImgSizeX->setText(EditImgSizeY->text());
    EditImgSizeY->setText(columns);
    ButtonDispClick();
    ButtonAutoWLClick();
}

void TForm1::ButtonAutoWLClick() {
    const StoredImageLayout image = storedImage();
    const SampleValueRule rule = sampleRule();
    // Too small an image for a central region keeps the window as it is.
    if (const auto window =
            computeAutoWindow(ImageStream.data(), ImageStream.size(), image, rule)) {
        EditWindowWidth->setText(q(IntToStr(window->width)));
        EditWindowLevel->setText(q(IntToStr(window->level)));
    }
    DrawImage();
}

std::vector<std::string> TForm1::rebuildFileList() {
    ListBox1->clear();
    std::vector<std::string> files = listFolderFiles(folderPrefix(text(EditFileName)));
    for (const std::string& file : files) ListBox1->addItem(q(file));
    return files;
}

void TForm1::Button3Click() {
    rebuildFileList();
}

void TForm1::ButtonFileListClick() {
    const std::vector<std::string> files = rebuildFileList();
    EditFListNo->setText(q(IntToStr(indexInList(files, text(EditFileName)))));
}

void TForm1::setRoiGlobals(const IntRect& roi) {
    RoiLeft = roi.left;
    RoiTop = roi.top;
    RoiRight = roi.right;
    RoiBottom = roi.bottom;
}

StoredImageLayout TForm1::storedImage() const {
    StoredImageLayout image;
    image.header = StrToInt(text(EditHeader));
    image.columns = ImgCols;
    image.rows = ImgRows;
    image.format = sampleFormat();
    return image;
}

SampleValueRule TForm1::sampleRule() const {
    SampleValueRule rule;
    rule.format = sampleFormat();
    rule.swap = CheckBoxSwp->isChecked();
    rule.offset = StrToInt(text(EditOffst));
    return rule;
}

RoiBlock TForm1::checkedRoiBlock() const {
    if (LoadState <= 0) throw AppError("No image is loaded yet.");
    const RoiBlock block = roiBlock(RoiFrameRect, ViewLeft, ViewTop);
    requireBlockInside(block, storedImage(), ImageStream.size());
    return block;
}

void TForm1::Image1MouseDown(Qt::MouseButton button, int x, int y) {
    DragTopLeft = DragBottomRight = DragMove = false;
    const double s = bitmap_.height / 512.0;
    const int tool = RadioGroupTool->itemIndex();
    if (tool == kToolRoi && button == Qt::LeftButton) {
        DragButton = "Left";
        const double bx = x * s, by = y * s;
        const IntRect& f = RoiFrameRect;
        if (bx < f.left && by < f.top) {
            DragTopLeft = true;
        } else if (bx > f.right && by > f.bottom) {
            DragBottomRight = true;
        } else if (f.left < bx && bx < f.right && f.top < by && by < f.bottom &&
                   (x != LastMouseX || y != LastMouseY)) {
            DragMove = true;
        }
        if (DragTopLeft || DragBottomRight) {
            // The corner that stays is carried over in display-bitmap coordinates, the ones the
            // dragged corner is given in, so the frame stays put whatever the view.
            setRoiGlobals(f);
        }
    }
    if (tool == kToolMove && button == Qt::LeftButton) {
        DragButton = "Left";
        LastMouseX = x;
        LastMouseY = y;
    }
    if (button == Qt::RightButton) {
        DragButton = "Right";
        LastMouseX = x;
        LastMouseY = y;
    }
}

void TForm1::Image1MouseMove(int x, int y) {
    if (DragButton.empty()) return;
    const double s = bitmap_.height / 512.0;
    const int tool = RadioGroupTool->itemIndex();
    if (tool == kToolRoi && DragButton == "Left") {
        if (DragTopLeft || DragBottomRight) {
            DrawRoiFrame();
            if (DragTopLeft) {
                RoiLeft = toInt32(Trunc(x * s));
                RoiTop = toInt32(Trunc(y * s));
            } else {
                RoiRight = toInt32(Trunc(x * s));
                RoiBottom = toInt32(Trunc(y * s));
            }
            RoiFrameRect = {RoiLeft, RoiTop, RoiRight, RoiBottom};
            DrawRoiFrame();
            EditROISizeX->setText(q(IntToStr(std::int64_t{RoiRight} - RoiLeft + 1)));
            EditROISizeY->setText(q(IntToStr(std::int64_t{RoiBottom} - RoiTop + 1)));
        } else if (DragMove) {
            DrawRoiFrame();
            IntRect& f = RoiFrameRect;
            const std::int32_t w = checkedAdd(checkedSub(f.right, f.left), 1);
            const std::int32_t hw = w / 2, ew = w % 2 == 0 ? 1 : 0;
            f.left = toInt32(Trunc(x * s - hw));
            f.right = toInt32(Trunc(x * s + hw - ew));
            const std::int32_t h = checkedAdd(checkedSub(f.bottom, f.top), 1);
            const std::int32_t hh = h / 2, eh = h % 2 == 0 ? 1 : 0;
            f.top = toInt32(Trunc(y * s - hh));
            f.bottom = toInt32(Trunc(y * s + hh - eh));
            setRoiGlobals(f);
            EditROIPosX->setText(q(IntToStr(Trunc(x * s + ViewLeft))));
            EditROIPosY->setText(q(IntToStr(Trunc(y * s + ViewTop))));
            DrawRoiFrame();
        }
    }
    if (tool == kToolMove && DragButton == "Left") {
        const std::int64_t dx = Trunc((x - LastMouseX) * s);
        if ((dx < 0 && -dx < std::int64_t{ImgCols} - ViewRight) || (dx > 0 && dx < ViewLeft)) {
            const std::int32_t shiftX = StrToInt(text(EditImgSftX));
            EditImgSftX->setText(q(IntToStr(Trunc(shiftX + (x - LastMouseX) * s))));
        }
        const std::int64_t dy = Trunc((LastMouseY - y) * s);
        if ((dy > 0 && dy < std::int64_t{ImgRows} - ViewBottom) || (dy < 0 && -dy < ViewTop)) {
            const std::int32_t shiftY = StrToInt(text(EditImgSftY));
            EditImgSftY->setText(q(IntToStr(Trunc(shiftY + (LastMouseY - y) * s))));
        }
        DrawImage();
        LastMouseX = x;
        LastMouseY = y;
    }
    if (DragButton == "Right") {
        static constexpr std::int32_t kSteps[] = {1, 3, 10, 30};
        const std::int32_t step = kSteps[std::clamp(RadioGroupRange->itemIndex(), 0, 3)];
        const std::int32_t width = checkedAdd(StrToInt(text(EditWindowWidth)),
                                              checkedMul(checkedSub(x, LastMouseX), step));
        if (width > 0) EditWindowWidth->setText(q(IntToStr(width)));
        const std::int32_t level = checkedSub(StrToInt(text(EditWindowLevel)),
                                              checkedMul(checkedSub(y, LastMouseY), step));
        EditWindowLevel->setText(q(IntToStr(level)));
        DrawImage();
        LastMouseX = x;
        LastMouseY = y;
    }
}

void TForm1::Image1MouseUp(Qt::MouseButton button, int, int) {
    const int tool = RadioGroupTool->itemIndex();
    if (tool == kToolRoi && button == Qt::LeftButton) {
        DragTopLeft = DragBottomRight = DragMove = false;
        DragButton.clear();
        ButtonStatClick();
    }
    if (tool == kToolMove && button == Qt::LeftButton) {
        DragTopLeft = DragBottomRight = DragMove = false;
        DragButton.clear();
    }
    if (button == Qt::RightButton) DragButton.clear();
}

void TForm1::RadioGroupToolClick() {
    switch (RadioGroupTool->itemIndex()) {
        case kToolOff:
            DrawImage();
            break;
        case kToolHome:
            EditMF->setText("1.0");
            EditImgSftX->setText("0");
            EditImgSftY->setText("0");
            DrawImage();
            break;
        default:
            break;  // "ROI" draws its frame at the next rendering; "Move" needs nothing
    }
}

void TForm1::setRoiSizeFromMenu(const char* size) {
    EditROISizeX->setText(size);
    EditROISizeY->setText(size);
    RadioGroupTool->setItemIndex(kToolOff);
    RadioGroupTool->setItemIndex(kToolRoi);
    DrawImage();
}

void TForm1::N641Click() {
    setRoiSizeFromMenu("64");
}
void TForm1::N1281Click() {
    setRoiSizeFromMenu("128");
}
void TForm1::N2561Click() {
    setRoiSizeFromMenu("256");
}
void TForm1::N5121Click() {
    setRoiSizeFromMenu("512");
}
void TForm1::N10241Click() {
    setRoiSizeFromMenu("1024");
}
void TForm1::N20481Click() {
    setRoiSizeFromMenu("2048");
}

void TForm1::PopupMenu1Change() {
    const std::int32_t posX = StrToInt(text(EditROIPosX));
    const std::int32_t posY = StrToInt(text(EditROIPosY));
    const std::int32_t sizeX = StrToInt(text(EditROISizeX));
    const std::int32_t sizeY = StrToInt(text(EditROISizeY));
    const IntRect roi = roiFromFields(posX, sizeX, posY, sizeY);
    setRoiGlobals(roi);
    RoiFrameRect = roi;
    DrawImage();
}

void TForm1::ButtonStatClick() {
    if (RadioGroupTool->itemIndex() != kToolRoi) return;
    const RoiBlock block = checkedRoiBlock();
    const RoiStatistics stats =
        computeRoiStatistics(ImageStream.data(), storedImage(), block, sampleRule());
    const NumberSeparators separators = systemNumberSeparators();
    EditHSBP->setText(q(FloatToStrF(stats.mean, 2, separators)));
    EditVSBP->setText(q(FloatToStrF(stats.sd, 3, separators)));
}

void TForm1::ButtonVertClick() {
    if (LoadState <= 0) return;
    flipVertical(ImageStream.data(), ImageStream.size(), storedImage());
    DrawImage();
}

void TForm1::ButtonHorizClick() {
    if (LoadState <= 0) return;
    flipHorizontal(ImageStream.data(), ImageStream.size(), storedImage());
    DrawImage();
}

void TForm1::rotate(Turn turn) {
    if (LoadState <= 0) return;
    const StoredImageLayout image = storedImage();
    const IntRect square =
        rotationSquare({ViewLeft, ViewTop, ViewRight, ViewBottom}, image, ImageStream.size());
    rotateSquare(ImageStream.data(), image, square, turn);
    DrawImage();
}

void TForm1::ButtonCCWClick() {
    rotate(Turn::CounterClockwise);
}

void TForm1::ButtonCWClick() {
    rotate(Turn::Clockwise);
}

void TForm1::ButtonTrimingClick() {
    // Checked before the dialog, so nobody picks a file for an ROI that cannot be saved.
    const RoiBlock block = checkedRoiBlock();
    const std::string chosen = dialogs().openFile(this).toStdString();
    if (chosen.empty()) return;
    StrToInt(text(EditOffst));  // the samples are copied unchanged, but the offset must be a number
    const std::vector<std::uint8_t> samples =
        trimmedSamples(ImageStream.data(), storedImage(), block);
    const std::string path = trimmedFileName(chosen, block.nc, block.nr, text(EditPxlSpc));
    saveFileSafely(path, samples);
    dialogs().showInformation(this, "トリミングした画像を保存しました。");
}

void TForm1::installWheelStepping() {
    qApp->installEventFilter(new EventHook(this, [this](QObject*, QEvent* event) {
        if (event->type() != QEvent::Wheel) return false;
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        // A horizontal wheel or a scroll phase without vertical travel is no notch.
        if (delta == 0 || QApplication::activeWindow() != this) return false;
        bool handled = false;
        guarded(this, [&] { ApplicationEvents1Message(delta, handled); });
        return handled || StringGridDICOM->height() < 200;
    }));
}

void TForm1::ApplicationEvents1Message(int wheelDelta, bool& handled) {
    if (StringGridDICOM->height() >= 200) return;  // the enlarged table scrolls instead
    const std::int32_t position = StrToInt(text(EditFListNo));
    if (position < 0 || position >= ListBox1->count())
        throw AppError(messages::listIndexOutOfRange(position));
    EditFileName->setText(ListBox1->item(position)->text());
    LoadState = 2;
    BitBtnLoadClick();
    LoadState = 1;
    const std::int32_t next = StrToInt(text(EditFListNo));
    if (wheelDelta > 0) {
        if (next < ListBox1->count() - 1) EditFListNo->setText(q(IntToStr(next + 1)));
    } else if (next > 0) {
        EditFListNo->setText(q(IntToStr(next - 1)));
    }
    handled = true;
}

void TForm1::StringGridDICOMDblClick() {
    const int height = StringGridDICOM->height();
    if (height < 200) {
        StringGridDICOM->setGeometry(StringGridDICOM->x(), 22, StringGridDICOM->width(),
                                     kLargeTableHeight);
        StringGridDICOM->raise();
    } else if (height > 200) {
        StringGridDICOM->setGeometry(StringGridDICOM->x(), 536, StringGridDICOM->width(),
                                     kSmallTableHeight);
    }
}

void TForm1::ButtonHeaderToCBClick() {
    const QString exported = latin1(headerTableText(kHeaderTableTitles, headerRows_));
    Memo2->setPlainText(exported);
    QGuiApplication::clipboard()->setText(exported);
}

void TForm1::ButtonToTableClick() {
    if (!form2_) return;
    const RoiBlock block = checkedRoiBlock();  // reads EditHeader before the table is touched
    const SampleValueRule rule = sampleRule();
    form2_->setPixelTable(
        roiPixelTable(ImageStream.data(), storedImage(), block, RoiFrameRect, rule));
    form2_->Series1->clear();
    form2_->Series2->clear();
    const QString spacing = EditPxlSpc->text().isEmpty() ? QString("1") : EditPxlSpc->text();
    for (QLineEdit* e : {form2_->EditPxlSpc, form2_->EditMTFgdx, form2_->EditLSFgdx})
        e->setText(spacing);
    const QString width = q(IntToStr(block.nc));
    for (QLineEdit* e : {form2_->Editdnd, form2_->EditMTFgnd, form2_->EditLSFgnd})
        e->setText(width);
    form2_->RadioGroup1->setItemIndex(0);
    ButtonToForm2Click();
}

void TForm1::ButtonSaveBMPClick() {
    QGuiApplication::clipboard()->setImage(Image1->toImage());
}

}  // namespace ctiq
