#include "mtf/unit2.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabWidget>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <utility>

#include "common/app_error.h"
#include "common/checked.h"
#include "common/frequency_axis.h"
#include "common/number_text.h"
#include "common/pixel_spacing.h"
#include "common/ui/charts.h"
#include "common/ui/dialogs.h"
#include "common/ui/field_value.h"
#include "common/ui/growing_places.h"
#include "common/ui/guarded.h"
#include "common/ui/placement.h"
#include "common/ui/radio_group.h"
#include "common/ui/text.h"
#include "common/ui/up_down.h"
#include "common/ui/viewer_link.h"
#include "mtf/combined.h"
#include "mtf/pixel_grid.h"
#include "mtf/reliability.h"
#include "mtf/summary.h"
#include "mtf/table_analysis.h"
#include "mtf/tick_box.h"

namespace ctiq {
namespace {

constexpr int kPagePixelValue = 0;
constexpr int kPageLsf = 1;
constexpr int kPageMtf = 2;

// An empty field reads as 0 where a default takes its place.
std::int32_t intOrZero(const QLineEdit* e) {
    return e->text().isEmpty() ? 0 : intIn(e);
}
long double realOrZero(const QLineEdit* e) {
    return e->text().isEmpty() ? 0 : floatIn(e);
}

QChart* makeChart(const char* title, QLineSeries*& series) {
    QChart* chart = newChart(title);
    QAbstractAxis* x = newAxis(false, "");
    QAbstractAxis* y = newAxis(false, "");
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series = addLineSeries(chart, x, y);
    series->setColor(Qt::red);
    return chart;
}

QValueAxis* axis(QChart* chart, Qt::Alignment where) {
    return static_cast<QValueAxis*>(
        chart->axes(where == Qt::AlignBottom ? Qt::Horizontal : Qt::Vertical).first());
}

}  // namespace

TForm2::TForm2(QWidget* parent) : QWidget(parent) {
    setWindowTitle("MTF");
    buildControls();
    connectHandlers();
    explainControls();
    placeForFontAndSize();
}

TForm2::~TForm2() = default;

void TForm2::buildControls() {
    resize(920, 640);

    PageControl1 = new QTabWidget(this);
    PageControl1->setGeometry(0, 0, 760, 590);
    PixelValue = new QWidget;
    TabSheetLSF = new QWidget;
    TabSheetMTF = new QWidget;
    PageControl1->addTab(PixelValue, "PixelValue");
    PageControl1->addTab(TabSheetLSF, "LSF");
    PageControl1->addTab(TabSheetMTF, "MTF");
    PageControl1->setCurrentIndex(kPageLsf);

    // Page "PixelValue": the table, its statistics and copies.
    StringGrid1 = new PixelGrid(PixelValue);
    StringGrid1->setGeometry(0, 0, 560, 556);
    placeLabel(PixelValue, 566, 4, 40, "Mean");
    EditAve = placeEdit(PixelValue, 606, 4, 140, "Ave");
    placeLabel(PixelValue, 566, 28, 40, "SD");
    EditSD = placeEdit(PixelValue, 606, 28, 140, "SD");
    placeLabel(PixelValue, 566, 52, 40, "Max");
    EditMax = placeEdit(PixelValue, 606, 52, 140, "Max");
    placeLabel(PixelValue, 566, 76, 40, "Min");
    EditMin = placeEdit(PixelValue, 606, 76, 140, "Min");
    auto* panel1 = new QWidget(PixelValue);
    panel1->setGeometry(566, 110, 180, 110);
    placeLabel(panel1, 0, 0, 120, " ToClipBoard");
    ButtonAll = placeButton(panel1, 0, 22, 60, "All");
    EditStep = placeEdit(panel1, 64, 22, 40, "1");
    CheckBoxSwapRC = new QCheckBox("SwapX/Y", panel1);
    CheckBoxSwapRC->setGeometry(0, 50, 100, 20);
    ButtonSelected = placeButton(panel1, 0, 76, 60, "Slctd");
    Button1 = placeButton(panel1, 64, 76, 70, "LnSlctd");
    ButtonHist = placeButton(PixelValue, 566, 230, 60, "Histg");
    QFont bold = ButtonHist->font();
    bold.setBold(true);
    ButtonHist->setFont(bold);

    // Page "LSF": chart over its tick box, memo and display fields.
    PaintBoxLSF = new TickBox(TabSheetLSF);
    PaintBoxLSF->setGeometry(0, 0, 560, 520);
    Chart1 = makeChart("LSF", Series1);
    // Titles with units, and labels without a fixed decimal (samples of thousands read
    // "8750", not "8750.0").
    for (const auto& [where, title] : {std::pair{Qt::AlignBottom, "Position (mm)"},
                                       std::pair{Qt::AlignLeft, "Value of LSF"}}) {
        QValueAxis* lsfAxis = axis(Chart1, where);
        lsfAxis->setTitleText(title);
        lsfAxis->setLabelFormat("%g");
    }
    Chart1View = new QChartView(Chart1, TabSheetLSF);
    Chart1View->setGeometry(0, 0, 560, 520);
    MemoLSF = new QPlainTextEdit(TabSheetLSF);
    MemoLSF->setGeometry(566, 0, 186, 480);
    MemoLSF->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoLSF->setTabChangesFocus(false);
    ButtonMemoLSF = placeButton(TabSheetLSF, 566, 486, 80, "ToMemo");
    EditLSFgnd = placeEdit(TabSheetLSF, 0, 526, 80, "LSFgnd");
    EditLSFgnd->setToolTip(QCoreApplication::translate("ctiq", "表示データ点数"));
    EditLSFgdx = placeEdit(TabSheetLSF, 84, 526, 80, "LSFgdx");
    EditLSFgdx->setToolTip(QCoreApplication::translate("ctiq", "表示グリッド間隔"));

    // Page "MTF".
    PaintBoxMTF = new TickBox(TabSheetMTF);
    PaintBoxMTF->setGeometry(0, 0, 560, 520);
    Chart2 = makeChart("MTF", Series2);
    QValueAxis* frequency = axis(Chart2, Qt::AlignBottom);
    // The chart plots the transform's first half, up to the Nyquist frequency (past it the MTF
    // only mirrors what lies below); a dotted line marks where that is.
    SeriesNyquist = addLineSeries(Chart2, frequency, axis(Chart2, Qt::AlignLeft));
    SeriesNyquist->setName("Nyquist");
    SeriesNyquist->setPen(QPen(Qt::darkBlue, 1, Qt::DotLine));
    frequency->setRange(0, 1.5);
    frequency->setTickType(QValueAxis::TicksDynamic);
    frequency->setTickAnchor(0);
    frequency->setTickInterval(0.2);
    frequency->setTitleText("Spatial frequency (cycles/mm)");
    QValueAxis* value = axis(Chart2, Qt::AlignLeft);
    value->setTickType(QValueAxis::TicksDynamic);
    value->setTickAnchor(0);
    value->setTickInterval(0.1);
    value->setTitleText("Value of MTF");
    Chart2View = new QChartView(Chart2, TabSheetMTF);
    Chart2View->setGeometry(0, 0, 560, 520);
    MemoMTF = new QPlainTextEdit(TabSheetMTF);
    MemoMTF->setGeometry(566, 0, 186, 480);
    MemoMTF->setLineWrapMode(QPlainTextEdit::NoWrap);
    EditMTFgnd = placeEdit(TabSheetMTF, 0, 526, 80, "MTFgnd");
    EditMTFgnd->setToolTip(QCoreApplication::translate("ctiq", "表示データ点数"));
    EditMTFgdx = placeEdit(TabSheetMTF, 84, 526, 80, "MTFgdx");
    EditMTFgdx->setToolTip(QCoreApplication::translate("ctiq", "表示グリッド間隔"));
    LabelMtfSummary = placeLabel(TabSheetMTF, 170, 528, 390, "");

    // Controls beside the pages.
    const int x = 766;
    RadioGroup1 = new RadioGroup("Image", {"Pnt_X", "Pnt_Y "}, 1, this);
    RadioGroup1->setGeometry(x, 20, 108, 56);
    auto* panel2 = new QWidget(this);
    panel2->setGeometry(x, 80, 108, 120);
    panel2->setAutoFillBackground(true);
    QPalette sky = panel2->palette();
    sky.setColor(QPalette::Window, QColor(166, 202, 240));
    panel2->setPalette(sky);
    placeLabel(panel2, 2, 0, 100, "PSF width");
    EditGeta = placeEdit(panel2, 2, 20, 60, "1");
    placeLabel(panel2, 2, 44, 100, "DFT line#");
    EditYL = placeEdit(panel2, 2, 64, 60, std::to_string(kDefaultLsfLines).c_str());
    QFont boldEdit = EditYL->font();
    boldEdit.setBold(true);
    EditYL->setFont(boldEdit);
    UpDown1 = new UpDown(kMinLsfLines, kMaxLsfLines, kDefaultLsfLines, panel2);
    UpDown1->setGeometry(64, 62, 20, 26);
    ButtonCalMTF = placeButton(panel2, 2, 92, 100, "CalMTF");
    placeLabel(this, x, 206, 100, "P.Spacing");
    EditPxlSpc = placeEdit(this, x, 226, 100, "dx");
    placeLabel(this, x, 252, 100, "Data#");
    Editdnd = placeEdit(this, x, 272, 100, "dnd");
    ButtonDrawD = placeButton(this, x, 300, 100, "DrawD");
    ButtonDrawG = placeButton(this, x, 328, 100, "DrawG");
    ButtonToMemoMTF = placeButton(this, x, 356, 100, "ToMemo");
    ButtonForm1 = placeButton(this, x, 392, 100, "ToForm1");
    ButtonForm1->setFont(bold);
    EditWork1 = placeEdit(this, x, 424, 100, "Work1");
    EditWork2 = placeEdit(this, x, 448, 100, "Work2");
    EditWork3 = placeEdit(this, x, 472, 100, "Work3");
    EditWork4 = placeEdit(this, x, 496, 100, "Work4");
    // Names the width written into Work4 (the program's own "HWHM="); its tooltip says it is the
    // full width at half maximum.
    placeLabel(this, x + 104, 500, 44, "HWHM");
    placeLabel(this, x, 520, 100, "Colum");
    EditImgSizeX = placeEdit(this, x, 540, 100, "ImgSizeX");
    Memo1 = new QPlainTextEdit("Memo1", this);
    Memo1->setGeometry(x, 566, 100, 30);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setGeometry(0, 600, 880, 24);
    for (QLabel*& panel : StatusPanels) {
        panel = new QLabel(StatusBar1);
        panel->setMinimumWidth(120);
        StatusBar1->addWidget(panel);
    }
}

// The charts, the table and the memos take the window's growth; what stands right of or below
// them moves with their edge.
void TForm2::placeForFontAndSize() {
    places_ = std::make_unique<GrowingPlaces>(this);
    constexpr Stretch grow{0, 0, 1, 1}, keepRight{1, 0, 1, 0}, keepDown{0, 1, 0, 1};
    places_->stretchRightOf(PageControl1, keepRight);  // the column beside the pages
    places_->stretchRightOf(StringGrid1, keepRight);   // the statistics beside the table
    const std::pair<QWidget*, Stretch> stretches[] = {{PageControl1, grow},
                                                      {StringGrid1, grow},
                                                      {PaintBoxLSF, grow},
                                                      {Chart1View, grow},
                                                      {PaintBoxMTF, grow},
                                                      {Chart2View, grow},
                                                      {MemoLSF, {1, 0, 1, 1}},
                                                      {MemoMTF, {1, 0, 1, 1}},
                                                      {Memo1, {1, 0, 1, 1}},
                                                      {ButtonMemoLSF, {1, 1, 1, 1}},
                                                      {EditLSFgnd, keepDown},
                                                      {EditLSFgdx, keepDown},
                                                      {EditMTFgnd, keepDown},
                                                      {EditMTFgdx, keepDown},
                                                      {LabelMtfSummary, {0, 1, 1, 1}},
                                                      {StatusBar1, {0, 1, 1, 1}}};
    for (const auto& [control, how] : stretches) places_->stretch(control, how);
}

void TForm2::connectHandlers() {
    connectClick(ButtonAll, &QPushButton::clicked, this, &TForm2::ButtonAllClick);
    connectClick(ButtonSelected, &QPushButton::clicked, this, &TForm2::ButtonSelectedClick);
    connectClick(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connectClick(ButtonHist, &QPushButton::clicked, this, &TForm2::ButtonHistClick);
    connectClick(ButtonCalMTF, &QPushButton::clicked, this, &TForm2::ButtonCalMTFClick);
    connectClick(ButtonMemoLSF, &QPushButton::clicked, this, &TForm2::ButtonMemoLSFClick);
    connectClick(ButtonToMemoMTF, &QPushButton::clicked, this, &TForm2::ButtonToMemoMTFClick);
    connectClick(ButtonDrawD, &QPushButton::clicked, this, &TForm2::ButtonDrawDClick);
    connect(Editdnd, &QLineEdit::textEdited, this, [this] { dataCountIsDefault_ = false; });
    connectClick(ButtonDrawG, &QPushButton::clicked, this, &TForm2::ButtonDrawGClick);
    connectClick(ButtonForm1, &QPushButton::clicked, this, &TForm2::ButtonForm1Click);
    UpDown1->onClick = [this] { UpDown1Click(); };
    // Typing reaches the handler through the guarded boundary; code goes through setEditYLText.
    connectGuarded(EditYL, &QLineEdit::textEdited, this, [this] { EditYLChange(); });
    connectGuarded(PageControl1, &QTabWidget::currentChanged, this,
                   [this] { PageControl1Change(); });
    StringGrid1->onMouseDown = [this] { StringGrid1MouseDown(); };
    StringGrid1->onMouseMove = [this] { StringGrid1MouseMove(); };
    StringGrid1->onMouseUp = [this] { StringGrid1MouseUp(); };
}

void TForm2::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow()) return;
    // An activation that failed shows a message box, and closing the box activates this window
    // again: that return is no bringing forward, or the same message would come back forever.
    if (std::exchange(ignoreNextActivation_, false)) return;
    guarded(this, [this] {
        try {
            FormActivate();
        } catch (...) {
            ignoreNextActivation_ = true;
            throw;
        }
    });
}

