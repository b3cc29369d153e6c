#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "app/start_options.h"
#include "app/window_wiring.h"
#include "common/language.h"
#include "common/version.h"
#include "mtf/unit2.h"
#include "viewer/unit1.h"
#include "wiener/unit3.h"

namespace {

int printed(FILE* stream, const QString& text, int status) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    return status;
}

}  // namespace

int main(int argc, char* argv[]) {
    // --help and --version answer before Qt starts: they need no display.
    QStringList raw;
    for (int i = 1; i < argc; ++i) raw << QString::fromLocal8Bit(argv[i]);
    const ctiq::StartOptions early = ctiq::parseStartOptions(raw);
    if (early.help) return printed(stdout, ctiq::startUsage(), 0);
    if (early.version) return printed(stdout, QString("ctiq ") + ctiq::programVersion() + "\n", 0);

    QApplication app(argc, argv);
    QApplication::setApplicationName("ctiq");
    QApplication::setApplicationVersion(ctiq::programVersion());
    ctiq::installTranslations(app);
    const ctiq::StartOptions options = ctiq::parseStartOptions(QApplication::arguments().mid(1));
    if (!options.error.isEmpty())
        return printed(stderr, "ctiq: " + options.error + "\n" + ctiq::startUsage(), 2);

    // Created in this order; the viewer is the main window, the analysis windows start hidden.
    ctiq::TForm1 form1;
    ctiq::TForm2 form2;
    ctiq::TForm3 form3;
    ctiq::wireWindows(form1, form2, form3);
    form1.show();
    // The file loads once the window is up, so that a message about it has its window.
    if (options.file)
        QTimer::singleShot(
            0, &form1, [&form1, &options] { form1.openFromOutside(options.file->toStdString()); });
    return QApplication::exec();
}
