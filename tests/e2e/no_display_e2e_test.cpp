// The program started where there is no display (ssh, a text console): one
// line that says so and how to run headless, status 1, no abort; --help and
// --version answer all the same.
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QString out, err;
};

// build/k740 with `display` ("NAME=value") as its only display variable,
// or none, and Qt's default platform.
Outcome WithoutDisplay(const QStringList& arguments, const QString& display = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        env.remove(variable);
    if (!display.isEmpty())
        env.insert(display.section('=', 0, 0), display.section('=', 1));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(K740_BINARY_DIR "/k740", arguments);
    if (!program.waitForFinished(10000)) {
        program.kill();
        program.waitForFinished(1000);
    }
    return {program.exitStatus(), program.exitCode(), QString::fromLocal8Bit(program.readAllStandardOutput()),
        QString::fromLocal8Bit(program.readAllStandardError())};
}

} // namespace

TEST(NoDisplay, OneLineSaysSoAndHowToRunHeadless)
{
    // No display named at all, and one named that does not exist.
    for (const QString& display : {QString(), QString("DISPLAY=:9999")}) {
        const Outcome run = WithoutDisplay({}, display);
        EXPECT_EQ(run.status, QProcess::NormalExit) << display.toStdString();
        EXPECT_EQ(run.exitCode, 1) << display.toStdString();
        const QStringList lines = run.err.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 1) << run.err.toStdString();
        EXPECT_TRUE(lines[0].startsWith("k740: no display found")) << lines[0].toStdString();
        EXPECT_TRUE(lines[0].contains("QT_QPA_PLATFORM=offscreen")) << lines[0].toStdString();
        if (!display.isEmpty()) {
            EXPECT_TRUE(lines[0].contains(display)) << lines[0].toStdString();
        }
    }
}

TEST(NoDisplay, HelpAndVersionNeedNone)
{
    const Outcome help = WithoutDisplay({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("/NOLOGO")) << help.out.toStdString();
    const Outcome version = WithoutDisplay({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith("k740 ")) << version.out.toStdString();
}
