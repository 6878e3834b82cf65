#pragma once
// A main window wired to in-process fake interfaces, with a private program
// folder, for tests that drive its handlers directly.
#include "platform/tick_counter.h"
#include "support/fake_port.h"
#include "ui/com_port_form.h"
#include "ui/main_form.h"
#include "ui/settings_form.h"
#include "ui/settings_form_controls.h"
#include "ui/widgets/panel.h"

#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace k740;
using namespace k740sim;

class MainFormTest : public ::testing::Test {
protected:
    void start(const QStringList& arguments = {});
    // Runs one search attempt (the initTimer tick).
    void search() { loop->initTimerTimer(); }
    // Runs `cycles` acquisition ticks.
    void poll(int cycles = 1);
    // Answers every modal window that opens with `answer` and counts them.
    void answerModals(std::function<void(QWidget*)> answer);
    QString programDir() const { return dir.path() + "/"; }
    void writeIni(const QString& text);
    QString readFile(const QString& name) const;
    // Real key events to the control with the focus (the window when none has it).
    QWidget* keyTarget() const;
    void typeKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {});

    QTemporaryDir dir;
    TFakePortProvider ports;
    std::unique_ptr<TInterfaceSession> interfaceSession;
    std::unique_ptr<TPollLoop> loop;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TComPortForm> comPortForm;
    std::unique_ptr<TSettingsForm> settingsForm;
    int modalsAnswered = 0;
    QTimer modalWatcher;
};

// The tick counter at `now` while it lives; the real clock comes back even
// when a test stops early.
struct FakeClock {
    uint32_t now;
    explicit FakeClock(uint32_t start)
        : now(start)
    {
        SetTickSource([this] { return now; });
    }
    ~FakeClock() { SetTickSource({}); }
};

TDeviceConfig CounterDevice();
TDeviceConfig SsiDevice(int multiturnBits, int positionBits, int statusBits);
