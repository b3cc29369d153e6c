#include "common/ui/guarded.h"

#include "common/language.h"
#include "common/ui/dialogs.h"

namespace ctiq {

void reportError(QWidget* parent, const std::exception& error) {
    try {
        dialogs().showError(parent, QString::fromStdString(inUserLanguage(error)));
    } catch (...) {
        // A failing message box must not take the event loop down with it.
    }
}

}  // namespace ctiq
