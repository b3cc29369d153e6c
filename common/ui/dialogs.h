#pragma once

#include <QString>
#include <memory>
#include <optional>

class QWidget;

namespace ctiq {

// Every modal dialog the windows open goes through this seam, so tests can script the answers.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // The chosen path, or an empty text when the user cancels.
    // `folder`: where the dialog starts (the current image's folder); empty for the default.
    virtual QString openFile(QWidget* parent, const QString& folder = {}) = 0;
    // The edited text on OK; nothing on Cancel (which cancels what asked).
    virtual std::optional<QString> inputBox(QWidget* parent, const QString& caption,
                                            const QString& prompt, const QString& defaultText) = 0;
    virtual void showError(QWidget* parent, const QString& message) = 0;
    virtual void showInformation(QWidget* parent, const QString& message) = 0;
};

// The dialogs in use; the Qt ones unless a test installed others.
Dialogs& dialogs();
// Installs `replacement` and returns the previous set (null when it was the built-in one).
std::unique_ptr<Dialogs> setDialogs(std::unique_ptr<Dialogs> replacement);

}  // namespace ctiq
