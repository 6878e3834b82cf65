// The program as a process (offscreen, polling k740-sim): termination
// signals run the exit steps, a failing exit save is reported on standard
// error rather than in a box nobody answers, a second signal ends the
// program at once; a section filter the settings file cannot hold is
// refused at start.
#include "support/e2e_harness.h"
#include "support/held_lock.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The program runs with "/A" and has logged a first position.
struct Running {
    explicit Running(const QString& ini = {}, const QStringList& arguments = {"/A"})
        : sim(vports.path(), "vcom0", {"--encoder", "counter", "--kind", "Q"})
        , program(ini)
    {
        if (!sim.ready())
            return;
        program.start(vports.path(), arguments);
        connected = program.waitForLines("K740_vcom0.LOG", 1, 15000);
    }

    QTemporaryDir vports;
    SimulatorProcess sim;
    ProgramProcess program;
    bool connected = false;
};

// An INI file the program cannot read whole (a NUL byte) is never written:
// the exit save fails, for root too.
const QString kUnwritableIni = QString("[K740.vcom0]\r\nCPM=1000\r\n") + QChar(0) + "\r\n";

} // namespace

TEST(ExitSignals, HangupSavesTheSettingsAsTermDoes)
{
    for (const int signalNumber : {SIGHUP, SIGTERM, SIGINT}) {
        Running run;
        ASSERT_TRUE(run.connected);
        ASSERT_TRUE(run.program.file("K740.INI").isEmpty());
        run.program.sendSignal(signalNumber);
        ASSERT_TRUE(run.program.waitForExit(5000)) << signalNumber;
        EXPECT_EQ(run.program.exitCode(), 0) << signalNumber;
        EXPECT_TRUE(run.program.file("K740.INI").startsWith("[K740.vcom0]\r\nRotary=0\r\n")) << signalNumber;
    }
}

TEST(ExitSignals, FailedExitSaveGoesToStandardErrorAndTheProgramEnds)
{
    Running run(kUnwritableIni);
    ASSERT_TRUE(run.connected);
    QElapsedTimer clock;
    clock.start();
    run.program.sendSignal(SIGTERM);
    ASSERT_TRUE(run.program.waitForExit(5000)) << "still running 5 s after SIGTERM";
    EXPECT_EQ(run.program.exitCode(), 1);
    EXPECT_TRUE(run.program.stderrText().contains(
        "k740: cannot write K740.INI: it could not be read whole; settings not saved"))
        << run.program.stderrText().toStdString();
}

// Another program holds the settings file's lock (flock -x K740.INI ...)
// when the program ends: it waits a moment for the lock, then ends saying
// that the settings were not saved.
TEST(ExitSignals, SettingsFileLockedElsewhereEndsTheProgramWithoutASave)
{
    Running run("[K740.vcom0]\r\nCPM=1000\r\n");
    ASSERT_TRUE(run.connected);
    HeldLock other(run.program.folder() + "/K740.INI");
    ASSERT_TRUE(other.held());
    run.program.sendSignal(SIGTERM);
    ASSERT_TRUE(run.program.waitForExit(5000)) << "still running 5 s after SIGTERM";
    EXPECT_EQ(run.program.exitCode(), 1);
    EXPECT_TRUE(run.program.stderrText().contains("k740: settings not saved: K740.INI is locked by another program\n"))
        << run.program.stderrText().toStdString();
    EXPECT_EQ(run.program.file("K740.INI"), "[K740.vcom0]\r\nCPM=1000\r\n");
}

// A box opened by the cycle (the log is a FIFO, which the program refuses)
// is open when the signal comes.
TEST(ExitSignals, SignalEndsTheProgramWhileAMessageBoxIsOpen)
{
    QTemporaryDir vports;
    SimulatorProcess sim(vports.path(), "vcom0", {"--encoder", "counter", "--kind", "Q"});
    ASSERT_TRUE(sim.ready());
    ProgramProcess program;
    ASSERT_EQ(::mkfifo(QFile::encodeName(program.folder() + "/K740_vcom0.LOG").constData(), 0600), 0);
    program.start(vports.path(), {"/A"});
    // The box pauses polling: the simulator hears no more requests.
    int heard = -1;
    QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired() && (heard < 3 || sim.receivedCommands().size() != heard)) {
        heard = int(sim.receivedCommands().size());
        QThread::msleep(300);
    }
    ASSERT_GE(heard, 3) << "the program did not poll";
    ASSERT_TRUE(program.running());
    program.sendSignal(SIGTERM);
    ASSERT_TRUE(program.waitForExit(5000)) << "still running 5 s after SIGTERM";
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(program.file("K740.INI").startsWith("[K740.vcom0]"));
}

// Two signals that arrive together: the first starts the exit steps, the
// second ends the process there and then.
TEST(ExitSignals, SecondSignalEndsTheProgramAtOnce)
{
    Running run;
    ASSERT_TRUE(run.connected);
    run.program.sendSignal(SIGSTOP);
    run.program.sendSignal(SIGTERM);
    run.program.sendSignal(SIGINT);
    run.program.sendSignal(SIGCONT);
    ASSERT_TRUE(run.program.waitForExit(5000));
    EXPECT_EQ(run.program.exitCode(), -1) << "ended by its own exit steps instead of the second signal";
}

// Root writes into any folder, so this runs as another user (see scripts/test).
TEST(ExitSignalsPermissions, ReadOnlyFolderEndsTheProgramAfterSigterm)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write into any folder";
    Running run;
    ASSERT_TRUE(run.connected);
    ASSERT_TRUE(QFile::setPermissions(run.program.folder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    run.program.sendSignal(SIGTERM);
    const bool ended = run.program.waitForExit(5000);
    QFile::setPermissions(
        run.program.folder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_TRUE(ended) << "still running 5 s after SIGTERM";
    EXPECT_EQ(run.program.exitCode(), 1);
    EXPECT_TRUE(run.program.stderrText().contains("k740: cannot write K740.INI: Permission denied; settings not saved"))
        << run.program.stderrText().toStdString();
}

TEST(StartUp, FilterTheSettingsFileCannotHoldIsRefused)
{
    QTemporaryDir vports;
    for (const QString& filter : {QString("/R=A]B"), QString("/R=A\nB")}) {
        ProgramProcess program("[K740.vcom0]\r\n");
        program.start(vports.path(), {filter});
        ASSERT_TRUE(program.waitForExit(10000));
        EXPECT_EQ(program.exitCode(), 2);
        const QString error = program.stderrText();
        EXPECT_TRUE(error.contains("k740: /R=A")) << error.toStdString();
        EXPECT_TRUE(error.contains("cannot name a section of " + program.folder() + "/K740.INI"));
        EXPECT_EQ(program.file("K740.INI"), "[K740.vcom0]\r\n");
    }
}
