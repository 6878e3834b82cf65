// Every window carries the program's icon, drawn from the packaged one.
#include "ui/main_form_fixture.h"

#include "ui/desktop_start.h"
#include "ui/image_form.h"

#include <QIcon>

using namespace k740;

TEST_F(MainFormTest, EveryWindowCarriesTheProgramIcon)
{
    TieToDesktopEntry();
    start();
    TImageForm imageForm(form.get());
    EXPECT_EQ(QGuiApplication::desktopFileName(), QString(kDesktopFileName));
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_TRUE(icon.availableSizes().contains(QSize(48, 48)));
    // The navy hub of the encoder disc, right of the centre of the 48-pixel picture.
    EXPECT_EQ(icon.pixmap(48).toImage().pixelColor(28, 24), QColor(0x1b, 0x2a, 0x6b));
    for (QWidget* window :
        std::initializer_list<QWidget*>{form.get(), comPortForm.get(), settingsForm.get(), &imageForm})
        EXPECT_EQ(window->windowIcon().cacheKey(), icon.cacheKey()) << window->metaObject()->className();
}
