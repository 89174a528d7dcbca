#include "platform/date_time_ctrl.h"

#include <QDate>
#include <QTime>

namespace platform {
namespace {

// The range of a SYSTEMTIME, which is what the Win32 picker shows.
const QDate kFirstDate(1601, 1, 1);
const QDate kLastDate(9999, 12, 31);

}  // namespace

DateTimeCtrl::DateTimeCtrl(const QString& displayFormat, QWidget* parent) : QDateTimeEdit(parent) {
  setDateRange(kFirstDate, kLastDate);
  setDisplayFormat(displayFormat);
  setCalendarPopup(false);
  // Wall-clock numbers without a zone, so that no local daylight-saving gap hides a stored time.
  setTimeSpec(Qt::UTC);
  setDateTime(QDateTime(QDate::currentDate(), QTime(0, 0, 0), Qt::UTC));
}

bool DateTimeCtrl::SetTime(const SYSTEMTIME& time) {
  const QDate date(time.wYear, time.wMonth, time.wDay);
  const QTime clock(time.wHour, time.wMinute, time.wSecond);
  if (!date.isValid() || !clock.isValid() || date < kFirstDate || date > kLastDate) return false;
  setDateTime(QDateTime(date, clock, Qt::UTC));
  return true;
}

SYSTEMTIME DateTimeCtrl::GetTime() const {
  const QDateTime shown = dateTime();
  const QDate date = shown.date();
  const QTime clock = shown.time();
  return SYSTEMTIME{date.year(),  date.month(),   date.dayOfWeek() % 7, date.day(),
                    clock.hour(), clock.minute(), clock.second(),       0};
}

}  // namespace platform
