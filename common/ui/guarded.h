#pragma once

#include <QWidget>
#include <exception>
#include <utility>

namespace ctiq {

// Shows the error of an event handler in a message box: the application's one error handler.
void reportError(QWidget* parent, const std::exception& error);

// The only place where the project catches: where Qt hands an event to a handler. Exceptions
// must never cross Qt's own frames, so every connection and event override goes through this.
template <class Handler>
void guarded(QWidget* parent, Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& e) {
        reportError(parent, e);
    } catch (...) {
        reportError(parent, std::runtime_error("unexpected error"));
    }
}

// Connects a signal to a handler through `guarded`.
template <class Sender, class Signal, class Handler>
void connectGuarded(Sender* sender, Signal signal, QWidget* window, Handler handler) {
    QObject::connect(sender, signal, window,
                     [window, handler](auto&&...) { guarded(window, handler); });
}

// Connects a click (of a button, or a menu item's trigger) to a member handler of the window.
template <class Sender, class Signal, class Window>
void connectClick(Sender* sender, Signal signal, Window* window, void (Window::*handler)()) {
    connectGuarded(sender, signal, window, [window, handler] { (window->*handler)(); });
}

}  // namespace ctiq
