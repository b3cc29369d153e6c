#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "wiener/spectrum.h"

class QChart;
class QChartView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace ctiq {

class GrowingPlaces;
class RadioGroup;
class ViewerLink;

// The Wiener spectrum window "WienerSpectra": noise power spectra of the viewer's ROI, the five
// newest side by side, their autocorrelations and strip profiles, and tables for a spreadsheet.
class TForm3 : public QWidget {
    Q_OBJECT
  public:
    explicit TForm3(QWidget* parent = nullptr);
    ~TForm3() override;

    void setViewer(ViewerLink* viewer) { viewer_ = viewer; }
    QString listCell(int column, int row) const;

    // The viewer's pixel spacing, image size and ROI size, as "Load" copies them.
    void takeImageGeometry();
    // "toWS" from the viewer: with `keepListedRun` ("LockPara") and a listed run, the image's
    // geometry alone (the run's fields stay); otherwise everything, as "Load" takes it.
    void takeHandOff(bool keepListedRun);

    // Handlers.
    void ButtonLoadClick();
    void ButtonClrClick();
    void ButtonCalClick();
    void requireSameSpacing(const std::string& viewerSpacing, double spacing) const;
    void ButtonResultClick();
    void ButtonACFtoCBClick();
    void ButtonSmoothClick();
    void RadioGroupXYClick();
    void ButtontoMainClick();

    // Controls.
    QLineEdit* EditPxlSpc;
    QLineEdit* EditImgSizeX;
    QLineEdit* EditImgSizeY;
    QLineEdit* EditROIX;
    QLineEdit* EditROIY;
    QLineEdit* EditSgmntX;
    QLineEdit* EditSgmntY;
    QLineEdit* EditShftX;
    QLineEdit* EditShftY;
    QLineEdit* EditNSgmnt;
    QLineEdit* EditNSgmnt2;
    QLineEdit* EditC;
    QCheckBox* CheckBoxTrnd;
    QLineEdit* EditN;
    QCheckBox* CheckBoxTrnd1;
    QLineEdit* EditN1;
    RadioGroup* RadioGroupXY;
    RadioGroup* RadioGroupWindow;
    QPushButton* ButtonLoad;
    QPushButton* ButtonClr;
    QPushButton* ButtonCal;
    QPushButton* ButtontoMain;
    QTabWidget* PageControl1;
    QWidget* ACF;
    QWidget* TabSheetProfile;
    QWidget* TabSheetWS;
    QChart* ChartWSLin;
    QChart* ChartWSLog;
    QChart* ChartProfile;
    QChart* ChartACF;
    // Series1..7, FastLineSeries1..7, FastLineSeries8..14, FastLineSeries15..21.
    std::array<QLineSeries*, 7> SeriesWSLin{}, SeriesWSLog{}, SeriesProfile{}, SeriesACF{};
    QPushButton* ButtonResult;
    QPushButton* ButtonACFtoCB;
    QPushButton* ButtonSmooth;
    QTableWidget* StringGridFileName;
    QPlainTextEdit* MemoWS;
    QLineEdit* Editgnd;
    QLineEdit* Edit1;
    QLabel* LabelWsSummary;  // peak, mean frequency and integral of the newest spectrum

    // Window state.
    std::int32_t SpectrumCount = 0;
    std::int32_t SegLen = 0;
    std::vector<double> WsData = std::vector<double>(kSpectrumCapacity, 0.0);
    std::vector<double> AcfData = std::vector<double>(kSpectrumCapacity, 0.0);

  private:
    void buildControls();
    void placeForFontAndSize();
    void explainControls();
    void connectHandlers();
    void FormCreate();
    void graph();
    void DrawProfile(const std::vector<double>& profile);
    void updateList();
    // Empties MemoWS and shows the table's title line; then builds the table (which may stop
    // with an error) and shows it whole, also on the clipboard when asked.
    void showTable(const std::function<std::string(double delta)>& build, bool toClipboard);
    std::string viewerFileName() const;

    ViewerLink* viewer_ = nullptr;
    QChartView *viewWSLin_ = nullptr, *viewWSLog_ = nullptr, *viewProfile_ = nullptr,
               *viewACF_ = nullptr;
    std::unique_ptr<GrowingPlaces> places_;
};

}  // namespace ctiq
