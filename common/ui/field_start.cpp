#include "common/ui/field_start.h"

#include <QEvent>
#include <QLineEdit>

#include "common/ui/event_hook.h"

namespace ctiq {
namespace {

void fitTip(QLineEdit* field, const QString& explanation) {
    const int room = field->width() - 8;  // the frame's and text margins' share
    const bool cut = field->fontMetrics().horizontalAdvance(field->text()) > room;
    QString tip = explanation;
    if (cut) tip += (tip.isEmpty() ? "" : "\n") + field->text();
    field->setToolTip(tip);
}

void showStart(QLineEdit* field) {
    if (!field->hasFocus()) field->setCursorPosition(0);
}

}  // namespace

void showFieldStarts(QWidget* window) {
    for (QLineEdit* field : window->findChildren<QLineEdit*>()) {
        const QString explanation = field->toolTip();
        QObject::connect(field, &QLineEdit::textChanged, field, [field, explanation] {
            showStart(field);
            fitTip(field, explanation);
        });
        field->installEventFilter(new EventHook(field, [field, explanation](QObject*, QEvent* e) {
            if (e->type() == QEvent::FocusOut) showStart(field);
            if (e->type() == QEvent::Resize || e->type() == QEvent::FontChange)
                fitTip(field, explanation);
            return false;
        }));
        showStart(field);
        fitTip(field, explanation);
    }
}

}  // namespace ctiq
