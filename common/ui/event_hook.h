#pragma once

#include <QObject>
#include <functional>
#include <utility>

namespace ctiq {

// Hands the events of another object to a function (an application-wide or a viewport hook).
class EventHook : public QObject {
  public:
    EventHook(QObject* parent, std::function<bool(QObject*, QEvent*)> hook)
        : QObject(parent), hook_(std::move(hook)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override { return hook_(watched, event); }

  private:
    std::function<bool(QObject*, QEvent*)> hook_;
};

}  // namespace ctiq