void TForm2::setPixelTable(PixelTable table) {
    StringGrid1->pixelModel()->setTable(std::move(table));
    tableFilled_ = true;
}

void TForm2::receiveRoi(PixelTable table, const QString& spacing, std::int32_t roiWidth) {
    setPixelTable(std::move(table));
    Series1->clear();
    Series2->clear();
    SeriesNyquist->clear();
    const QString shownSpacing = q(mtfSpacingText(spacing.toStdString()));
    for (QLineEdit* e : {EditPxlSpc, EditMTFgdx, EditLSFgdx}) e->setText(shownSpacing);
    const QString width = q(IntToStr(roiWidth));
    for (QLineEdit* e : {EditMTFgnd, EditLSFgnd}) e->setText(width);
    setDataCountSilently(roiWidth);
    dataCountIsDefault_ = true;
    EditWork4->clear();  // the half width of the previous table
    RadioGroup1->setItemIndex(0);
}

const PixelTable& TForm2::pixelTable() const {
    return StringGrid1->pixelModel()->table();
}

std::string TForm2::viewerFileName() const {
    return viewer_ ? viewer_->fieldText(ViewerField::FileName).toStdString() : std::string();
}

bool TForm2::showingLsf() const {
    return PageControl1->currentIndex() == kPageLsf;
}

