#pragma once
#include "acquisition/frame_decoder.h"
#include "acquisition/homing.h"
#include "acquisition/position_format.h"
#include "link/command_line.h"
#include "link/interface_config.h"
#include "link/interface_identity.h"
#include "platform/serial_port.h"
#include "settings/encoder_settings.h"
#include "settings/settings_file.h"

#include <QByteArray>
#include <QFontMetrics>
#include <QWidget>
#include <chrono>
#include <map>
#include <memory>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTimer;

namespace k740 {

class TComPortForm;
class TPanel;
class TSettingsForm;

// The main window: the position read-out, the status bars and the timers
// that search for the interface and poll it. Window events and timer ticks
// call the handlers below; they stay thin and call plain operations of the
// link, acquisition and settings code.
class TMainForm : public QWidget {
    Q_OBJECT
public:
    TMainForm(IPortProvider& ports, const QStringList& arguments, const QString& programDir);
    ~TMainForm() override;

    void setDialogs(TComPortForm* comPortForm, TSettingsForm* settingsForm);

    // Start-up and exit steps.
    void FormCreate(const QStringList& arguments);
    void FormDestroy();

    // Timer handlers.
    void initTimerTimer();
    void LoopTimerTimer();
    void BlinkTriggerTimer();
    void TrigTimerTimer();

    // Pointer handlers.
    void bbZeroClick();
    void PosPanelClick();
    void bbZeroRefClick();
    void ExtStPanel2DblClick();
    void ExtStPanel3DblClick();
    // Esc (character 27) cancels homing.
    void FormKeyPress(int character);

    // Layout passes.
    void FormShow();
    void FormResize();

    // Read access for tests and other windows.
    bool notConnected() const { return NotConnected; }
    const InterfaceIdentity& identity() const { return Identity; }
    const TEncoderSettings& activeSettings() const { return ActiveSettings; }
    const RunOptions& options() const { return Options; }
    const THomingState& homing() const { return Ref; }
    const TDecodedFrame& lastFrame() const { return LastFrame; }
    float positionValue() const { return PositionValue; }
    QString positionText() const;
    QString statusText(int panel) const;
    QString summaryText() const;

    // Controls (named as in the window's design).
    QWidget* pHead;
    QLabel* Image1;
    QWidget* YPanel;
    QWidget* GPanel;
    QLabel* PosLabel;
    QLabel* RefLabel;
    TPanel* pColorStatus;
    TPanel* PosPanel;
    TPanel* RefPanel;
    QPushButton* bbZero;
    QPushButton* bbZeroRef;
    QWidget* ExtStPanel;
    TPanel* ExtStPanel1;
    TPanel* ExtStPanel2;
    TPanel* ExtStPanel3;
    QWidget* AuxLogoPanel;
    QLabel* Image2;
    QWidget* DataPanel;
    QCheckBox* cbAutoCapture;
    QSpinBox* udCaptureInterval;
    QLabel* Label6;
    QPlainTextEdit* DataMemo;
    QWidget* StPanel;
    TPanel* StPanel1;
    TPanel* StPanel2;
    TPanel* StPanel3;
    QLabel* Label5;

    QTimer* initTimer;
    QTimer* LoopTimer;
    QTimer* BlinkTrigger;
    QTimer* TrigTimer;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    void connectTo(const QString& portName);
    bool openAndIdentify(const QString& portName);
    void arrangeRowForKind();
    void arrangeRowForSettings();
    void layoutRow();
    void ApplySettings(bool dcrWasOn);
    void loadSettings();
    void saveSettings();
    SettingsLocation settingsLocation() const;
    WindowGeometry liveGeometry() const;
    void restoreLayoutFromSettings();
    PositionFormat positionFormat() const;
    void showPosition(const QString& text, int64_t rel);
    void fitPositionText(const QString& text);
    void autoSaveStep(int64_t rel);
    void referenceMarkStep(const QString& cycleText);
    void flashReference(const QString& text);
    void statusBarStep();
    int cycleTransact(const QByteArray& command);
    void cancelHoming();
    void showMessage(const QString& text);
    void linkLost();
    void closePort();
    void SetLogoMode(int mode);
    void PlaceStatusColour();
    void PlaceCaptureList();
    void placeHomeButton();
    void placeExtendedFields();
    void setSummary(const QString& text, bool settingsStyle);

    IPortProvider& ports_;
    TComPortForm* ComPortForm = nullptr;
    TSettingsForm* SettingsForm = nullptr;

    RunOptions Options;
    QString ProgramDir;
    std::unique_ptr<ISerialPort> port_;
    QByteArray LastReply;
    InterfaceIdentity Identity;
    TEncoderSettings StoredSettings;
    TEncoderSettings ActiveSettings;
    TConfigTexts ConfigTexts;
    TDecodedFrame LastFrame;
    THomingState Ref;
    QString HiddenPosition;
    int64_t LastMovePosition = 0;
    float PositionValue = 0;
    uint32_t LastSaveTick = 0;
    std::chrono::steady_clock::time_point LoopPauseEnd; // when the next cycle may send: 10 ms after its last exchange
    WindowGeometry SavedPanelGeometry;
    std::map<int, QFontMetrics> ReadOutMetrics; // read-out font by point size, for text fitting

    bool NotConnected = true;
    bool BlankSummary = false;
    bool UnsupportedNoticeArmed = true;
    bool ConnectedOnce = false;
    bool GeometryRestored = false;
    bool CursorRestored = false;
    bool Destroyed = false;
    bool RecordingOptionsVisible = true;
    int32_t AutoSaveInterval = 1;
    int32_t FittedFontSize = 72;
    double DisplayScale = 0.001;
    int32_t DisplayDecimals = 3;
};

} // namespace k740
