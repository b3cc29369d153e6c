#pragma once

#include <QWidget>

namespace ctiq {

// The Wiener spectrum window "WienerSpectra": noise power spectra of uniform-phantom images.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
};

}  // namespace ctiq
