#include "platform/rtl/DateUtils.h"

#include <gtest/gtest.h>

namespace {

TEST(DateTime, EncodeDecodeRoundTrip)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2001, 3, 5), 36955.0);
    for (TDateTime d : {0.0, 2.0, 36955.0, 59.0, 60.0, 61.0, 73050.0, -1.0 + 1}) {
        int y, m, day;
        DecodeDate(d, y, m, day);
        EXPECT_EQ(EncodeDate(y, m, day), d);
    }
    int y, m, d;
    DecodeDate(EncodeDate(2000, 2, 29), y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 20000229);
    EXPECT_THROW(EncodeDate(2001, 2, 29), EConvertError);
    EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 10)), 5); // a Thursday
    EXPECT_EQ(DayOfTheYear(EncodeDate(2001, 3, 5)), 64);
}

TEST(DateTime, FormatsUnderTheProcessSettings)
{
    TFormatSettings saved = FormatSettings();
    FormatSettings().ShortDateFormat = "dd/mm/yyyy";
    FormatSettings().DateSeparator = '/';
    TDateTime dt = EncodeDate(2001, 3, 5) + EncodeTime(14, 7, 9, 0);
    EXPECT_EQ(DateToStr(dt), "05/03/2001");
    EXPECT_EQ(DateTimeToStr(dt), "05/03/2001 14:07:09");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2001, 3, 5)), "05/03/2001");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", dt), "2001-03-05 14:07");
    EXPECT_EQ(FormatDateTime("d mmm yy", dt), "5 Mar 01");
    EXPECT_EQ(FormatDateTime("h:nn am/pm", dt), "2:07 pm");
    EXPECT_EQ(FormatDateTime("'day' dd", dt), "day 05");
    FormatSettings().DateSeparator = '-';
    FormatSettings().ShortDateFormat = "yyyy-mm-dd";
    EXPECT_EQ(DateToStr(dt), "2001-03-05");
    FormatSettings() = saved;
}

TEST(DateTime, ParsesInTheShortDateOrder)
{
    TFormatSettings saved = FormatSettings();
    FormatSettings().ShortDateFormat = "dd/mm/yyyy";
    FormatSettings().DateSeparator = '/';
    EXPECT_EQ(StrToDate("05/03/2001"), EncodeDate(2001, 3, 5));
    EXPECT_EQ(StrToDate("5/3/0099"), EncodeDate(99, 3, 5)); // four digits stand as they are
    EXPECT_THROW(StrToDate("31/02/2001"), EConvertError);
    EXPECT_THROW(StrToDate("05-03-2001"), EConvertError);
    TDateTime dt;
    EXPECT_TRUE(TryStrToDateTime("05/03/2001 14:07:09", dt));
    EXPECT_DOUBLE_EQ(dt, EncodeDate(2001, 3, 5) + EncodeTime(14, 7, 9, 0));
    FormatSettings().ShortDateFormat = "mm/dd/yy";
    SetClockForTesting([] { return EncodeDate(2026, 6, 1); });
    EXPECT_EQ(StrToDate("03/05/01"), EncodeDate(2001, 3, 5));
    EXPECT_EQ(StrToDate("03/05/80"), EncodeDate(1980, 3, 5));
    SetClockForTesting({});
    FormatSettings() = saved;
}

TEST(DateTime, InjectableClock)
{
    SetClockForTesting([] { return EncodeDate(2020, 1, 2) + 0.5; });
    EXPECT_EQ(Date(), EncodeDate(2020, 1, 2));
    EXPECT_DOUBLE_EQ(Time(), 0.5);
    SetClockForTesting({});
    EXPECT_GT(Now(), EncodeDate(2020, 1, 1));
}

} // namespace
