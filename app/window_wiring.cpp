#include "app/window_wiring.h"

#include <QObject>

#include "common/ui/guarded.h"
#include "mtf/roi_table.h"
#include "mtf/unit2.h"
#include "viewer/unit1.h"
#include "wiener/unit3.h"

namespace ctiq {

void wireWindows(TForm1& viewer, TForm2& mtfWindow, TForm3& spectrumWindow) {
    mtfWindow.setViewer(&viewer);
    spectrumWindow.setViewer(&viewer);
    TForm1* const v = &viewer;
    TForm2* const mtf = &mtfWindow;
    TForm3* const spectrum = &spectrumWindow;
    auto showMtf = [mtf] {
        mtf->show();
        mtf->raise();
        mtf->activateWindow();
    };
    QObject::connect(v, &TForm1::mtfWindowRequested, mtf, showMtf);
    QObject::connect(v, &TForm1::spectrumWindowRequested, spectrum,
                     [spectrum] { spectrum->show(); });
    QObject::connect(v, &TForm1::roiHandedToMtf, mtf, [v, mtf, showMtf](const RoiHandOff& roi) {
        guarded(v, [&] {
            mtf->receiveRoi(roiPixelTable(roi.data, roi.image, roi.block, roi.frame, roi.rule),
                            roi.spacing, roi.block.nc);
            showMtf();
        });
    });
    QObject::connect(v, &TForm1::imageHandedToSpectrum, spectrum, [v, spectrum](bool keep) {
        guarded(v, [&] {
            spectrum->show();
            spectrum->raise();
            spectrum->takeHandOff(keep);
        });
    });
}

}  // namespace ctiq
