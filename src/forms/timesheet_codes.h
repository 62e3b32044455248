#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "stats/t13_sheet.h"

namespace vornal {

// A code of the unified timesheet form T-13: its number (what the core
// stores and computes), its letters, and what it means in Russian and in
// English.
struct TimesheetCode {
  int number;
  std::string_view letters;  // "ОТ"
  std::string_view russian;
  std::string_view english;
  bool absence;  // may be set for a day by the operator
};

// The form's list of codes, in number order.
std::span<const TimesheetCode> TimesheetCodes();

// The code with this number; nothing when the list has none.
const TimesheetCode* FindTimesheetCode(int number);
// The code the text names: its letters (any letter case), or its number
// ("9" or "09"); nothing for any other text.
const TimesheetCode* ParseTimesheetCode(std::string_view text);
// "09", the number as the form writes it.
std::string CodeNumberText(int number);

// A day of the form as its two lines write it: the letters of its codes
// ("ОТ/Я"), their numbers ("09/01"), and the hours of the codes that have
// hours ("2:00"), each joined by "/"; empty for a day without codes.
std::string DayCodesText(const T13Day& day);
std::string DayCodeNumbersText(const T13Day& day);
std::string DayHoursText(const T13Day& day);
// "ОТ 6, Б 1": the absences of a row by code, with their days.
std::string AbsencesText(const T13Row& row);

}  // namespace vornal
