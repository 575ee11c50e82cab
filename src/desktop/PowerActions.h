#pragma once

#include "desktop/DesktopBuses.h"

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>

// What happens once a run has ended. Nothing and Quit are the application's own; Suspend and PowerOff are
// asked of logind by PowerActions.
enum class WhenDone { Nothing, Quit, Suspend, PowerOff };

// The choices to offer for logind's answers to CanSuspend and CanPowerOff ("yes", "no", "challenge", "na";
// empty when it did not answer): Nothing and Quit always, Suspend and PowerOff only for "yes". "challenge"
// means logind would ask for a password, and at the end of a long run nobody may be there to type it: the
// computer would stay on with a dialog open, so the action is not offered at all.
QList<WhenDone> whenDoneChoices(const QString &canSuspend, const QString &canPowerOff);

// Asks logind on the system bus which power actions it allows, and carries them out.
//
//     PowerActions power(buses);
//     connect(&power, &PowerActions::refreshed, ...);   // then read power.choices()
//     power.refresh();                                   // e.g. when the run starts
//     ...
//     inhibitor.release();              // logind may refuse to sleep while a block lock is held, ours too
//     power.perform(WhenDone::Suspend); // failed() follows if it does not happen
class PowerActions : public QObject
{
    Q_OBJECT

public:
    explicit PowerActions(DesktopBuses buses = {}, QObject *parent = nullptr);

    // "Do nothing", "Quit Tavrix", "Suspend", "Power off".
    static QString label(WhenDone action);

    // Asks logind again; refreshed() follows once both answers are in, or failed, or logind cannot be asked.
    void refresh();
    // Nothing and Quit until logind has answered.
    QList<WhenDone> choices() const { return whenDoneChoices(m_canSuspend, m_canPowerOff); }

    // Asks logind to suspend or power off now, without an authentication dialog. Nothing and Quit are
    // left to the caller and do nothing here.
    void perform(WhenDone action);

signals:
    void refreshed();
    // Emitted later (never from within perform()) when the action could not be asked for or was refused;
    // `message` is a sentence for the user.
    void failed(WhenDone action, const QString &message);

private:
    void ask(const QDBusConnection &bus, const QString &method, QString PowerActions::*answer);

    DesktopBuses m_buses;
    quint64 m_generation = 0; // answers to an earlier refresh() are dropped
    int m_waiting = 0;        // answers still expected for the latest refresh()
    QString m_canSuspend;
    QString m_canPowerOff;
};

Q_DECLARE_METATYPE(WhenDone)
