#include <gtest/gtest.h>

#ifdef K740_TEST_GUI
#include <QApplication>
#include <QDir>
#include <QFile>
using TestApplication = QApplication;

namespace {
// Window tests run offscreen on one fixed screen of 1920 x 1040 pixels whose
// windows have a frame (2 pixels on each side), as on a desktop.
QString FixedOffscreenScreen()
{
    const QString path
        = QDir::temp().filePath(QStringLiteral("k740-test-screen-%1.json").arg(QCoreApplication::applicationPid()));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(R"({"windowFrameMargins": true, "screens": [{"name": "test", "x": 0, "y": 0,
        "width": 1920, "height": 1040, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    return path;
}
} // namespace
#else
#include <QCoreApplication>

using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef K740_TEST_GUI
    const QString screen = qgetenv("QT_QPA_PLATFORM") == "offscreen" ? FixedOffscreenScreen() : QString();
    if (!screen.isEmpty())
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screen).toLocal8Bit());
#endif
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
#ifdef K740_TEST_GUI
    if (!screen.isEmpty())
        QFile::remove(screen);
#endif
    return result;
}
