#include "common/ui/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace ctiq {
namespace {

class QtDialogs final : public Dialogs {
  public:
    QString openFile(QWidget* parent, const QString& folder) override {
        return QFileDialog::getOpenFileName(parent, {}, folder);
    }

    std::optional<QString> inputBox(QWidget* parent, const QString& caption,
                                    const QString& prompt, const QString& defaultText) override {
        bool ok = false;
        const QString text =
            QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, defaultText, &ok);
        if (!ok) return std::nullopt;
        return text;
    }

    void showError(QWidget* parent, const QString& message) override {
        QMessageBox::critical(parent, QApplication::applicationName(), message);
    }

    void showInformation(QWidget* parent, const QString& message) override {
        QMessageBox::information(parent, QApplication::applicationName(), message);
    }
};

std::unique_ptr<Dialogs>& installed() {
    static std::unique_ptr<Dialogs> current = std::make_unique<QtDialogs>();
    return current;
}

}  // namespace

Dialogs& dialogs() {
    return *installed();
}

std::unique_ptr<Dialogs> setDialogs(std::unique_ptr<Dialogs> replacement) {
    std::unique_ptr<Dialogs> previous = std::move(installed());
    installed() = replacement ? std::move(replacement) : std::make_unique<QtDialogs>();
    return previous;
}

}  // namespace ctiq
