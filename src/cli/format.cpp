#include "cli/format.h"

#include <cstdio>
#include <cstdlib>

#include "forms/timesheet_codes.h"
#include "text/csv.h"
#include "text/date_time.h"
#include "text/trim.h"
#include "text/visible_text.h"

namespace vornal::cli {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// "HH:MM" of seconds, whole days left out.
std::string Clock(std::int64_t seconds) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d", static_cast<int>(seconds / 3600 % 24),
                static_cast<int>(seconds / 60 % 60));
  return buffer;
}

// "09:05 07 Oct 02", or empty.
std::string TimeText(std::int64_t seconds) {
  if (seconds == ListedRow::kNoTime) return {};
  return DateTime::FromSeconds(seconds).Format("%H:%M %d %b %y");
}

std::string Blank(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 1);
  out += ' ';
  out += text;
  return out;
}

const char* FileTypeText(FileNote::FileType type) {
  switch (type) {
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

}  // namespace

std::string DatabaseErrorText(const StoreError& error) {
  const std::string code = error.EngineCode().empty() ? "" : " " + error.EngineCode();
  return "database error" + code + ": " + error.what();
}

std::string FileNoteText(const FileNote& note) {
  switch (note.kind) {
    case FileNote::Kind::StillOpen:
      return note.file +
             ": still open by a client; its complete lines are applied, the rest "
             "waits for the next run";
    case FileNote::Kind::QuietPeriod:
      return note.file +
             ": may still be written; its complete lines are applied, and it is "
             "deleted once it has not changed for the quiet period";
    case FileNote::Kind::NotRegular:
      return note.file + ": " + FileTypeText(note.fileType) + ", not a regular file; left in place";
    case FileNote::Kind::CannotOpen:
      return note.file + ": cannot be opened for reading and writing (" + note.detail +
             "); left in place";
    case FileNote::Kind::NoWriteBits:
      return note.file + ": has no write permission; left in place";
    case FileNote::Kind::CannotClaim:
      return note.file + ": cannot be claimed (" + note.detail + "); left in place";
    case FileNote::Kind::Changed:
      return note.file + ": was replaced while being claimed; left in place";
    case FileNote::Kind::ReadError:
      return note.file + ": cannot be read (" + note.detail + "); left for the next run";
    case FileNote::Kind::InUse:
      return note.file + ": another run is collecting it now; left to it";
    case FileNote::Kind::UnendedLine:
      return note.file +
             ": ends in the middle of a line; left until the line is finished or the file "
             "has not changed for the quiet period";
    case FileNote::Kind::HeldBack:
      return note.file + ": left for a later run, after the folder's older claimed file";
    case FileNote::Kind::Rewritten:
      return note.file +
             ": was rewritten by its client; read again from its start, the events applied "
             "before skipped";
  }
  return note.file;
}

std::string SlotNoteText(const SlotNote& note) {
  const std::string slot = "Path" + std::to_string(note.slot) + " ";
  switch (note.kind) {
    case SlotNote::Kind::NoFolder:
      return slot + note.path + ": folder does not exist, skipped";
    case SlotNote::Kind::NoMatch:
      return slot + note.path + ": no folder matches the pattern now";
    case SlotNote::Kind::Link:
      return slot + note.path + ": a symbolic link, not followed";
    case SlotNote::Kind::Unreadable:
      return slot + note.path + ": cannot be listed (" + note.detail + "); its folders are skipped";
  }
  return slot + note.path;
}

const char* SkipReasonText(SkipReason reason) {
  constexpr const char* kTexts[kSkipReasonCount] = {"blank line",
                                                    "unknown or missing event name",
                                                    "no valid date and time",
                                                    "login longer than 100 characters",
                                                    "control character in the login",
                                                    "line longer than 64 KiB",
                                                    "after an end-of-file mark (0x1A)",
                                                    "second event on a line",
                                                    "time out of range",
                                                    "invalid character in the login",
                                                    "last line without its line end",
                                                    "already applied"};
  return kTexts[static_cast<std::size_t>(reason)];
}

std::string PersonText(std::int64_t id, const std::string& name, const std::string& login) {
  std::string text = std::to_string(id) + ". " + name;
  text.resize(TrimRight(text).size());
  text += " (" + login;
  text.resize(TrimRight(text).size());
  text += ')';
  return text;
}

std::string YearText(int year) {
  return std::to_string(year);
}

std::string MonthText(int month) {
  const auto first = DateTime::FromParts(2000, month, 1);
  return first ? first->Format("%B") : std::string();
}

std::string DayText(int day) {
  return std::to_string(day);
}

std::string EmptyTreeText(bool everybody) {
  return everybody ? "База данных пуста" : "Нет данных";
}

ListingLine ListingHeader() {
  return {"Событие ", "Начало", "Конец", "Всего", "Login"};
}

ListingLine ListingCells(const ListedRow& row, std::string_view login) {
  const WorkDuration duration = row.Duration();
  return {LabelText(row), Blank(TimeText(row.begin)), Blank(TimeText(row.end)),
          Blank(duration.IsEmpty() ? "" : Clock(std::llabs(duration.Seconds()))), Blank(login)};
}

ListingLine TaskTotalCells(const WorkDuration& total) {
  return {" Всего отработано", "", "", "", TotalText(total)};
}

ListingLine DayTotalCells(const WorkDuration& total) {
  return {" Общее рабочее время", "", "", "", TotalText(total)};
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

std::string TotalText(const WorkDuration& total) {
  if (total.IsEmpty()) return {};
  // Days are truncated toward zero and the hours and minutes are those of the
  // remainder's absolute value, so -26:30 reads "-1 дней 02:30". Less than a
  // day below zero keeps its sign as "-0 дней ...", or it would read as time
  // worked.
  const std::int64_t seconds = total.Seconds();
  const std::int64_t days = seconds / kSecondsPerDay;
  std::string text = seconds < 0 && days == 0 ? "-0" : std::to_string(days);
  text += " дней ";
  text += Clock(std::llabs(seconds) % kSecondsPerDay);
  return text;
}

std::string WorkText(const DayWork& work) {
  return HoursText(work.work) + (work.openWork ? "?" : "");
}

std::string TaskText(const DayWork& work) {
  return HoursText(work.tasks) + (work.openTasks ? "?" : "");
}

std::string WorkCellText(const DayWork& work) {
  return work.HasWork() ? WorkText(work) : std::string();
}

std::vector<std::string> TimesheetHeadings(const Timesheet& sheet) {
  std::vector<std::string> headings{"Login", "ФИО"};
  for (int column = 1; column <= sheet.ColumnCount(); ++column)
    headings.push_back(std::to_string(column));
  headings.insert(headings.end(), {"Дней", "Работа", "Задания"});
  return headings;
}

std::string TimesheetCsv(const Timesheet& sheet) {
  std::string out(kUtf8Bom);
  out += CsvLine(TimesheetHeadings(sheet));
  for (const Timesheet::Row& row : sheet.rows) {
    // Names and logins as they may be shown: nothing in them reorders or
    // hides the cells around them.
    std::vector<std::string> fields{VisibleText(row.login), VisibleText(row.name)};
    for (const DayWork& cell : row.cells) fields.push_back(WorkCellText(cell));
    fields.insert(fields.end(),
                  {std::to_string(row.total.days), WorkText(row.total), TaskText(row.total)});
    out += CsvLine(fields);
  }
  return out;
}

std::string CorrectionRefusalText(const CorrectionRefused& refusal) {
  const std::string other = std::to_string(refusal.Other());
  switch (refusal.Why()) {
    case CorrectionRefusal::NoReason:
      return "a correction needs --reason, at most 250 characters";
    case CorrectionRefusal::NoLogin:
      return "--login needs a login";
    case CorrectionRefusal::BadTimes:
      return "--end must be after --begin, at most a day later";
    case CorrectionRefusal::NotWorkEvent:
      return "the row is not a working-day or task row";
    case CorrectionRefusal::NoSuchRow:
      return "there is no such row or correction";
    case CorrectionRefusal::Unfinished:
      return "the row is still going on: the intake writes it until the client stops it, so it "
             "cannot be corrected yet";
    case CorrectionRefusal::Overlaps:
      return "the row would overlap row " + other +
             " of the same login: time is never counted twice";
    case CorrectionRefusal::Changed:
      return "the row has changed since that correction; correct it anew";
    case CorrectionRefusal::AlreadyUndone:
      return "that correction was undone already, by correction " + other;
  }
  return refusal.what();
}

std::vector<std::string> CorrectionHeadings() {
  return {"ID",          "When",        "User",         "Host",         "Role",
          "Row",         "Login",       "Event before", "Begin before", "End before",
          "Event after", "Begin after", "End after",    "Reason",       "Undoes"};
}

std::vector<std::string> CorrectionFields(const Correction& correction) {
  std::vector<std::string> fields{std::to_string(correction.id), correction.at.ToIso(),
                                  VisibleText(correction.user),  VisibleText(correction.host),
                                  VisibleText(correction.role),  std::to_string(correction.rowId),
                                  VisibleText(correction.login)};
  for (const std::optional<WorkRowValues>* row : {&correction.before, &correction.after}) {
    if (*row)
      fields.insert(fields.end(), {(*row)->event, (*row)->begin.ToIso(), (*row)->end.ToIso()});
    else
      fields.insert(fields.end(), {"", "", ""});
  }
  fields.push_back(VisibleText(correction.reason));
  fields.push_back(correction.undoes ? std::to_string(*correction.undoes) : std::string());
  return fields;
}

std::string T13Csv(const T13Sheet& sheet) {
  std::string out(kUtf8Bom);
  out += CsvLine({"Номер", "Табельный номер", "Логин", "ФИО", "Должность", "Подразделение", "Дата",
                  "Код", "Цифровой код", "Часы", "Отработано", "Ночные", "Неявка и часы",
                  "Примечание", "Исправлено"});
  for (const T13Row& row : sheet.rows) {
    for (const T13Day& day : row.days) {
      out += CsvLine({std::to_string(row.number), VisibleText(row.personnelNumber),
                      VisibleText(row.login), VisibleText(row.name), VisibleText(row.profession),
                      VisibleText(row.department), day.calendar.date.Format("%d.%m.%Y"),
                      DayCodesText(day), DayCodeNumbersText(day), DayHoursText(day),
                      day.worked ? HoursText(day.worked) : std::string(),
                      day.night ? HoursText(day.night) : std::string(), day.Flagged() ? "да" : "",
                      VisibleText(day.absenceNote), VisibleText(day.correction)});
    }
  }
  return out;
}

}  // namespace vornal::cli
