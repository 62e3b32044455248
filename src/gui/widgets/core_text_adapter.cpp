#include "gui/widgets/core_text_adapter.h"

#include <cstdio>
#include <cstdlib>

#include "text/csv.h"
#include "text/visible_text.h"

namespace vornal {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

std::string Clock(std::int64_t seconds) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d", static_cast<int>(seconds / 3600 % 24),
                static_cast<int>(seconds / 60 % 60));
  return buffer;
}

std::string TimeText(std::int64_t seconds) {
  if (seconds == ListedRow::kNoTime) return {};
  return DateTime::FromSeconds(seconds).Format("%H:%M %d %b %y");
}

std::string LabelText(const ListedRow& row) {
  switch (row.label) {
    case RowLabel::DayGoing:
      return "Идет рабочий день";
    case RowLabel::DayDone:
      return "Закончен рабочий день";
    case RowLabel::TaskGoing:
      return "Выполняется " + std::to_string(row.taskNumber) + " задание";
    case RowLabel::TaskDone:
      return "Закончено " + std::to_string(row.taskNumber) + " задание";
    case RowLabel::Unknown:
      break;
  }
  return "Unknown";
}

std::string Blank(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 1);
  out += ' ';
  out += text;
  return out;
}

}  // namespace

std::string OpenFailureText(const StoreError& error) {
  return std::string("Couldn't open database--Exception: ") + error.what();
}

std::string OpenOutOfMemoryText() {
  return "Failed to open database--Memory exception thrown.";
}

std::string CreateFailureText(const StoreError& error) {
  return std::string("Couldn't create database--Exception: ") + error.what();
}

std::string CreateOutOfMemoryText() {
  return "Failed to create database--Memory exception thrown.";
}

std::string CreateTablesFailureText(const StoreError& error) {
  return std::string("Couldn't append TableDef--Exception: ") + error.what();
}

std::string NotRegularDetail(const FileNote& note) {
  switch (note.fileType) {
    case FileNote::FileType::Link:
      return "a symbolic link";
    case FileNote::FileType::Folder:
      return "a folder";
    case FileNote::FileType::Fifo:
      return "a FIFO";
    case FileNote::FileType::Socket:
      return "a socket";
    case FileNote::FileType::Device:
      return "a device";
    case FileNote::FileType::Other:
      break;
  }
  return "not a regular file";
}

std::string YearNodeText(int year) {
  return std::to_string(year);
}

std::string MonthNodeText(int month) {
  const auto first = DateTime::FromParts(2000, month, 1);
  return first ? first->Format("%B") : std::string();
}

std::string DayNodeText(int day) {
  return std::to_string(day);
}

std::string PersonListText(const PersonEntry& person) {
  std::string text = std::to_string(person.id) + ". " + person.name;
  text.resize(TrimRight(text).size());
  text += " (" + person.login;
  text.resize(TrimRight(text).size());
  text += ')';
  return text;
}

std::string FormatClock(const WorkDuration& duration) {
  if (duration.IsEmpty()) return {};
  return Clock(std::llabs(duration.Seconds()));
}

std::string FormatTotal(const WorkDuration& duration) {
  if (duration.IsEmpty()) return {};
  const std::int64_t seconds = duration.Seconds();
  const std::int64_t days = seconds / kSecondsPerDay;
  std::string text = seconds < 0 && days == 0 ? "-0" : std::to_string(days);
  text += " дней ";
  text += Clock(std::llabs(seconds) % kSecondsPerDay);
  return text;
}

StatGrid::Row StatGridHeader() {
  return {"Событие ", "Начало", "Конец", "Всего", "Login"};
}

std::string StatGridCell(const ListedRow& row, std::string_view login, int col) {
  switch (col) {
    case 0:
      return LabelText(row);
    case 1:
      return Blank(TimeText(row.begin));
    case 2:
      return Blank(TimeText(row.end));
    case 3:
      return Blank(FormatClock(row.Duration()));
    case 4:
      return Blank(login);
    default:
      return {};
  }
}

StatGrid::Row TaskTotalRow(const WorkDuration& total) {
  return {" Всего отработано", "", "", "", FormatTotal(total)};
}

StatGrid::Row DayTotalRow(const WorkDuration& total) {
  return {" Общее рабочее время", "", "", "", FormatTotal(total)};
}

StatGrid::StatGrid(PeriodListing listing) : m_listing(std::move(listing)) {}

std::string StatGrid::Cell(int row, int col) const {
  if (col < 0 || col >= kColumns || row < 0) return {};
  const int listed = static_cast<int>(m_listing.rows.size());
  if (row == 0) return StatGridHeader()[static_cast<std::size_t>(col)];
  if (row <= listed) {
    const ListedRow& listedRow = m_listing.rows[static_cast<std::size_t>(row - 1)];
    return StatGridCell(listedRow, m_listing.Login(listedRow), col);
  }
  if (row == listed + 1) return TaskTotalRow(m_listing.taskTotal)[static_cast<std::size_t>(col)];
  if (row == listed + 2) return DayTotalRow(m_listing.dayTotal)[static_cast<std::size_t>(col)];
  return {};
}

StatGrid::Row StatGrid::Cells(int row) const {
  Row cells;
  for (int col = 0; col < kColumns; ++col) cells[static_cast<std::size_t>(col)] = Cell(row, col);
  return cells;
}

StatGrid BuildStatGrid(Database& db, const DateTime& start, const DateTime& end,
                       const std::string& login) {
  return StatGrid(ListPeriod(db, start, end, login));
}

std::string FormatHours(std::int64_t seconds) {
  const std::int64_t minutes = std::llabs(seconds) / 60;
  char text[32];
  std::snprintf(text, sizeof text, "%s%lld:%02lld", seconds < 0 ? "-" : "",
                static_cast<long long>(minutes / 60), static_cast<long long>(minutes % 60));
  return text;
}

std::string WorkText(const DayWork& work) {
  return FormatHours(work.work) + (work.openWork ? "?" : "");
}

std::string TaskText(const DayWork& work) {
  return FormatHours(work.tasks) + (work.openTasks ? "?" : "");
}

std::string WorkCellText(const DayWork& work) {
  return work.HasWork() ? WorkText(work) : std::string();
}

std::string TaskCellText(const DayWork& work) {
  return work.HasWork() ? TaskText(work) : std::string();
}

std::string TimesheetCsv(const Timesheet& sheet) {
  std::string out(kUtf8Bom);
  std::vector<std::string> fields{"Login", "ФИО"};
  for (int column = 1; column <= sheet.ColumnCount(); ++column)
    fields.push_back(std::to_string(column));
  fields.insert(fields.end(), {"Дней", "Работа", "Задания"});
  out += CsvLine(fields);
  for (const Timesheet::Row& row : sheet.rows) {
    fields = {VisibleText(row.login), VisibleText(row.name)};
    for (const DayWork& cell : row.cells) fields.push_back(WorkCellText(cell));
    fields.insert(fields.end(),
                  {std::to_string(row.total.days), WorkText(row.total), TaskText(row.total)});
    out += CsvLine(fields);
  }
  return out;
}

}  // namespace vornal
