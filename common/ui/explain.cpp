#include "common/ui/explain.h"

#include <QAbstractButton>

namespace ctiq {

void explain(std::initializer_list<std::pair<QWidget*, const char*>> tips) {
    for (const auto& [control, tip] : tips) {
        if (!control->toolTip().isEmpty()) continue;
        control->setToolTip(tip);
        for (QAbstractButton* item : control->findChildren<QAbstractButton*>())
            if (item->toolTip().isEmpty()) item->setToolTip(tip);
    }
}

}  // namespace ctiq
