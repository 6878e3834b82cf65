#include "ui/desktop_start.h"

#include "ui/widgets/quiet_hidden_widgets.h"

#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <vector>

static void RegisterIcon()
{
    Q_INIT_RESOURCE(k740);
}

namespace k740 {

const char kDesktopFileName[] = "org.k740.Desktop";

namespace {

// Messages Qt writes while it opens the display, held back until it has
// opened one: a failure then says one thing instead of Qt's four lines.
struct THeldMessage {
    QtMsgType Type;
    QByteArray Category;
    QString Text;
};
std::vector<THeldMessage> gHeld;
QtMessageHandler gPrevious = nullptr;

QString DisplayNamed()
{
    for (const char* variable : {"WAYLAND_DISPLAY", "DISPLAY"}) {
        if (!qEnvironmentVariableIsEmpty(variable))
            return QStringLiteral("%1=%2").arg(variable, qEnvironmentVariable(variable));
    }
    return {};
}

void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtFatalMsg) {
        gHeld.push_back({type, context.category, text});
        return;
    }
    const QString named = DisplayNamed();
    const QString why = named.isEmpty() ? QStringLiteral("neither DISPLAY nor WAYLAND_DISPLAY is set")
                                        : QStringLiteral("%1 cannot be opened").arg(named);
    std::fprintf(
        stderr, "k740: no display found (%s); to run without one: QT_QPA_PLATFORM=offscreen k740\n", qPrintable(why));
    std::fflush(stderr);
    std::_Exit(1);
}

// The packaged icon's pictures; Qt scales the nearest one to other sizes.
QIcon ProgramIcon()
{
    RegisterIcon();
    QIcon icon;
    for (const char* picture : {":/icon-48.png", ":/icon-64.png", ":/icon-128.png"})
        icon.addFile(QString::fromLatin1(picture));
    return icon;
}

} // namespace

std::unique_ptr<QApplication> StartOnDesktop(int& argc, char** argv)
{
    gPrevious = qInstallMessageHandler(HoldMessage);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(gPrevious);
    for (const THeldMessage& message : gHeld) {
        const char* category = message.Category.isEmpty() ? nullptr : message.Category.constData();
        gPrevious(message.Type, QMessageLogContext(nullptr, 0, nullptr, category), message.Text);
    }
    gHeld.clear();
    TieToDesktopEntry();
    QuietHiddenWidgets();
    return application;
}

void TieToDesktopEntry()
{
    // X11 window managers match the window's WM_CLASS, whose class is the
    // application name, with the entry's StartupWMClass.
    QCoreApplication::setApplicationName(QStringLiteral("k740"));
    QGuiApplication::setDesktopFileName(kDesktopFileName);
    QApplication::setWindowIcon(ProgramIcon());
}

} // namespace k740
