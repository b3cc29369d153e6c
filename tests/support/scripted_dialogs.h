#pragma once

#include <QString>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/ui/dialogs.h"

namespace ctiq::test {

struct InputRequest {
    QString caption;
    QString prompt;
    QString defaultText;
};

// Dialogs that answer from queues and record what was shown; an unexpected dialog fails the test.
class ScriptedDialogs : public Dialogs {
  public:
    std::deque<QString> openFileAnswers;              // "" cancels
    std::deque<std::optional<QString>> inputAnswers;  // nullopt cancels
    std::vector<InputRequest> inputRequests;
    std::vector<QString> errors;
    std::vector<QString> informations;
    int openFileRequests = 0;
    QString lastOpenFileFolder;  // where the last file dialog started

    // The error messages shown so far, as UTF-8 texts.
    std::vector<std::string> errorTexts() const;

    QString openFile(QWidget*, const QString& folder) override;
    std::optional<QString> inputBox(QWidget*, const QString& caption, const QString& prompt,
                                    const QString& defaultText) override;
    void showError(QWidget*, const QString& message) override { errors.push_back(message); }
    void showInformation(QWidget*, const QString& message) override {
        informations.push_back(message);
    }
};

// Installs scripted dialogs for the lifetime of the object.
class ScopedScriptedDialogs {
  public:
    ScopedScriptedDialogs();
    ~ScopedScriptedDialogs();
    ScriptedDialogs& operator*() const { return *dialogs_; }
    ScriptedDialogs* operator->() const { return dialogs_; }

  private:
    ScriptedDialogs* dialogs_;
    std::unique_ptr<Dialogs> previous_;
};

}  // namespace ctiq::test
