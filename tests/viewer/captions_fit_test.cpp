// No caption is cut: every label's, button's and box's text fits its control, at the default
// font and at 1.25 and 1.5 times its size; and at its smallest size no window hides a control.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtCharts/QAbstractAxis>
#include <QtCharts/QChart>
#include <algorithm>

#include "common/language.h"
#include "common/ui/design_places.h"
#include "common/ui/radio_group.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/window_fixture.h"
#include "viewer/image_view.h"

namespace ctiq {
namespace {

// The rectangle a control has to stay in: its parent's, or for a tab page that has not been shown
// yet, the shown page's (all pages share it).
QRect containerRect(const QWidget* w) {
    const QWidget* parent = w->parentWidget();
    const QWidget* stack = parent->parentWidget();
    if (const auto* tabs = qobject_cast<const QTabWidget*>(stack ? stack->parentWidget() : nullptr))
        return tabs->currentWidget()->rect();
    return parent->rect();
}

QString caption(const QWidget* w) {
    if (const auto* label = qobject_cast<const QLabel*>(w)) return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(w)) return group->title();
    return {};
}

// Shown, with its layouts run (the pages of tab widgets, the status bar's parts).
void showLaidOut(QWidget* window) {
    window->show();
    QApplication::sendPostedEvents();
}

std::vector<std::string> cutCaptions(QWidget* window) {
    showLaidOut(window);
    std::vector<std::string> cut;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (w->isHidden() || w->objectName().startsWith("qt_")) continue;
        const int needed = captionWidth(w);
        // Cut by the control's own width, or by the container it stands in.
        if (needed > w->width() || (needed > 0 && w->x() + needed > containerRect(w).width()))
            cut.push_back(window->windowTitle().toStdString() + ": \"" + caption(w).toStdString() +
                          "\" needs " + std::to_string(needed) + " of " +
                          std::to_string(w->width()));
    }
    return cut;
}

// Controls that reach beyond their container (cut off, or out of the window).
std::vector<std::string> cutControls(QWidget* window) {
    showLaidOut(window);
    std::vector<std::string> cut;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(w->parentWidget()) || w->isWindow() ||
            w->objectName().startsWith("qt_"))
            continue;
        if (!containerRect(w).contains(w->geometry()))
            cut.push_back(window->windowTitle().toStdString() + ": a " +
                          w->metaObject()->className() + " at " + std::to_string(w->x()) + "," +
                          std::to_string(w->y()) + " size " + std::to_string(w->width()) + "x" +
                          std::to_string(w->height()) + " leaves its container");
    }
    return cut;
}

class CaptionsFit : public test::WindowTest {};

TEST_F(CaptionsFit, AtTheDefaultFont) {
    for (QWidget* window : std::initializer_list<QWidget*>{&viewer, &mtfWindow, &spectrumWindow}) {
        for (const std::string& c : cutCaptions(window)) ADD_FAILURE() << c;
        for (const std::string& c : cutControls(window)) ADD_FAILURE() << c;
    }
}

// An English reader's captions are longer ("Column", "Level", "Hamming"): they fit too. The
// captions read as English there and as the program's own texts on a Japanese system, while the
// header table's copy keeps its stored titles in either language.
TEST(Captions, EnglishReadersReadEnglishAndEveryCaptionFits) {
    for (const bool english : {true, false}) {
        useEnglish(english);
        test::ScopedScriptedDialogs dialogs;
        TForm1 viewer;
        TForm2 mtfWindow;
        TForm3 spectrumWindow;
        for (QWidget* window :
             std::initializer_list<QWidget*>{&viewer, &mtfWindow, &spectrumWindow}) {
            for (const std::string& c : cutCaptions(window)) ADD_FAILURE() << c;
        }
        EXPECT_EQ(spectrumWindow.RadioGroupWindow->itemText(1), english ? "Hamming" : "Haming");
        EXPECT_EQ(spectrumWindow.ChartWSLin->axes(Qt::Horizontal).first()->titleText(),
                  english ? "Spatial frequency (cycles/mm)" : "Spatial frequency (cyckes/mm)");
        EXPECT_EQ(
            spectrumWindow.ChartWSLog->axes(Qt::Horizontal).first()->titleText(),
            english ? "Log spatial frequency (cycles/mm)" : "Log spatial frequency (cycles/mm))");
        EXPECT_EQ(viewer.StringGridDICOM->item(0, 2)->text(), english ? "Element" : "Erement");
        const QList<QLabel*> labels = viewer.findChildren<QLabel*>();
        EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](const QLabel* l) {
            return l->text() == (english ? "Level" : "Lebel");
        }));
        viewer.ButtonHeaderToCB->click();
        EXPECT_TRUE(QApplication::clipboard()->text().startsWith(
            " No\tGroup\tErement\tVR\tCHR#\tName\tValue"));
        // Qt's own buttons speak the reader's language too.
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                  english ? "Cancel" : "キャンセル");
    }
}