bool TForm2::showingMtf() const {
    return PageControl1->currentIndex() == kPageMtf;
}

void TForm2::FormActivate() {
    const PixelTable& table = pixelTable();
    NData = table.colCount() - 1;
    // Before the first hand-off the table is empty and there is no maximum to look for.
    if (tableFilled_) {
        const CellPosition maximum = tableMaximum(table);
        MaxCol = maximum.column;
        MaxRow = maximum.row;
    }
    if (viewer_) {
        EditImgSizeX->setText(viewer_->fieldText(ViewerField::ImgSizeX));
        intIn(EditImgSizeX);
    }
}

void TForm2::selectWholeTable() {
    const PixelTable& table = pixelTable();
    SelRect = {1, 1, table.colCount() - 1, table.rowCount() - 1};
    if (SelRect.right >= 1 && SelRect.bottom >= 1) StringGrid1->selectCells(SelRect);
}

void TForm2::StringGrid1MouseDown() {
    SelRect = StringGrid1->selectionRect();
    SelDrag = 1;
}

void TForm2::StringGrid1MouseMove() {
    if (SelDrag <= 0) return;
    const CellRect grid = StringGrid1->selectionRect();
    SelRect.right = grid.right;
    SelRect.bottom = grid.bottom;
    StatusPanels[0]->setText(q(IntToStr(SelRect.right) + "  " + IntToStr(SelRect.bottom)));
}

