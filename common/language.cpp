#include "common/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ctiq {

bool wantsEnglish(const QString& uiLanguage) {
    return !uiLanguage.startsWith("ja", Qt::CaseInsensitive);
}

namespace {

// Qt's own texts (the buttons of its message boxes and dialogs) in Japanese, from the Qt
// translations Debian installs; without them Qt speaks English, as it does by itself.
void useQtJapanese(bool japanese) {
    static QTranslator translator;
    static bool installed = false;
    if (japanese == installed) return;
    if (japanese) {
        if (!translator.load("qtbase_ja", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            return;
        installed = QCoreApplication::installTranslator(&translator);
    } else {
        QCoreApplication::removeTranslator(&translator);
        installed = false;
    }
}

}  // namespace

void useEnglish(bool english) {
    static QTranslator translator;
    static bool installed = false;
    useQtJapanese(!english);
    if (english == installed) return;
    if (english) {
        if (!translator.load(":/i18n/ctiq_en.qm")) return;
        installed = QCoreApplication::installTranslator(&translator);
    } else {
        QCoreApplication::removeTranslator(&translator);
        installed = false;
    }
}

void installTranslations(QCoreApplication&) {
    const QStringList languages = QLocale::system().uiLanguages();
    useEnglish(wantsEnglish(languages.isEmpty() ? QString() : languages.front()));
}

}  // namespace ctiq
