// The window's full layout pass runs when it is first shown, not again.
#include "ui/main_form_fixture.h"

using namespace k740;

TEST_F(MainFormTest, RestoringTheWindowKeepsTheSizeTheUserGaveIt)
{
    start();
    form->show();
    const QSize laidOut = form->size();
    form->resize(laidOut.width() - 100, laidOut.height() - 20);
    const QSize resized = form->size();
    ASSERT_NE(resized, laidOut);
    // Minimise and restore: the window is hidden and shown again.
    form->showMinimized();
    form->showNormal();
    form->hide();
    form->show();
    EXPECT_EQ(form->size(), resized);
}
