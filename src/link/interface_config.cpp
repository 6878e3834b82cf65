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

void ConfigureInterface(const InterfaceIdentity& identity, const TFrameConfig& frame, TConfigTexts& texts,
    const TExchangeFunction& exchange)
{
    if (identity.InterfaceKind != TInterfaceKind::Absolute)
        return;

    QByteArray reply;
    const QByteArray length = QByteArray::number(FrameLengthFor(frame, identity.ExtendedInterface));
    if (exchange("B" + length + "\r", reply) != TTransactResult::Ok)
        return;
    texts.BitsText = QString::number(frame.SSIBits);
    texts.FrequencyText = QStringLiteral("100 kHz");

    if (!identity.ExtendedInterface)
        return;
    if (exchange("M" + QByteArray::number(frame.SSIFreq), reply) != TTransactResult::Ok)
        return;
    if (exchange("m", reply) != TTransactResult::Ok)
        return;
    texts.FrequencyText = QString::fromLatin1(reply.mid(4, std::max(0, int(reply.size()) - 5)));
}

} // namespace k740
