#pragma once
// TDateTime: days since 30 December 1899, the fraction being the time of day.
#include "platform/rtl/SysUtils.h"

#include <functional>

using TDateTime = double;

bool IsLeapYear(int year);
int DaysInAMonth(int year, int month);
bool TryEncodeDate(int year, int month, int day, TDateTime& date);
TDateTime EncodeDate(int year, int month, int day); // EConvertError on an invalid date
void DecodeDate(TDateTime date, int& year, int& month, int& day);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
void DecodeTime(TDateTime time, int& hour, int& min, int& sec, int& msec);
int DayOfWeek(TDateTime date);  // 1 = Sunday .. 7 = Saturday
int DayOfTheYear(TDateTime date); // 1 = 1 January
TDateTime DateOf(TDateTime dt);
TDateTime TimeOf(TDateTime dt);

// The clock. Tests replace it to get a fixed time.
TDateTime Now();
TDateTime Date();
TDateTime Time();
void SetClockForTesting(std::function<TDateTime()> clock); // an empty function restores the real clock

// The framework's date and time format: d dd ddd dddd ddddd dddddd m mm mmm mmmm yy yyyy h hh
// n nn s ss z zzz t tt c am/pm a/p ampm / : and quoted literals.
String FormatDateTime(const String& format, TDateTime dt);
String DateToStr(TDateTime date);      // short date format
String TimeToStr(TDateTime time);      // long time format
String DateTimeToStr(TDateTime dt);    // short date, and the long time unless midnight
// Parse in the order of the short date format with the date separator; two-digit years use
// the century window, four-digit years stand as they are.
bool TryStrToDate(const String& s, TDateTime& date);
TDateTime StrToDate(const String& s); // EConvertError "'x' is not a valid date"
bool TryStrToTime(const String& s, TDateTime& time);
TDateTime StrToTime(const String& s);
bool TryStrToDateTime(const String& s, TDateTime& dt);
TDateTime StrToDateTime(const String& s);
