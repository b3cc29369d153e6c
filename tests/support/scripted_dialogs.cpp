#include "tests/support/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace ctiq::test {

std::vector<std::string> ScriptedDialogs::errorTexts() const {
    std::vector<std::string> out;
    for (const QString& e : errors) out.push_back(e.toStdString());
    return out;
}

QString ScriptedDialogs::openFile(QWidget*, const QString& folder) {
    ++openFileRequests;
    lastOpenFileFolder = folder;
    if (openFileAnswers.empty()) {
        ADD_FAILURE() << "unexpected file dialog";
        return {};
    }
    QString answer = openFileAnswers.front();
    openFileAnswers.pop_front();
    return answer;
}

std::optional<QString> ScriptedDialogs::inputBox(QWidget*, const QString& caption,
                                                 const QString& prompt,
                                                 const QString& defaultText) {
    inputRequests.push_back({caption, prompt, defaultText});
    if (inputAnswers.empty()) {
        ADD_FAILURE() << "unexpected input box: " << prompt.toStdString();
        return std::nullopt;
    }
    const std::optional<QString> answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
}

ScopedScriptedDialogs::ScopedScriptedDialogs() {
    auto owned = std::make_unique<ScriptedDialogs>();
    dialogs_ = owned.get();
    previous_ = setDialogs(std::move(owned));
}

ScopedScriptedDialogs::~ScopedScriptedDialogs() {
    setDialogs(std::move(previous_));
}

}  // namespace ctiq::test
