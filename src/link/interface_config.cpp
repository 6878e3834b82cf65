#include "link/interface_config.h"

#include "link/interface_identity.h"

#include <algorithm>

namespace k740 {

int32_t FrameLengthFor(const TFrameConfig& s, bool extendedInterface)
{
    int64_t n = 31;
    if (!s.BiSS) {
        const int64_t sum = int64_t(std::max(0, s.SSIBits)) + std::max(0, s.PaddingBits) + std::max(0, s.SSIStatusBits)
            + std::max(0, s.DetailedStatusBits);
        n = std::min<int64_t>(31, sum);
    }
    if (!extendedInterface)
        n = std::clamp<int64_t>(n, 8, 30);
    return int32_t(n);
}

namespace {

// An exchange whose reply the interface may begin with "ERR" to refuse it.
TLinkResult Command(const TExchangeFunction& exchange, const QByteArray& command, QByteArray& reply)
{
    const TLinkResult result = exchange(command, reply);
    return result.ok() && reply.startsWith("ERR") ? kLinkRefused : result;
}

} // namespace

TConfigResult ConfigureInterface(const InterfaceIdentity& identity, const TFrameConfig& frame, TConfigTexts& texts,
    const TExchangeFunction& exchange)
{
    TConfigResult done;
    if (identity.InterfaceKind != TInterfaceKind::Absolute)
        return done;
    const auto failed = [&done](const QByteArray& command, const TLinkResult& result) {
        done.Result = result;
        done.Command = command;
        return done;
    };

    QByteArray reply;
    const QByteArray length = "B" + QByteArray::number(FrameLengthFor(frame, identity.ExtendedInterface)) + "\r";
    if (const TLinkResult result = Command(exchange, length, reply); !result.ok())
        return failed(length, result);
    done.FrameConfirmed = true;
    texts.BitsText = QString::number(frame.SSIBits);
    if (!identity.ExtendedInterface) {
        texts.FrequencyText = QStringLiteral("100 kHz");
        return done;
    }
    const QByteArray clock = "M" + QByteArray::number(frame.SSIFreq);
    if (const TLinkResult result = Command(exchange, clock, reply); !result.ok())
        return failed(clock, result);
    texts.FrequencyText.clear();
    if (const TLinkResult result = exchange("m", reply); !result.ok())
        return failed("m", result);
    texts.FrequencyText = QString::fromLatin1(reply.mid(4, std::max(0, int(reply.size()) - 5)));
    return done;
}

QString ConfigFailureText(const TConfigResult& result)
{
    return QStringLiteral("Configuring the interface failed: %1; the interface keeps its previous setting.")
        .arg(CommandFailureText(result.Command, result.Result));
}

} // namespace k740
