#include "common/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "common/app_error.h"

namespace ctiq {

bool wantsEnglish(const QString& uiLanguage) {
    return !uiLanguage.startsWith("ja", Qt::CaseInsensitive);
}

namespace {

// A translator that is installed or removed as the language asks.
void useTranslation(QTranslator& translator, bool& installed, bool wanted, const QString& name,
                    const QString& folder) {
    if (wanted == installed) return;
    if (wanted) {
        if (!translator.load(name, folder)) return;
        installed = QCoreApplication::installTranslator(&translator);
    } else {
        QCoreApplication::removeTranslator(&translator);
        installed = false;
    }
}

// On a Japanese system: Qt's own texts (the buttons of its message boxes and dialogs) from the
// Qt translations Debian installs, and ctiq-cli's usage errors, which it writes in English.
void useJapaneseTranslations(bool japanese) {
    static QTranslator qt, cli;
    static bool qtInstalled = false, cliInstalled = false;
    useTranslation(qt, qtInstalled, japanese, "qtbase_ja",
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    useTranslation(cli, cliInstalled, japanese, "ctiq_ja", ":/i18n");
}

}  // namespace

void useEnglish(bool english) {
    static QTranslator translator;
    static bool installed = false;
    useJapaneseTranslations(!english);
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

namespace {

std::string translated(const std::string& pattern) {
    return QCoreApplication::translate("message", pattern.c_str()).toStdString();
}

}  // namespace

std::string inUserLanguage(const std::exception& error) {
    const auto* message = dynamic_cast<const AppError*>(&error);
    if (!message || message->pattern().empty()) return error.what();
    if (message->parts().empty())
        return filledIn(translated(message->pattern()), message->values());
    std::vector<std::string> parts;
    for (const AppError& part : message->parts()) parts.push_back(inUserLanguage(part));
    return filledIn(translated(message->pattern()), parts);
}

std::string inUserLanguage(const char* pattern, const std::vector<std::string>& values) {
    return filledIn(translated(pattern), values);
}

}  // namespace ctiq
