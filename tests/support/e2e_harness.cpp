#include "support/e2e_harness.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <csignal>

namespace {
// The built programs; K740_TEST_BINARY_DIR names another folder that holds
// copies of them (the permission tests run from one, as another user).
QString binary(const QString& name)
{
    return qEnvironmentVariable("K740_TEST_BINARY_DIR", QStringLiteral(K740_BINARY_DIR)) + '/' + name;
}

QString readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}
} // namespace

SimulatorProcess::SimulatorProcess(const QString& vportDir, const QString& name, const QStringList& arguments)
    : commandLog_(vportDir + "/" + name + ".commands")
{
    QStringList args{"--dir", vportDir, "--name", name, "--log-commands", commandLog_};
    args += arguments;
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(binary("k740-sim"), args);
    ready_ = process_.waitForStarted(5000) && !waitForLine("ready").isEmpty();
}

SimulatorProcess::~SimulatorProcess()
{
    stop();
}

void SimulatorProcess::send(const QString& line)
{
    process_.write((line + "\n").toLatin1());
    process_.waitForBytesWritten(1000);
}

QString SimulatorProcess::waitForLine(const QString& prefix, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const QStringList lines = output_.split('\n');
        for (int i = 0; i + 1 < lines.size(); ++i) {
            if (lines[i].startsWith(prefix)) {
                // Consume up to and including this line, so a later wait sees newer lines.
                output_ = lines.mid(i + 1).join('\n');
                return lines[i];
            }
        }
        process_.waitForReadyRead(50);
        output_ += QString::fromLatin1(process_.readAllStandardOutput());
        if (process_.state() == QProcess::NotRunning && !process_.bytesAvailable())
            break;
    }
    return {};
}

QStringList SimulatorProcess::receivedCommands() const
{
    return readAll(commandLog_).split('\n', Qt::SkipEmptyParts);
}

bool SimulatorProcess::waitForPolls(int polls, int timeoutMs) const
{
    const auto count = [this] { return receivedCommands().count("?"); };
    const int before = count();
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (count() >= before + polls)
            return true;
        QThread::msleep(50);
    }
    return false;
}

void SimulatorProcess::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(1000);
    }
}

ProgramProcess::ProgramProcess(const QString& ini)
{
    QFile::copy(binary("k740"), dir_.path() + "/k740");
    if (!ini.isEmpty()) {
        QFile f(dir_.path() + "/K740.INI");
        if (f.open(QIODevice::WriteOnly))
            f.write(ini.toLatin1());
    }
}

ProgramProcess::~ProgramProcess()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(2000);
    }
}

void ProgramProcess::start(const QString& vportDir, const QStringList& arguments, const QStringList& environment)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("K740_VPORT_DIR", vportDir);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    for (const QString& variable : environment)
        env.insert(variable.section('=', 0, 0), variable.section('=', 1));
    process_.setProcessEnvironment(env);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setStandardErrorFile(dir_.path() + "/stderr.txt");
    process_.start(dir_.path() + "/k740", arguments);
    process_.waitForStarted(5000);
}

QString ProgramProcess::stderrText() const
{
    return file("stderr.txt");
}

bool ProgramProcess::terminate(int timeoutMs)
{
    if (process_.state() == QProcess::NotRunning)
        return true;
    ::kill(pid_t(process_.processId()), SIGTERM);
    return process_.waitForFinished(timeoutMs) && process_.exitCode() == 0;
}

void ProgramProcess::sendSignal(int signalNumber)
{
    ::kill(pid_t(process_.processId()), signalNumber);
}

bool ProgramProcess::waitForExit(int timeoutMs)
{
    return process_.state() == QProcess::NotRunning || process_.waitForFinished(timeoutMs);
}

int ProgramProcess::exitCode() const
{
    return process_.exitStatus() == QProcess::CrashExit ? -1 : process_.exitCode();
}

QString ProgramProcess::file(const QString& name) const
{
    return readAll(dir_.path() + "/" + name);
}

QStringList ProgramProcess::fileLines(const QString& name) const
{
    QString text = file(name);
    text.replace("\r\n", "\n");
    return text.split('\n', Qt::SkipEmptyParts);
}

bool ProgramProcess::waitForLines(const QString& name, int count, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (fileLines(name).size() >= count)
            return true;
        QThread::msleep(50);
    }
    return fileLines(name).size() >= count;
}

int IniValue(const QString& ini, const QString& key)
{
    const QRegularExpressionMatch m
        = QRegularExpression("^" + key + R"(=(-?\d+)\r?$)", QRegularExpression::MultilineOption).match(ini);
    return m.hasMatch() ? m.captured(1).toInt() : -99999;
}
