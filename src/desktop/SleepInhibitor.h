#pragma once

#include "desktop/DesktopBuses.h"

#include <QString>

#include <memory>

// Keeps the computer from sleeping or going idle while a run lasts, with two locks taken side by side
// wherever they are answered: a "block" lock on "sleep:idle" from logind on the system bus (held as a file
// descriptor), and an Inhibit request (suspend and idle) through the desktop portal on the session bus,
// which is what a sandboxed or logind-less desktop honours.
//
//     SleepInhibitor inhibitor(buses);
//     inhibitor.inhibit(tr("Converting videos"));   // at run start; returns at once
//     ...
//     inhibitor.release();                           // at run end (the destructor does it too)
//
// The answers arrive later on the calling thread's event loop. A lock granted after release() or after the
// inhibitor is gone is given back as soon as it arrives.
class SleepInhibitor
{
public:
    explicit SleepInhibitor(DesktopBuses buses = {});
    ~SleepInhibitor();
    SleepInhibitor(const SleepInhibitor &) = delete;
    SleepInhibitor &operator=(const SleepInhibitor &) = delete;

    // Asks for both locks; `reason` is what the desktop shows. False when neither bus could be asked.
    // While inhibiting already, it does nothing and returns true.
    bool inhibit(const QString &reason);
    // Gives back both locks.
    void release();

    // Between inhibit() and release().
    bool isInhibiting() const;
    // Which locks were granted and are held now.
    bool holdsLogindLock() const;
    bool holdsPortalLock() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};
