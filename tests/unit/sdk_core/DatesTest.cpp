#include "sdk/Dates.h"

#include <gtest/gtest.h>

TEST(Dates, FormatAndParseRoundTripAndUnparsableTextGivesNow) {
    for (const QDateTime& value : {QDateTime(QDate(2002, 3, 4), QTime(5, 6, 7)),
                                   QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59))}) {
        const QString text = FormatDate(value);
        EXPECT_EQ(ParseDate(text), value) << text.toStdString();
    }
    EXPECT_EQ(FormatDate(QDateTime(QDate(2002, 3, 4), QTime(5, 6, 7, 890))),
              QStringLiteral("2002-03-04T05:06:07"));

    for (const QString& text :
         {QString(), QStringLiteral("yesterday"), QStringLiteral("2002-02-30T00:00:00")}) {
        QDateTime untouched(QDate(1990, 1, 1), QTime(0, 0));
        EXPECT_FALSE(TryParseDate(text, &untouched)) << text.toStdString();
        EXPECT_EQ(untouched, QDateTime(QDate(1990, 1, 1), QTime(0, 0)));
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        const QDateTime parsed = ParseDate(text);
        EXPECT_GE(parsed, before);
        EXPECT_LE(parsed, QDateTime::currentDateTime().addSecs(1));
    }
}
