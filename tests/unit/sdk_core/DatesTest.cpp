#include "sdk/Dates.h"

#include <gtest/gtest.h>

TEST(Dates, FormatAndParseRoundTrip) {
    const QDateTime values[] = {
        QDateTime(QDate(2002, 3, 4), QTime(5, 6, 7)),
        QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59)),
        QDateTime(QDate(1999, 12, 31), QTime(0, 0, 0)),
    };
    EXPECT_EQ(FormatDate(values[0]), QStringLiteral("2002-03-04T05:06:07"));
    for (const QDateTime& value : values) {
        const QString text = FormatDate(value);
        EXPECT_EQ(ParseDate(text), value) << text.toStdString();
        EXPECT_EQ(FormatDate(ParseDate(text)), text);
    }
    // Milliseconds are not part of the file's text.
    EXPECT_EQ(FormatDate(QDateTime(QDate(2002, 3, 4), QTime(5, 6, 7, 890))),
              QStringLiteral("2002-03-04T05:06:07"));
}

TEST(Dates, ParseToleratesNeighbouringIsoForms) {
    const QDateTime expected(QDate(2002, 3, 4), QTime(5, 6, 7));
    EXPECT_EQ(ParseDate(QStringLiteral("  2002-03-04T05:06:07 ")), expected);
    EXPECT_EQ(ParseDate(QStringLiteral("2002-03-04 05:06:07")), expected);
    EXPECT_EQ(ParseDate(QStringLiteral("2002-03-04T05:06:07.250")).time().second(), 7);
    EXPECT_EQ(ParseDate(QStringLiteral("2002-03-04")), QDateTime(QDate(2002, 3, 4), QTime(0, 0)));
    const QDateTime utc = ParseDate(QStringLiteral("2002-03-04T05:06:07Z"));
    EXPECT_EQ(utc.toUTC(), QDateTime(QDate(2002, 3, 4), QTime(5, 6, 7), Qt::UTC));
    EXPECT_EQ(utc.timeSpec(), Qt::LocalTime);
}

TEST(Dates, UnparsableTextGivesCurrentDateTime) {
    for (const QString& text :
         {QString(), QStringLiteral("   "), QStringLiteral("yesterday"),
          QStringLiteral("2002-02-30T00:00:00"), QStringLiteral("04-Mar-2002")}) {
        QDateTime untouched(QDate(1990, 1, 1), QTime(0, 0));
        EXPECT_FALSE(TryParseDate(text, &untouched)) << text.toStdString();
        EXPECT_EQ(untouched, QDateTime(QDate(1990, 1, 1), QTime(0, 0)));

        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        const QDateTime parsed = ParseDate(text);
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);
        EXPECT_TRUE(parsed.isValid());
        EXPECT_GE(parsed, before);
        EXPECT_LE(parsed, after);
        EXPECT_EQ(parsed.time().msec(), 0);
    }
    EXPECT_EQ(FormatDate(QDateTime()), QString());
}
