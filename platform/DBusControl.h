#pragma once
// The running program on the session bus: service and interface
// io.github.wendrel.Wendrel at /io/github/wendrel/Wendrel, with the command
// line's actions as methods:
//   List() -> aa{sv}   position (i), name, interval, active (b), nextStart
//                      ("yyyy-mm-ddThh:mm:ss", local, "" for none), lastOutcome
//                      ("succeeded", "failed", "running", "" for none)
//   Run(s task), Enable(s task), Disable(s task), Show()
// A task is named as on the command line. A task that is not there, a name
// several tasks share and a task that did not start are errors
// io.github.wendrel.Wendrel.Error.NoSuchTask, .Ambiguous and .NotStarted
// (.Failed for any other failure).
#include <QDBusContext>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>

#include "session/RemoteControl.h"

namespace wendrel {

class DBusControl : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.wendrel.Wendrel")
public:
    // answer carries out a request as the socket's requests are (see
    // app/main.cpp); List reads the session itself.
    using Answer = std::function<CommandResult(const InstanceRequest&)>;
    DBusControl(const Session& session, Answer answer, QObject* parent = nullptr);

    // Takes the name and the object on the session bus when there is one.
    // Returns what went wrong, for stderr; empty when all went well or there
    // is no bus (nothing to say then).
    QString publish();

public slots:
    // The interface's method names, as D-Bus callers spell them.
    // NOLINTBEGIN(readability-identifier-naming)
    Q_SCRIPTABLE QList<QVariantMap> List();
    Q_SCRIPTABLE void Run(const QString& task);
    Q_SCRIPTABLE void Enable(const QString& task);
    Q_SCRIPTABLE void Disable(const QString& task);
    Q_SCRIPTABLE void Show();
    // NOLINTEND(readability-identifier-naming)

private:
    void perform(Command command, const QString& task);

    const Session& session_;
    Answer answer_;
};

} // namespace wendrel
