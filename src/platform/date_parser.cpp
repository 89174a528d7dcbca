#include "platform/date_parser.h"

#include <QDate>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace platform {
namespace {

// Two-digit years up to this one belong to this century, later ones to the last (the Windows
// default window).
constexpr int kTwoDigitYearMax = 2029;
constexpr int kMinYear = 100;
constexpr int kMaxYear = 9999;
constexpr double kSecondsPerDay = 86400.0;

constexpr std::array<const char*, 12> kEnglishMonths = {
    "january", "february", "march",     "april",   "may",      "june",
    "july",    "august",   "september", "october", "november", "december"};

enum class Meridiem { kNone, kAm, kPm };

struct LocaleRules {
  std::vector<std::pair<QString, int>> monthNames;  // lower case, no trailing dot
  std::vector<std::pair<QString, Meridiem>> meridiems;
  bool dayFirst = false;  // numeric dates with the year last read day/month
};

LocaleRules MakeRules(const QLocale& locale) {
  LocaleRules rules;
  auto addMonth = [&rules](QString name, int month) {
    name = name.toLower();
    if (name.endsWith(QLatin1Char('.'))) name.chop(1);
    if (!name.isEmpty()) rules.monthNames.emplace_back(name, month);
  };
  for (int month = 1; month <= 12; ++month) {
    const QString english = QString::fromLatin1(kEnglishMonths[month - 1]);
    addMonth(english, month);
    addMonth(english.left(3), month);
    for (QLocale::FormatType format : {QLocale::LongFormat, QLocale::ShortFormat}) {
      addMonth(locale.monthName(month, format), month);
      addMonth(locale.standaloneMonthName(month, format), month);
    }
  }
  addMonth(QStringLiteral("sept"), 9);

  // Longer texts first so that "a.m." is not taken for "a".
  for (const auto& [text, meridiem] : {std::pair{QStringLiteral("a.m."), Meridiem::kAm},
                                       std::pair{QStringLiteral("p.m."), Meridiem::kPm},
                                       std::pair{QStringLiteral("am"), Meridiem::kAm},
                                       std::pair{QStringLiteral("pm"), Meridiem::kPm},
                                       std::pair{locale.amText().toLower(), Meridiem::kAm},
                                       std::pair{locale.pmText().toLower(), Meridiem::kPm}}) {
    if (!text.isEmpty()) rules.meridiems.emplace_back(text, meridiem);
  }

  const QString shortFormat = locale.dateFormat(QLocale::ShortFormat);
  const qsizetype dayAt = shortFormat.indexOf(QLatin1Char('d'));
  const qsizetype monthAt = shortFormat.indexOf(QLatin1Char('M'));
  rules.dayFirst = dayAt >= 0 && monthAt >= 0 && dayAt < monthAt;
  return rules;
}

int MonthFromName(const QString& name, const LocaleRules& rules) {
  const QString lower = name.toLower();
  for (const auto& [text, month] : rules.monthNames) {
    if (text == lower) return month;
  }
  return 0;
}

// The year of a two- or four-digit year text; 0 for any other length.
int YearFromDigits(const QString& digits) {
  const int value = digits.toInt();
  if (digits.size() == 4) return value;
  if (digits.size() == 2) return value + (value <= kTwoDigitYearMax % 100 ? 2000 : 1900);
  return 0;
}

std::optional<QDate> MakeDate(int year, int month, int day) {
  if (year < kMinYear || year > kMaxYear || !QDate::isValid(year, month, day)) return std::nullopt;
  return QDate(year, month, day);
}

// A regular expression in which %1 stands for what separates the parts of a date written with a
// month name: blanks, or one of - / . , with optional blanks around it.
QRegularExpression DatePattern(const QString& pattern, QRegularExpression::PatternOptions options =
                                                           QRegularExpression::NoPatternOption) {
  return QRegularExpression(pattern.arg(QStringLiteral(R"((?:\s*[-/.,]\s*|\s+))")), options);
}

std::optional<QDate> ParseDatePart(const QString& text, const LocaleRules& rules) {
  static const QRegularExpression numeric(
      QStringLiteral(R"(^([0-9]{1,4})([-/.])([0-9]{1,2})\2([0-9]{1,4})$)"));
  static const QRegularExpression cjk(
      QStringLiteral("^([0-9]{4})\\s*年\\s*([0-9]{1,2})\\s*月\\s*([0-9]{1,2})\\s*日?$"));
  static const QRegularExpression dayMonthYear =
      DatePattern(QStringLiteral(R"(^([0-9]{1,2})%1(\p{L}+)\.?%1([0-9]{2}|[0-9]{4})$)"));
  static const QRegularExpression monthDayYear = DatePattern(
      QStringLiteral(R"(^(\p{L}+)\.?%1([0-9]{1,2})(?:st|nd|rd|th)?%1([0-9]{2}|[0-9]{4})$)"),
      QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression yearMonthDay =
      DatePattern(QStringLiteral(R"(^([0-9]{4})%1(\p{L}+)\.?%1([0-9]{1,2})$)"));

  if (const auto m = numeric.match(text); m.hasMatch()) {
    const QString first = m.captured(1);
    const QString last = m.captured(4);
    const int middle = m.captured(3).toInt();
    if (first.size() == 4 && last.size() <= 2) return MakeDate(first.toInt(), middle, last.toInt());
    // With dots as separators only a four-digit year makes a date, so that version texts such as
    // "5.5.10" stay texts.
    const bool yearLast = last.size() == 4 || (last.size() == 2 && m.captured(2) != u".");
    if (first.size() > 2 || !yearLast) return std::nullopt;
    const int year = YearFromDigits(last);
    return rules.dayFirst ? MakeDate(year, middle, first.toInt())
                          : MakeDate(year, first.toInt(), middle);
  }
  if (const auto m = cjk.match(text); m.hasMatch()) {
    return MakeDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
  }
  if (const auto m = dayMonthYear.match(text); m.hasMatch()) {
    return MakeDate(YearFromDigits(m.captured(3)), MonthFromName(m.captured(2), rules),
                    m.captured(1).toInt());
  }
  if (const auto m = monthDayYear.match(text); m.hasMatch()) {
    return MakeDate(YearFromDigits(m.captured(3)), MonthFromName(m.captured(1), rules),
                    m.captured(2).toInt());
  }
  if (const auto m = yearMonthDay.match(text); m.hasMatch()) {
    return MakeDate(m.captured(1).toInt(), MonthFromName(m.captured(2), rules),
                    m.captured(3).toInt());
  }
  return std::nullopt;
}

// The time of day as a fraction of a day.
std::optional<double> ParseTimePart(const QString& text, const LocaleRules& rules) {
  static const QRegularExpression clock(
      QStringLiteral(R"(^([0-9]{1,2}):([0-9]{2})(?::([0-9]{2})(?:\.([0-9]{1,3}))?)?$)"));
  static const QRegularExpression hourOnly(QStringLiteral(R"(^([0-9]{1,2})$)"));

  QString rest = text;
  Meridiem meridiem = Meridiem::kNone;
  const QString lower = text.toLower();
  for (const auto& [marker, value] : rules.meridiems) {
    if (lower.endsWith(marker)) {
      rest = text.chopped(marker.size()).trimmed();
    } else if (lower.startsWith(marker)) {
      rest = text.mid(marker.size()).trimmed();
    } else {
      continue;
    }
    meridiem = value;
    break;
  }

  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  if (const auto m = clock.match(rest); m.hasMatch()) {
    hour = m.captured(1).toInt();
    minute = m.captured(2).toInt();
    second = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    millisecond = m.captured(4).isEmpty() ? 0 : m.captured(4).leftJustified(3, u'0').toInt();
  } else if (const auto h = hourOnly.match(rest); h.hasMatch() && meridiem != Meridiem::kNone) {
    hour = h.captured(1).toInt();
  } else {
    return std::nullopt;
  }
  if (minute > 59 || second > 59) return std::nullopt;
  if (meridiem == Meridiem::kNone) {
    if (hour > 23) return std::nullopt;
  } else {
    if (hour > 12) return std::nullopt;
    if (hour == 12) hour = 0;
    if (meridiem == Meridiem::kPm) hour += 12;
  }
  const double seconds = hour * 3600 + minute * 60 + second + millisecond / 1000.0;
  return seconds / kSecondsPerDay;
}

double ToOleDate(const QDate& date, double timeOfDay) {
  const auto days = static_cast<double>(QDate(1899, 12, 30).daysTo(date));
  return days >= 0 ? days + timeOfDay : days - timeOfDay;
}

std::optional<double> Parse(const QString& text, const LocaleRules& rules) {
  // Every accepted form has a digit; most texts of a list column are rejected here cheaply.
  if (std::none_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; })) {
    return std::nullopt;
  }
  const QString simplified = text.simplified();
  if (const auto date = ParseDatePart(simplified, rules)) return ToOleDate(*date, 0.0);
  if (const auto time = ParseTimePart(simplified, rules)) return *time;

  // A date and a time in either order: try every split between two words.
  const QStringList words = simplified.split(QLatin1Char(' '));
  for (qsizetype split = 1; split < words.size(); ++split) {
    const QString left = words.first(split).join(QLatin1Char(' '));
    const QString right = words.sliced(split).join(QLatin1Char(' '));
    if (const auto date = ParseDatePart(left, rules)) {
      if (const auto time = ParseTimePart(right, rules)) return ToOleDate(*date, *time);
    } else if (const auto date2 = ParseDatePart(right, rules)) {
      if (const auto time = ParseTimePart(left, rules)) return ToOleDate(*date2, *time);
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<double> ParseDate(const QString& text, const QLocale& locale) {
  return Parse(text, MakeRules(locale));
}

std::optional<double> ParseDate(const QString& text) {
  static const LocaleRules rules = MakeRules(QLocale::system());
  return Parse(text, rules);
}

}  // namespace platform
