#include "forms/timesheet_codes.h"

#include <algorithm>
#include <charconv>

#include "text/date_time.h"
#include "text/login_key.h"

namespace vornal {
namespace {

constexpr TimesheetCode kCodes[] = {
    {1, "Я", "Продолжительность работы в дневное время", "Day work", false},
    {2, "Н", "Продолжительность работы в ночное время", "Night work", false},
    {3, "РВ", "Работа в выходные и нерабочие праздничные дни", "Work on days off and holidays",
     false},
    {4, "С", "Сверхурочная работа", "Overtime", false},
    {6, "К", "Служебная командировка", "Business trip", true},
    {7, "ПК", "Повышение квалификации с отрывом от работы", "Training away from work", true},
    {9, "ОТ", "Ежегодный основной оплачиваемый отпуск", "Annual paid leave", true},
    {10, "ОД", "Ежегодный дополнительный оплачиваемый отпуск", "Additional paid leave", true},
    {11, "У", "Учебный отпуск с сохранением заработной платы", "Study leave with pay", true},
    {13, "УД", "Учебный отпуск без сохранения заработной платы", "Study leave without pay", true},
    {14, "Р", "Отпуск по беременности и родам", "Maternity leave", true},
    {15, "ОЖ", "Отпуск по уходу за ребенком", "Parental leave", true},
    {16, "ДО", "Отпуск без сохранения заработной платы с разрешения работодателя",
     "Unpaid leave by the employer's consent", true},
    {17, "ОЗ", "Отпуск без сохранения заработной платы по законодательству", "Unpaid leave by law",
     true},
    {19, "Б", "Временная нетрудоспособность с назначением пособия", "Sickness with benefit", true},
    {20, "Т", "Временная нетрудоспособность без назначения пособия", "Sickness without benefit",
     true},
    {22, "ПВ", "Время вынужденного прогула", "Forced absence", true},
    {23, "Г", "Выполнение государственных или общественных обязанностей", "Public duties", true},
    {24, "ПР", "Прогулы", "Truancy", true},
    {26, "В", "Выходные дни и нерабочие праздничные дни", "Days off and holidays", true},
    {27, "ОВ", "Дополнительные выходные дни (оплачиваемые)", "Extra paid days off", true},
    {28, "НВ", "Дополнительные выходные дни без сохранения заработной платы",
     "Extra unpaid days off", true},
    {30, "НН", "Неявка по невыясненным причинам", "Absence for reasons not yet known", true},
    {31, "РП", "Время простоя по вине работодателя", "Downtime caused by the employer", true},
    {34, "НО", "Отстранение от работы с оплатой", "Suspension with pay", true},
    {35, "НБ", "Отстранение от работы без оплаты", "Suspension without pay", true},
};

}  // namespace

std::span<const TimesheetCode> TimesheetCodes() {
  return kCodes;
}

const TimesheetCode* FindTimesheetCode(int number) {
  const auto found =
      std::find_if(std::begin(kCodes), std::end(kCodes),
                   [number](const TimesheetCode& code) { return code.number == number; });
  return found == std::end(kCodes) ? nullptr : found;
}

const TimesheetCode* ParseTimesheetCode(std::string_view text) {
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error == std::errc() && end == text.data() + text.size() && !text.empty() && text.size() <= 2)
    return FindTimesheetCode(number);
  const std::string key = LoginKey(text);
  for (const TimesheetCode& code : kCodes)
    if (LoginKey(code.letters) == key) return &code;
  return nullptr;
}

std::string CodeNumberText(int number) {
  return (number < 10 ? "0" : "") + std::to_string(number);
}

namespace {

template <class Part>
std::string Joined(const T13Day& day, Part part) {
  std::string text;
  for (const T13Mark& mark : day.marks) {
    const std::string piece = part(mark);
    if (piece.empty()) continue;
    if (!text.empty()) text += '/';
    text += piece;
  }
  return text;
}

std::string Letters(int number) {
  const TimesheetCode* code = FindTimesheetCode(number);
  return code ? std::string(code->letters) : CodeNumberText(number);
}

}  // namespace

std::string DayCodesText(const T13Day& day) {
  return Joined(day, [](const T13Mark& mark) { return Letters(mark.code); });
}

std::string DayCodeNumbersText(const T13Day& day) {
  return Joined(day, [](const T13Mark& mark) { return CodeNumberText(mark.code); });
}

std::string DayHoursText(const T13Day& day) {
  return Joined(day, [](const T13Mark& mark) {
    return mark.seconds > 0 ? HoursText(mark.seconds) : std::string();
  });
}

std::string AbsencesText(const T13Row& row) {
  std::string text;
  for (const T13Row::AbsenceDays& absence : row.absences)
    text += (text.empty() ? "" : ", ") + Letters(absence.code) + ' ' + std::to_string(absence.days);
  return text;
}

}  // namespace vornal
