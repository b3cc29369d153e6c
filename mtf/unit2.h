#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>

#include "mtf/lsf.h"
#include "mtf/pixel_table.h"

class QChart;
class QChartView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QValueAxis;

namespace ctiq {

class GrowingPlaces;
class PixelGrid;
class RadioGroup;
class TickBox;
class UpDown;
class ViewerLink;

// The MTF window "MTF": the ROI's pixel values as a table, the line spread function of a point
// image, its half width and MTF as charts and as text for a spreadsheet, and a histogram.
class TForm2 : public QWidget {
    Q_OBJECT
  public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    void setViewer(ViewerLink* viewer) { viewer_ = viewer; }

    // The viewer's hand-off: the new table replaces the old one.
    void setPixelTable(PixelTable table);
    // "toMTF": the ROI's table, the viewer's pixel spacing text (an empty one counts as 1) and the
    // ROI width prime the spacing, point count and direction fields.
    void receiveRoi(PixelTable table, const QString& spacing, std::int32_t roiWidth);
    // Empties the memos, the half width and the charts: what no longer belongs to the table.
    void clearResults();
    const PixelTable& pixelTable() const;

    // Handlers.
    void FormActivate();
    void StringGrid1MouseDown();
    void StringGrid1MouseMove();
    void StringGrid1MouseUp();
    void ButtonAllClick();
    void ButtonSelectedClick();
    void Button1Click();
    void ButtonCalMTFClick();
    void UpDown1Click();
    void EditYLChange();
    void ButtonMemoLSFClick();
    void ButtonToMemoMTFClick();
    void ButtonDrawDClick();
    void ButtonDrawGClick();
    void PageControl1Change();
    void ButtonForm1Click();
    void ButtonHistClick();

    // Sets EditYL's text from code; a changed text runs EditYLChange, as typing does.
    void setEditYLText(const QString& text);

    // Controls.
    QTabWidget* PageControl1;
    QWidget* PixelValue;
    QWidget* TabSheetLSF;
    QWidget* TabSheetMTF;
    PixelGrid* StringGrid1;
    QLineEdit* EditAve;
    QLineEdit* EditSD;
    QLineEdit* EditMax;
    QLineEdit* EditMin;
    QPushButton* ButtonAll;
    QLineEdit* EditStep;
    QCheckBox* CheckBoxSwapRC;
    QPushButton* ButtonSelected;
    QPushButton* Button1;
    QPushButton* ButtonHist;
    QLineEdit* EditWork1;
    QLineEdit* EditWork2;
    QLineEdit* EditWork3;
    QLineEdit* EditWork4;
    QLabel* LabelMtfSummary;  // MTF50, MTF10 and FWHM of the current result
    QLineEdit* EditImgSizeX;
    QPlainTextEdit* Memo1;
    QStatusBar* StatusBar1;
    std::array<QLabel*, 3> StatusPanels{};
    RadioGroup* RadioGroup1;
    QLineEdit* EditGeta;
    QLineEdit* EditYL;
    UpDown* UpDown1;
    QPushButton* ButtonCalMTF;
    QLineEdit* EditPxlSpc;
    QChartView* Chart1View;
    QChart* Chart1;
    QLineSeries* Series1;
    QChartView* Chart2View;
    QChart* Chart2;
    QLineSeries* Series2;
    QLineSeries* SeriesNyquist;  // the Nyquist frequency, a vertical line
    TickBox* PaintBoxLSF;
    TickBox* PaintBoxMTF;
    QPlainTextEdit* MemoLSF;
    QPlainTextEdit* MemoMTF;
    QPushButton* ButtonMemoLSF;
    QPushButton* ButtonToMemoMTF;
    QLineEdit* EditLSFgnd;
    QLineEdit* EditLSFgdx;
    QLineEdit* EditMTFgnd;
    QLineEdit* EditMTFgdx;
    QLineEdit* Editdnd;
    QPushButton* ButtonDrawD;
    QPushButton* ButtonDrawG;
    QPushButton* ButtonForm1;

    // Window state.
    CellRect SelRect;
    std::int32_t SelDrag = 0;
    std::int32_t MaxCol = 0, MaxRow = 0;
    std::int32_t NData = 0, NLsf = 0, NMtf = 0, NDisp = 0;
    double PxlSpc = 0;  // mm: the spacing of the last LSF, for the axes and memos
    using Samples = std::array<double, kMaxLsfLength>;
    Samples RawLsf{}, WorkLsf{}, Lsf{}, DftRe{}, DftIm{}, MtfAbs{}, PlotX{}, PlotY{};

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void buildControls();
    void placeForFontAndSize();
    void explainControls();
    void connectHandlers();
    void setDataCountSilently(std::int32_t n);
    void selectWholeTable();
    void CellStat(std::int32_t firstCol, std::int32_t lastCol, std::int32_t firstRow,
                  std::int32_t lastRow);
    void computeLsf(LsfDirection direction);
    void PlotChart();
    void DrawTicks();
    bool showingLsf() const;
    bool showingMtf() const;
    std::string viewerFileName() const;

    ViewerLink* viewer_ = nullptr;
    std::unique_ptr<GrowingPlaces> places_;
    // "Data#" holds the count a hand-off or a computation gave it, not one the user typed.
    bool dataCountIsDefault_ = true;
    bool ignoreNextActivation_ = false;
    bool tableFilled_ = false;
};

}  // namespace ctiq
