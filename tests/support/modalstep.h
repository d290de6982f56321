#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>
#include <memory>

// Runs `step` on the modal window of type `Window` once it is shown: a window opened with
// exec() blocks the test until it closes, so the test says beforehand what a person does in
// it. Polled from the event loop every 10 ms.
template <class Window> void whenModalShows(std::function<void(Window*)> step) {
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [step, poll] {
        auto* w = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (!w) {
            QTimer::singleShot(10, *poll);
            return;
        }
        // The stored function holds the pointer to itself: let it go, or it never goes.
        *poll = nullptr;
        step(w);
    };
    QTimer::singleShot(0, *poll);
}