void TForm2::StringGrid1MouseUp() {
    const CellRect grid = StringGrid1->selectionRect();
    SelRect.right = grid.right;
    SelRect.bottom = grid.bottom;
    StatusPanels[0]->setText(q(IntToStr(SelRect.right) + "  " + IntToStr(SelRect.bottom)));
    SelDrag = 0;
}

void TForm2::CellStat(std::int32_t firstCol, std::int32_t lastCol, std::int32_t firstRow,
                      std::int32_t lastRow) {
    const CellStatistics s = cellStatistics(pixelTable(), {firstCol, firstRow, lastCol, lastRow});
    EditAve->setText(q(FloatToStr(s.mean)));
    MaxCol = s.maxAt.column;
    MaxRow = s.maxAt.row;
    EditSD->setText(q(FloatToStr(s.sd)));
    EditMax->setText(q(FloatToStr(s.max)));
    EditMin->setText(q(FloatToStr(s.min)));
    EditWork1->setText(q(IntToStr(MaxRow)));
    EditWork2->setText(q(IntToStr(MaxCol)));
}

void TForm2::ButtonSelectedClick() {
    StatusPanels[1]->setText(q(IntToStr(SelRect.right) + "  " + IntToStr(SelRect.bottom)));
    QGuiApplication::clipboard()->setText(q(selectionText(pixelTable(), SelRect)));
    CellStat(SelRect.left, SelRect.right, SelRect.top, SelRect.bottom);
}

