#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "store/database.h"

namespace vornal {

// What a day of the working calendar is.
enum class DayKind : std::uint8_t {
  Work,     // a working day of 8 hours
  Short,    // a working day shortened before a holiday
  Off,      // a day off (a Saturday, a Sunday, a day moved)
  Holiday,  // a public holiday
};

inline constexpr std::int64_t kWorkDaySeconds = 8 * 3600;
inline constexpr std::int64_t kShortDaySeconds = 7 * 3600;

struct CalendarDay {
  DateTime date;
  DayKind kind = DayKind::Work;
  std::int64_t normSeconds = 0;  // the day's working hours; 0 on a day off
  bool changed = false;          // the operator's change, not the default

  bool Working() const { return kind == DayKind::Work || kind == DayKind::Short; }
};

// The public holidays: 1 to 8 January, 23 February, 8 March, 1 and 9 May,
// 12 June, 4 November.
bool IsPublicHoliday(const DateTime& day);

// A day as the calendar has it without changes: Saturdays, Sundays and
// public holidays off; a working day just before a public holiday one hour
// shorter.
CalendarDay DefaultCalendarDay(const DateTime& day);

// The operator's change of one day: what it is, and a short day's hours.
struct CalendarChange {
  DateTime day;
  DayKind kind = DayKind::Work;         // Work, Short or Off
  std::optional<std::int64_t> seconds;  // Short only: the day's hours (7 when none)
};

// The kind's word in calendar files and options ("off", "work", "short"),
// and back (nothing for another word; a holiday is written "off").
std::string_view DayKindWord(DayKind kind);
std::optional<DayKind> DayKindOfWord(std::string_view word);

// The days from first's date to last's date with the operator's changes.
std::vector<CalendarDay> ReadCalendar(Database& db, const DateTime& first, const DateTime& last);

// Stores the changes in one transaction, each over the day's earlier one.
// Throws std::invalid_argument, with nothing stored, for a holiday kind or
// hours outside 1 to 23 or given for a day that is not short.
void SetCalendarDays(Database& db, const std::vector<CalendarChange>& changes);
// Forgets the operator's change of the day: the default holds again.
void ClearCalendarDay(Database& db, const DateTime& day);

// A calendar file: lines "date,kind[,hours]" (YYYY-MM-DD; work, short or
// off; a short day's whole hours, 1 to 23), a header line "date,kind,..."
// allowed. The changes, or the lines that are none, with what is wrong.
struct CalendarFile {
  enum class Problem { Malformed, BadDate, BadKind, BadHours, Twice };
  struct BadLine {
    int line;
    Problem problem;
  };
  std::vector<CalendarChange> changes;
  std::vector<BadLine> problems;
};
CalendarFile ReadCalendarFile(std::string_view text);

// The working hours of the days.
std::int64_t NormSeconds(const std::vector<CalendarDay>& days);

}  // namespace vornal
