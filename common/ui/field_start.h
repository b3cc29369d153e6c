#pragma once

#include <QWidget>

namespace ctiq {

// Every line edit under `window` shows its text from the start while it has no focus (a narrow
// field showed "0.000000" of "250.000000"), and a text wider than the field is also its tooltip,
// after the field's own explanation.
void showFieldStarts(QWidget* window);

}  // namespace ctiq
