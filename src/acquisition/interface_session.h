#pragma once
#include "acquisition/capture_list.h"
#include "acquisition/frame_decoder.h"
#include "acquisition/homing.h"
#include "acquisition/link_statistics.h"
#include "acquisition/position_format.h"
#include "acquisition/read_out_row.h"
#include "acquisition/status_display.h"
#include "link/command_line.h"
#include "link/discovery.h"
#include "link/interface_config.h"
#include "link/interface_identity.h"
#include "platform/data_folders.h"
#include "platform/serial_port.h"
#include "settings/encoder_settings.h"
#include "settings/settings_file.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <chrono>
#include <memory>
#include <optional>
#include <utility>

namespace k740 {

// How a connection attempt ended.
enum class TConnectOutcome {
    Connected,
    Failed,      // the port did not open or did not answer as a K740 / T740
    Unsupported, // an interface answered, but of a kind the program does not serve
};

struct TConnectResult {
    TConnectOutcome Outcome = TConnectOutcome::Failed;
    bool ShowUnsupportedNotice = false; // a "K740-9B" answered while the notice was armed
    QStringList SettingsErrors;         // problems of the settings section, each once, for one line
};

// What the display half of applying the settings leaves for the window.
struct TApplyResult {
    QString PosLabelCaption;
    bool StatusBitsShown = false; // ExtStPanel1
    bool ExtendedShown = false;   // ExtStPanel2 and ExtStPanel3
    QString Summary;              // settings summary, "(Double click to change)" included
    bool StartHoming = false;     // distance-coded marks were just switched on
};

// What one acquisition cycle leaves for the window.
struct TCycleResult {
    bool LinkLost = false;
    QString Reply;                            // the position reply, for the hidden diagnostic label
    bool ReadOutChanged = false;              // the read-out was set (readOutText()), changed or not
    QString FittingText;                      // the text the read-out's font is fitted to
    bool ReferenceMarked = false;             // a mark renewed the reference read-out, which flashes
    std::optional<TStatusLevel> StatusLevel;  // the status field's colour
    std::optional<QString> StatusBitsCaption; // ExtStPanel1
    std::optional<QString> SerialCaption;     // ExtStPanel2
    std::optional<QString> SupplyCaption;     // ExtStPanel3
    QString LogError;                         // a log write failed (AutoSave is off now)
};

// One acquisition cycle as offered to programs that follow every cycle.
struct TCycleSample {
    uint64_t Number = 0;     // counts the run's cycles from 1, across connections
    int64_t ReplyTimeUs = 0; // end of the position exchange, monotonic clock
    int64_t RawCount = 0;    // the position as decoded, before direction and offsets
    double Value = 0;        // in the unit shown (the log's value)
    QString Text;            // the read-out's text of the cycle; empty after a link loss
    bool Valid = false;      // a usable frame arrived; else RawCount and Value are 0
    bool CrcOk = true;       // no CRC mismatch
};

// What a tick of the blink timer did.
struct TBlinkResult {
    std::optional<int> Interval; // new blink interval in ms
    bool ReadOutChanged = false;
    bool Cancelled = false; // homing ran out of time
};

// The interface as the program sees it, without any window: the port, the
// identity, the stored and active settings, the last frame, the offsets and
// homing, the display scale, the model of the two read-outs and the capture
// list. Its operations are what the main window's handlers do to the device
// and to that state; they report by return values and signals, never by
// message.
class TInterfaceSession : public QObject {
    Q_OBJECT
public:
    TInterfaceSession(IPortProvider& ports, const TDataFolders& folders, const TRunOptions& options);
    ~TInterfaceSession() override;

    // Search and connection.
    void closePort();
    // A search: the port of an earlier connection closed and its name
    // cleared, then every candidate port probed once (serving window events
    // while it waits).
    TProbeResult search();
    // `layout` is the window's current layout, which keys absent from the
    // settings section keep.
    TConnectResult connectTo(const QString& portName, const TWindowGeometry& layout);
    // The configuration exchange and the display half of applying the settings.
    TApplyResult applySettings(bool dcrWasOn);
    // Writes StoredSettings (and in layout edit mode the live layout); the
    // message to show when that failed, else empty.
    QString saveSettings(const TWindowGeometry& live);
    // Not while the settings are the defaults that stood in for a file
    // locked by another program, until the user commits them.
    bool shouldSaveAtExit() const { return (Options.LayoutEditMode || ConnectedOnce) && !SettingsFileLocked; }
    // The settings dialog was accepted with `active`.
    void commitSettings(const TEncoderSettings& active);
    // The settings dialog opens on the active settings: outside layout edit
    // mode reference marks are always shown, whatever the file says.
    void prepareSettingsEdit();
    void clearRefReadOut() { RefReadOutText.clear(); }

    // The acquisition cycle.
    TCycleResult runCycle();
    // Milliseconds from now until the next cycle may send.
    int msUntilNextCycle() const;

    // User commands.
    void zero();
    // Zeroes when ZERO is visible and enabled (a click on the read-out, a
    // request of another program); true when it did.
    bool zeroIfAvailable();
    void startHoming();
    bool cancelHoming(); // false when no homing was in progress
    TBlinkResult blinkTick();
    // The flash of the reference read-out ended.
    void endFlash();
    void switchSupply();
    void toggleSerialSource();

    // Run options the settings dialog and the keyboard change.
    void setAutoSave(bool on, int32_t interval);
    void setLogoMode(int32_t mode) { Options.LogoMode = mode; }
    void setAutoCapture(bool on) { Options.AutoCapture = on; }

