// Drives the real windows through the README's two walkthroughs and saves a picture of each
// window. Run by tools/screenshots.sh under Xvfb.
#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>
#include <cstdio>

#include "app/window_wiring.h"
#include "common/language.h"
#include "common/ui/dialogs.h"
#include "common/ui/radio_group.h"
#include "mtf/unit2.h"
#include "viewer/unit1.h"
#include "wiener/unit3.h"

namespace {

// Answers the file dialog from a list; reports any message on stderr.
class ListedDialogs : public ctiq::Dialogs {
  public:
    QStringList files;
    QString openFile(QWidget*, const QString&) override {
        return files.isEmpty() ? QString() : files.takeFirst();
    }
    std::optional<QString> inputBox(QWidget*, const QString&, const QString&,
                                    const QString& d) override {
        return d;
    }
    void showError(QWidget*, const QString& m) override {
        std::fprintf(stderr, "%s\n", qPrintable(m));
    }
    void showInformation(QWidget*, const QString&) override {}
};

void settle() {
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ctiq::installTranslations(app);  // the reader's language, as the program shows it
    QApplication::setApplicationName("ctiq");
    if (argc < 3) {
        std::fprintf(stderr, "usage: ctiq-screenshots SAMPLES_DIR OUT_DIR\n");
        return 2;
    }
    const QString samples = QString::fromLocal8Bit(argv[1]) + "/";
    const QString out = QString::fromLocal8Bit(argv[2]) + "/";
    auto* dialogs = new ListedDialogs;
    ctiq::setDialogs(std::unique_ptr<ctiq::Dialogs>(dialogs));
    ctiq::TForm1 form1;
    ctiq::TForm2 form2;
    ctiq::TForm3 form3;
    ctiq::wireWindows(form1, form2, form3);
    form1.show();

    // MTF: load the point, a 64 × 64 ROI on it, toMTF, CalMTF, the MTF page.
    form1.RadioGroupMode->setItemIndex(1);
    dialogs->files << samples + "point 256 256 0p5.raw";
    form1.BitBtnLoad->click();
    form1.EditROISizeX->setText("64");
    form1.EditROISizeY->setText("64");
    form1.ButtonDisp->click();
    form1.ButtonStat->click();
    settle();
    form1.grab().save(out + "viewer.png");
    form1.resize(form1.minimumSize() + QSize(256, 256));  // the same view, the window enlarged
    settle();
    form1.grab().save(out + "viewer-enlarged.png");
    form1.resize(form1.minimumSize());
    settle();
    form1.ButtonToTable->click();
    settle();
    form2.FormActivate();
    form2.ButtonCalMTF->click();
    form2.PageControl1->setCurrentIndex(2);
    settle();
    form2.grab().save(out + "mtf.png");

    // Noise: three images, toWS, Cal after each, the spectrum table.
    form1.EditROISizeX->setText("256");
    form1.EditROISizeY->setText("256");
    for (const char* name : {"noise1", "noise2", "noise3"}) {
        dialogs->files << samples + name + " 256 256 0p5.raw";
        form1.BitBtnLoad->click();
        form1.ButtonToForm3->click();
        form3.ButtonCal->click();
    }
    form3.ButtonResult->click();
    settle();
    form3.grab().save(out + "wiener.png");
    return 0;
}
