// The Wiener spectrum window's tooltips: what each control does and what it takes, in one line.
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

#include "common/ui/explain.h"
#include "common/ui/field_start.h"
#include "common/ui/field_value.h"
#include "common/ui/radio_group.h"
#include "wiener/unit3.h"

namespace ctiq {

void TForm3::explainControls() {
    explain({
        {EditPxlSpc, "mmPS: pixel spacing in mm"},
        {EditImgSizeX, "Image width in pixels"},
        {EditImgSizeY, "Image height in pixels"},
        {EditROIX, "ROI width of the viewer (for reference)"},
        {EditROIY, "ROI height of the viewer (for reference)"},
        {EditSgmntX, "Segment size along X in pixels (a power of two for X spectra)"},
        {EditSgmntY, "Segment size along Y in pixels (the strip width for X spectra)"},
        {EditShftX, "Step between segments along X in pixels"},
        {EditShftY, "Step between segments along Y in pixels"},
        {EditNSgmnt, "Segments used by the last computation"},
        {EditNSgmnt2, "Largest number of segments in one computation"},
        {EditC, "Factor applied to every sample value"},
        {CheckBoxTrnd, "Trnd: remove a polynomial trend from every image line"},
        {EditN, "Degree of the line trend (0 to 16)"},
        {CheckBoxTrnd1, "Trnd1: remove a polynomial trend from every segment instead of its mean"},
        {EditN1, "Degree of the segment trend (0 to 16)"},
        {RadioGroupXY, "Direction of the spectrum: along X or along Y"},
        {RadioGroupWindow, "Data window applied to each segment: rectangular or Hamming"},
        {ButtonLoad, "Take the image, ROI and spacing from the viewer and set the defaults"},
        {ButtonClr, "Clear the charts and the list of spectra"},
        {ButtonCal, "Compute the noise power spectrum of the ROI"},
        {ButtontoMain, "Show the viewer"},
        {Edit1, "Spare field (nothing reads it)"},
        {PageControl1, "Pages: the spectra (WS), the strip profiles and the autocorrelation"},
        {ButtonResult, "Copy the newest spectra to the clipboard as a table"},
        {StringGridFileName, "The five newest spectra: file and parameters"},
        {ButtonSmooth, "Write the smoothed newest spectrum into the memo"},
        {MemoWS, "The spectrum as text: frequency in cycles/mm and value"},
        {Editgnd, "Spare field (nothing reads it)"},
        {ButtonACFtoCB, "Copy the autocorrelation to the clipboard as a table"},
    });
    setCaptions({{EditPxlSpc, "mmPS"},
                 {EditImgSizeX, "ImageSize"},
                 {EditImgSizeY, "ImageSize"},
                 {EditSgmntX, "SegmentSize X"},
                 {EditSgmntY, "SegmentSize Y"},
                 {EditShftX, "Shift X"},
                 {EditShftY, "Shift Y"},
                 {EditNSgmnt2, "Segment#"},
                 {EditC, "Factor"},
                 {EditN, "Trnd"},
                 {EditN1, "Trnd1"}});
    showFieldStarts(this);
}

}  // namespace ctiq
