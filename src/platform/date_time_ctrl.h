// The stand-in for the Win32 up-down date-time picker: it shows one date and time in a display
// format and reads and takes it as the fields of a SYSTEMTIME.
#pragma once

#include <QDateTimeEdit>
#include <QString>

#include "platform/clock.h"

namespace platform {

class DateTimeCtrl : public QDateTimeEdit {
  Q_OBJECT

 public:
  // Shows today's date at 00:00:00 until it is set.
  DateTimeCtrl(const QString& displayFormat, QWidget* parent);

  // Shows year, month, day, hour, minute and second of time (day of week and milliseconds are
  // ignored). A value the picker cannot show leaves it as it was and returns false.
  bool SetTime(const SYSTEMTIME& time);
  // The shown date and time; the day of week follows the date (0 = Sunday), milliseconds are 0.
  SYSTEMTIME GetTime() const;
};

}  // namespace platform