void TForm2::Button1Click() {
    StatusPanels[1]->setText(q(IntToStr(SelRect.right) + "  " + IntToStr(SelRect.bottom)));
    QGuiApplication::clipboard()->setText(q(selectionLinesText(pixelTable(), SelRect)));
}

void TForm2::ButtonAllClick() {
    selectWholeTable();
    const std::int32_t step = intIn(EditStep);
    QGuiApplication::clipboard()->setText(
        q(wholeTableText(pixelTable(), step, CheckBoxSwapRC->isChecked())));
    CellStat(1, pixelTable().colCount() - 1, 1, pixelTable().rowCount() - 1);
}

void TForm2::setEditYLText(const QString& newText) {
    if (EditYL->text() == newText) return;
    EditYL->setText(newText);
    EditYLChange();
}

void TForm2::ButtonCalMTFClick() {
    setEditYLText(QString::number(UpDown1->position()));
    if (UpDown1->position() > 0) {
        std::fill_n(Lsf.begin(), std::clamp(NLsf, 0, kMaxLsfLength), 0.0);
        if (RadioGroup1->itemIndex() == 0) computeLsf(LsfDirection::X);
        if (RadioGroup1->itemIndex() == 1) computeLsf(LsfDirection::Y);
    }
    ButtonMemoLSFClick();
    // The chart on screen shows the new curve now, not at the next change of page.
    if (showingLsf() || showingMtf()) {
        ButtonDrawGClick();
        ButtonDrawDClick();
    }
}

void TForm2::UpDown1Click() {
    ButtonCalMTFClick();
}

void TForm2::EditYLChange() {
    UpDown1->setPosition(intIn(EditYL));
    setEditYLText(QString::number(UpDown1->position()));
    if (UpDown1->position() > 0) {
        std::fill_n(Lsf.begin(), std::clamp(NLsf, 0, kMaxLsfLength), 0.0);
        if (RadioGroup1->itemIndex() == 0) computeLsf(LsfDirection::X);
        if (RadioGroup1->itemIndex() == 1) computeLsf(LsfDirection::Y);
    }
    if (showingLsf() || showingMtf()) {
        ButtonDrawGClick();
        ButtonDrawDClick();
    }
}

