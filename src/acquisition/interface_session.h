#pragma once
#include "acquisition/capture_list.h"
#include "acquisition/cycle_streams.h"
#include "acquisition/frame_decoder.h"
#include "acquisition/homing.h"
#include "acquisition/link_statistics.h"
#include "acquisition/position_format.h"
#include "acquisition/position_log.h"
#include "acquisition/read_out_row.h"
#include "acquisition/status_display.h"
#include "link/command_line.h"
#include "link/discovery.h"
#include "link/interface_config.h"
#include "link/interface_identity.h"
#include "platform/data_folders.h"
#include "platform/serial_port.h"
#include "settings/dialog_context.h"
#include "settings/encoder_settings.h"
#include "settings/settings_file.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <chrono>
#include <functional>
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
    QString SupplyError;                // the supply was off and could not be switched on
};

// What the display half of applying the settings leaves for the window.
struct TApplyResult {
    QString PosLabelCaption;
    bool StatusBitsShown = false; // ExtStPanel1
    bool ExtendedShown = false;   // ExtStPanel2 and ExtStPanel3
    QString Summary;              // settings summary, "(Double click to change)" included
    bool StartHoming = false;     // distance-coded marks were just switched on
    QString ConfigError;          // the configuration failed: the line to tell the user
};

// What one acquisition cycle leaves for the window.
struct TCycleResult {
    bool LinkLost = false;
    bool ReadOutChanged = false;              // the read-out was set (readOutText()), changed or not
    QString FittingText;                      // the text the read-out's font is fitted to
    bool ReferenceMarked = false;             // a mark renewed the reference read-out, which flashes
    std::optional<TStatusLevel> StatusLevel;  // the status field's colour
    std::optional<QString> StatusBitsCaption; // ExtStPanel1
    std::optional<QString> SerialCaption;     // ExtStPanel2
    std::optional<QString> SupplyCaption;     // ExtStPanel3
    QString LogError;                         // a log write failed (AutoSave is off now)
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
    // while it waits). The ports that answered stay open until
    // choosePort() or connectTo().
    TProbeResult search();
    // The port to connect after a search (ChoosePort, with the run's serial
    // filter; `choose` asks the user), or empty; with none chosen the ports
    // the search kept open are closed.
    QString choosePort(const TProbeResult& probe, const std::function<QString(const QStringList&)>& choose);
    // `layout` is the window's current layout, which keys absent from the
    // settings section keep. The port is the one the search kept open, or
    // opened afresh; it is closed again when the attempt fails. The
    // interface must answer the connection's exchanges ("b", "s", "e").
    TConnectResult connectTo(const QString& portName, const TWindowGeometry& layout);
    // The configuration exchange and the display half of applying the
    // settings. When the interface does not take the new frame, the active
    // settings go back to those it last confirmed on this connection (the
    // stored ones stay as the user chose them), so that the decoder and the
    // summary follow what the interface does.
    TApplyResult putSettingsInForce(bool dcrWasOn);
    // Writes StoredSettings (and in layout edit mode the live layout) for
    // the port they were loaded for, whatever port the session is at now;
    // before any settings were loaded it writes nothing. The message to show
    // when that failed, else empty.
    QString saveSettings(const TWindowGeometry& live);
    // Settings were loaded in this run, so the exit saves them; not while
    // they are the defaults that stood in for a file locked by another
    // program, until the user commits them.
    bool shouldSaveAtExit() const { return SettingsHome.has_value() && !SettingsFileLocked; }
    // The settings dialog was accepted with `active`. A reference search
    // under the old settings ends as Esc ends it; the reference from
    // distance-coded marks stays unless a setting it depends on changed
    // (ReferenceSurvives), else it goes visibly: the reference read-out
    // empty, HOME offered.
    void commitSettings(const TEncoderSettings& active);
    // The settings dialog opens on the active settings: outside layout edit
    // mode reference marks are always shown, whatever the file says.
    void prepareSettingsEdit();
    // What the settings dialog is told of the interface and the run;
    // `recordingOptionsVisible` as the window has it.
    TSettingsDialogContext settingsDialogContext(bool recordingOptionsVisible) const;
    TRunChoices runChoices() const;
    // The dialog's OK: the run's options it returns (the logo mode only in
    // layout edit mode), the settings committed (commitSettings), and the
    // reference read-out emptied when a setting it is shown in changed. The
    // caller saves and puts them in force next.
    void acceptSettings(const TSettingsDialogResult& result);
    void clearRefReadOut() { showRefText(QString()); }

    // The acquisition cycle (TPollLoop runs it).
    TCycleResult runCycle();
    // Milliseconds from now until the next cycle may send.
    int msUntilNextCycle() const;

    // User commands.
    // Sends "z"; only when it went out is the software zero cleared too.
    TLinkResult zero();
    // Zeroes when ZERO is visible and enabled (a click on the read-out, a
    // request of another program): what zero() returned, or nothing when
    // ZERO is not offered.
    std::optional<TLinkResult> zeroIfAvailable();
    void startHoming();
    bool cancelHoming(); // false when no homing was in progress
    TBlinkResult blinkTick();
    // The flash of the reference read-out ended.
    void endFlash();
    // Switches the encoder supply off when the last "e" reply said on, and
    // on when it said off; nothing while its state is not known. The line
    // to tell the user when the command failed, else empty.
    QString switchSupply();
    void toggleSerialSource();