    // The capture list. A capture appends the read-out's text when it shows
    // one, the list is shown (AutoCapture) and not full, and reports the new
    // line by lineCaptured(); true when a line was added.
    bool captureReadOut();
    // The automatic capture at the end of an acquisition cycle, while the
    // list's own check box is ticked.
    TAutoCapture autoCaptureStep();
    const TCaptureList& captureList() const { return Captures; }
    // The user edited the list (TCaptureList::setLines).
    void editCaptures(QStringList lines) { Captures.setLines(std::move(lines)); }
    void setCaptureInterval(uint16_t ms) { Captures.setInterval(ms); }

    bool notConnected() const { return NotConnected; }
    // The acquisition cycle runs: connected, and no modal dialog or message
    // box of the window holds it up.
    bool polling() const { return !NotConnected && PollingPauses == 0; }
    // A modal dialog or box opens (true) or closes (false) while the cycle
    // would run; pauses nest.
    void pausePolling(bool paused);
    const InterfaceIdentity& identity() const { return Identity; }
    const TEncoderSettings& storedSettings() const { return StoredSettings; }
    const TEncoderSettings& activeSettings() const { return ActiveSettings; }
    const TRunOptions& options() const { return Options; }
    int32_t autoSaveInterval() const { return AutoSaveInterval; }
    const THomingState& homing() const { return Ref; }
    const TDecodedFrame& lastFrame() const { return LastFrame; }
    const TRowState& row() const { return Row; }
    float positionValue() const { return PositionValue; }
    const QString& readOutText() const { return ReadOutText; }
    const QString& refReadOutText() const { return RefReadOutText; }
    QString logFileName() const;
    bool connectedOnce() const { return ConnectedOnce; }

    // Link quality figures of the connection, or of the last one while not
    // connected. They restart at each connection and on resetLinkFigures().
    TLinkFigures linkFigures() const;
    void resetLinkFigures();
    // While on, every cycle reports itself by cycleSampled(); while off,
    // nothing is prepared for it.
    void setSampling(bool on) { Sampling = on; }

signals:
    // A candidate port could not be opened (OS error code), during probe().
    void openFailed(int errorCode, const QString& portName);
    // notConnected() or identity() changed: a connection was made or lost.
    void connectionChanged();
    // polling() may have changed.
    void pollingChanged();
    // A cycle ended (only while sampling is on).
    void cycleSampled(const TCycleSample& sample);
    // A capture (captureReadOut(), autoCaptureStep()) added `line` to the
    // capture list.
    void lineCaptured(const QString& line);

private:
    bool openAndIdentify(const QString& portName, TConnectResult& result);
    void loadSettings(const TWindowGeometry& layout, TConnectResult& result);
    void applyRowVisibility();
    TSettingsLocation settingsLocation() const;
    TPositionFormat positionFormat() const;
    TTransactResult exchange(const QByteArray& command);
    TTransactResult cycleExchange(const QByteArray& command);
    void waitForCycleStart() const;
    void showPosition(TCycleResult& result, int64_t rel, QString text);
    void autoSave(TCycleResult& result, int64_t rel);
    void referenceMark(TCycleResult& result, const QString& cycleText);
    void statusBar(TCycleResult& result);
    void linkLost();
    // Reports the cycle; `shownText` is the read-out's text when the cycle set it.
    void sampleCycle(const TFrameChecks& checks, int64_t rawCount, const QString* shownText);

    IPortProvider& Ports;
    TDataFolders Folders;
    TRunOptions Options;
    int32_t AutoSaveInterval = 1;
    std::unique_ptr<ISerialPort> Port;
    QByteArray LastReply;
    InterfaceIdentity Identity;
    TEncoderSettings StoredSettings;
    TEncoderSettings ActiveSettings;
    TConfigTexts ConfigTexts;
    TDecodedFrame LastFrame;
    THomingState Ref;
    TRowState Row;
    QString ReadOutText;
    QString RefReadOutText;
    TCaptureList Captures;
    QString HiddenPosition;    // the read-out's text while plain homing blanks it
    QString LastSupplyCaption; // the supply field as last shown
    int64_t LastMovePosition = 0;
    float PositionValue = 0;
    double DisplayScale = 0.001;
    int32_t DisplayDecimals = 3;
    uint32_t LastSaveTick = 0;
    std::chrono::steady_clock::time_point LoopPauseEnd;      // 10 ms after the cycle's last exchange
    std::chrono::steady_clock::time_point LastExchangeEnd;   // when the latest exchange ended
    std::chrono::steady_clock::time_point PositionReplyTime; // when the cycle's position exchange ended
    TLinkStatistics Stats;
    uint64_t CycleNumber = 0;
    bool Sampling = false;
    bool NotConnected = true;
    int PollingPauses = 0;
    bool ConnectedOnce = false;
    bool SettingsFileLocked = false; // the last load found the file locked elsewhere
    bool UnsupportedNoticeArmed = true;
};

// While it lives, polling counts as paused (TInterfaceSession::polling()).
class TPollingPause {
public:
    explicit TPollingPause(TInterfaceSession& session)
        : Session(session)
    {
        Session.pausePolling(true);
    }
    ~TPollingPause() { Session.pausePolling(false); }
    TPollingPause(const TPollingPause&) = delete;
    TPollingPause& operator=(const TPollingPause&) = delete;

private:
    TInterfaceSession& Session;
};

} // namespace k740
