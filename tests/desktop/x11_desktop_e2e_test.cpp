// The program on an X11 desktop (openbox on Xvfb) as its menu entry starts
// it: the window's class is the one the desktop entry names, it carries the
// program's icon, and the position service gives its real window id.
#include "service/position_service_names.h"
#include "support/desktop_session.h"
#include "support/e2e_harness.h"
#include "support/missing_tools.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace Names = k740::position_service;

namespace {

QString DesktopEntryValue(const QString& key)
{
    QFile entry(K740_TEST_SOURCE_DIR "/../packaging/org.k740.Desktop.desktop");
    if (!entry.open(QIODevice::ReadOnly))
        return {};
    const QRegularExpressionMatch m
        = QRegularExpression("^" + key + "=(.*)$", QRegularExpression::MultilineOption).match(entry.readAll());
    return m.captured(1).trimmed();
}

} // namespace

TEST(X11Desktop, WindowClassIconAndIdTieTheWindowToItsEntry)
{
    DesktopSession desktop(QSize(1600, 900));
    if (!desktop.problem().isEmpty())
        K740_SKIP_WITHOUT_TOOLS(("no desktop with a window manager: " + desktop.problem()).toStdString());
    QTemporaryDir ports;
    ProgramProcess program;
    program.start(ports.path(), {}, {"QT_QPA_PLATFORM=xcb", "DISPLAY=" + desktop.display()});
    const qulonglong window = desktop.findWindow("K740 USB Encoder Interface");
    ASSERT_NE(window, 0u) << program.stderrText().toStdString();

    // WM_CLASS(STRING) = "instance", "class"
    const QString wmClass = desktop.run("xprop", {"-id", QString::number(window), "WM_CLASS"});
    const QStringList names = wmClass.section('=', 1).split(',');
    ASSERT_EQ(names.size(), 2) << wmClass.toStdString();
    EXPECT_EQ(names[1].trimmed().remove('"'), DesktopEntryValue("StartupWMClass"));
    const QString icon = desktop.run("xprop", {"-id", QString::number(window), "_NET_WM_ICON"});
    EXPECT_TRUE(icon.contains("Icon (48 x 48)")) << icon.left(200).toStdString();

    const QDBusMessage reply = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(Names::kName, Names::kPath, Names::kInterface, "WindowId"), QDBus::Block, 5000);
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_EQ(reply.arguments().value(0).toULongLong(), window);
    EXPECT_TRUE(program.terminate());
}
