#include <QApplication>

#include "mtf/unit2.h"
#include "viewer/unit1.h"
#include "wiener/unit3.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("ctiq");

    // Created in this order; the viewer is the main window, the analysis windows start hidden.
    ctiq::TForm1 form1;
    ctiq::TForm2 form2;
    ctiq::TForm3 form3;
    form1.setAnalysisWindows(&form2, &form3);
    form1.show();
    return QApplication::exec();
}
