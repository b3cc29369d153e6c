// The viewer grows with its window. The first size is the smallest: there every control stands
// where the layout put it, scaled for a font larger than the design's. A larger window makes the
// image area a larger square (the display scale), moves what lies right of and below it, and gives
// the remaining height to the header table and the folder list.
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QResizeEvent>
#include <QTableWidget>

#include "common/ui/design_places.h"
#include "viewer/image_view.h"
#include "viewer/unit1.h"
#include "viewer/unit1_constants.h"

namespace ctiq {
using namespace viewer_ui;
namespace {

// The first size's image area, the columns right of it and the rows below it.
constexpr int kArea = 512;
constexpr int kRightColumn = 580;      // x of the right-hand panels
constexpr int kEnlargedTableTop = 22;  // the enlarged header table covers the image area
constexpr int kBottomRow = 648;   // y of the bottom row and of the right column's last controls
constexpr int kFolderList = 600;  // y of the folder list

}  // namespace

void TForm1::rememberPlaces() {
    design_.emplace(this);
    headerTableFirst_ = StringGridDICOM->geometry();
    fitFont();  // the window starts at its smallest size: the design size, scaled
}

void TForm1::followDesktopFont() {
    QFont desktop = QApplication::font();
    if (desktop.pointSizeF() > 1) desktop.setPointSizeF(desktop.pointSizeF() - 1);
    setFont(desktop);
}

void TForm1::fitFont() {
    scale_ = design_->captionScale();
    design_->applyScale(scale_);
    placeForSize();
}

bool TForm1::event(QEvent* event) {
    // The viewer's own font keeps it from the desktop's; a change there comes back as the
    // viewer's font change, when its controls have the new font.
    if (event->type() == QEvent::ApplicationFontChange) followDesktopFont();
    if (event->type() == QEvent::FontChange && design_) fitFont();
    return QWidget::event(event);
}

QRect TForm1::imageControlRect(int left, int width) const {
    const double s = displayScale_;
    return {static_cast<int>(left * s), 0, static_cast<int>(width * s),
            static_cast<int>(kArea * s)};
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeForSize();
}

void TForm1::placeForSize() {
    if (!design_) return;
    const QSize first = minimumSize();
    const int growX = width() - first.width(), growY = height() - first.height();
    const int d = std::max(0, std::min(growX, growY));  // the image area's growth
    const int extra = growY - d;                        // height left for the lists
    const int area = scaled(kArea, scale_) + d;
    growth_ = d;
    extraHeight_ = extra;
    displayScale_ = static_cast<double>(area) / kArea;
    Image1->setDisplayScale(displayScale_);
    for (const auto& [w, g] : design_->places()) {
        QRect r = scaled(g, scale_);
        if (w->parentWidget() == ScrollBox1) {
            if (g.x() >= kArea)
                r.translate(d, 0);  // the image-side buttons
            else if (w != Image1)
                r.setSize(QSize(area, area));  // title, overlay
        } else if (w->parentWidget() != this) {
            // inside a panel, which moves for it
        } else if (w == ScrollBox1) {
            r.setSize(r.size() + QSize(d, d));
        } else if (w == EditFileName) {
            r.setWidth(r.width() + d);
        } else if (w == StringGridDICOM) {
            continue;  // placed below
        } else if (g.x() >= kRightColumn) {
            r.translate(d, 0);
            if (w == ListBox1) r.setHeight(r.height() + d + extra);
            if (g.y() >= kBottomRow) r.translate(0, d + extra);
        } else if (g.y() >= kBottomRow) {
            r.translate(0, d + extra);  // the bottom row of fields
        }
        w->setGeometry(r);
    }
    StringGridDICOM->setGeometry(headerTablePlace());
    Image1->setGeometry(imageControlRect(imageControl_.first, imageControl_.second));
    Image1->update();
}

QRect TForm1::headerTablePlace() const {
    const QRect g = scaled(headerTableFirst_, scale_);
    const int w = g.width() + growth_;
    return headerTableEnlarged_
               ? QRect(g.x(), scaled(kEnlargedTableTop, scale_), w,
                       scaled(kLargeTableHeight, scale_) + growth_ + extraHeight_)
               : QRect(g.x(), g.y() + growth_, w, scaled(kSmallTableHeight, scale_) + extraHeight_);
}

}  // namespace ctiq