// The desktop's font made larger (by the parameter), and restored after the test.
class LargerFont : public ::testing::TestWithParam<double> {
  protected:
    void enlargeTheFont() {
        QFont larger = before_;
        larger.setPointSizeF(before_.pointSizeF() * GetParam());
        QApplication::setFont(larger);
        QApplication::sendPostedEvents();  // the windows hear of it
    }
    void TearDown() override {
        QApplication::setFont(before_);
        QApplication::sendPostedEvents();
    }

    // At their smallest size: every caption fits and no control is cut.
    static void expectNothingCut(const std::initializer_list<QWidget*>& windows) {
        for (QWidget* window : windows) {
            const QSize smallest = window->minimumSize();
            window->resize(200, 150);  // the smallest size holds
            EXPECT_EQ(window->size(), smallest) << window->windowTitle().toStdString();
            for (const std::string& c : cutCaptions(window)) ADD_FAILURE() << c;
            for (const std::string& c : cutControls(window)) ADD_FAILURE() << c;
        }
    }

  private:
    QFont before_ = QApplication::font();
};

TEST_P(LargerFont, EveryCaptionFitsAndTheSmallestSizeHidesNothing) {
    enlargeTheFont();
    test::ScopedScriptedDialogs dialogs;
    TForm1 viewer;
    TForm2 mtfWindow;
    TForm3 spectrumWindow;
    for (QWidget* window : std::initializer_list<QWidget*>{&viewer, &mtfWindow, &spectrumWindow})
        EXPECT_EQ(window->size(), window->minimumSize());  // they start at their smallest
    expectNothingCut({&viewer, &mtfWindow, &spectrumWindow});
    // The image area grew with the font, and the pointer still maps into the 512-pixel area.
    const double k = viewer.Image1->width() / 512.0;
    EXPECT_GT(k, 1.2);
    QPoint pressedAt;
    viewer.Image1->onMouseDown = [&](Qt::MouseButton, int x, int y) { pressedAt = {x, y}; };
    const QPointF at(60.5 * k, 70.5 * k);
    QMouseEvent press(QEvent::MouseButtonPress, at, viewer.Image1->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewer.Image1, &press);
    EXPECT_EQ(pressedAt, QPoint(60, 70));
}

// The desktop's font grows while the windows are open: they grow with it, and shrink back.
TEST_P(LargerFont, TheWindowsFollowAFontChangeWhileOpen) {
    test::ScopedScriptedDialogs dialogs;
    TForm1 viewer;
    TForm2 mtfWindow;
    TForm3 spectrumWindow;
    const std::initializer_list<QWidget*> windows{&viewer, &mtfWindow, &spectrumWindow};
    std::vector<QSize> first;
    for (QWidget* window : windows) first.push_back(window->minimumSize());
    enlargeTheFont();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const QSize grown = windows.begin()[i]->minimumSize();
        EXPECT_GT(grown.width(), first[i].width() * 1.1);
        EXPECT_GT(grown.height(), first[i].height() * 1.1);
    }
    expectNothingCut(windows);
    TearDown();
    for (std::size_t i = 0; i < windows.size(); ++i)
        EXPECT_EQ(windows.begin()[i]->minimumSize(), first[i]);
}

INSTANTIATE_TEST_SUITE_P(Fonts, LargerFont, ::testing::Values(1.25, 1.5));

}  // namespace
}  // namespace ctiq
