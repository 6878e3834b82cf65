// The main window's layout passes as the window shows them: outer bounds and
// size limits, logo modes, the HOME button, the status frame, the logo's link,
// and the read-outs' font.
#include "ui/main_form_fixture.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace k740;

namespace {

// The window tests' screen: 1920 x 1040, windows framed 2 pixels on each side.
const QRect kScreen(0, 0, 1920, 1040);

class LayoutTest : public MainFormTest {
protected:
    void show()
    {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    // Resizes the window to the outer size (as the window manager would).
    void resizeOuter(int width, int height)
    {
        const QSize frame = form->frameGeometry().size() - form->size();
        form->resize(width - frame.width(), height - frame.height());
    }
    QRect outer() const { return form->frameGeometry(); }
    const TMainFormControls& c() const { return form->controls(); }
};

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

} // namespace

TEST_F(LayoutTest, WindowTakesHalfTheWorkAreaWithinOuterLimits)
{
    start();
    show();
    ASSERT_EQ(form->screen()->availableGeometry(), kScreen);
    EXPECT_EQ(outer(), QRect(0, 170, 1920, 520));
    resizeOuter(3000, 900);
    EXPECT_EQ(outer().size(), QSize(1920, 520));
    resizeOuter(100, 100);
    // [1.5 x 35] + 104 + 72 + 20 + frame 4 + 21 + 21, the half rounded to even
    EXPECT_EQ(outer().size(), QSize(960, 52 + 104 + 72 + 20 + 4 + 21 + 21));
}

TEST_F(LayoutTest, KeepDesignSizeOpensAtTheDesignedBoundsWithoutLimits)
{
    start({"/S"});
    show();
    EXPECT_EQ(outer(), QRect(194, 170, 1036, 512));
    EXPECT_EQ(form->minimumSize(), QSize(0, 0));
    EXPECT_EQ(form->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

TEST_F(LayoutTest, LogoModesShowTheirPicturesAndMoveTheBand)
{
    struct Case {
        QString option;
        bool top, bottom;
        int headHeight;
    };
    for (const Case& k : {Case{"", true, true, 72}, Case{"/TL", true, false, 72}, Case{"/BL", false, true, 0},
             Case{"/NL", false, false, 0}, Case{"/NOLOGO", false, false, 0}}) {
        start(k.option.isEmpty() ? QStringList() : QStringList{k.option});
        show();
        EXPECT_EQ(c().Image1->isVisibleTo(form.get()), k.top) << k.option.toStdString();
        EXPECT_EQ(c().Image2->isVisibleTo(form.get()), k.bottom) << k.option.toStdString();
        EXPECT_EQ(c().YPanel->y(), k.headHeight) << k.option.toStdString();
        EXPECT_EQ(c().GPanel->y(), k.headHeight + 20) << k.option.toStdString();
        EXPECT_EQ(c().Image1->x(), form->width() - 253 - 4) << k.option.toStdString();
        // The banner sits 4 pixels from the right end of the bar.
        EXPECT_EQ(c().Image2->mapTo(form.get(), QPoint(321, 0)).x(), form->width() - 4) << k.option.toStdString();
    }
}

TEST_F(LayoutTest, BannerLetsTheBarShowThroughItsBackground)
{
    start();
    const QImage banner = c().Image2->pixmap().toImage();
    ASSERT_EQ(banner.size(), QSize(321, 23));
    int opaque = 0;
    for (int y = 0; y < banner.height(); ++y)
        for (int x = 0; x < banner.width(); ++x)
            opaque += qAlpha(banner.pixel(x, y)) == 255;
    EXPECT_EQ(qAlpha(banner.pixel(0, 22)), 0);
    EXPECT_GT(opaque, 300); // the lettering
    EXPECT_LT(opaque, 321 * 23 / 2);
}

// Hidden and shown, minimised and restored: the window keeps the size and
// place the user gave it.
TEST_F(LayoutTest, FirstShowOnlyLaysTheWindowOut)
{
    start();
    show();
    resizeOuter(1200, 400);
    form->hide();
    show();
    form->showMinimized();
    form->showNormal();
    EXPECT_EQ(outer(), QRect(0, 170, 1200, 400));
}

// A window manager that maximises the window all the same gets it back.
TEST_F(LayoutTest, MaximiseIsUndoneAndLeavesSizeAndLimits)
{
    start();
    show();
    resizeOuter(1200, 400);
    const QSize minimum = form->minimumSize();
    const QSize maximum = form->maximumSize();
    form->showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->windowState() == Qt::WindowNoState; }));
    EXPECT_EQ(outer(), QRect(0, 170, 1200, 400));
    EXPECT_EQ(form->minimumSize(), minimum);
    EXPECT_EQ(form->maximumSize(), maximum);
}

