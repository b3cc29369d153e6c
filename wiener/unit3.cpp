#include "wiener/unit3.h"

namespace ctiq {

TForm3::TForm3(QWidget* parent) : QWidget(parent) {
    setWindowTitle("WienerSpectra");
    resize(900, 640);
}

}  // namespace ctiq