void TForm2::computeLsf(LsfDirection direction) {
    selectWholeTable();
    PxlSpc = requirePixelSpacing(floatIn(EditPxlSpc), "P.Spacing");
    const std::int32_t lines = intIn(EditYL);
    const std::int32_t bumps = intIn(EditGeta);
    const long double spacing = floatIn(EditPxlSpc);
    MtfResult r;
    try {
        r = computeMtf(pixelTable(), direction, {MaxCol, MaxRow}, lines, bumps, spacing);
    } catch (const AppError&) {
        clearResults();  // the old results belong to other parameters
        throw;
    }
    const auto n = static_cast<std::int32_t>(r.raw.size());
    std::copy(r.raw.begin(), r.raw.end(), RawLsf.begin());
    NData = n;
    std::copy(r.lsf.begin(), r.lsf.end(), WorkLsf.begin());
    if (n > 0) {
        // Four significant digits to read; the whole number in the tooltip (and in ctiq-cli).
        EditWork4->setText(q("HWHM=" + significantText(r.width, 4)));
        EditWork4->setToolTip(
            q("Full width at half maximum of the LSF, in mm: " + halfWidthText(r.width).substr(5)));
    }
    // The figures with the flags that qualify them; the flags' texts in the tooltip.
    const MtfAssessment assessment = assessMtf(pixelTable(), direction, {MaxCol, MaxRow}, lines, r,
                                               static_cast<double>(spacing));
    // The summary's FWHM between the samples (HWHM= above keeps the walk between samples).
    const double fineFwhm = n > 0 ? static_cast<double>(spacing) * fineHalfWidthSamples(r.lsf) : 0;
    LabelMtfSummary->setText(q(mtfSummaryLine(summarizeMtf(r.mtfAbs, spacing, fineFwhm)) +
                               flagCodesSuffix(assessment.flags)));
    LabelMtfSummary->setToolTip(q(flagTexts(assessment.flags)));
    std::copy(r.lsf.begin(), r.lsf.end(), Lsf.begin());
    NLsf = n;
    NMtf = n;
    std::copy(r.spectrum.re.begin(), r.spectrum.re.end(), DftRe.begin());
    std::copy(r.spectrum.im.begin(), r.spectrum.im.end(), DftIm.begin());
    std::copy(r.mtfAbs.begin(), r.mtfAbs.end(), MtfAbs.begin());
    // "Data#" follows the computed length until the user types a count of their own.
    if (dataCountIsDefault_) setDataCountSilently(n);
    // Both memos before any chart, so a chart that cannot be drawn leaves no memo stale.
    ButtonToMemoMTFClick();
    ButtonMemoLSFClick();
}

void TForm2::setDataCountSilently(std::int32_t n) {
    const QSignalBlocker blocker(Editdnd);
    Editdnd->setText(q(IntToStr(n)));
}

void TForm2::clearResults() {
    NLsf = NMtf = NDisp = 0;
    MemoLSF->clear();
    MemoMTF->clear();
    EditWork4->clear();
    LabelMtfSummary->clear();
    Series1->clear();
    Series2->clear();
    SeriesNyquist->clear();
}

void TForm2::ButtonMemoLSFClick() {
    MemoLSF->clear();
    const std::vector<double> lsf(Lsf.begin(), Lsf.begin() + std::clamp(NLsf, 0, kMaxLsfLength));
    MemoLSF->setPlainText(crlfForDisplay(lsfMemoText(viewerFileName(), lsf, PxlSpc)));
}

void TForm2::ButtonToMemoMTFClick() {
    MemoMTF->clear();
    const std::vector<double> mtf(MtfAbs.begin(),
                                  MtfAbs.begin() + std::clamp(NMtf, 0, kMaxLsfLength));
    MemoMTF->setPlainText(crlfForDisplay(mtfMemoText(viewerFileName(), mtf, PxlSpc)));
}

void TForm2::ButtonDrawDClick() {
    std::int32_t n = intIn(Editdnd);
    const bool lsf = showingLsf(), mtf = showingMtf();
    if ((lsf && NLsf <= 0) || (mtf && NMtf <= 0)) {  // nothing computed yet: an empty chart
        NDisp = 0;
        PlotChart();
        return;
    }
    // The LSF page plots the points that exist; the MTF page refuses more than were computed.
    if (lsf) n = std::clamp(n, 0, std::clamp(NLsf, 0, kMaxLsfLength));
    if (mtf) requireDataCount(n, NMtf, "MTF");
    NData = n;
    if (lsf || mtf) {
        const Samples& values = lsf ? Lsf : MtfAbs;
        const std::vector<double> computed(values.begin(), values.begin() + (lsf ? NLsf : NMtf));
        const PlotPoints points =
            lsf ? lsfPlotPoints(computed, n, PxlSpc) : mtfPlotPoints(computed, n, PxlSpc);
        NDisp = static_cast<std::int32_t>(points.x.size());
        std::copy(points.x.begin(), points.x.end(), PlotX.begin());
        std::copy(points.y.begin(), points.y.end(), PlotY.begin());
        std::copy(computed.begin(), computed.begin() + n, WorkLsf.begin());
    }
    PlotChart();
}

