// The viewer's tooltips: what each control does and what it takes, in one line.
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QLabel>
#include <QTableWidget>

#include "common/ui/explain.h"
#include "common/ui/field_start.h"
#include "common/ui/field_value.h"
#include "common/ui/radio_group.h"
#include "viewer/image_view.h"
#include "viewer/unit1.h"

namespace ctiq {

void TForm1::explainControls() {
    explain({
        {EditFileName, "Path of the image file; Return loads the typed path"},
        {BitBtnLoad, "Load an image file in the selected mode (Ctrl+O)"},
        {BitBtn1, "Close the viewer and end the program"},
        {Image1,
         "The image: drag to place the ROI or pan; right-drag changes the window; "
         "wheel, PageUp/PageDown or arrows step through the folder"},
        {Button1, "Magnify by 0.1"},
        {EditMF, "Magnification (1.0 shows every sample)"},
        {Button2, "Reduce the magnification by 0.1 (not below 1.0)"},
        {ButtonVert, "Flip the image upside down"},
        {ButtonHoriz, "Flip the image left to right"},
        {ButtonCCW, "Turn the image 90° counter-clockwise"},
        {ButtonCW, "Turn the image 90° clockwise"},
        {ButtonTriming, "Save the ROI's samples as a raw file (name gives its size and spacing)"},
        {RadioButtonSizeOrg, "Display size: original (no effect)"},
        {RadioButtonSize512, "Display size: 512 (no effect)"},
        {RadioButton3, "Display size: magnified (no effect)"},
        {CheckBoxWide, "Wide display (no effect)"},
        {SpinFrame, "The frame of a multi-frame file on screen (Ctrl+PageDown/PageUp step)"},
        {LabelFrames, "How many frames the file holds"},
        {ButtonSaveBMP, "Copy the shown image, with the ROI frame, to the clipboard"},
        {StringGridDICOM, "The DICOM header, one element per row; double-click to enlarge"},
        {RadioGroupMode, "How the next file is read: 8-bit, 16-bit samples or DICOM"},
        {EditWindowLevel, "Window level (grey value shown as mid grey)"},
        {EditWindowWidth, "Window width (grey values from black to white)"},
        {ButtonDisp, "Show the image again with the fields as they are"},
        {ButtonAutoWL, "Set the window from the central half of the image"},
        {CheckBoxSwp, "Exchange the two bytes of every 16-bit sample"},
        {CheckBoxInvrt, "Show the image inverted (white for low values)"},
        {CheckBoxSign, "Signed samples (no effect: samples are always signed)"},
        {CheckBoxFileWindow,
         "Every load takes the window the DICOM file states (Window Center/Width); unticked, or "
         "for a file that states none, the automatic window"},
        {RadioGroupRange, "Step of the window change per pixel of a right-drag"},
        {RadioGroupTool, "Mouse tool: ROI, Move (pan), OFF (hide the frame), Home (reset view)"},
        {EditROIPosX, "ROI centre, column (image pixels)"},
        {EditROIPosY, "ROI centre, row (image pixels)"},
        {EditROISizeX, "ROI width in pixels; right-click for a square size"},
        {EditROISizeY, "ROI height in pixels; right-click for a square size"},
        {CheckBoxRoiLock, "Keep the ROI fields when a new image loads"},
        {CheckBoxRoiSet, "Set by every load (nothing reads it)"},
        {ButtonStat, "Show the ROI's mean and SD again"},
        {EditHSBP, "Mean of the ROI's sample values"},
        {EditVSBP, "Standard deviation of the ROI's sample values (divided by N)"},
        {ButtonToTable, "Send the ROI's values to the MTF window's table"},
        {ButtonToForm3, "Send the image and ROI to the Wiener spectrum window"},
        {CheckBoxLockPara, "Keep the spectrum window's parameters once its list has an entry"},
        {ButtonToForm2, "Show the MTF window"},
        {ButtonForm3, "Show the Wiener spectrum window"},
        {Memo1, "Scan summary from the DICOM header"},
        {ButtonFileList, "List the loaded file's folder and find the file in it"},
        {Button3, "List the loaded file's folder again"},
        {EditFListNo, "Position in the folder list of the next wheel step"},
        {ListBox1, "The files of the loaded file's folder, in natural order"},
        {ButtonHeaderToCB, "Copy the DICOM header table to the clipboard"},
        {Memo2, "The header text last copied to the clipboard"},
        {EditFileSize, "File size in bytes"},
        {EditHeader, "Bytes before the first sample"},
        {EditFOVSize, "Field of view in mm (from the DICOM header)"},
        {EditImgSizeX, "Image columns"},
        {EditImgSizeY, "Image rows"},
        {EditOffst, "Added to every sample (the rescale intercept for DICOM)"},
        {EditPxlSpc, "Pixel spacing in mm"},
        {EditImgSftX, "View shift in columns (magnified view)"},
        {EditImgSftY, "View shift in rows (magnified view)"},
        {ButtonRowCulm, "Exchange columns and rows, then show with the automatic window"},
    });
    // What a conversion message calls each field: its caption on the window.
    setCaptions({{EditMF, "Magnification"},
                 {EditWindowLevel, "Lebel"},
                 {EditWindowWidth, "Width"},
                 {EditROIPosX, "Pos"},
                 {EditROIPosY, "Pos"},
                 {EditROISizeX, "Size"},
                 {EditROISizeY, "Size"},
                 {EditFListNo, "F.List position"},
                 {EditFileSize, "File"},
                 {EditHeader, "Header"},
                 {EditFOVSize, "FOV"},
                 {EditImgSizeX, "Colum"},
                 {EditImgSizeY, "Row"},
                 {EditOffst, "Offset"},
                 {EditPxlSpc, "Pixel"},
                 {EditImgSftX, "ShiftX"},
                 {EditImgSftY, "ShiftY"}});
    showFieldStarts(this);
}

}  // namespace ctiq
