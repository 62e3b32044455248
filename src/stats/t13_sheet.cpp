#include "stats/t13_sheet.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "stats/absences.h"
#include "stats/corrections.h"
#include "stats/hours_by_kind.h"
#include "store/people.h"
#include "store/work_event.h"
#include "text/login_key.h"
#include "text/trim.h"

namespace vornal {
namespace {

void Mark(T13Day& day) {
  if (day.absence) day.marks.push_back({day.absence, 0});
  if (day.worked > 0) {
    if (!day.calendar.Working()) {
      day.marks.push_back({kCodeDayOffWork, day.worked});
    } else {
      if (day.worked > day.night) day.marks.push_back({kCodeDayWork, day.worked - day.night});
      if (day.night > 0) day.marks.push_back({kCodeNightWork, day.night});
    }
  } else if (!day.absence && !day.calendar.Working()) {
    day.marks.push_back({kCodeDayOff, 0});
  }
}

}  // namespace

T13Total& T13Total::operator+=(const T13Day& day) {
  if (day.worked > 0) ++days;
  seconds += day.worked;
  return *this;
}

std::optional<T13Sheet> BuildT13Sheet(Database& db, int year, int month, const std::string& login,
                                      const std::string& department) {
  const std::optional<DateTime> first = DateTime::FromParts(year, month, 1);
  if (!first || month < 1 || month > 12) return std::nullopt;
  const int dayCount = DateTime::DaysInMonth(year, month);
  const DateTime last = first->AddDays(dayCount - 1);
  T13Sheet sheet;
  sheet.year = year;
  sheet.month = month;
  sheet.calendar = ReadCalendar(db, *first, last);
  sheet.norm = NormSeconds(sheet.calendar);

  struct Person {
    std::string login;
    std::vector<DayHours> hours;
  };
  std::unordered_map<std::string, Person> worked;  // LoginKey ->
  const std::string key = LoginKey(login);
  {
    // Rows begun the day before may reach into the month.
    Statement rows =
        db.Prepare("SELECT LoginKey, Login, BeginTime, EndTime FROM logs WHERE " +
                   std::string(login.empty() ? "" : "LoginKey = ? AND ") +
                   EventInSql({WorkEvent::StartWDay, WorkEvent::WorkingDay, WorkEvent::StopWDay}) +
                   " AND BeginTime >= ? AND BeginTime < ? AND EndTime IS NOT NULL");
    if (login.empty())
      rows.Bind(first->AddDays(-1), last.AddDays(1));
    else
      rows.Bind(key, first->AddDays(-1), last.AddDays(1));
    while (rows.Step()) {
      const std::optional<DateTime> begin = rows.Time(2);
      const std::optional<DateTime> end = rows.Time(3);
      if (!begin || !end) continue;
      auto [found, added] = worked.try_emplace(std::string(rows.TextView(0)));
      if (added) {
        found->second.login = rows.Text(1);
        found->second.hours.resize(static_cast<std::size_t>(dayCount));
      }
      AddWorkedInterval(found->second.hours, *first, *begin, *end);
    }
  }
  std::map<std::pair<std::string, int>, const Absence*> absentOn;
  const std::vector<Absence> absences = ReadAbsences(db, *first, last, login);
  for (const Absence& absence : absences)
    absentOn[{absence.loginKey, static_cast<int>(absence.day.SecondsSince(*first) / 86400)}] =
        &absence;
  std::map<std::pair<std::string, int>, std::string> correctedOn;
  for (CorrectionMark& mark : CorrectionMarks(db, *first, last, login))
    correctedOn[{mark.loginKey, static_cast<int>(mark.day.SecondsSince(*first) / 86400)}] =
        std::move(mark.reason);

  const auto addRow = [&](const std::string& rowKey, std::string rowLogin,
                          const PersonValues& person) {
    T13Row row;
    row.number = static_cast<int>(sheet.rows.size()) + 1;
    row.login = std::move(rowLogin);
    row.name = std::string(TrimRight(person.name));
    row.profession = std::string(TrimRight(person.prof));
    row.personnelNumber = std::string(TrimRight(person.personnelNumber));
    row.department = std::string(TrimRight(person.department));
    const auto found = worked.find(rowKey);
    std::map<int, int> absentDays;
    for (int index = 0; index < dayCount; ++index) {
      T13Day day;
      day.calendar = sheet.calendar[static_cast<std::size_t>(index)];
      if (found != worked.end()) {
        day.worked = found->second.hours[static_cast<std::size_t>(index)].worked;
        day.night = found->second.hours[static_cast<std::size_t>(index)].night;
      }
      const auto absent = absentOn.find({rowKey, index});
      const bool holidayInLeave =
          absent != absentOn.end() && day.calendar.kind == DayKind::Holiday &&
          (absent->second->code == kCodeAnnualLeave || absent->second->code == kCodeExtraLeave);
      if (absent != absentOn.end() && !holidayInLeave) {
        day.absence = absent->second->code;
        day.absenceNote = absent->second->note;
        ++absentDays[day.absence];
      }
      if (const auto corrected = correctedOn.find({rowKey, index}); corrected != correctedOn.end())
        day.correction = corrected->second;
      Mark(day);
      row.halves[index < 15 ? 0 : 1] += day;
      row.month += day;
      row.night += day.night;
      if (!day.calendar.Working()) row.dayOffWork += day.worked;
      if (!day.absence) row.norm += day.calendar.normSeconds;
      row.days.push_back(std::move(day));
    }
    for (const auto& [code, days] : absentDays) row.absences.push_back({code, days});
    if (found != worked.end()) worked.erase(found);
    sheet.rows.push_back(std::move(row));
  };

  // The unit every row shares, when they share one.
  const auto shared = [&sheet] {
    if (sheet.rows.empty()) return std::string();
    for (const T13Row& row : sheet.rows)
      if (row.department != sheet.rows.front().department) return std::string();
    return sheet.rows.front().department;
  };
  const std::string unit(TrimRight(department));
  std::unordered_map<std::string, bool> listed;
  for (const auto& entry : LoadPeople(db)) {
    const std::string personLogin(TrimRight(entry.values.login));
    const std::string personKey = LoginKey(personLogin);
    if (personKey.empty() || (!login.empty() && personKey != key) ||
        !listed.emplace(personKey, true).second ||
        (!unit.empty() && TrimRight(entry.values.department) != unit))
      continue;
    addRow(personKey, personLogin, entry.values);
  }
  // Logins nobody has entered belong to no department.
  if (!unit.empty()) {
    sheet.unit = unit;
    return sheet;
  }
  if (!login.empty() && listed.empty()) {
    const auto found = worked.find(key);
    addRow(key, found != worked.end() ? found->second.login : login, {});
    sheet.unit = shared();
    return sheet;
  }
  // The logins nobody has entered, with hours or absences, in login order.
  std::map<std::string, std::string> others;
  for (const auto& [otherKey, person] : worked) others.emplace(otherKey, person.login);
  for (const Absence& absence : absences)
    if (!listed.count(absence.loginKey)) others.emplace(absence.loginKey, absence.login);
  for (const auto& [otherKey, otherLogin] : others) {
    if (listed.count(otherKey)) continue;
    addRow(otherKey, otherLogin, {});
  }
  sheet.unit = shared();
  return sheet;
}

}  // namespace vornal
