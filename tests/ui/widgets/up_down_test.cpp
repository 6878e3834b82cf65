#include "ui/widgets/up_down.h"

#include <QLineEdit>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace k740;

namespace {
struct UpDownTest : ::testing::Test {
    QWidget window;
    QLineEdit* edit = new QLineEdit(&window);
    TUpDown* spinner = new TUpDown(&window);

    void bind(int minimum, int maximum, int increment = 1)
    {
        spinner->setRange(minimum, maximum);
        spinner->setIncrement(increment);
        spinner->setAssociate(edit);
    }
};
} // namespace

TEST_F(UpDownTest, PositionsStayInRangeAndOnTheStepGrid)
{
    const std::tuple<int, int, int, int, int> cases[] = {
        // minimum, maximum, increment, set, shown
        {0, 2, 2, 1, 0},
        {0, 2, 2, 2, 2},
        {0, 2, 2, 3, 2},
        {0, 2, 2, -5, 0},
        {8, 31, 1, 40, 31},
        {1, 120, 1, 0, 1},
        {100, 10000, 100, 150, 100},
        {0, 7, 2, 7, 6},
    };
    for (const auto& [minimum, maximum, increment, set, shown] : cases) {
        bind(minimum, maximum, increment);
        spinner->setPosition(set);
        EXPECT_EQ(spinner->position(), shown) << set;
        EXPECT_EQ(edit->text(), QString::number(shown)) << set;
    }
}

TEST_F(UpDownTest, LoweredMaximumPullsPositionAndTextDown)
{
    bind(8, 63);
    spinner->setPosition(40);
    spinner->setMaximum(27);
    EXPECT_EQ(spinner->position(), 27);
    EXPECT_EQ(edit->text(), "27");
}

TEST_F(UpDownTest, CodeSetPositionFiresTheEditsChangeOnceAndOnlyOnChange)
{
    bind(0, 16);
    QSignalSpy changes(edit, &QLineEdit::textChanged);
    spinner->setPosition(5);
    spinner->setPosition(5);
    spinner->setPosition(99);
    spinner->setPosition(16);
    ASSERT_EQ(changes.size(), 2);
    EXPECT_EQ(changes[0][0].toString(), "5");
    EXPECT_EQ(changes[1][0].toString(), "16");
}

TEST_F(UpDownTest, EditIsReadOnlyAndStepsWithKeysAndArrows)
{
    bind(0, 2, 2);
    window.show();
    EXPECT_TRUE(edit->isReadOnly());
    QTest::keyClicks(edit, "1");
    EXPECT_EQ(edit->text(), "0");
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(spinner->position(), 2);
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(spinner->position(), 2);
    const QList<QToolButton*> arrows = spinner->findChildren<QToolButton*>();
    ASSERT_EQ(arrows.size(), 2);
    QToolButton* down = arrows[0]->arrowType() == Qt::DownArrow ? arrows[0] : arrows[1];
    QTest::mouseClick(down, Qt::LeftButton);
    EXPECT_EQ(edit->text(), "0");
}

TEST_F(UpDownTest, ThousandsSeparatorCanBeSwitchedOff)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    bind(100, 10000, 100);
    spinner->setPosition(1000);
    const QString grouped = edit->text();
    spinner->setThousands(false);
    const QString plain = edit->text();
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(grouped, "1,000");
    EXPECT_EQ(plain, "1000");
}
