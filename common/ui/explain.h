#pragma once

#include <QString>
#include <QWidget>
#include <initializer_list>
#include <utility>

namespace ctiq {

// Gives each control a one-line English tooltip saying what it does and takes. A control that
// already has a hint of the program's own keeps it; the buttons of a radio group share its tip.
void explain(std::initializer_list<std::pair<QWidget*, const char*>> tips);

}  // namespace ctiq
