#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolTip>
#include <QUrl>
#include <QWheelEvent>
#include <filesystem>

#include "common/app_error.h"
#include "common/number_text.h"
#include "common/paths.h"
#include "common/safe_file.h"
#include "common/ui/dialogs.h"
#include "common/ui/event_hook.h"
#include "common/ui/field_value.h"
#include "common/ui/guarded.h"
#include "common/ui/radio_group.h"
#include "common/ui/text.h"
#include "viewer/header_export.h"
#include "viewer/image_view.h"
#include "viewer/trimming.h"
#include "viewer/unit1.h"
#include "viewer/unit1_constants.h"

// The viewer's image operations and hand-offs: flips, turns, trimming, wheel stepping through
// the folder, the header table's size and export, "toMTF" and "imgToCB".

namespace ctiq {
using namespace viewer_ui;

void TForm1::ButtonVertClick() {
    if (!hasImage()) return;
    flipVertical(ImageStream.data(), ImageStream.size(), storedImage());
    forgetStatistics();  // other samples lie under the frame now
    DrawImage();
}

void TForm1::ButtonHorizClick() {
    if (!hasImage()) return;
    flipHorizontal(ImageStream.data(), ImageStream.size(), storedImage());
    forgetStatistics();
    DrawImage();
}

void TForm1::rotate(Turn turn) {
    if (!hasImage()) return;
    const StoredImageLayout image = storedImage();
    const IntRect square =
        rotationSquare({ViewLeft, ViewTop, ViewRight, ViewBottom}, image, ImageStream.size());
    rotateSquare(ImageStream.data(), image, square, turn);
    forgetStatistics();
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
    intIn(EditOffst);  // the samples are copied unchanged, but the offset must be a number
    const std::vector<std::uint8_t> samples =
        trimmedSamples(ImageStream.data(), storedImage(), block);
    const std::string path = trimmedFileName(chosen, block.nc, block.nr, text(EditPxlSpc));
    saveFileSafely(path, samples);
    dialogs().showInformation(
        this, QCoreApplication::translate("ctiq", "トリミングした画像を保存しました。"));
}

namespace {

// The step through the folder list a key stands for: PageDown the next file, PageUp the previous
// one, anywhere in the viewer; the arrow keys the same over the image (elsewhere they move a
// field's cursor); 0 for other keys.
int stepForKey(const QKeyEvent& key, bool overImage) {
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return 0;
    switch (key.key()) {
        case Qt::Key_PageUp:
            return -1;
        case Qt::Key_PageDown:
            return 1;
        case Qt::Key_Up:
        case Qt::Key_Left:
            return overImage ? -1 : 0;
        case Qt::Key_Down:
        case Qt::Key_Right:
            return overImage ? 1 : 0;
        default:
            return 0;
    }
}

QString droppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().isEmpty()) return {};
    const QUrl& url = data->urls().front();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

}  // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QString file = droppedFile(event->mimeData());
    if (file.isEmpty()) return;
    event->acceptProposedAction();
    guarded(this, [&] { loadTypedPath(file.toStdString()); });
}

void TForm1::installOpeningKeys() {
    setAcceptDrops(true);
    auto* open = new QShortcut(QKeySequence::Open, this);  // Ctrl+O: "⇒"
    connect(open, &QShortcut::activated, BitBtnLoad, &QPushButton::click);
    // Ctrl+PageDown and Ctrl+PageUp step through the frames of a multi-frame file.
    for (const auto& [key, step] : {std::pair{Qt::CTRL | Qt::Key_PageDown, 1},
                                    std::pair{Qt::CTRL | Qt::Key_PageUp, -1}}) {
        auto* frameKey = new QShortcut(QKeySequence(key), this);
        connect(frameKey, &QShortcut::activated, this, [this, step = step] {
            if (SpinFrame->isVisible()) SpinFrame->setValue(SpinFrame->value() + step);
        });
    }
    // Return in the file-name field loads the typed path, as a wheel notch loads a listed one.
    connectGuarded(EditFileName, &QLineEdit::returnPressed, this,
                   [this] { loadTypedPath(text(EditFileName)); });
}

