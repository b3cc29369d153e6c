#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>
#include <functional>

class QRadioButton;

namespace ctiq {

// A captioned group of radio items in columns. Choosing an item, by the user or in code, runs the
// click handler when the selection changes; in code it runs directly, so its errors reach the
// caller.
class RadioGroup : public QGroupBox {
    Q_OBJECT
  public:
    RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent);

    int itemIndex() const { return index_; }
    // Selects `index` (-1: none); runs the click handler when the selection changes.
    void setItemIndex(int index);
    // Selects without running the click handler.
    void setItemIndexSilently(int index);
    int count() const;
    QString itemText(int index) const;

    // Runs for every change of the selection; for a user's click it runs through `guarded`.
    std::function<void()> onClick;

  private:
    QButtonGroup buttons_;
    int index_ = -1;
};

}  // namespace ctiq
