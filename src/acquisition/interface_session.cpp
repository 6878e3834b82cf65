// The session's connection, settings and configuration.
#include "acquisition/interface_session.h"

#include "acquisition/display_setup.h"
#include "acquisition/position_log.h"
#include "link/transaction.h"
#include "platform/tick_counter.h"

namespace k740 {

TInterfaceSession::TInterfaceSession(IPortProvider& ports, const TDataFolders& folders, const TRunOptions& options)
    : Ports(ports)
    , Folders(folders)
    , Options(options)
    , Captures(GetTickCount())
{
    Stats.reset(std::chrono::steady_clock::now());
}

TInterfaceSession::~TInterfaceSession() = default;

void TInterfaceSession::closePort()
{
    if (Port)
        Port->close();
    Port.reset();
    releaseHeldPorts();
}

void TInterfaceSession::releaseHeldPorts()
{
    ReleasePorts(HeldPorts);
}

TProbeResult TInterfaceSession::search()
{
    closePort();
    Identity.PortName.clear();
    TProbeResult probe = ProbePorts(Ports, Ports.candidatePorts(), Options.SerialFilter,
        [this](const QString& portName, const TOpenedPort& failure) {
            emit openFailed(portName, failure.Result, failure.HolderPid);
        });
    HeldPorts = std::move(probe.Held);
    probe.Held.clear();
    return probe;
}

QString TInterfaceSession::choosePort(
    const TProbeResult& probe, const std::function<QString(const QStringList&)>& choose)
{
    OwnInterfaceSeen = OwnInterfaceSeen || !probe.FilterMatch.isEmpty();
    const QString chosen = ChoosePort(probe, Options.SerialFilter, OwnInterfaceSeen, choose);
    if (chosen.isEmpty())
        releaseHeldPorts();
    return chosen;
}

// Opens the port for good (or takes it from the search) and checks the
// identity; false ends the attempt.
bool TInterfaceSession::openAndIdentify(const QString& portName, TConnectResult& result)
{
    const auto held = HeldPorts.find(portName);
    if (held != HeldPorts.end()) {
        Port = std::move(held->second);
        HeldPorts.erase(held);
    }
    releaseHeldPorts();
    if (!Port)
        Port = Ports.open(portName).Port;
    if (!Port || !Port->configureLine().ok())
        return false;
    if (!exchange("v").ok() || !IsIdentityReply(LastReply))
        return false;
    // Provisional identity, so that an attempt that ends here leaves nothing
    // of an earlier connection in force.
    Identity.ExtendedInterface = false;
    Identity.InterfaceKind = TInterfaceKind::Counting;
    Identity.SecondSerial = false;
    Identity.FirmwareVersion = FirmwareVersionOf(LastReply);
    if (!IsSupportedIdentity(LastReply)) {
        result.Outcome = TConnectOutcome::Unsupported;
        if (LastReply.startsWith("K740-9B") && UnsupportedNoticeArmed) {
            UnsupportedNoticeArmed = false;
            result.ShowUnsupportedNotice = true;
        }
        return false;
    }
    UnsupportedNoticeArmed = true;
    return true;
}

// The connection's own exchanges; false when the interface does not answer
// them. A supply that is off is switched on.
bool TInterfaceSession::greet(TConnectResult& result)
{
    if (Identity.InterfaceKind == TInterfaceKind::Counting) {
        if (!SendNoReply(Port.get(), "c").ok())
            return false;
    } else {
        QByteArray frameLength;
        if (!Transact(Port.get(), "b", 0, false, frameLength).ok())
            return false;
    }
    SupplyState = TSupplyState::Unknown;
    if (!Identity.ExtendedInterface)
        return true;
    if (!exchange("s").ok())
        return false;
    const TLinkResult supply = exchange("e");
    if (!supply.ok())
        return false;
    SupplyState = SupplyStateOf(supply, LastReply);
    if (SupplyState == TSupplyState::Off) {
        const TLinkResult switched = exchange("n");
        if (switched.ok())
            SupplyState = TSupplyState::On;
        else
            result.SupplyError
                = "The encoder supply is off and could not be switched on: " + CommandFailureText("n", switched) + '.';
    }
    return true;
}

TConnectResult TInterfaceSession::connectTo(const QString& portName, const TWindowGeometry& layout)
{
    TConnectResult result;
    const bool identified = openAndIdentify(portName, result);
    if (identified)
        Identity = IdentityFromReply(LastReply, portName);
    if (!identified || !greet(result)) {
        // Nothing of a failed attempt stays: no port held, and no port name
        // that a save or a log could take for the connection's.
        Port.reset();
        Identity.PortName.clear();
        return result;
    }

    NotConnected = false;
    Stats.connected(std::chrono::steady_clock::now());
    ConfigTexts = TConfigTexts();
    ConfirmedSettings.reset();
    loadSettings(layout, result);
    applyRowVisibility();
    // What shows of ZERO and HOME after a connection also takes clicks.
    Row.ZeroEnabled = Row.ZeroVisible;
    Row.HomeEnabled = Row.RefLabelEnabled = Row.HomeVisible;
    ConnectedOnce = true;
    result.Outcome = TConnectOutcome::Connected;
    emit connectionChanged();
    emit pollingChanged();
    return result;
}

void TInterfaceSession::loadSettings(const TWindowGeometry& layout, TConnectResult& result)
{
    SettingsHome = settingsLocation();
    StoredSettings = LoadSettings(*SettingsHome, layout, &result.SettingsErrors, &SettingsFileLocked);
    ActiveSettings = ActivateSettings(StoredSettings, Identity, &result.SettingsErrors);
    result.SettingsErrors.removeDuplicates();
}

void TInterfaceSession::applyRowVisibility()
{
    const TRowVisibility visible = RowVisibility(Identity.InterfaceKind, ActiveSettings, Options.LayoutEditMode);
    Row.ZeroVisible = visible.Zero;
    Row.HomeVisible = visible.Home;
    Row.RefReadOutVisible = visible.RefReadOut;
}

// The configuration half of applying the settings, for the absolute interface.
void TInterfaceSession::configure(TApplyResult& result)
{
    const TConfigResult config = ConfigureInterface(
        Identity, FrameConfigOf(ActiveSettings), ConfigTexts, [this](const QByteArray& command, QByteArray& reply) {
            const TLinkResult sent = exchange(command);
            reply = LastReply;
            return sent;
        });
    if (!config.Result.ok())
        result.ConfigError = ConfigFailureText(config);
    if (!config.FrameConfirmed) {
        if (ConfirmedSettings)
            ActiveSettings = *ConfirmedSettings; // the interface keeps the frame it had
        return;
    }
    if (!config.Result.ok() && config.Command.startsWith('M') && ConfirmedSettings)
        ActiveSettings.SSIFreq = ConfirmedSettings->SSIFreq; // and the clock it had
    ConfirmedSettings = ActiveSettings;
}

TApplyResult TInterfaceSession::putSettingsInForce(bool dcrWasOn)
{
    TApplyResult result;
    if (Identity.InterfaceKind == TInterfaceKind::Absolute)
        configure(result);
    const TDisplaySetup display = DisplaySetupFor(ActiveSettings);
    DisplayScale = display.DisplayScale;
    DisplayDecimals = display.DisplayDecimals;
    ActiveSettings.Units = display.Units;
    if (RefReadOutCount) // in the unit and scale now in force
        showRefCount(*RefReadOutCount);
    result.PosLabelCaption = display.PosLabelCaption;
    result.StatusBitsShown = ActiveSettings.ShowExtendedData || ActiveSettings.ShowStatusBits;
    result.ExtendedShown = ActiveSettings.ShowExtendedData;

    TSummaryContext context;
    context.InterfaceKind = Identity.InterfaceKind;
    context.BitsText = ConfigTexts.BitsText;
    context.FrequencyText = ConfigTexts.FrequencyText;
    context.AutoSave = Options.AutoSave;
    context.AutoSaveInterval = AutoSaveInterval;
    result.Summary = SettingsSummary(ActiveSettings, context);

    Row.ZeroEnabled = !ActiveSettings.DCR;
    result.StartHoming = ActiveSettings.DCR && !dcrWasOn;
    return result;
}

void TInterfaceSession::prepareSettingsEdit()
{
    if (!Options.LayoutEditMode)
        ActiveSettings.ShowRefMarks = true;
}

TSettingsDialogContext TInterfaceSession::settingsDialogContext(bool recordingOptionsVisible) const
{
    TSettingsDialogContext context;
    context.InterfaceKind = Identity.InterfaceKind;
    context.ExtendedInterface = Identity.ExtendedInterface;
    context.FirmwareVersion = Identity.FirmwareVersion;
    context.LayoutEditMode = Options.LayoutEditMode;
    context.RecordingOptionsVisible = recordingOptionsVisible;
    return context;
}

TRunChoices TInterfaceSession::runChoices() const
{
    TRunChoices run;
    run.AutoSave = Options.AutoSave;
    run.AutoSaveInterval = AutoSaveInterval;
    run.AutoCapture = Options.AutoCapture;
    run.LogoMode = Options.LogoMode;
    return run;
}

void TInterfaceSession::acceptSettings(const TSettingsDialogResult& result)
{
    setAutoSave(result.Run.AutoSave, result.Run.AutoSaveInterval);
    if (Options.LayoutEditMode)
        recordLogoMode(result.Run.LogoMode);
    commitSettings(result.Active);
    if (result.SettingsChanged)
        clearRefReadOut();
}

void TInterfaceSession::commitSettings(const TEncoderSettings& active)
{
    cancelHoming();
    const bool referenceKept = ReferenceSurvives(ActiveSettings, active);
    ActiveSettings = active;
    StoredSettings = CommitSettings(ActiveSettings, StoredSettings);
    SettingsFileLocked = false;
    applyRowVisibility();
    if (referenceKept)
        return;
    Ref.RefOffset = 0;
    if (Ref.DcrState == TDcrState::Done)
        Ref.DcrState = TDcrState::FirstMarkAwaited;
    clearRefReadOut();
    Row.HomeEnabled = Row.RefLabelEnabled = Row.HomeVisible;
}

QString TInterfaceSession::saveSettings(const TWindowGeometry& live)
{
    return SettingsHome ? SaveSettings(*SettingsHome, StoredSettings, live) : QString();
}

void TInterfaceSession::pausePolling(bool paused)
{
    const bool before = polling();
    PollingPauses += paused ? 1 : -1;
    if (polling() != before)
        emit pollingChanged();
}

void TInterfaceSession::setAutoSave(bool on, int32_t interval)
{
    Options.AutoSave = on;
    AutoSaveInterval = interval;
}

TSettingsLocation TInterfaceSession::settingsLocation() const
{
    TSettingsLocation where;
    where.Folder = Folders.Settings;
    where.PortName = Identity.PortName;
    where.SerialFilter = Options.SerialFilter;
    where.LayoutEditMode = Options.LayoutEditMode;
    return where;
}

QString TInterfaceSession::logFileName() const
{
    return LogFileName(Folders.Logs, Identity.PortName);
}

TPositionFormat TInterfaceSession::positionFormat() const
{
    return MakePositionFormat(ActiveSettings, DisplayScale, DisplayDecimals);
}

// One exchange into the last reply, counted while connected.
TLinkResult TInterfaceSession::exchange(const QByteArray& command)
{
    const auto start = std::chrono::steady_clock::now();
    int lateBytes = 0;
    const TLinkResult result = Transact(Port.get(), command, 0, false, LastReply, &lateBytes);
    LastExchangeEnd = std::chrono::steady_clock::now();
    if (!NotConnected) {
        Stats.countExchange(result, LastReply.isEmpty(), LastExchangeEnd - start);
        if (lateBytes > 0)
            Stats.countLateReply();
    }
    return result;
}

TLinkFigures TInterfaceSession::linkFigures() const
{
    return Stats.figures(std::chrono::steady_clock::now());
}

void TInterfaceSession::resetLinkFigures()
{
    Stats.reset(std::chrono::steady_clock::now());
}

TLinkResult TInterfaceSession::zero()
{
    const TLinkResult sent = SendNoReply(Port.get(), "z");
    if (sent.ok())
        Ref.ZeroOffset = 0;
    return sent;
}

std::optional<TLinkResult> TInterfaceSession::zeroIfAvailable()
{
    if (!Row.ZeroVisible || !Row.ZeroEnabled)
        return std::nullopt;
    return zero();
}

bool TInterfaceSession::captureReadOut()
{
    if (!Options.AutoCapture || homingHoldsReadOut() || !Captures.capture(ReadOutText))
        return false;
    emit lineCaptured(ReadOutText);
    return true;
}

TAutoCapture TInterfaceSession::autoCaptureStep()
{
    if (!Options.AutoCapture)
        return TAutoCapture::NotDue;
    // A held read-out is skipped as an empty one is.
    const TAutoCapture step = Captures.captureIfDue(homingHoldsReadOut() ? QString() : ReadOutText, GetTickCount());
    if (step == TAutoCapture::Captured)
        emit lineCaptured(ReadOutText);
    return step;
}

QString TInterfaceSession::switchSupply()
{
    if (SupplyState == TSupplyState::Unknown)
        return {};
    const bool switchOn = SupplyState == TSupplyState::Off;
    const QByteArray command = switchOn ? "n" : "f";
    const TLinkResult switched = exchange(command);
    if (switched.ok())
        return {};
    return QStringLiteral("Switching the encoder supply %1 failed: %2.")
        .arg(switchOn ? "on" : "off", CommandFailureText(command, switched));
}

void TInterfaceSession::toggleSerialSource()
{
    Identity.SecondSerial = !Identity.SecondSerial && Identity.FirmwareVersion >= 117;
}

} // namespace k740
