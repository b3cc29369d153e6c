#include "mtf/unit2.h"

namespace ctiq {

TForm2::TForm2(QWidget* parent) : QWidget(parent) {
    setWindowTitle("MTF");
    resize(760, 600);
}

}  // namespace ctiq
