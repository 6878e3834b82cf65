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
    // Each size is the packaged picture itself, not one scaled from another.
    for (const int size : {48, 64, 128}) {
        const QImage packaged(QString(K740_TEST_SOURCE_DIR "/../packaging/icons/org.k740.Desktop-%1.png").arg(size));
        ASSERT_FALSE(packaged.isNull()) << size;
        EXPECT_EQ(icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
            packaged.convertToFormat(QImage::Format_ARGB32_Premultiplied))
            << size;
    }
    for (QWidget* window :
        std::initializer_list<QWidget*>{form.get(), comPortForm.get(), settingsForm.get(), &imageForm})
        EXPECT_EQ(window->windowIcon().cacheKey(), icon.cacheKey()) << window->metaObject()->className();
}
