#pragma once

#include <QString>

class QCoreApplication;

namespace ctiq {

// The program's messages are its own Japanese texts; a system whose language is not Japanese
// gets their English translation. `uiLanguage` is the system's first UI language ("ja-JP",
// "en-US", "C"); the program passes QLocale::system()'s.
bool wantsEnglish(const QString& uiLanguage);

// Installs the English translation when the system language asks for it (once per process).
void installTranslations(QCoreApplication& app);

// Installs the English translation, or removes it and installs the Japanese ones of Qt's own
// texts and of ctiq-cli's usage errors (for tests of both languages).
void useEnglish(bool english);

}  // namespace ctiq
