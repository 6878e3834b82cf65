// Times the decoding and formatting of one position frame, as the
// acquisition cycle does it every 10 ms, for the three kinds of reply.
#include "acquisition/display_setup.h"
#include "acquisition/frame_decoder.h"
#include "acquisition/position_format.h"
#include "settings/encoder_settings.h"

#include <chrono>
#include <cstdio>

using namespace k740;

namespace {

struct TCase {
    const char* Name;
    uint8_t InterfaceKind;
    TEncoderSettings settings;
    QByteArray Reply;
};

double NanosecondsPerFrame(const TCase& c, bool withText, int iterations, volatile qsizetype& sink)
{
    const TDisplaySetup setup = DisplaySetupFor(c.settings);
    const TPositionFormat format = MakePositionFormat(c.settings, setup.DisplayScale, setup.DisplayDecimals);
    const TFrameKind kind = FrameKindFor(TInterfaceKind(c.InterfaceKind), c.settings);
    TDecodedFrame frame;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < iterations; ++i) {
        Decode(c.Reply, kind, c.settings, frame);
        if (withText)
            sink = sink + WithTurnsPrefix(format, frame.Turns, FormatPosition(format, frame.Position + i)).size();
        else
            sink = sink + frame.Position;
    }
    const std::chrono::duration<double, std::nano> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / iterations;
}

TEncoderSettings Rotary(int mt, int ssi, int st, int crc, int64_t cpr)
{
    TEncoderSettings s;
    s.Rotary = true;
    s.Degrees = 1;
    s.CPR = cpr;
    s.MultiturnBits = mt;
    s.SSIBits = ssi;
    s.SSIStatusBits = st;
    s.CRCBits = crc;
    return s;
}

} // namespace

int main()
{
    TEncoderSettings biss = Rotary(0, 26, 2, 6, int64_t(1) << 26);
    biss.BiSS = true;
    TEncoderSettings longSsi = Rotary(12, 23, 2, 0, int64_t(1) << 23);
    longSsi.LongFrame = true;
    TEncoderSettings counter;
    counter.CPM = 1000;

    const TCase cases[] = {
        {"BiSS-C frame", 1, biss, "C4091A2B7A800000\r"},
        {"long SSI frame", 1, longSsi, "802AABCDE4000000\r"},
        {"counter reply", 0, counter, "12345:-200:1\r"},
    };
    const int iterations = 200000;
    volatile qsizetype sink = 0;
    for (const TCase& c : cases) {
        NanosecondsPerFrame(c, true, iterations / 10, sink); // warm-up
        const double decode = NanosecondsPerFrame(c, false, iterations, sink);
        const double both = NanosecondsPerFrame(c, true, iterations, sink);
        std::printf("%-16s decode %6.0f ns, decode + format %6.0f ns per frame (%d frames)\n", c.Name, decode, both,
            iterations);
    }
    return 0;
}
