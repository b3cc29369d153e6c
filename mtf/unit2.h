#pragma once

#include <QWidget>

namespace ctiq {

// The MTF window "MTF": line spread function and MTF of a point image.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
};

}  // namespace ctiq
