#pragma once

#include <QString>

namespace ctiq {

// What the analysis windows read of the viewer, and the way back to it.
class ViewerLink {
public:
    virtual ~ViewerLink() = default;
    virtual QString fileNameText() const = 0;    // the viewer's EditFileName
    virtual QString imageSizeXText() const = 0;  // the viewer's EditImgSizeX
    virtual void showViewer() = 0;
};

}  // namespace ctiq
