#pragma once

#include <QPoint>
#include <QString>
#include <cstdint>
#include <vector>

namespace ctiq {

// The viewer's fields that the analysis windows read as text.
enum class ViewerField {
    FileName,
    ImgSizeX,
    ImgSizeY,
    PixelSpacing,
    ROISizeX,
    ROISizeY,
    Header,
    Offst
};

// What the analysis windows read of the viewer at the moment they run, and the way back to it.
class ViewerLink {
  public:
    virtual ~ViewerLink() = default;
    virtual QString fieldText(ViewerField field) const = 0;
    virtual bool swapChecked() const = 0;
    // True in the mode " 8bit": one byte per sample.
    virtual bool eightBitSamples() const = 0;
    // The whole image file and the stored image's size as the last rendering left it.
    virtual const std::vector<std::uint8_t>& imageBytes() const = 0;
    virtual std::int32_t imageColumns() const = 0;
    virtual std::int32_t imageRows() const = 0;
    // The image column and row of the ROI's top-left sample, as drawn.
    virtual QPoint roiImageCorner() const = 0;
    virtual void showViewer() = 0;
};

}  // namespace ctiq
