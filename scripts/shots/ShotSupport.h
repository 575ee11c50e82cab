#pragma once

// What the screenshot drivers share: waiting on a condition with the event loop running, and saving
// a window's picture.

#include <QApplication>
#include <QDeadlineTimer>
#include <QString>
#include <QThread>
#include <QWidget>

#include <cstdio>
#include <functional>

// Runs the event loop until `condition` holds; false when `milliseconds` passed first.
inline bool waitFor(const std::function<bool()> &condition, int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    return true;
}

// Lets the windows draw themselves for a while.
inline void settle(int milliseconds = 300)
{
    waitFor([] { return false; }, milliseconds);
}

// Saves the window's picture as it draws itself, saying so on standard output.
inline bool saveWindow(QWidget *window, const QString &path)
{
    window->repaint();
    QApplication::processEvents();
    const bool saved = window->grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}
