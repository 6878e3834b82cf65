// soak [--minutes N] [--seed S]: the fault soak against k740-sim; prints its
// figures and exits non-zero when the program failed it.
#include "soak/soak_run.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Runs k740 with /A against k740-sim while every simulator fault is applied "
                                     "in seeded rounds, and checks that polling resumes after each.");
    parser.addHelpOption();
    parser.addOptions({{"minutes", "Length of the run (default 1).", "N", "1"},
        {"seed", "Seed of the fault schedule (default 740).", "S", "740"}});
    parser.process(application);

    soak::TSoakOptions options;
    bool minutesOk = false, seedOk = false;
    options.Minutes = parser.value("minutes").toDouble(&minutesOk);
    options.Seed = parser.value("seed").toUInt(&seedOk);
    if (!minutesOk || options.Minutes <= 0 || !seedOk) {
        std::fprintf(stderr, "soak: --minutes wants a positive number and --seed an unsigned integer\n");
        return 1;
    }
    const QStringList problems = soak::RunSoak(options);
    for (const QString& problem : problems)
        std::fprintf(stderr, "soak: FAILED: %s\n", qPrintable(problem));
    std::printf(problems.isEmpty() ? "soak: passed\n" : "soak: failed\n");
    return problems.isEmpty() ? 0 : 1;
}
