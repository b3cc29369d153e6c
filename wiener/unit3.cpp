#include "wiener/unit3.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QLogValueAxis>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

#include "common/app_error.h"
#include "common/checked.h"
#include "common/frequency_axis.h"
#include "common/number_text.h"
#include "common/pixel_spacing.h"
#include "common/ui/charts.h"
#include "common/ui/field_value.h"
#include "common/ui/growing_places.h"
#include "common/ui/guarded.h"
#include "common/ui/placement.h"
#include "common/ui/radio_group.h"
#include "common/ui/text.h"
#include "common/ui/viewer_link.h"
#include "wiener/reliability.h"
#include "wiener/spectrum.h"
#include "wiener/summary.h"

namespace ctiq {
namespace {

constexpr int kListRows = 6;
constexpr int kListColumns = 5;
const char* const kColourNames[] = {"blu", "red", "gre", "Aqu", "yel"};
const QColor kSeriesColours[] = {
    Qt::blue, Qt::red, Qt::green, Qt::cyan, Qt::yellow, QColor(128, 0, 255), QColor(255, 128, 0)};

QChart* makeChart(const char* title, bool logX, const char* xTitle, bool logY, const char* yTitle,
                  std::array<QLineSeries*, 7>& series) {
    QChart* chart = newChart(title);
    QAbstractAxis* x = newAxis(logX, xTitle);
    QAbstractAxis* y = newAxis(logY, yTitle);
    // A long vertical title would be cut at the default height: its unit goes on a line of its own.
    y->setTitleText(unitOnNextLine(y->titleText()));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (int i = 0; i < 7; ++i) {
        QPen pen(kSeriesColours[i]);
        pen.setWidth(2);
        series[i] = addLineSeries(chart, x, y);
        series[i]->setPen(pen);
    }
    return chart;
}

// Automatic ranges over every series (positive values only on a logarithmic axis).
void rescale(QChart* chart) {
    QAbstractAxis* axes[2] = {chart->axes(Qt::Horizontal).first(),
                              chart->axes(Qt::Vertical).first()};
    for (int which = 0; which < 2; ++which) {
        const bool logarithmic = axes[which]->type() == QAbstractAxis::AxisTypeLogValue;
        double lo = std::numeric_limits<double>::infinity(), hi = -lo;
        for (QAbstractSeries* s : chart->series()) {
            for (const QPointF& p : static_cast<QLineSeries*>(s)->points()) {
                const double v = which == 0 ? p.x() : p.y();
                if (logarithmic && !(v > 0)) continue;
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        }
        if (!(lo <= hi)) continue;
        if (logarithmic) {
            // Whole decades, so the axis always carries labels.
            lo = std::pow(10.0, std::floor(std::log10(lo)));
            hi = std::pow(10.0, std::ceil(std::log10(hi)));
        }
        if (lo == hi) {
            lo = logarithmic ? lo / 2 : lo - 1;
            hi = logarithmic ? hi * 2 : hi + 1;
        }
        axes[which]->setRange(lo, hi);
        // Ticks on round values (1, 2, 2.5 or 5 times a power of ten) on a linear axis.
        if (!logarithmic) static_cast<QValueAxis*>(axes[which])->applyNiceNumbers();
    }
}

}  // namespace

TForm3::TForm3(QWidget* parent) : QWidget(parent) {
    setWindowTitle("WienerSpectra");
    buildControls();
    connectHandlers();
    explainControls();
    placeForFontAndSize();
    FormCreate();
}

TForm3::~TForm3() = default;

void TForm3::buildControls() {
    resize(1012, 660);

    // Parameters along the top.
    placeLabel(this, 4, 2, 60, "mmPS");
    EditPxlSpc = placeEdit(this, 4, 22, 60, "");
    placeLabel(this, 70, 2, 100, "ImageSize");
    EditImgSizeX = placeEdit(this, 70, 22, 50, "");
    EditImgSizeY = placeEdit(this, 122, 22, 50, "");
    placeLabel(this, 178, 2, 100, "ROISize");
    EditROIX = placeEdit(this, 178, 22, 50, "");
    EditROIY = placeEdit(this, 230, 22, 50, "");
    placeLabel(this, 286, 2, 100, "SegmentSize");
    EditSgmntX = placeEdit(this, 286, 22, 50, "");
    EditSgmntY = placeEdit(this, 338, 22, 50, "");
    placeLabel(this, 394, 2, 100, "Shift");
    EditShftX = placeEdit(this, 394, 22, 50, "");
    EditShftY = placeEdit(this, 446, 22, 50, "");
    placeLabel(this, 502, 2, 110, "Segment#");
    EditNSgmnt = placeEdit(this, 502, 22, 56, "");
    EditNSgmnt2 = placeEdit(this, 560, 22, 56, "");
    EditC = placeEdit(this, 622, 22, 44, "");
    CheckBoxTrnd = new QCheckBox("Trnd", this);
    CheckBoxTrnd->setGeometry(672, 2, 60, 20);
    EditN = placeEdit(this, 672, 22, 30, "1");
    CheckBoxTrnd1 = new QCheckBox("Trnd1", this);
    CheckBoxTrnd1->setGeometry(736, 2, 64, 20);
    EditN1 = placeEdit(this, 736, 22, 30, "1");
    RadioGroupXY = new RadioGroup("X/Y", {"X", "Y"}, 2, this);
    RadioGroupXY->setGeometry(804, 0, 80, 46);
    RadioGroupXY->setItemIndexSilently(0);
    RadioGroupWindow = new RadioGroup("Window", {"Rect", "Haming"}, 2, this);
    RadioGroupWindow->setGeometry(888, 0, 120, 46);
    RadioGroupWindow->setItemIndexSilently(1);
    ButtonLoad = placeButton(this, 4, 50, 70, "Load");
    ButtonClr = placeButton(this, 78, 50, 70, "Clear");
    ButtonCal = placeButton(this, 152, 50, 70, "Cal");
    ButtontoMain = placeButton(this, 226, 50, 80, "toForm1");
    Edit1 = placeEdit(this, 312, 50, 60, "Edit1");

    // Pages: "WS" first.
    PageControl1 = new QTabWidget(this);
    PageControl1->setGeometry(0, 80, 980, 580);
    ACF = new QWidget;
    TabSheetProfile = new QWidget;
    TabSheetWS = new QWidget;
    PageControl1->addTab(ACF, "ACF");
    PageControl1->addTab(TabSheetProfile, "Profile");
    PageControl1->addTab(TabSheetWS, "WS");
    PageControl1->setCurrentWidget(TabSheetWS);

    ChartWSLin = makeChart("Linear scale", false, "Spatial frequency (cyckes/mm)", true,
                           "Log Wiener spectral value (mm*mm)", SeriesWSLin);
    viewWSLin_ = new QChartView(ChartWSLin, TabSheetWS);
    viewWSLin_->setGeometry(0, 0, 480, 330);
    ChartWSLog = makeChart("Logarithm scale", true, "Log spatial frequency (cycles/mm))", true,
                           "Log Wiener spectral value (mm*mm)", SeriesWSLog);
    viewWSLog_ = new QChartView(ChartWSLog, TabSheetWS);
    viewWSLog_->setGeometry(484, 0, 480, 330);
    ButtonResult = placeButton(TabSheetWS, 4, 334, 90, "resultToCB");
    StringGridFileName = new QTableWidget(kListRows, kListColumns, TabSheetWS);
    StringGridFileName->setGeometry(0, 362, 640, 170);
    StringGridFileName->horizontalHeader()->hide();
    StringGridFileName->verticalHeader()->hide();
    StringGridFileName->setColumnWidth(2, 380);
    ButtonSmooth = placeButton(TabSheetWS, 650, 334, 80, "Smooth");
    LabelWsSummary = placeLabel(TabSheetWS, 100, 338, 540, "");
    MemoWS = new QPlainTextEdit("MemoWS", TabSheetWS);
    MemoWS->setGeometry(650, 362, 240, 170);
    MemoWS->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoWS->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Editgnd = placeEdit(TabSheetWS, 896, 362, 60, "gnd");

    ChartProfile =
        makeChart("Linear scale", false, "Number of pixel", false, "Pixel value", SeriesProfile);
    viewProfile_ = new QChartView(ChartProfile, TabSheetProfile);
    viewProfile_->setGeometry(0, 0, 970, 540);
    ChartACF = makeChart("ACF", false, "lag ( mm )", false, "mm*mm", SeriesACF);
    viewACF_ = new QChartView(ChartACF, ACF);
    viewACF_->setGeometry(0, 0, 970, 510);
    ButtonACFtoCB = placeButton(ACF, 4, 516, 90, "resultToCB");
}

// The pages take the window's growth: the two spectra share its width and most of its height,
// the list and the memo below them the rest.
void TForm3::placeForFontAndSize() {
    places_ = std::make_unique<GrowingPlaces>(this);
    constexpr double c = 0.7;  // the charts' share of the height
    const std::pair<QWidget*, Stretch> stretches[] = {{PageControl1, {0, 0, 1, 1}},
                                                      {viewWSLin_, {0, 0, 0.5, c}},
                                                      {viewWSLog_, {0.5, 0, 1, c}},
                                                      {ButtonResult, {0, c, 0, c}},
                                                      {LabelWsSummary, {0, c, 0.5, c}},
                                                      {ButtonSmooth, {0.5, c, 0.5, c}},
                                                      {StringGridFileName, {0, c, 0.5, 1}},
                                                      {MemoWS, {0.5, c, 1, 1}},
                                                      {Editgnd, {1, c, 1, c}},
                                                      {viewProfile_, {0, 0, 1, 1}},
                                                      {viewACF_, {0, 0, 1, 1}},
                                                      {ButtonACFtoCB, {0, 1, 0, 1}}};
    for (const auto& [control, how] : stretches) places_->stretch(control, how);
}

void TForm3::connectHandlers() {
    connectClick(ButtonLoad, &QPushButton::clicked, this, &TForm3::ButtonLoadClick);
    connectClick(ButtonClr, &QPushButton::clicked, this, &TForm3::ButtonClrClick);
    connectClick(ButtonCal, &QPushButton::clicked, this, &TForm3::ButtonCalClick);
    connectClick(ButtonResult, &QPushButton::clicked, this, &TForm3::ButtonResultClick);
    connectClick(ButtonACFtoCB, &QPushButton::clicked, this, &TForm3::ButtonACFtoCBClick);
    connectClick(ButtonSmooth, &QPushButton::clicked, this, &TForm3::ButtonSmoothClick);
    connectClick(ButtontoMain, &QPushButton::clicked, this, &TForm3::ButtontoMainClick);
    RadioGroupXY->onClick = [this] { RadioGroupXYClick(); };
}

void TForm3::FormCreate() {
    SpectrumCount = 0;
    EditC->setText("1.0");
    EditNSgmnt2->setText(q(IntToStr(kDefaultMaxSegments)));
}

QString TForm3::listCell(int column, int row) const {
    const QTableWidgetItem* item = StringGridFileName->item(row, column);
    return item ? item->text() : QString();
}

std::string TForm3::viewerFileName() const {
    return viewer_ ? viewer_->fieldText(ViewerField::FileName).toStdString() : std::string();
}

void TForm3::takeImageGeometry() {
    if (!viewer_) return;
    EditPxlSpc->setText(viewer_->fieldText(ViewerField::PixelSpacing));
    EditImgSizeX->setText(viewer_->fieldText(ViewerField::ImgSizeX));
    EditImgSizeY->setText(viewer_->fieldText(ViewerField::ImgSizeY));
    EditROIX->setText(viewer_->fieldText(ViewerField::ROISizeX));
    EditROIY->setText(viewer_->fieldText(ViewerField::ROISizeY));
}

void TForm3::ButtonLoadClick() {
    if (!viewer_) return;
    takeImageGeometry();
    const SpectrumDefaults d =
        spectrumDefaults(StrToInt(viewer_->fieldText(ViewerField::ROISizeX).toStdString()));
    EditSgmntX->setText(q(IntToStr(d.segmentX)));
    EditSgmntY->setText(q(IntToStr(d.segmentY)));
    EditShftX->setText(q(IntToStr(d.shiftX)));
    EditShftY->setText(q(IntToStr(d.shiftY)));
    const char* titles[] = {"No.", "Color", "FileName", "Length", "Width"};
    for (int c = 0; c < kListColumns; ++c)
        StringGridFileName->setItem(0, c, new QTableWidgetItem(titles[c]));
    for (int r = 1; r < kListRows; ++r)
        StringGridFileName->setItem(r, 0, new QTableWidgetItem(QString::number(r)));
    ButtonClrClick();
}

void TForm3::ButtonClrClick() {
    SpectrumCount = 0;
    LabelWsSummary->clear();
    for (auto* group : {&SeriesWSLin, &SeriesWSLog, &SeriesProfile, &SeriesACF})
        for (QLineSeries* s : *group) s->clear();
    for (int r = 1; r < kListRows; ++r) {
        for (int c = 0; c < kListColumns; ++c)
            StringGridFileName->setItem(r, c, new QTableWidgetItem);
        StringGridFileName->item(r, 0)->setText(QString::number(r));
    }
}

// "Cal" never computes an image with another image's pixel spacing: after "toWS" the window keeps
// the spacing it took, and the viewer may have loaded an image of another spacing since.
void TForm3::requireSameSpacing(const std::string& viewerSpacing, double spacing) const {
    if (viewerSpacing.empty()) return;  // the viewer says nothing: the window's field stands
    double shown;
    try {
        shown = static_cast<double>(StrToFloat(viewerSpacing));
    } catch (const AppError&) {
        return;
    }
    if (shown == spacing) return;
    throw AppError(
        "The image in the viewer has a pixel spacing of %1 mm, this window %2 mm (taken "
        "by toWS from another image): press toWS to take the new image's geometry.",
        {viewerSpacing, text(EditPxlSpc)});
}

void TForm3::ButtonCalClick() {
    if (!viewer_) return;
    auto viewerText = [this](ViewerField f) { return viewer_->fieldText(f).toStdString(); };
    SpectrumParameters p;
    intIn(EditImgSizeX);
    const double factor = static_cast<double>(floatIn(EditC));
    SampleValueRule rule;
    if (!viewerText(ViewerField::Offst).empty())
        rule.offset = StrToInt(viewerText(ViewerField::Offst));
    p.segmentX = intIn(EditSgmntX);
    p.segmentY = intIn(EditSgmntY);
    p.roiX = StrToInt(viewerText(ViewerField::ROISizeX));
    p.roiY = StrToInt(viewerText(ViewerField::ROISizeY));
    p.shiftX = intIn(EditShftX);
    p.shiftY = intIn(EditShftY);
    p.maxSegments = intIn(EditNSgmnt2);
    StoredImageLayout layout;
    layout.header = StrToInt(viewerText(ViewerField::Header));
    p.direction = RadioGroupXY->itemIndex() == 1 ? SpectrumDirection::Y : SpectrumDirection::X;
    p.window = RadioGroupWindow->itemIndex() == 0 ? DataWindow::Rect : DataWindow::Hamming;
    p.lineTrend = CheckBoxTrnd->isChecked();
    if (p.lineTrend) p.lineDegree = intIn(EditN);
    p.pixelSpacing = static_cast<double>(floatIn(EditPxlSpc));
    requireSameSpacing(viewerText(ViewerField::PixelSpacing), p.pixelSpacing);
    p.segmentTrend = CheckBoxTrnd1->isChecked();
    if (p.segmentTrend) p.segmentDegree = intIn(EditN1);

    layout.columns = viewer_->imageColumns();
    layout.rows = viewer_->imageRows();
    layout.format = viewer_->eightBitSamples() ? SampleFormat::Byte8 : SampleFormat::Word16;
    rule.format = layout.format;
    rule.swap = viewer_->swapChecked();
    const QPoint corner = viewer_->roiImageCorner();
    // Rows are read with the loaded image's column count, whatever the size field shows.
    SpectrumImage image =
        spectrumSource(viewer_->imageBytes(), layout, rule, corner.x(), corner.y());
    image.factor = factor;

    // All or nothing: a run that stops leaves the charts, list and counters as they were.
    const SpectrumResult result = computeWienerSpectrum(image, p);
    std::fill(WsData.begin(), WsData.end(), 0.0);
    std::fill(AcfData.begin(), AcfData.end(), 0.0);
    std::copy(result.spectrum.begin(), result.spectrum.end(), WsData.begin());
    std::copy(result.autocorrelation.begin(), result.autocorrelation.end(), AcfData.begin());
    SegLen = result.segmentLength;
    for (const std::vector<double>& profile : result.profiles) DrawProfile(profile);
    EditNSgmnt->setText(q(IntToStr(result.segments)));
    // The figures with the flags that qualify them; the flags' texts in the tooltip.
    std::vector<double> bins;
    for (std::int32_t b = 1; b <= result.segmentLength / 2; ++b) bins.push_back(result.spectrum[b]);
    const std::vector<double> kept =
        segmentKeptShare(p.window, result.segmentLength, p.segmentTrend ? p.segmentDegree : 0);
    QualityFlags flags =
        spectrumFlags(bins, result.effectiveSegments, kept.size() > 1 ? kept[1] : 1);
    const SpectrumSummary summary =
        summarizeSpectrum(result.spectrum, result.segmentLength, p.pixelSpacing, kept);
    for (QualityFlag& f : precisionFlagsOf(
             summary.integral, summary.meanFrequency, summary.peakFrequency,
             summaryErrors(result.spectrum, result.standardError, result.segmentLength,
                           p.pixelSpacing, p.window, kept)))
        flags.push_back(std::move(f));
    LabelWsSummary->setText(q(spectrumSummaryLine(summary) + flagCodesSuffix(flags)));
    LabelWsSummary->setToolTip(q(flagTexts(flags)));
    graph();
    ++SpectrumCount;
}

void TForm3::DrawProfile(const std::vector<double>& profile) {
    if (SpectrumCount < 0 || SpectrumCount > 6) return;
    QLineSeries* series = SeriesProfile[SpectrumCount];
    QList<QPointF> points = series->points();
    for (std::size_t i = 0; i < profile.size(); ++i)
        points.append(QPointF(static_cast<double>(i + 1), profile[i]));
    // Points stay ordered by pixel number, so profiles of one run interleave.
    std::stable_sort(points.begin(), points.end(),
                     [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
    series->replace(points);
    rescale(ChartProfile);
}

void TForm3::updateList() {
    for (int r = 4; r >= 1; --r)
        for (int c = 2; c <= 4; ++c)
            StringGridFileName->setItem(r + 1, c, new QTableWidgetItem(listCell(c, r)));
    StringGridFileName->setItem(1, 2, new QTableWidgetItem(q(viewerFileName())));
    StringGridFileName->setItem(1, 3, new QTableWidgetItem(EditSgmntX->text()));
    StringGridFileName->setItem(1, 4, new QTableWidgetItem(EditSgmntY->text()));
    if (SpectrumCount >= 0 && SpectrumCount < 5)
        StringGridFileName->setItem(SpectrumCount + 1, 1,
                                    new QTableWidgetItem(kColourNames[SpectrumCount]));
}

void TForm3::graph() {
    const double delta = static_cast<double>(floatIn(EditPxlSpc));
    for (auto* group : {&SeriesWSLin, &SeriesWSLog, &SeriesACF}) {
        for (int i = 4; i >= 1; --i) (*group)[i]->replace((*group)[i - 1]->points());
        (*group)[0]->clear();
    }
    updateList();
    const std::int32_t n = SegLen;
    QList<QPointF> spectrum, acf;
    for (std::int32_t b = 1; b <= n / 2; ++b)
        spectrum.append(QPointF(static_cast<double>(binFrequency(b, n, delta)), WsData[b]));
    for (std::int32_t e = 0; e < n; ++e) acf.append(QPointF(e * delta, AcfData[e]));
    // A logarithmic axis cannot show a value ≤ 0, and the chart would drop the whole series:
    // such points are left out, and the chart says how many.
    QList<QPointF> positive;
    for (const QPointF& point : spectrum)
        if (point.x() > 0 && point.y() > 0) positive.append(point);
    const auto leftOut = spectrum.size() - positive.size();
    for (auto [chart, title] :
         {std::pair{ChartWSLin, "Linear scale"}, std::pair{ChartWSLog, "Logarithm scale"}}) {
        chart->setTitle(leftOut == 0
                            ? QString(title)
                            : QString("%1 (%2 points ≤ 0 not shown)").arg(title).arg(leftOut));
    }
    SeriesWSLin[0]->replace(positive);
    SeriesWSLog[0]->replace(positive);
    SeriesACF[0]->replace(acf);
    for (QChart* chart : {ChartWSLin, ChartWSLog, ChartACF}) rescale(chart);
}

void TForm3::showTable(const std::function<std::string(double delta)>& build, bool toClipboard) {
    MemoWS->clear();
    MemoWS->setPlainText(q("c/mm\t" + viewerFileName()));
    const double delta = requirePixelSpacing(floatIn(EditPxlSpc), "mmPS");
    const QString table = q(build(delta));
    MemoWS->setPlainText(QString(table).replace("\r\n", "\n"));
    if (toClipboard) QGuiApplication::clipboard()->setText(table);
}

void TForm3::ButtonResultClick() {
    showTable([this](double d) { return spectrumTableText(viewerFileName(), WsData, SegLen, d); },
              true);
}

void TForm3::ButtonACFtoCBClick() {
    showTable(
        [this](double d) { return autocorrelationTableText(viewerFileName(), AcfData, SegLen, d); },
        true);
}

void TForm3::ButtonSmoothClick() {
    showTable([this](double d) { return smoothedTableText(viewerFileName(), WsData, SegLen, d); },
              false);
}

void TForm3::RadioGroupXYClick() {
    const QString segmentX = EditSgmntX->text();
    EditSgmntX->setText(EditSgmntY->text());
    EditSgmntY->setText(segmentX);
    const QString shiftX = EditShftX->text();
    EditShftX->setText(EditShftY->text());
    EditShftY->setText(shiftX);
}

void TForm3::takeHandOff(bool keepListedRun) {
    // The image's own geometry always comes along, or "Cal" would read another image with the
    // old one.
    if (keepListedRun && !listCell(1, 1).isEmpty()) {
        takeImageGeometry();
        return;
    }
    ButtonLoadClick();
}

void TForm3::ButtontoMainClick() {
    hide();
    if (viewer_) viewer_->showViewer();
}

}  // namespace ctiq
