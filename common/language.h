#pragma once

#include <QString>
#include <exception>
#include <string>
#include <vector>

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

// A message in the user's language: an AppError's English pattern translated in the context
// "message" and filled with its values (its parts each in the same way); a message made as it is,
// and any other exception, by its text.
std::string inUserLanguage(const std::exception& error);
// The same at once, for code that hands a message on as text rather than throwing it (the DICOM
// toolkit's helper, whose reasons cross to the program as text).
std::string inUserLanguage(const char* pattern, const std::vector<std::string>& values = {});

}  // namespace ctiq
