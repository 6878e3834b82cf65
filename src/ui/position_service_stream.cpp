// The position service's figures of the link and its stream of cycles.
#include "ui/position_service.h"

#include "acquisition/interface_session.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

namespace k740 {

QVariantMap TPositionService::statistics() const
{
    const TLinkFigures f = Session.linkFigures();
    return {
        {"Seconds", f.Seconds},
        {"Cycles", qulonglong(f.Cycles)},
        {"Exchanges", qulonglong(f.Exchanges)},
        {"Frames", qulonglong(f.Frames)},
        {"InvalidFrames", qulonglong(f.InvalidFrames)},
        {"CrcFailures", qulonglong(f.CrcFailures)},
        {"Timeouts", qulonglong(f.Timeouts)},
        {"IncompleteReplies", qulonglong(f.IncompleteReplies)},
        {"LateReplies", qulonglong(f.LateReplies)},
        {"LinkLosses", qulonglong(f.LinkLosses)},
        {"PollingRate", f.PollingRate},
        {"RoundTripMedianUs", uint(f.RoundTripMedianUs)},
        {"RoundTripP99Us", uint(f.RoundTripP99Us)},
    };
}

void TPositionService::ResetStatistics()
{
    Session.resetLinkFigures();
}

// One stream per bus connection: the caller's unique name is the subscriber.
void TPositionService::Subscribe()
{
    if (!calledFromDBus())
        return;
    const QString subscriber = message().service();
    if (Subscribers->watchedServices().contains(subscriber)) {
        sendErrorReply(
            position_service::kAlreadySubscribedError, subscriber + " is subscribed already; it gets every cycle once");
        return;
    }
    Subscribers->addWatchedService(subscriber);
    // A subscriber that left before the watch was in place would never be
    // reported gone; the bus answers this after it has set the watch up.
    auto* check = new QDBusPendingCallWatcher(Bus.interface()->asyncCall("NameHasOwner", subscriber), this);
    connect(check, &QDBusPendingCallWatcher::finished, this, [this, subscriber](QDBusPendingCallWatcher* call) {
        const QDBusPendingReply<bool> hasOwner = *call;
        if (hasOwner.isValid() && !hasOwner.value())
            forgetSubscriber(subscriber);
        call->deleteLater();
    });
    followSubscribers();
}

void TPositionService::Unsubscribe()
{
    if (!calledFromDBus())
        return;
    const QString subscriber = message().service();
    if (!Subscribers->removeWatchedService(subscriber)) {
        sendErrorReply(position_service::kNotSubscribedError, subscriber + " is not subscribed");
        return;
    }
    followSubscribers();
}

void TPositionService::forgetSubscriber(const QString& name)
{
    Subscribers->removeWatchedService(name);
    followSubscribers();
}

void TPositionService::followSubscribers()
{
    Session.setSampling(!Subscribers->watchedServices().isEmpty());
}

void TPositionService::sendCycle(const TCycleSample& sample)
{
    QDBusMessage signal = QDBusMessage::createSignal(
        position_service::kPath, position_service::kInterface, position_service::kCycleSignal);
    signal << qulonglong(sample.Number) << qlonglong(sample.ReplyTimeUs) << qlonglong(sample.RawCount) << sample.Value
           << sample.Text << sample.Valid << sample.CrcOk;
    Bus.send(signal);
}

} // namespace k740
