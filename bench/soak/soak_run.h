#pragma once
// A soak run: the program with "/A" against k740-sim while the simulator's
// control channel applies every fault in seeded rounds.
#include <QString>
#include <QStringList>

namespace soak {

struct TSoakOptions {
    double Minutes = 1;
    unsigned Seed = 740;
};

// Runs the soak, printing its figures as it goes; the problems found, empty
// when the program kept polling through every fault, exited cleanly and
// left whole log lines, a flat RSS and the INI file's foreign content.
QStringList RunSoak(const TSoakOptions& options);

} // namespace soak
