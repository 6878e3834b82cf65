#include "link/interface_config.h"

#include "link/display_settings.h"
#include "link/interface_identity.h"
#include "settings/encoder_settings.h"

#include <algorithm>

int32_t FrameLengthFor(const TEncoderSettings& s, bool extendedInterface)
{
    int64_t n = 31;
    if (!s.BiSS) {
        const int64_t sum = int64_t(std::max(0, s.SSIBits)) + std::max(0, s.PaddingBits)
            + std::max(0, s.SSIStatusBits) + std::max(0, s.DetailedStatusBits);
        n = std::min<int64_t>(31, sum);
    }
    if (!extendedInterface)
        n = std::clamp<int64_t>(n, 8, 30);
    return int32_t(n);
}

void ConfigureInterface(const InterfaceIdentity& identity, TEncoderSettings& active,
                        TConfigTexts& texts, const ExchangeFunction& exchange)
{
    if (identity.InterfaceKind != 1)
        return;
    active.DCR = false;
    if (active.Rotary)
        active.SSIBits = BitsForCount(active.CPR);

    QByteArray reply;
    const QByteArray length = QByteArray::number(FrameLengthFor(active, identity.ExtendedInterface));
    if (exchange("B" + length + "\r", reply) != 0)
        return;
    texts.BitsText = QString::number(active.SSIBits);
    texts.FrequencyText = QStringLiteral("100 kHz");

    if (!identity.ExtendedInterface)
        return;
    if (exchange("M" + QByteArray::number(active.SSIFreq), reply) != 0)
        return;
    if (exchange("m", reply) != 0)
        return;
    texts.FrequencyText = QString::fromLatin1(reply.mid(4, std::max(0, int(reply.size()) - 5)));
}
