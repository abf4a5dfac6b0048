// Message boxes are wide enough for their titles.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include "platform/Platform.h"

TEST(MessageBoxWidth, TitlePlusTheWindowButtonsCappedByTheScreen)
{
    struct Case {
        int title, screen, expected;
    } cases[] = {
        {0, 1366, 160},     {100, 1366, 260},  {1205, 1366, 1365}, {1206, 1366, 1366},
        {1207, 1366, 1366}, {100, 0, 260},     {-5, 1366, 160},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::MessageBoxWidth(c.title, c.screen), c.expected) << c.title << " on " << c.screen;
}

TEST(MessageBoxWidth, AShortTextDoesNotNarrowTheBoxBelowItsTitle)
{
    const QString title = "Varnw demo test";
    int shown = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); box && box->isVisible()) {
            shown = box->width();
            box->accept();
        }
    });
    poll.start(10);
    platform::ShowMessageBox(nullptr, title, "Reset OK !", MessageButtons::Ok, MessageIcon::None);
    QFont bold = QApplication::font();
    bold.setBold(true);
    const int expected = platform::MessageBoxWidth(QFontMetrics(bold).horizontalAdvance(title),
                                                   QApplication::primaryScreen()->availableGeometry().width());
    EXPECT_GE(shown, expected);
}
