#include "common/language.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace ctiq {

bool wantsEnglish(const QString& uiLanguage) {
    return !uiLanguage.startsWith("ja", Qt::CaseInsensitive);
}

void useEnglish(bool english) {
    static QTranslator translator;
    static bool installed = false;
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
