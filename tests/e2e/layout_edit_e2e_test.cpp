// The program with "/E" against k740-sim: stored read-out bounds that the
// user leaves alone come back unchanged in the INI file at exit.
#include "support/e2e_harness.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(LayoutEditE2E, StoredPanelBoundsTheUserLeavesAloneAreSavedAsStored)
{
    const QString window = "Position_Top=100\nPosition_Left=0\nPosition_Width=1200\nPosition_Height=500\n";
    for (const QString& panel : {
             QString("Panel_Width=3000\nPanel_Left=-500\nPanel_Top=-20\nPanel_Height=50\n"), // wider than the body
             QString("Panel_Width=0\nPanel_Left=-500\nPanel_Top=9000\nPanel_Height=-3\n"),   // out of reach
         }) {
        QTemporaryDir vports;
        SimulatorProcess sim(vports.path(), "vcom0", {"--encoder", "ssi", "--kind", "S"});
        ASSERT_TRUE(sim.ready());
        ProgramProcess program("[K740.vcom0]\n" + window + panel);
        program.start(vports.path(), {"/E", "/A"});
        ASSERT_TRUE(program.waitForLines("K740_vcom0.LOG", 1, 15000));
        ASSERT_TRUE(program.terminate());
        const QStringList saved = program.fileLines("K740.INI");
        for (const QString& key : panel.split('\n', Qt::SkipEmptyParts))
            EXPECT_TRUE(saved.contains(key)) << key.toStdString() << " in " << saved.join(' ').toStdString();
    }
}