    // Run options the settings dialog and the keyboard change.
    void setAutoSave(bool on, int32_t interval);
    // The logo mode the run shows and, in layout edit mode, saves.
    void recordLogoMode(int32_t mode) { Options.LogoMode = mode; }
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
    // The position in the unit shown, as the log writes it.
    double shownValue() const { return ShownValue; }
    // Plain homing holds the read-out (blinking the text it had) until the
    // mark arrives: what it shows is not the current position, and captures
    // add nothing meanwhile.
    bool homingHoldsReadOut() const { return Ref.Homing && !ActiveSettings.DCR; }
    const QString& readOutText() const { return ReadOutText; }
    // The latest cycle's position reply (for the hidden diagnostic label).
    const QByteArray& positionReply() const { return PositionReply; }
    const QString& refReadOutText() const { return RefReadOutText; }
    QString logFileName() const;
    bool connectedOnce() const { return ConnectedOnce; }

    // Link quality figures since the session began or resetLinkFigures(),
    // across connections.
    TLinkFigures linkFigures() const;
    void resetLinkFigures();
    // A stream of every cycle's row from now on (TCycleStreams::open()); its
    // dropped rows count in the figures. Without streams nothing is prepared
    // for them.
    int openStream() { return Streams.open(); }

signals:
    // A candidate port could not be opened, during search(): its result and,
    // for a port another program holds, that program's process id (0 when
    // not seen).
    void openFailed(const QString& portName, const TLinkResult& result, qint64 holderPid);
    // notConnected() or identity() changed: a connection was made or lost.
    void connectionChanged();
    // polling() may have changed.
    void pollingChanged();
    // A capture (captureReadOut(), autoCaptureStep()) added `line` to the
    // capture list.
    void lineCaptured(const QString& line);

private:
    bool openAndIdentify(const QString& portName, TConnectResult& result);
    bool greet(TConnectResult& result);
    void releaseHeldPorts();
    void loadSettings(const TWindowGeometry& layout, TConnectResult& result);
    void applyRowVisibility();
    TSettingsLocation settingsLocation() const;
    TPositionFormat positionFormat() const;
    TLinkResult exchange(const QByteArray& command);
    TLinkResult cycleExchange(const QByteArray& command);
    void configure(TApplyResult& result);
    void waitForCycleStart() const;
    void showPosition(TCycleResult& result, int64_t rel, QString text, bool usable);
    void autoSave(TCycleResult& result, int64_t rel);
    void referenceMark(TCycleResult& result, const QString& cycleText, std::optional<int64_t> cycleCount);
    // The reference read-out shows a count, formatted as the settings in
    // force want it, or a cycle's text, which shows `count` when it shows a
    // count; a count is formatted again when the unit or scale changes.
    void showRefCount(int64_t count);
    void showRefText(const QString& text, std::optional<int64_t> count = std::nullopt);
    void statusBar(TCycleResult& result);
    void linkLost();
    // Sends the cycle to the streams; `shownText` is the read-out's text when
    // the cycle set it.
    void streamCycle(const TFrameChecks& checks, int64_t rawCount, const QString* shownText);

    IPortProvider& Ports;
    TDataFolders Folders;
    TRunOptions Options;
    int32_t AutoSaveInterval = 1;
    std::unique_ptr<ISerialPort> Port;
    THeldPorts HeldPorts; // the ports the last search found answering, still open
    QByteArray LastReply;
    QByteArray PositionReply; // a copy that keeps its buffer from cycle to cycle
    InterfaceIdentity Identity;
    TEncoderSettings StoredSettings;
    TEncoderSettings ActiveSettings;
    std::optional<TSettingsLocation> SettingsHome;     // where StoredSettings were loaded for
    TConfigTexts ConfigTexts;                          // as the interface of this connection confirmed them
    std::optional<TEncoderSettings> ConfirmedSettings; // the active settings its last configuration took
    TDecodedFrame LastFrame;
    THomingState Ref;
    TRowState Row;
    QString ReadOutText;
    QString RefReadOutText;
    std::optional<int64_t> RefReadOutCount; // what RefReadOutText shows, when a count
    TCaptureList Captures;
    QString HiddenPosition;                           // the read-out's text while plain homing blanks it
    TSupplyState SupplyState = TSupplyState::Unknown; // as the last "e" reply told it
    int64_t LastMovePosition = 0;
    float PositionValue = 0;
    double ShownValue = 0;
    double DisplayScale = 0.001;
    int32_t DisplayDecimals = 3;
    TLogSchedule LogSchedule;
    std::chrono::steady_clock::time_point LoopPauseEnd;      // 10 ms after the cycle's last exchange
    std::chrono::steady_clock::time_point LastExchangeEnd;   // when the latest exchange ended
    std::chrono::steady_clock::time_point PositionReplyTime; // when the cycle's position exchange ended
    TLinkStatistics Stats;
    TCycleStreams Streams;
    uint64_t CycleNumber = 0;
    bool NotConnected = true;
    int PollingPauses = 0;
    bool ConnectedOnce = false;
    bool SettingsFileLocked = false; // the last load found the file locked elsewhere
    bool UnsupportedNoticeArmed = true;
    bool OwnInterfaceSeen = false; // the serial filter's interface answered in this run
};

// While it lives, polling is paused (TInterfaceSession::polling()): the
// poll loop runs no cycle until the last pause ends.
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
