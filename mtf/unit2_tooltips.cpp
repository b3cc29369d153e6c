// The MTF window's tooltips: what each control does and what it takes, in one line.
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

#include "common/ui/explain.h"
#include "common/ui/field_start.h"
#include "common/ui/field_value.h"
#include "common/ui/radio_group.h"
#include "common/ui/up_down.h"
#include "mtf/pixel_grid.h"
#include "mtf/unit2.h"

namespace ctiq {

void TForm2::explainControls() {
    explain({
        {PageControl1, "Pages: the pixel table, the LSF and the MTF"},
        {StringGrid1, "The ROI's pixel values; select cells to copy them or see their statistics"},
        {EditAve, "Mean of the selected cells"},
        {EditSD, "Standard deviation of the selected cells"},
        {EditMax, "Maximum of the selected cells"},
        {EditMin, "Minimum of the selected cells"},
        {ButtonAll, "Copy the whole table to the clipboard, every Step-th row and column"},
        {EditStep, "Step of the whole-table copy (1: every row and column)"},
        {CheckBoxSwapRC, "Copy the whole table with rows and columns exchanged"},
        {ButtonSelected, "Copy the selected cells to the clipboard as a table"},
        {Button1, "Copy the selected cells to the clipboard, one value per line"},
        {ButtonHist, "Copy a 128-bin histogram of the table to the clipboard"},
        {MemoLSF, "The LSF as text: position in mm and value, tab separated"},
        {ButtonMemoLSF, "Write the LSF into the memo"},
        {MemoMTF, "The MTF as text: frequency in cycles/mm and MTF, tab separated"},
        {RadioGroup1, "Direction of the line spread function: along X or along Y"},
        {EditGeta, "PSF width: tail bumps passed before the background cut"},
        {EditYL, "DFT line#: number of lines summed into the LSF (1 to 100)"},
        {UpDown1, "Change the DFT line count"},
        {ButtonCalMTF, "Compute the LSF, its half width and the MTF"},
        {EditPxlSpc, "Pixel spacing in mm"},
        {Editdnd, "Data#: number of points plotted"},
        {ButtonDrawD, "Plot the LSF or MTF of the shown page"},
        {ButtonDrawG, "Draw the tick marks under the chart"},
        {ButtonToMemoMTF, "Write the MTF into the memo"},
        {ButtonForm1, "Show the viewer"},
        {EditWork1, "Row of the maximum in the table"},
        {EditWork2, "Column of the maximum in the table"},
        {EditWork3, "Spare field (nothing writes it)"},
        {EditWork4, "Full width at half maximum of the LSF, in mm"},
        {EditImgSizeX, "Columns of the viewer's image"},
        {Memo1, "Spare memo (nothing writes it)"},
        {StatusBar1, "Selection read-outs"},
    });
    setCaptions({{EditGeta, "PSF width"},
                 {EditYL, "DFT line#"},
                 {EditPxlSpc, "P.Spacing"},
                 {Editdnd, "Data#"},
                 {EditStep, "Step"},
                 {EditImgSizeX, "Colum"}});
    showFieldStarts(this);
}

}  // namespace ctiq