void TForm2::PlotChart() {
    QLineSeries* series = showingLsf() ? Series1 : showingMtf() ? Series2 : nullptr;
    if (!series) return;
    QList<QPointF> points;
    points.reserve(NDisp);
    double yMin = 0, yMax = 0;
    for (std::int32_t i = 0; i < NDisp; ++i) {
        points.append(QPointF(PlotX[i], PlotY[i]));
        yMin = i == 0 ? PlotY[i] : std::min(yMin, PlotY[i]);
        yMax = i == 0 ? PlotY[i] : std::max(yMax, PlotY[i]);
    }
    QChart* chart = series->chart();
    if (chart == Chart2) {
        const double nyquist = static_cast<double>(1 / (2 * PxlSpc));
        SeriesNyquist->replace(
            NDisp > 0 ? QList<QPointF>{{nyquist, yMin}, {nyquist, yMax == yMin ? yMin + 1 : yMax}}
                      : QList<QPointF>{});
    }
    series->replace(points);
    if (NDisp > 0) {
        if (yMax == yMin) yMax = yMin + 1;
        QValueAxis* left = axis(chart, Qt::AlignLeft);
        left->setRange(yMin, yMax);
        // Ticks every 0.1 as long as that gives a readable axis; wider ones for larger values.
        if (chart == Chart2) left->setTickInterval(tickIntervalFor(yMax - yMin, 0.1, 40));
        if (chart == Chart1) {
            axis(chart, Qt::AlignBottom)
                ->setRange(PlotX[0], std::max(PlotX[NDisp - 1], PlotX[0] + 1e-9));
            left->applyNiceNumbers();  // round ticks, the curve inside
        }
    }
}

void TForm2::ButtonDrawGClick() {
    const bool lsf = showingLsf();
    if (!lsf && !showingMtf()) return;
    QLineEdit* count = lsf ? EditLSFgnd : EditMTFgnd;
    QLineEdit* spacing = lsf ? EditLSFgdx : EditMTFgdx;
    if (intOrZero(count) <= 0) count->setText(q(IntToStr(NData)));
    if (!(realOrZero(spacing) > 0)) spacing->setText(lsf ? "10" : "0.1");
    DrawTicks();
}

void TForm2::DrawTicks() {
    const bool lsf = showingLsf();
    TickBox* box = lsf ? PaintBoxLSF : PaintBoxMTF;
    const std::int32_t nd = StrToInt(text(lsf ? EditLSFgnd : EditMTFgnd));
    const long double g = StrToFloat(text(lsf ? EditLSFgdx : EditMTFgdx));
    PxlSpc = requirePixelSpacing(floatIn(EditPxlSpc), "P.Spacing");
    if (!lsf && NMtf <= 0) {  // no MTF yet: no frequency axis to mark
        box->clearTicks();
        return;
    }
    const long double span =
        lsf ? nd * static_cast<long double>(PxlSpc) : nd * binFrequency(1, NMtf, PxlSpc);
    box->setTicks(static_cast<double>(span), static_cast<double>(g));
}

void TForm2::PageControl1Change() {
    if (UpDown1->position() > 0 && (showingLsf() || showingMtf())) {
        ButtonDrawGClick();
        ButtonDrawDClick();
    }
}

void TForm2::ButtonForm1Click() {
    if (viewer_) viewer_->showViewer();
}

void TForm2::ButtonHistClick() {
    selectWholeTable();
    // Cancel takes the offered 10 bits, as users of the histogram know it.
    const QString answer =
        dialogs().inputBox(this, "Inpt GrayScale", "bit", "10").value_or(QStringLiteral("10"));
    if (answer.isEmpty()) return;
    const long double bits = StrToFloat(answer.toStdString());
    QGuiApplication::clipboard()->setText(q(histogramText(pixelTable(), bits)));
}

}  // namespace ctiq