TEST_F(LayoutTest, HomeTakesZerosTopInTheTwoPanelRow)
{
    ports.plug("vcom0", CounterDevice());
    writeIni("[K740.vcom0]\nLogo_Flag=3\nPosition_Top=170\nPosition_Left=0\nPosition_Width=1920\n"
             "Position_Height=520\n");
    start({"/E"});
    show();
    search();
    ASSERT_TRUE(c().RefPanel->isVisibleTo(form.get()));
    EXPECT_EQ(c().bbZeroRef->y(), c().bbZero->y());
    EXPECT_EQ(c().bbZero->y(), (c().GPanel->height() - c().bbZero->height()) / 2);
}

TEST_F(LayoutTest, OnePanelHomeStaysAboveTheReadOutsRightEnd)
{
    ports.plug("vcom0", CounterDevice());
    writeIni("[K740.vcom0]\nDCR=1\nShowRefMarks=0\nPosition_Top=170\nPosition_Left=0\nPosition_Width=1920\n"
             "Position_Height=520\nPanel_Width=500\nPanel_Left=300\nPanel_Top=150\nPanel_Height=104\n");
    start({"/E"});
    show();
    search();
    ASSERT_FALSE(c().RefPanel->isVisibleTo(form.get()));
    ASSERT_TRUE(c().bbZeroRef->isVisibleTo(form.get()));
    for (int height : {520, 700}) {
        resizeOuter(1500, height);
        const QRect panel = c().PosPanel->geometry();
        EXPECT_EQ(panel, QRect(300, 150, 500, 104)); // where the user put it, in layout edit mode
        EXPECT_EQ(c().bbZeroRef->geometry(), QRect(panel.right() + 1 - 80, panel.y() - 34, 80, 30));
    }
}

TEST_F(LayoutTest, StatusFrameFollowsTheReadOut)
{
    ports.plug("vcom0", SsiDevice(0, 13, 2));
    writeIni("[K740.vcom0]\nShowStatusColor=1\nSSIStatusBits=2\n");
    start();
    show();
    search();
    for (int width : {1920, 1100}) {
        resizeOuter(width, 500);
        EXPECT_TRUE(c().pColorStatus->isVisibleTo(form.get()));
        EXPECT_EQ(c().pColorStatus->geometry(), c().PosPanel->geometry().translated(8, 8)) << width;
    }
}

TEST_F(LayoutTest, LayoutEditModeKeepsTheStoredOuterBoundsAcrossRuns)
{
    ports.plug("vcom0", CounterDevice());
    const QString layout = "Position_Top=100\nPosition_Left=30\nPosition_Width=1500\nPosition_Height=600\n";
    writeIni("[K740.vcom0]\n" + layout);
    for (int run = 0; run < 2; ++run) {
        start({"/E"});
        show();
        search();
        EXPECT_EQ(outer(), QRect(30, 100, 1500, 600));
        form->FormDestroy();
        EXPECT_TRUE(readFile("K740.INI").contains(layout)) << readFile("K740.INI").toStdString();
    }
}

TEST_F(LayoutTest, LogoNamesAndOpensTheProductPage)
{
    start();
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    EXPECT_TRUE(c().Image1->toolTip().contains(kProductPage));
    QTest::mouseDClick(c().Image1, Qt::LeftButton);
    QTest::mouseRelease(c().Image1, Qt::LeftButton); // mouseDClick ends on the press: no button stays held
    EXPECT_TRUE(QTest::qWaitFor([&] { return !catcher.opened.isEmpty(); }));
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(catcher.opened, QList<QUrl>{QUrl(kProductPage)});
}

#include "main_form_layout_test.moc"

// A rotary encoder shown in counts keeps a reduced size until the settings
// dialog has been open; the reference read-out takes the position's size.
TEST_F(LayoutTest, ReadOutFontStaysReducedInCountsUntilTheDialogAndTheReferenceFollows)
{
    std::shared_ptr<TDeviceModel> device = ports.plug("vcom0", CounterDevice());
    writeIni("[K740.vcom0]\nRotary=1\nCPR=100000000\nDegrees=0\n");
    start();
    search();
    auto shownAt = [&](int64_t position) {
        device->setPosition(position);
        poll();
        EXPECT_EQ(c().RefPanel->font().pointSize(), c().PosPanel->font().pointSize()) << position;
        return c().PosPanel->font().pointSize();
    };
    EXPECT_EQ(shownAt(5), 72);
    EXPECT_EQ(shownAt(12345678), 48);
    EXPECT_EQ(shownAt(6), 48);
    answerModals([](QWidget* modal) {
        if (auto* dialog = qobject_cast<TSettingsForm*>(modal))
            dialog->controls().BtnCancel->click();
    });
    form->StPanel3DblClick();
    EXPECT_EQ(shownAt(7), 72);
}