void TForm1::installWheelStepping() {
    qApp->installEventFilter(new EventHook(this, [this](QObject*, QEvent* event) {
        if (event->type() == QEvent::KeyPress && QApplication::activeWindow() == this) {
            const int step = stepForKey(*static_cast<QKeyEvent*>(event), Image1->underMouse());
            if (step == 0 || headerTableEnlarged_) return false;
            guarded(this, [&] { stepThroughFolder(step); });
            return true;
        }
        if (event->type() != QEvent::Wheel) return false;
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        // A horizontal wheel or a scroll phase without vertical travel is no notch.
        if (delta == 0 || QApplication::activeWindow() != this) return false;
        bool handled = false;
        guarded(this, [&] { ApplicationEvents1Message(delta, handled); });
        return handled || !headerTableEnlarged_;
    }));
}

void TForm1::loadTypedPath(const std::string& path) {
    EditFileName->setText(q(path));
    const LoadStatus before = LoadState;
    LoadState = LoadStatus::FromFileField;
    try {
        BitBtnLoadClick();
    } catch (...) {
        if (LoadState == LoadStatus::FromFileField) LoadState = before;  // the next "⇒" asks
        throw;
    }
    if (LoadState == LoadStatus::FromFileField) LoadState = before;
}

void TForm1::openFromOutside(const std::string& path) {
    guarded(this, [&] {
        // A folder or a missing file keeps the mode: its load only says why it cannot be opened.
        std::error_code ec;
        if (std::filesystem::is_regular_file(pathFromUtf8(path), ec))
            RadioGroupMode->setItemIndex(modeForFile(path) == LoadMode::Dicom ? kModeDicom
                                                                              : kModeWord16);
        loadTypedPath(path);
    });
}

void TForm1::ApplicationEvents1Message(int wheelDelta, bool& handled) {
    if (headerTableEnlarged_) return;  // the enlarged table scrolls instead
    const std::int32_t position = intIn(EditFListNo);
    if (position < 0 || position >= ListBox1->count())
        throw AppError(messages::listIndexOutOfRange(position));
    EditFileName->setText(ListBox1->item(position)->data(Qt::UserRole).toString());
    LoadState = LoadStatus::FromFileField;
    BitBtnLoadClick();
    LoadState = LoadStatus::Loaded;
    const std::int32_t next = intIn(EditFListNo);
    if (wheelDelta > 0) {
        if (next < ListBox1->count() - 1) EditFListNo->setText(q(IntToStr(next + 1)));
    } else if (next > 0) {
        EditFListNo->setText(q(IntToStr(next - 1)));
    }
    handled = true;
}

void TForm1::stepThroughFolder(int step) {
    // From the file on screen, in the list's order; the wheel keeps its own position field.
    int current = -1;
    for (int i = 0; i < ListBox1->count() && current < 0; ++i)
        if (ListBox1->item(i)->data(Qt::UserRole).toString().toStdString() == ImageFileName)
            current = i;
    if (current < 0) current = static_cast<int>(intIn(EditFListNo)) - step;  // not listed
    const int target = current + step;
    if (target < 0 || target >= ListBox1->count()) {
        // At either end nothing loads; a note at the list says why the key did nothing.
        QToolTip::showText(
            ListBox1->mapToGlobal(QPoint(0, ListBox1->height())),
            target < 0 ? QCoreApplication::translate("ctiq", "フォルダの最初のファイルです")
                       : QCoreApplication::translate("ctiq", "フォルダの最後のファイルです"),
            ListBox1);
        return;
    }
    loadTypedPath(ListBox1->item(target)->data(Qt::UserRole).toString().toStdString());
}

void TForm1::StringGridDICOMDblClick() {
    headerTableEnlarged_ = !headerTableEnlarged_;
    StringGridDICOM->setGeometry(headerTablePlace());
    if (headerTableEnlarged_) StringGridDICOM->raise();
}

void TForm1::ButtonHeaderToCBClick() {
    const QString exported = q(headerTableText(kHeaderTableTitles, headerRows_));
    Memo2->setPlainText(exported);
    QGuiApplication::clipboard()->setText(exported);
}

void TForm1::ButtonToTableClick() {
    const RoiBlock block = checkedRoiBlock();  // reads EditHeader before the table is touched
    emit roiHandedToMtf({ImageStream.data(), ImageStream.size(), storedImage(), block, RoiFrameRect,
                         sampleRule(), EditPxlSpc->text()});
}

void TForm1::ButtonSaveBMPClick() {
    QGuiApplication::clipboard()->setImage(Image1->toImage());
}

}  // namespace ctiq
