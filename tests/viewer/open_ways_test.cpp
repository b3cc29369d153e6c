// The ways to open besides "⇒" and the wheel: Ctrl+O, Return in the file-name field, a dropped
// file, and the keys that step through the folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <QUrl>

#include "common/ui/radio_group.h"
#include "tests/support/window_fixture.h"
#include "viewer/image_view.h"

namespace ctiq {
namespace {

class OpenWays : public test::WindowTest {
  protected:
    TForm1& form = viewer;

    void SetUp() override {
        for (const char* name : {"a 2 2 1.raw", "c 2 2 1.raw"})
            writeFile(name, std::vector<std::uint8_t>(8, 1));
        load(writeFile("b 2 2 1.raw", std::vector<std::uint8_t>(8, 2)), 1);
        form.show();
        QApplication::setActiveWindow(&form);
        ASSERT_EQ(QApplication::activeWindow(), &form);
    }
    std::string shown() const {
        const std::string name = field(form.EditFileName);
        return name.substr(name.rfind('/') + 1, 1);
    }
    void key(QWidget* target, int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, code, modifiers);
        QApplication::sendEvent(target, &event);
    }
};

// PageDown goes to the next file of the list, PageUp to the previous one, from the file on screen
// and wherever the focus is; the arrow keys the same over the image (in a field they move its
// cursor); at either end nothing happens. (They used to run as wheel notches: PageDown went to the
// previous file, and the first step reloaded the one on screen.)
TEST_F(OpenWays, KeysStepToTheNextAndPreviousFile) {
    ASSERT_EQ(shown(), "b");
    key(form.EditROIPosX, Qt::Key_PageDown);
    EXPECT_EQ(shown(), "c");
    EXPECT_EQ(field(form.EditFListNo), "2");
    key(form.EditROIPosX, Qt::Key_PageDown);  // the last file: nothing happens, a note says why
    EXPECT_EQ(shown(), "c");
    EXPECT_EQ(QToolTip::text(), "フォルダの最後のファイルです");
    key(form.EditROIPosX, Qt::Key_PageUp);
    EXPECT_EQ(shown(), "b");
    key(form.EditROIPosX, Qt::Key_Up);  // not over the image: nothing
    EXPECT_EQ(shown(), "b");
    form.Image1->setAttribute(Qt::WA_UnderMouse, true);
    key(form.EditROIPosX, Qt::Key_Up);
    EXPECT_EQ(shown(), "a");
    EXPECT_EQ(field(form.EditFListNo), "0");
    key(form.Image1, Qt::Key_Up);  // the first file: nothing happens
    EXPECT_EQ(shown(), "a");
    key(form.Image1, Qt::Key_Down);
    EXPECT_EQ(shown(), "b");
    key(form.Image1, Qt::Key_Down, Qt::ControlModifier);  // not a step
    EXPECT_EQ(shown(), "b");
    EXPECT_EQ(dialogs->openFileRequests, 1);
    EXPECT_TRUE(errors().empty()) << errors()[0];
}

// Return in the file-name field loads the typed path; a path that fails leaves "⇒" asking.
TEST_F(OpenWays, ReturnLoadsTheTypedPath) {
    form.EditFileName->setText(QString::fromStdString(folder.file("c 2 2 1.raw")));
    key(form.EditFileName, Qt::Key_Return);
    EXPECT_EQ(shown(), "c");
    EXPECT_EQ(form.ImageStream, std::vector<std::uint8_t>(8, 1));
    form.EditFileName->setText(QString::fromStdString(folder.file("none 2 2 1.raw")));
    key(form.EditFileName, Qt::Key_Return);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_EQ(form.LoadState, LoadStatus::Loaded);
    dialogs->openFileAnswers.push_back("");  // "⇒" asks again; cancelled
    form.BitBtnLoad->click();
    EXPECT_EQ(dialogs->openFileRequests, 2);
}

TEST_F(OpenWays, CtrlOPressesTheLoadButton) {
    dialogs->openFileAnswers.push_back(QString::fromStdString(folder.file("a 2 2 1.raw")));
    QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(dialogs->openFileRequests, 2);
    EXPECT_EQ(shown(), "a");
}

// A dropped file loads in the selected mode; a drop without a local file is not taken.
TEST_F(OpenWays, ADroppedFileLoadsInTheSelectedMode) {
    const std::string dicom = copyToFolder("dicom/CT_small.dcm", "CT_small.dcm");
    form.RadioGroupMode->setItemIndex(2);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dicom))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &drop);
    EXPECT_TRUE(errors().empty()) << errors()[0];
    EXPECT_EQ(field(form.EditFileName), dicom);
    EXPECT_EQ(form.imageColumns(), 128);

    QMimeData remote;
    remote.setUrls({QUrl("https://example.org/x.dcm")});
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &remote, Qt::LeftButton,
                            Qt::NoModifier);
    refused.ignore();
    QApplication::sendEvent(&form, &refused);
    EXPECT_FALSE(refused.isAccepted());
}

}  // namespace
}  // namespace ctiq

namespace ctiq {
namespace {

// The file on screen is the folder list's current item; long names keep their end in view; the
// file dialog starts in the image's folder.
TEST_F(OpenWays, TheListShowsTheCurrentFileAndTheDialogStartsBesideIt) {
    EXPECT_EQ(form.ListBox1->currentRow(), 1);  // "b" of a, b, c
    EXPECT_EQ(form.ListBox1->textElideMode(), Qt::ElideMiddle);
    key(form.EditROIPosX, Qt::Key_PageDown);
    EXPECT_EQ(form.ListBox1->currentRow(), 2);
    dialogs->openFileAnswers.push_back("");  // cancelled
    form.BitBtnLoad->click();
    EXPECT_EQ(dialogs->lastOpenFileFolder.toStdString(), folder.path());
}

}  // namespace
}  // namespace ctiq
