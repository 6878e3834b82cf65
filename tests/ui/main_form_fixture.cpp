#include "ui/main_form_fixture.h"

#include <QApplication>
#include <QFile>
#include <QTest>

using namespace k740;

void MainFormTest::start(const QStringList& arguments)
{
    // The dialogs are children of the window they were made for.
    settingsForm.reset();
    comPortForm.reset();
    form.reset();
    loop.reset();
    interfaceSession
        = std::make_unique<TInterfaceSession>(ports, TDataFolders::beside(programDir()), ParseCommandLine(arguments));
    // The searches are driven by the test: the loop is not started.
    loop = std::make_unique<TPollLoop>(*interfaceSession);
    form = std::make_unique<TMainForm>(*interfaceSession, *loop);
    comPortForm = std::make_unique<TComPortForm>(form.get());
    settingsForm = std::make_unique<TSettingsForm>(form.get());
    form->setDialogs(comPortForm.get(), settingsForm.get());
}

void MainFormTest::poll(int cycles)
{
    for (int i = 0; i < cycles; ++i)
        loop->LoopTimerTimer();
}

void MainFormTest::answerModals(std::function<void(QWidget*)> answer)
{
    modalWatcher.setInterval(20);
    QObject::connect(&modalWatcher, &QTimer::timeout, [this, answer] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ++modalsAnswered;
            answer(modal);
        }
    });
    modalWatcher.start();
}

void MainFormTest::writeIni(const QString& text)
{
    QFile f(programDir() + "K740.INI");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.toLatin1());
}

QString MainFormTest::readFile(const QString& name) const
{
    QFile f(programDir() + name);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

QWidget* MainFormTest::keyTarget() const
{
    QWidget* focus = form->focusWidget();
    return focus ? focus : form.get();
}

void MainFormTest::typeKey(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(keyTarget(), key, modifiers);
}

TDeviceConfig CounterDevice()
{
    TDeviceConfig config;
    config.KindLetter = 'Q';
    config.Encoder = TEncoderKind::Counter;
    return config;
}

TDeviceConfig SsiDevice(int multiturnBits, int positionBits, int statusBits)
{
    TDeviceConfig config;
    config.KindLetter = 'S';
    config.Encoder = TEncoderKind::Ssi;
    config.Layout.MultiturnBits = multiturnBits;
    config.Layout.PositionBits = positionBits;
    config.Layout.StatusBits = statusBits;
    return config;
}
