#pragma once

#include <QPixmap>

namespace ctiq {

// The start picture shown until the first image is rendered.
QPixmap titlePicture(QSize size);

}  // namespace ctiq
