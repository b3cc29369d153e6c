// Every control of the three windows says what it does: a tooltip on it or on the group it
// belongs to.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>

#include "common/ui/radio_group.h"
#include "tests/support/window_fixture.h"

namespace ctiq {
namespace {

bool isControl(const QWidget* w) {
    if (w->objectName().startsWith("qt_") || qobject_cast<const QHeaderView*>(w)) return false;
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
           qobject_cast<const QTabWidget*>(w) || qobject_cast<const RadioGroup*>(w);
}

bool explained(const QWidget* w, const QWidget* window) {
    for (; w && w != window; w = w->parentWidget())
        if (!w->toolTip().isEmpty()) return true;
    return false;
}

class ControlsExplained : public test::WindowTest {};

TEST_F(ControlsExplained, EveryControlHasATooltip) {
    for (QWidget* window : std::initializer_list<QWidget*>{&viewer, &mtfWindow, &spectrumWindow}) {
        int controls = 0;
        for (const QWidget* w : window->findChildren<QWidget*>()) {
            if (!isControl(w) || w->isHidden()) continue;
            ++controls;
            EXPECT_TRUE(explained(w, window))
                << window->windowTitle().toStdString() << ": " << w->metaObject()->className()
                << " at " << w->x() << "," << w->y() << " without a tooltip";
        }
        EXPECT_GT(controls, 20) << window->windowTitle().toStdString();
    }
}

// A field too narrow for its text shows the text's start and the whole text as its tooltip.
TEST_F(ControlsExplained, NarrowFieldsShowTheStartAndTheWholeText) {
    viewer.EditFOVSize->setText("250.000000000000");
    EXPECT_EQ(viewer.EditFOVSize->cursorPosition(), 0);
    EXPECT_TRUE(viewer.EditFOVSize->toolTip().endsWith("\n250.000000000000"))
        << viewer.EditFOVSize->toolTip().toStdString();
    EXPECT_TRUE(viewer.EditFOVSize->toolTip().startsWith("Field of view"));
    viewer.EditFOVSize->setText("250");
    EXPECT_EQ(viewer.EditFOVSize->toolTip().toStdString(),
              "Field of view in mm (from the DICOM header)");
}

}  // namespace
}  // namespace ctiq
