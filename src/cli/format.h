#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "intake/folder_sweep.h"
#include "intake/rejected_lines.h"
#include "stats/corrections.h"
#include "stats/period_listing.h"
#include "stats/t13_sheet.h"
#include "stats/timesheet.h"
#include "store/store_error.h"

namespace vornal::cli {

// The command line's words for the values the core hands over: every text
// vornal-cli prints about the data is made here. The texts of the listing,
// the tree and the timesheet are the windows' (Russian), as scripts read
// them; the rest is English.

// "database error 26: file is not a database": the engine's own code, when
// it gave one, and its message.
std::string DatabaseErrorText(const StoreError& error);

// A file left for a later run, a slot without folders, a reason to skip a line.
std::string FileNoteText(const FileNote& note);
std::string SlotNoteText(const SlotNote& note);
const char* SkipReasonText(SkipReason reason);

// A person as the person list names them: "3. Петров Пётр (petrov)".
std::string PersonText(std::int64_t id, const std::string& name, const std::string& login);

// The period tree: "2002", "October", "7"; the one line of a tree without data.
std::string YearText(int year);
std::string MonthText(int month);
std::string DayText(int day);
std::string EmptyTreeText(bool everybody);

// The statistics listing: five cells a line, the header, one line per row,
// then the two totals.
using ListingLine = std::array<std::string, 5>;
ListingLine ListingHeader();
ListingLine ListingCells(const ListedRow& row, std::string_view login);
ListingLine TaskTotalCells(const WorkDuration& total);
ListingLine DayTotalCells(const WorkDuration& total);
// "Идет рабочий день", "Выполняется 3 задание", "Unknown", ...
std::string LabelText(const ListedRow& row);
// "D дней HH:MM"; empty when the sum is unknown.
std::string TotalText(const WorkDuration& total);

// The timesheet: a cell's working and task time (HoursText), "?" after a
// sum a row without an end leaves unknown; a cell without work is empty.
std::string WorkText(const DayWork& work);
std::string TaskText(const DayWork& work);
std::string WorkCellText(const DayWork& work);
// "Login,ФИО,1,2,…,N,Дней,Работа,Задания".
std::vector<std::string> TimesheetHeadings(const Timesheet& sheet);
// The timesheet as CSV (RFC 4180, UTF-8 with a byte-order mark, CR LF): the
// headings, then a row per person with the working time of each column;
// logins and names as VisibleText.
std::string TimesheetCsv(const Timesheet& sheet);

// Why a correction was refused, for the command line.
std::string CorrectionRefusalText(const CorrectionRefused& refusal);
// The trail of corrections: a header and a line of fields per correction
// (ID, when, who, host, role, row, login, before, after, reason, undoes).
std::vector<std::string> CorrectionHeadings();
std::vector<std::string> CorrectionFields(const Correction& correction);

// The form T-13 as CSV (RFC 4180, UTF-8 with a byte-order mark, CR LF): a
// header, then a row per person and day of the month: the person, the day,
// its codes by letter and number, their hours, the worked and night time,
// and the absence's note and a correction's reason.
std::string T13Csv(const T13Sheet& sheet);

}  // namespace vornal::cli
