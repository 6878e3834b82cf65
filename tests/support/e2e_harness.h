#pragma once
// Runs k740-sim and a copy of k740 as separate processes in a private
// folder, the way a user would, and reads what they leave behind.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class SimulatorProcess {
public:
    // Starts k740-sim publishing `name` in `vportDir`; waits for its "ready" line.
    SimulatorProcess(const QString& vportDir, const QString& name, const QStringList& arguments);
    ~SimulatorProcess();

    bool ready() const { return ready_; }
    // Sends one control line on the simulator's standard input.
    void send(const QString& line);
    // Waits for an output line that starts with `prefix` and returns it.
    QString waitForLine(const QString& prefix, int timeoutMs = 5000);
    QStringList receivedCommands() const;
    // Waits until `polls` more position requests have come in: the program
    // is connected and polls.
    bool waitForPolls(int polls = 3, int timeoutMs = 15000) const;
    void stop();

private:
    QProcess process_;
    QString commandLog_;
    QString output_;
    bool ready_ = false;
};

class ProgramProcess {
public:
    // Copies build/k740 alone into a fresh folder, with `ini` as K740.INI
    // when not empty.
    explicit ProgramProcess(const QString& ini = QString());
    ~ProgramProcess();

    QString folder() const { return dir_.path(); }
    qint64 processId() const { return process_.processId(); }
    bool running() const { return process_.state() != QProcess::NotRunning; }
    // `environment` adds or replaces variables ("NAME=value"); the program's
    // standard error goes to stderr.txt in its folder (stderrText()).
    void start(const QString& vportDir, const QStringList& arguments, const QStringList& environment = {});
    QString stderrText() const;
    // SIGTERM, as a logout or a service manager would end it.
    bool terminate(int timeoutMs = 5000);
    void sendSignal(int signalNumber);
    // Waits for the program to end; false when it still runs after the time.
    bool waitForExit(int timeoutMs);
    // After the end: the exit status, or -1 when a signal ended it.
    int exitCode() const;
    QString file(const QString& name) const;
    QStringList fileLines(const QString& name) const;
    // Waits until `name` holds at least `count` lines.
    bool waitForLines(const QString& name, int count, int timeoutMs);

private:
    QTemporaryDir dir_;
    QProcess process_;
};

// The whole number `key` holds in the text of an INI file; -99999 when none.
int IniValue(const QString& ini, const QString& key);
