// The settings dialog's OK against k740-sim on a pseudo-terminal: the window
// runs in this process on the real serial port layer, so the dialog can be
// answered, while the interface is the simulator.
#include "e2e/e2e_harness.h"
#include "platform/system_port_provider.h"
#include "ui/main_form.h"
#include "ui/settings_form.h"
#include "ui/settings_form_controls.h"
#include "ui/widgets/up_down.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace k740;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Answers the settings dialog once it shows: `edit` changes its controls,
// then OK is clicked.
void AnswerSettingsDialog(const std::function<void(const TSettingsFormControls&)>& edit)
{
    auto* watcher = new QTimer(qApp);
    QObject::connect(watcher, &QTimer::timeout, [watcher, edit] {
        auto* dialog = qobject_cast<TSettingsForm*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        watcher->deleteLater();
        edit(dialog->controls());
        dialog->controls().BtnOK->click();
    });
    watcher->start(20);
}

} // namespace

TEST(SettingsChangeE2E, OkSendsTheNewFrameAndWritesTheSection)
{
    QTemporaryDir vports;
    QTemporaryDir program;
    SimulatorProcess sim(
        vports.path(), "vcom0", {"--encoder", "ssi", "--kind", "S", "--bits", "13", "--status-bits", "2"});
    ASSERT_TRUE(sim.ready());
    QFile ini(program.path() + "/K740.INI");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("; bench 3\r\n[K740.vcom0]\r\nSSIBits=13\r\nSSIStatusBits=2\r\n");
    ini.close();

    qputenv("K740_VPORT_DIR", vports.path().toLocal8Bit());
    SystemPortProvider ports;
    TMainForm form(ports, {}, program.path() + "/");
    TSettingsForm dialog(&form);
    form.setDialogs(nullptr, &dialog);
    form.controls().initTimer->stop();
    form.initTimerTimer();
    ASSERT_FALSE(form.session().notConnected());
    form.LoopTimerTimer();
    const int before = sim.receivedCommands().size();

    AnswerSettingsDialog([](const TSettingsFormControls& controls) { controls.udPaddingBits->setPosition(2); });
    form.StPanel3DblClick();
    ASSERT_TRUE(form.controls().LoopTimer->isActive());

    const QStringList sent = sim.receivedCommands().mid(before);
    ASSERT_GE(sent.size(), 3);
    EXPECT_EQ(sent.mid(0, 3), QStringList({"B17\\r", "M3", "m"})) << sent.join(' ').toStdString();
    const QByteArray saved = ReadAll(program.path() + "/K740.INI");
    EXPECT_TRUE(
        saved.startsWith("; bench 3\r\n[K740.vcom0]\r\nSSIBits=13\r\nSSIStatusBits=2\r\nRotary=0\r\nCPR=8192\r\n"))
        << saved.toStdString();
    EXPECT_TRUE(saved.contains("\r\nPaddingBits=2\r\n"));
    form.FormDestroy();
    qunsetenv("K740_VPORT_DIR");
}
