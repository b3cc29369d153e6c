#include "viewer/unit1.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <QWheelEvent>

#include "common/app_error.h"
#include "common/checked.h"
#include "common/number_text.h"
#include "common/rounding.h"
#include "common/ui/dialogs.h"
#include "common/ui/event_hook.h"
#include "common/ui/field_value.h"
#include "common/ui/growing_places.h"
#include "common/ui/guarded.h"
#include "common/ui/radio_group.h"
#include "common/ui/text.h"
#include "load/dicom/dicom_header.h"
#include "load/dicom/tag_dictionary.h"
#include "load/file_reading.h"
#include "load/name_geometry.h"
#include "viewer/auto_window.h"
#include "viewer/file_list.h"
#include "viewer/header_export.h"
#include "viewer/image_view.h"
#include "viewer/load_placement.h"
#include "viewer/mouse_geometry.h"
#include "viewer/roi_statistics.h"
#include "viewer/trimming.h"
#include "viewer/unit1_constants.h"

namespace ctiq {
using namespace viewer_ui;
namespace {

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
    installOpeningKeys();
    explainControls();
    placeForFontAndSize();
    PopupMenu1Change();  // the toolkit reports the menu's change once it is built
}

TForm1::~TForm1() = default;

QString TForm1::fieldText(ViewerField field) const {
    switch (field) {
        case ViewerField::FileName:
            // The image on screen names the results, not a path typed since that failed to open.
            return q(ImageFileName);
        case ViewerField::ImgSizeX:
            return EditImgSizeX->text();
        case ViewerField::ImgSizeY:
            return EditImgSizeY->text();
        case ViewerField::PixelSpacing:
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
    // The block under the frame: a magnified or shifted view measures the ROI that is drawn.
    const RoiBlock block = roiBlock(RoiFrameRect, ViewLeft, ViewTop);
    return QPoint(block.c0, block.r0);
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

void TForm1::FormCreate() {
    LoadState = LoadStatus::Empty;
    ImageStream.clear();
    resize(744, 692);
    move(51, 20);
    DragTopLeft = DragBottomRight = DragMove = false;
    Image3->resize(512, 512);
    Image1->hide();
    // The titles as the reader's language shows them; the copy keeps the stored ones.
    for (int c = 0; c < 7; ++c)
        setCell(StringGridDICOM, 0, c, translatedCaption(kHeaderTableTitles[c].c_str()));
}

LoadMode TForm1::loadMode() const {
    switch (RadioGroupMode->itemIndex()) {
        case kModeByte8:
            return LoadMode::Byte8;
        case kModeDicom:
            return LoadMode::Dicom;
        default:
            return LoadMode::Word16;
    }
}

SampleFormat TForm1::sampleFormat() const {
    return loadFormat(loadMode());
}

void TForm1::ButtonToForm2Click() {
    emit mtfWindowRequested();
}

void TForm1::ButtonForm3Click() {
    emit spectrumWindowRequested();
}

void TForm1::ButtonToForm3Click() {
    emit imageHandedToSpectrum(CheckBoxLockPara->isChecked());
}

void TForm1::BitBtnLoadClick() {
    // The dialog starts in the folder of the image on screen.
    const std::string chosen =
        LoadState != LoadStatus::FromFileField
            ? dialogs()
                  .openFile(this, ImageFileName.empty()
                                      ? QString()
                                      : QFileInfo(q(ImageFileName)).absolutePath())
                  .toStdString()
            : text(EditFileName);
    // Cancelled, or a file that cannot be read (the message says why): nothing changes, the old
    // image, its header and its fields stay together.
    if (chosen.empty()) return;
    ImageBytes bytes;
    readWholeFile(chosen, bytes);

    const std::uint32_t frame = chosen == ImageFileName ? frame_ : 0;
    const LoadPlan plan = planLoad(chosen, bytes, loadMode(), true, frame);
    LoadFields fields = loadFields(plan);
    // A file refused after its header (no rows, a damaged stream) says why; no size is asked.
    const bool prompted = plan.needsSize() && !refusesTheImage(plan);
    if (prompted) {
        // Cancel on either prompt cancels the load; so does an answer that is not a size.
        const std::optional<QString> size =
            dialogs().inputBox(this, "", "Matrix Size x y , ", q(plan.suggestion));
        if (!size) return;
        const std::optional<QString> spacing = dialogs().inputBox(
            this, "InputBox",
            QCoreApplication::translate("ctiq", "ﾋﾟｸｾﾙ間隔(mm)を入力してください。"),
            EditPxlSpc->text());
        if (!spacing) return;
        fields.spacing = spacing->toStdString();
        answerSizePrompt(fields, parseSizeAnswer(size->toStdString()));
    }

    // From here on the file is the one on screen: nothing shown belongs to another file.
    frame_ = frame;
    ImageFileName = chosen;
    ImageStream = std::move(bytes);
    forgetStatistics();  // the statistics of the image that is gone
    EditFileName->setText(q(ImageFileName));
    EditFileSize->setText(q(IntToStr(static_cast<std::int64_t>(ImageStream.size()))));
    showFrames(plan);
    fileWindow_ = plan.dicom
                      ? fileWindow(plan.dicom->fields.windowLevel, plan.dicom->fields.windowWidth)
                      : std::nullopt;
    if (plan.noImage) showNoImage();
    keepOrRestoreTypedFields(fields);
    showLoadFields(fields);
    if (prompted) EditMF->setText("1.0");
    if (plan.dicom) ReadDicomHeader(plan);
    try {
        requireShowable(plan);
    } catch (...) {
        dropImage();  // its header is shown; no other file's image may stay beside it
        throw;
    }
    if (plan.decoded) ImageStream = plan.decoded->samples;  // read like a file with header 0
    Image1->show();
    ImgCols = intIn(EditImgSizeX);
    ImgRows = intIn(EditImgSizeY);

    requireDrawableBitmap({{}, false, ImgCols, ImgRows});
    bitmap_.resize(ImgCols, ImgRows);
    EditImgSizeX->setText(q(IntToStr(ImgCols)));
    EditImgSizeY->setText(q(IntToStr(ImgRows)));
    LoadState = LoadStatus::Loaded;
    CheckBoxRoiSet->setChecked(true);
    if (!CheckBoxRoiLock->isChecked()) {
        const RoiFields roi = defaultRoi(ImgCols, ImgRows);
        EditROIPosX->setText(q(IntToStr(roi.centreX)));
        EditROIPosY->setText(q(IntToStr(roi.centreY)));
        EditROISizeX->setText(q(IntToStr(roi.width)));
        EditROISizeY->setText(q(IntToStr(roi.height)));
    }
    EditWindowLevel->setText(q(IntToStr(kDefaultWindow.level)));
    EditWindowWidth->setText(q(IntToStr(kDefaultWindow.width)));
    DrawImage();
    applyLoadWindow();
    ButtonFileListClick();
}

void TForm1::showFrames(const LoadPlan& plan) {
    const QSignalBlocker quiet(SpinFrame);
    const bool several = plan.dicom && plan.frames > 1;
    SpinFrame->setRange(1, several ? static_cast<int>(plan.frames) : 1);
    SpinFrame->setValue(static_cast<int>(plan.frame) + 1);
    LabelFrames->setText(several ? QString("/ %1").arg(plan.frames) : QString());
    SpinFrame->setVisible(several);
    LabelFrames->setVisible(several);
}

void TForm1::stepToFrame(int frame) {
    if (frame < 0 || frame == static_cast<int>(frame_) || ImageFileName.empty()) return;
    const std::uint32_t before = frame_;
    frame_ = static_cast<std::uint32_t>(frame);
    // The same slice's frames share the ROI: it stays where it is, as with "Lock".
    const bool locked = CheckBoxRoiLock->isChecked();
    CheckBoxRoiLock->setChecked(true);
    try {
        loadTypedPath(ImageFileName);
    } catch (...) {
        frame_ = before;
        CheckBoxRoiLock->setChecked(locked);
        const QSignalBlocker quiet(SpinFrame);
        SpinFrame->setValue(static_cast<int>(before) + 1);
        throw;
    }
    CheckBoxRoiLock->setChecked(locked);
}

void TForm1::dropImage() {
    LoadState = LoadStatus::Empty;
    ImgCols = ImgRows = 0;
    ImageStream.clear();
    Image1->hide();
    forgetStatistics();
}

void TForm1::showNoImage() {
    dropImage();
    for (QLineEdit* e : {EditImgSizeX, EditImgSizeY, EditFOVSize}) e->clear();
}

void TForm1::keepOrRestoreTypedFields(LoadFields& fields) {
    // A file's own header length and offset (a DICOM header, its rescale) hold for that file
    // only; a file that states none takes what the user typed last.
    header_.settle(fields.header);
    offset_.settle(fields.offset);
}

void TForm1::showLoadFields(const LoadFields& fields) {
    EditImgSizeX->setText(q(fields.columns));
    EditImgSizeY->setText(q(fields.rows));
    EditPxlSpc->setText(q(fields.spacing));
    auto show = [](QLineEdit* e, const std::optional<std::string>& v) {
        if (v) e->setText(q(*v));
    };
    show(EditHeader, fields.header);
    show(EditOffst, fields.offset);
    show(EditFOVSize, fields.fieldOfView);
    show(EditWindowLevel, fields.windowLevel);
    show(EditWindowWidth, fields.windowWidth);
    if (fields.swap) CheckBoxSwp->setChecked(*fields.swap);  // no click handler: no rendering
}

void TForm1::ReadDicomHeader(const LoadPlan& plan) {
    const DicomHeaderResult& r = *plan.dicom;
    if (r.walked) {
        headerRows_ = r.rows;
        StringGridDICOM->setUpdatesEnabled(false);
        StringGridDICOM->setRowCount(1 + static_cast<int>(r.rows.size()));
        for (int row = 0; row < static_cast<int>(r.rows.size()); ++row)
            for (int c = 0; c < 7; ++c)
                setCell(StringGridDICOM, row + 1, c, q(r.rows[row][c]));
        StringGridDICOM->setUpdatesEnabled(true);
        QString summary = q(r.summary);
        summary.replace("\r\n", "\n");
        Memo1->setPlainText(summary);
    }
}

void TForm1::DrawImage() {
    if (!hasImage()) return;
    Image3->show();
    Image2->hide();
    Image1->show();

    const double m = static_cast<double>(floatIn(EditMF));
    ImgCols = intIn(EditImgSizeX);
    ImgRows = intIn(EditImgSizeY);
    GreyWindow window;
    window.level = intIn(EditWindowLevel);
    window.width = intIn(EditWindowWidth);
    const std::int32_t shiftX = intIn(EditImgSftX);
    const std::int32_t shiftY = intIn(EditImgSftY);
    const ViewLayout layout = computeView(m, ImgCols, ImgRows, shiftX, shiftY);
    requireDrawableBitmap(layout);
    if (ImgCols > 0 && ImgRows > 0) requireSamplesShown(layout, m, ImgRows);
    bitmap_.resize(layout.bitmapWidth, layout.bitmapHeight);

    const StoredImageLayout image = storedImage();
    // A central region of one value gives the automatic window a width of 0: it is drawn as
    // width 1 (every step from black to white), and the field keeps what it says.
    if (window.width == 0) window.width = 1;
    PaintOptions options;
    options.offset = intIn(EditOffst);
    options.format = image.format;
    options.swap = CheckBoxSwp->isChecked();
    options.invert = CheckBoxInvrt->isChecked();
    paintView(ImageStream.data(), ImageStream.size(), image, layout, window, options, bitmap_);

    const ControlGeometry control = imageControlGeometry(ImgCols, ImgRows, layout.wide);
    imageControl_ = {control.left, control.width};
    Image1->setGeometry(imageControlRect(control.left, control.width));
    Image1->update();

    if (RadioGroupTool->itemIndex() == kToolRoi) {
        const std::int32_t posX = intIn(EditROIPosX);
        const std::int32_t sizeX = intIn(EditROISizeX);
        const std::int32_t posY = intIn(EditROIPosY);
        const std::int32_t sizeY = intIn(EditROISizeY);
        const IntRect roi = roiFromFields(posX, sizeX, posY, sizeY);
        setRoiGlobals(roi);
        RoiFrameRect = toBitmapCoordinates(roi, layout.view.left, layout.view.top);
        DrawRoiFrame();
    }
    ViewLeft = layout.view.left;
    ViewRight = layout.view.right;
    ViewTop = layout.view.top;
    ViewBottom = layout.view.bottom;
    forgetStatisticsOfAnotherFrame();
}

void TForm1::forgetStatisticsOfAnotherFrame() {
    if (!statisticsBlock_) return;
    if (RadioGroupTool->itemIndex() == kToolRoi &&
        roiBlock(RoiFrameRect, ViewLeft, ViewTop) == *statisticsBlock_)
        return;
    forgetStatistics();
}

void TForm1::forgetStatistics() {
    statisticsBlock_.reset();
    EditHSBP->clear();
    EditVSBP->clear();
}

void TForm1::DrawRoiFrame() {
    if (!hasImage()) return;
    drawRoiFrame(bitmap_, RoiFrameRect);
    Image1->update();
}

void TForm1::ButtonDispClick() {
    DrawImage();
}

void TForm1::Button1Click() {
    const long double magnified = floatIn(EditMF) + 0.1L;
    EditMF->setText(q(FloatToStr(magnified)));
    if (floatIn(EditMF) == 1) {
        EditMF->setText("1.0");
        EditImgSftY->setText("0");
        EditImgSftX->setText("0");
    }
    DrawImage();
}

void TForm1::Button2Click() {
    if (floatIn(EditMF) > 1) EditMF->setText(q(FloatToStr(floatIn(EditMF) - 0.1L)));
    if (floatIn(EditMF) == 1) {
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

void TForm1::applyLoadWindow() {
    if (CheckBoxFileWindow->isChecked() && fileWindow_) {
        EditWindowLevel->setText(q(IntToStr(fileWindow_->level)));
        EditWindowWidth->setText(q(IntToStr(fileWindow_->width)));
        DrawImage();
        return;
    }
    ButtonAutoWLClick();
}

void TForm1::CheckBoxFileWindowClick() {
    if (hasImage()) applyLoadWindow();
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
    // Items show the file's name; they keep the whole path for the wheel.
    for (const std::string& file : files) {
        auto* item = new QListWidgetItem(QFileInfo(q(file)).fileName(), ListBox1);
        item->setData(Qt::UserRole, q(file));
        item->setToolTip(q(file));
    }
    return files;
}

void TForm1::Button3Click() {
    rebuildFileList();
}

void TForm1::ButtonFileListClick() {
    const std::vector<std::string> files = rebuildFileList();
    const std::int32_t index = indexInList(files, text(EditFileName));
    EditFListNo->setText(q(IntToStr(index)));
    // The file on screen is the list's current item, in view.
    if (index >= 0 && index < ListBox1->count()) {
        ListBox1->setCurrentRow(index);
        ListBox1->scrollToItem(ListBox1->item(index));
    }
}

void TForm1::setRoiGlobals(const IntRect& roi) {
    RoiLeft = roi.left;
    RoiTop = roi.top;
    RoiRight = roi.right;
    RoiBottom = roi.bottom;
}

StoredImageLayout TForm1::storedImage() const {
    StoredImageLayout image;
    image.header = intIn(EditHeader);
    image.columns = ImgCols;
    image.rows = ImgRows;
    image.format = sampleFormat();
    return image;
}

SampleValueRule TForm1::sampleRule() const {
    SampleValueRule rule;
    rule.format = sampleFormat();
    rule.swap = CheckBoxSwp->isChecked();
    rule.offset = intIn(EditOffst);
    return rule;
}

RoiBlock TForm1::checkedRoiBlock() const {
    if (!hasImage()) throw AppError("No image is loaded yet.");
    const RoiBlock block = roiBlock(RoiFrameRect, ViewLeft, ViewTop);
    requireBlockInside(block, storedImage(), ImageStream.size());
    return block;
}

void TForm1::Image1MouseDown(Qt::MouseButton button, int x, int y) {
    DragTopLeft = DragBottomRight = DragMove = false;
    const int tool = RadioGroupTool->itemIndex();
    if (tool == kToolRoi && button == Qt::LeftButton) {
        DragButton = DragButtonKind::Left;
        const bool moved = x != LastMouseX || y != LastMouseY;
        const RoiGrip grip = roiGripAt(RoiFrameRect, x, y, mouseScale(), moved);
        DragTopLeft = grip == RoiGrip::TopLeft;
        DragBottomRight = grip == RoiGrip::BottomRight;
        DragMove = grip == RoiGrip::Move;
        // The corner that stays is carried over in display-bitmap coordinates, the ones the
        // dragged corner is given in, so the frame stays put whatever the view.
        if (DragTopLeft || DragBottomRight) setRoiGlobals(RoiFrameRect);
    }
    if (tool == kToolMove && button == Qt::LeftButton) {
        DragButton = DragButtonKind::Left;
        LastMouseX = x;
        LastMouseY = y;
    }
    if (button == Qt::RightButton) {
        DragButton = DragButtonKind::Right;
        LastMouseX = x;
        LastMouseY = y;
    }
}

double TForm1::mouseScale() const {
    return bitmap_.height / 512.0;
}

void TForm1::Image1MouseMove(int x, int y) {
    if (DragButton == DragButtonKind::None) return;
    const double s = mouseScale();
    const int tool = RadioGroupTool->itemIndex();
    if (tool == kToolRoi && DragButton == DragButtonKind::Left) {
        if (DragTopLeft || DragBottomRight) {
            DrawRoiFrame();
            const IntRect dragged =
                dragRoiCorner({RoiLeft, RoiTop, RoiRight, RoiBottom},
                              DragTopLeft ? RoiGrip::TopLeft : RoiGrip::BottomRight, x, y, s);
            setRoiGlobals(dragged);
            RoiFrameRect = dragged;
            DrawRoiFrame();
            // Size and centre both follow the frame, so the next rendering draws it here too.
            const std::int64_t width = std::int64_t{RoiRight} - RoiLeft + 1;
            const std::int64_t height = std::int64_t{RoiBottom} - RoiTop + 1;
            EditROISizeX->setText(q(IntToStr(width)));
            EditROISizeY->setText(q(IntToStr(height)));
            EditROIPosX->setText(q(IntToStr(std::int64_t{ViewLeft} + RoiLeft + width / 2)));
            EditROIPosY->setText(q(IntToStr(std::int64_t{ViewTop} + RoiTop + height / 2)));
        } else if (DragMove) {
            DrawRoiFrame();
            RoiFrameRect = moveRoiTo(RoiFrameRect, x, y, s);
            setRoiGlobals(RoiFrameRect);
            EditROIPosX->setText(q(IntToStr(Trunc(x * s + ViewLeft))));
            EditROIPosY->setText(q(IntToStr(Trunc(y * s + ViewTop))));
            DrawRoiFrame();
        }
        forgetStatisticsOfAnotherFrame();
    }
    if (tool == kToolMove && DragButton == DragButtonKind::Left) {
        const PanShift pan =
            panShift(intIn(EditImgSftX), intIn(EditImgSftY), LastMouseX, LastMouseY, x, y, s,
                     {ViewLeft, ViewTop, ViewRight, ViewBottom}, ImgCols, ImgRows);
        if (pan.shiftX) EditImgSftX->setText(q(IntToStr(*pan.shiftX)));
        if (pan.shiftY) EditImgSftY->setText(q(IntToStr(*pan.shiftY)));
        DrawImage();
        LastMouseX = x;
        LastMouseY = y;
    }
    if (DragButton == DragButtonKind::Right) {
        static constexpr std::int32_t kSteps[] = {1, 3, 10, 30};
        const std::int32_t step = kSteps[std::clamp(RadioGroupRange->itemIndex(), 0, 3)];
        const WindowDrag w = dragWindow(intIn(EditWindowLevel), intIn(EditWindowWidth), LastMouseX,
                                        LastMouseY, x, y, step);
        EditWindowWidth->setText(q(IntToStr(w.width)));
        EditWindowLevel->setText(q(IntToStr(w.level)));
        DrawImage();
        LastMouseX = x;
        LastMouseY = y;
    }
}

void TForm1::Image1MouseUp(Qt::MouseButton button, int, int) {
    const int tool = RadioGroupTool->itemIndex();
    if (tool == kToolRoi && button == Qt::LeftButton) {
        DragTopLeft = DragBottomRight = DragMove = false;
        DragButton = DragButtonKind::None;
        ButtonStatClick();
    }
    if (tool == kToolMove && button == Qt::LeftButton) {
        DragTopLeft = DragBottomRight = DragMove = false;
        DragButton = DragButtonKind::None;
    }
    if (button == Qt::RightButton) DragButton = DragButtonKind::None;
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
    const std::int32_t posX = intIn(EditROIPosX);
    const std::int32_t posY = intIn(EditROIPosY);
    const std::int32_t sizeX = intIn(EditROISizeX);
    const std::int32_t sizeY = intIn(EditROISizeY);
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
    const RoiStatisticsText shown =
        roiStatisticsText(stats, StatisticsDigits::Shown, systemNumberSeparators());
    EditHSBP->setText(q(shown.mean));
    EditVSBP->setText(q(shown.sd));
    statisticsBlock_ = block;
}

}  // namespace ctiq
