#include "web/pages.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "cli/format.h"
#include "intake/folder_status.h"
#include "stats/day_timeline.h"
#include "stats/period_queries.h"
#include "stats/presence.h"
#include "store/people.h"
#include "text/login_key.h"
#include "web/html.h"

namespace vornal::web {
namespace {

const char* L(Lang lang, const char* ru, const char* en) {
  return lang == Lang::Ru ? ru : en;
}

const char* MonthName(Lang lang, int month) {
  static constexpr const char* kRu[] = {"январь",   "февраль", "март",   "апрель",
                                        "май",      "июнь",    "июль",   "август",
                                        "сентябрь", "октябрь", "ноябрь", "декабрь"};
  static constexpr const char* kEn[] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
  const int index = month < 1 ? 0 : month > 12 ? 11 : month - 1;
  return (lang == Lang::Ru ? kRu : kEn)[index];
}

const char* WeekdayName(Lang lang, int weekday) {
  static constexpr const char* kRu[] = {"Пн", "Вт", "Ср", "Чт", "Пт", "Сб", "Вс"};
  static constexpr const char* kEn[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  const int index = weekday < 0 ? 0 : weekday > 6 ? 6 : weekday;
  return (lang == Lang::Ru ? kRu : kEn)[index];
}

std::string Period(Lang lang, int year, int month) {
  return std::string(MonthName(lang, month)) + ' ' + std::to_string(year);
}

std::string Minutes(const DateTime& time) {
  return time.Format("%d.%m.%Y %H:%M");
}

std::string Clock(int seconds) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", seconds / 3600 % 100, seconds / 60 % 60);
  return text;
}

// "Name (login)", or the login alone.
std::string PersonText(const std::string& name, const std::string& login) {
  const std::string trimmed(TrimRight(name));
  return trimmed.empty() ? Html(login)
                         : Html(trimmed) + " <span class=login>(" + Html(login) + ")</span>";
}

std::string PersonLink(const std::string& name, const std::string& login) {
  return "<a href=\"/person?login=" + UrlValue(login) + "\">" + PersonText(name, login) + "</a>";
}

std::string MonthLink(const std::string& path, const std::string& extra, int year, int month) {
  return path + "?year=" + std::to_string(year) + "&amp;month=" + std::to_string(month) + extra;
}

std::pair<int, int> MonthAfter(int year, int month, int step) {
  const int index = year * 12 + month - 1 + step;
  return {index / 12, index % 12 + 1};
}

std::string MonthNavigation(Lang lang, const std::string& path, const std::string& extra, int year,
                            int month) {
  const auto [py, pm] = MonthAfter(year, month, -1);
  const auto [ny, nm] = MonthAfter(year, month, 1);
  return "<p class=nav><a href=\"" + MonthLink(path, extra, py, pm) + "\">&larr; " +
         Period(lang, py, pm) + "</a> <strong>" + Period(lang, year, month) +
         "</strong> <a href=\"" + MonthLink(path, extra, ny, nm) + "\">" + Period(lang, ny, nm) +
         " &rarr;</a></p>";
}

std::string Cell(const DayWork& work) {
  return cli::WorkCellText(work);
}

}  // namespace

Lang LanguageOf(std::string_view header) {
  double best = 0;
  Lang lang = Lang::Ru;
  while (!header.empty()) {
    const std::size_t comma = header.find(',');
    std::string_view item = header.substr(0, comma);
    header = comma == std::string_view::npos ? std::string_view() : header.substr(comma + 1);
    double q = 1;
    if (const std::size_t semi = item.find(';'); semi != std::string_view::npos) {
      const std::string_view rest = item.substr(semi + 1);
      if (const std::size_t eq = rest.find("q="); eq != std::string_view::npos) {
        // Not atof: the C locale Qt sets may read "0.9" as 0.
        const std::string_view number = rest.substr(eq + 2);
        if (std::from_chars(number.data(), number.data() + number.size(), q).ec != std::errc())
          q = 0;
      }
      item = item.substr(0, semi);
    }
    while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
    const std::string_view primary = item.substr(0, item.find('-'));
    const bool ru = primary == "ru", en = primary == "en";
    if ((ru || en) && q > best) {
      best = q;
      lang = ru ? Lang::Ru : Lang::En;
    }
  }
  return lang;
}

bool MaySee(const std::optional<std::set<std::string>>& keys, std::string_view login) {
  return !keys || keys->count(LoginKey(login)) > 0;
}

void KeepRows(Timesheet& sheet, const std::set<std::string>& keys) {
  std::erase_if(sheet.rows,
                [&](const Timesheet::Row& row) { return !keys.count(LoginKey(row.login)); });
  sheet.columnTotals.assign(sheet.columnTotals.size(), DayWork{});
  sheet.total = {};
  for (const Timesheet::Row& row : sheet.rows) {
    for (std::size_t c = 0; c < row.cells.size() && c < sheet.columnTotals.size(); ++c)
      sheet.columnTotals[c] += row.cells[c];
    sheet.total += row.total;
  }
}

const char* const kStylesheet = R"css(
:root{--ink:#1d2430;--muted:#5b6575;--line:#d5dae1;--head:#f1f4f8;--accent:#1f5fa8;--work:#2f8f5b;--task:#d08a1e}
*{box-sizing:border-box}
body{margin:0;font:15px/1.45 "DejaVu Sans",system-ui,sans-serif;color:var(--ink);background:#fff}
header{display:flex;flex-wrap:wrap;gap:.3em 1.2em;align-items:center;padding:.6em 1em;background:var(--head);border-bottom:1px solid var(--line)}
header .brand{font-weight:bold}
header nav{display:flex;flex-wrap:wrap;gap:.2em .9em}
header nav a{color:var(--accent);text-decoration:none;padding:.15em 0}
header nav a.on{font-weight:bold;border-bottom:2px solid var(--accent)}
header form{margin-left:auto}
main{padding:.8em 1em;max-width:100%}
h1{font-size:1.35em;margin:.2em 0 .6em}
h2{font-size:1.1em}
a{color:var(--accent)}
table{border-collapse:collapse;margin:.4em 0}
th,td{border:1px solid var(--line);padding:.25em .5em;text-align:left;vertical-align:top}
th{background:var(--head)}
td.n,th.n{text-align:right;font-variant-numeric:tabular-nums}
.wide{overflow-x:auto;max-width:100%}
.sheet td,.sheet th{padding:.15em .25em;font-size:.8em;white-space:nowrap;text-align:right;font-variant-numeric:tabular-nums}
.sheet col.we{background:#eef0f3}.sheet td:nth-last-child(2){font-weight:bold}
.sheet td:first-child,.sheet th:first-child{position:sticky;left:0;z-index:1;background:#fff;white-space:normal;min-width:9em;max-width:15em;text-align:left}
.sheet th:first-child{background:var(--head)}
.sheet .we,tr.we td{background:#eef0f3}
.sheet tfoot td,.sheet .sum{font-weight:bold}
.login,.muted{color:var(--muted)}
.atwork{color:var(--work);font-weight:bold}
.nav a{margin:0 .5em}
form.inline{display:flex;flex-wrap:wrap;gap:.4em;align-items:center;margin:.4em 0}
input,select,button{font:inherit;padding:.3em .5em}
.error{color:#a11;font-weight:bold}
.login-box{max-width:22em;margin:2em auto}
.login-box label{display:block;margin:.5em 0 .2em}
.login-box input{width:100%}
svg{max-width:100%;height:auto}
@page{size:A4 landscape;margin:1cm}
@media (max-width:600px){body{font-size:14px}main{padding:.5em}header form{margin-left:0}}
@media print{header nav,header form,form.inline,.nav,.files{display:none}tfoot{display:table-row-group}header{background:none;border:0}
.wide{overflow:visible}.sheet td,.sheet th{font-size:7pt}a{color:inherit;text-decoration:none}}
)css";

std::string Layout(Lang lang, const Account* account, std::string_view title,
                   std::string_view active, const std::string& body, int refresh) {
  std::string out = "<!DOCTYPE html>\n<html lang=\"";
  out += lang == Lang::Ru ? "ru" : "en";
  out +=
      "\"><head><meta charset=\"utf-8\"><meta name=\"viewport\" content=\"width=device-width, "
      "initial-scale=1\">";
  if (refresh > 0)
    out += "<meta http-equiv=\"refresh\" content=\"" + std::to_string(refresh) + "\">";
  out += "<title>" + Html(title) +
         " — Vornal</title><link rel=\"stylesheet\" href=\"/style.css\">"
         "</head><body><header><span class=brand>Vornal</span>";
  if (account) {
    struct Item {
      const char* path;
      const char* ru;
      const char* en;
    };
    static constexpr Item kItems[] = {{"/", "Сейчас на работе", "At work now"},
                                      {"/people", "Сотрудники", "People"},
                                      {"/timesheet", "Табель", "Timesheet"},
                                      {"/collection", "Сбор", "Collection"}};
    out += "<nav>";
    for (const Item& item : kItems) {
      if (account->manager && std::string_view(item.path) == "/collection") continue;
      out += std::string("<a href=\"") + item.path + "\"" +
             (active == item.path ? " class=on" : "") + ">" + L(lang, item.ru, item.en) + "</a>";
    }
    out += "</nav><form method=post action=\"/logout\"><span class=muted>" + Html(account->name) +
           "</span> <button type=submit>" + L(lang, "Выйти", "Log out") + "</button></form>";
  }
  out += "</header><main><h1>" + Html(title) + "</h1>" + body + "</main></body></html>\n";
  return out;
}

std::string MessagePage(Lang lang, const Account* account, std::string_view title,
                        std::string_view text) {
  return Layout(lang, account, title, "", "<p>" + Html(text) + "</p>");
}

std::string LoginPage(Lang lang, std::string_view message, std::string_view name) {
  std::string body = "<form class=login-box method=post action=\"/login\">";
  if (!message.empty()) body += "<p class=error>" + Html(message) + "</p>";
  body += std::string("<label for=name>") + L(lang, "Имя", "Name") +
          "</label><input id=name name=name autocomplete=username required value=\"" + Html(name) +
          "\"><label for=password>" + L(lang, "Пароль", "Password") +
          "</label><input id=password name=password type=password autocomplete=current-password "
          "required><p><button type=submit>" +
          L(lang, "Войти", "Log in") + "</button></p></form>";
  return Layout(lang, nullptr, L(lang, "Вход", "Log in"), "", body);
}

std::string PresencePage(Database& db, const Account& account, Lang lang) {
  const auto keys = VisibleKeys(db, account);
  const std::optional<DateTime> latest = LatestEvent(db, DateTime::Now());
  std::vector<PersonEntry> people = ListPeople(db);
  std::erase_if(people, [&](const PersonEntry& p) { return !MaySee(keys, p.login); });
  std::vector<std::string> logins;
  for (const PersonEntry& person : people) logins.push_back(person.login);
  const std::vector<Presence> presence = PresenceOf(db, logins, latest);

  std::string atWork, away;
  int count = 0;
  for (std::size_t i = 0; i < people.size(); ++i) {
    const Presence& p = presence[i];
    std::string row = "<tr><td>" + PersonLink(people[i].name, people[i].login) + "</td><td>";
    if (p.state == Presence::State::AtWork) {
      ++count;
      atWork += row + "<span class=atwork>" + L(lang, "на работе с ", "at work since ") +
                Minutes(p.time) + "</span></td></tr>";
    } else if (p.state == Presence::State::Away) {
      away += row + L(lang, "последний раз ", "last seen ") + Minutes(p.time) + "</td></tr>";
    } else {
      away += row + "<span class=muted>" + L(lang, "событий нет", "no event collected") +
              "</span></td></tr>";
    }
  }
  std::string body =
      "<p class=muted>" +
      std::string(L(lang, "Последнее собранное событие: ", "Latest event collected: ")) +
      (latest ? Minutes(*latest) : L(lang, "нет", "none")) + ". " +
      L(lang, "На работе: ", "At work: ") + std::to_string(count) + " / " +
      std::to_string(people.size()) + "</p>";
  const std::string head = std::string("<table><thead><tr><th>") + L(lang, "Сотрудник", "Person") +
                           "</th><th>" + L(lang, "Состояние", "State") +
                           "</th></tr></thead><tbody>";
  body += head + atWork + away + "</tbody></table>";
  return Layout(lang, &account, L(lang, "Сейчас на работе", "At work now"), "/", body, 30);
}

std::string PeoplePage(Database& db, const Account& account, Lang lang, std::string_view search) {
  const auto keys = VisibleKeys(db, account);
  const std::string key = SearchKey(search);
  std::string body =
      "<form class=inline method=get action=\"/people\"><input name=q type=search "
      "aria-label=\"" +
      std::string(L(lang, "Поиск", "Search")) + "\" placeholder=\"" +
      L(lang, "имя или логин", "name or login") + "\" value=\"" + Html(search) +
      "\"><button type=submit>" + L(lang, "Найти", "Search") + "</button></form>";
  std::string rows;
  int found = 0;
  for (const Person& person : LoadPeople(db)) {
    const PersonValues& values = person.values;
    if (!MaySee(keys, values.login)) continue;
    if (!key.empty() && SearchKey(values.name).find(key) == std::string::npos &&
        SearchKey(values.login).find(key) == std::string::npos)
      continue;
    ++found;
    rows += "<tr><td><a href=\"/person?login=" + UrlValue(values.login) + "\">" +
            Html(std::string(TrimRight(values.name))) + "</a></td><td>" + Html(values.login) +
            "</td><td>" + Html(values.department) + "</td></tr>";
  }
  if (found == 0)
    body += std::string("<p>") + L(lang, "Никого не найдено.", "Nobody found.") + "</p>";
  else
    body += std::string("<table><thead><tr><th>") + L(lang, "ФИО", "Name") + "</th><th>" +
            L(lang, "Логин", "Login") + "</th><th>" + L(lang, "Отдел", "Department") +
            "</th></tr></thead><tbody>" + rows + "</tbody></table>";
  return Layout(lang, &account, L(lang, "Сотрудники", "People"), "/people", body);
}

std::optional<std::string> PersonPage(Database& db, const Account& account, Lang lang,
                                      const std::string& login, int year, int month) {
  if (login.empty() || !MaySee(VisibleKeys(db, account), login)) return std::nullopt;
  std::optional<Timesheet> sheet = BuildTimesheet(db, year, month, login);
  if (!sheet || sheet->rows.empty()) return std::nullopt;
  const Timesheet::Row& row = sheet->rows.front();
  // A login nobody has entered is shown for a month it has rows in.
  if (row.name.empty() && row.total.rows == 0) return std::nullopt;
  const std::string extra = "&amp;login=" + UrlValue(login);
  std::string body = "<p>" + PersonText(row.name, row.login) + "</p>" +
                     MonthNavigation(lang, "/person", extra, year, month);
  body += std::string("<table><thead><tr><th>") + L(lang, "День", "Day") + "</th><th class=n>" +
          L(lang, "Работа", "Work") + "</th><th class=n>" + L(lang, "Задания", "Tasks") +
          "</th></tr></thead><tbody>";
  for (int c = 0; c < sheet->ColumnCount(); ++c) {
    const DateTime date = sheet->ColumnDate(c);
    const DayWork& cell = row.cells[static_cast<std::size_t>(c)];
    std::string day = date.Format("%d.%m") + ' ' + WeekdayName(lang, WeekdayOf(date));
    if (cell.HasWork())
      day = "<a href=\"/day?login=" + UrlValue(login) + "&amp;date=" + date.Format("%Y-%m-%d") +
            "\">" + day + "</a>";
    body += std::string("<tr") + (sheet->IsWeekend(c) ? " class=we" : "") + "><td>" + day +
            "</td><td class=n>" + Cell(cell) + "</td><td class=n>" +
            (cell.HasWork() ? cli::TaskText(cell) : "") + "</td></tr>";
  }
  body += std::string("</tbody><tfoot><tr class=sum><td>") +
          L(lang, "Итого, дней: ", "Total, days: ") + std::to_string(row.total.days) +
          "</td><td class=n>" + cli::WorkText(row.total) + "</td><td class=n>" +
          cli::TaskText(row.total) + "</td></tr></tfoot></table>";
  return Layout(
      lang, &account,
      std::string(TrimRight(row.name)).empty() ? row.login : std::string(TrimRight(row.name)),
      "/people", body);
}

std::string TimelineSvg(const std::vector<std::pair<int, int>>& work,
                        const std::vector<std::pair<int, int>>& tasks, Lang lang) {
  constexpr int kLeft = 24, kWidth = 960, kHeight = 86;
  const auto x = [](int seconds) { return kLeft + seconds * kWidth / 86400; };
  std::string svg = "<svg class=timeline xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " +
                    std::to_string(kWidth + 2 * kLeft) + " " + std::to_string(kHeight) +
                    "\" role=img aria-label=\"" + L(lang, "Рабочий день", "Working day") + "\">";
  svg += "<rect x=\"" + std::to_string(kLeft) + "\" y=\"8\" width=\"" + std::to_string(kWidth) +
         "\" height=\"48\" fill=\"#f4f6f9\" stroke=\"#d5dae1\"/>";
  for (int hour = 0; hour <= 24; ++hour) {
    const std::string hx = std::to_string(x(hour * 3600));
    svg += "<line x1=\"" + hx + "\" x2=\"" + hx + "\" y1=\"8\" y2=\"" + (hour % 3 ? "56" : "62") +
           "\" stroke=\"#c3c9d2\"/>";
    if (hour % 3 == 0)
      svg += "<text x=\"" + hx +
             "\" y=\"78\" font-size=\"13\" text-anchor=\"middle\" "
             "fill=\"#5b6575\">" +
             std::to_string(hour) + ":00</text>";
  }
  const auto bars = [&](const std::vector<std::pair<int, int>>& spans, int y, int h,
                        const char* colour) {
    for (const auto& [begin, end] : spans)
      svg += "<rect x=\"" + std::to_string(x(begin)) + "\" y=\"" + std::to_string(y) +
             "\" width=\"" + std::to_string(std::max(1, x(end) - x(begin))) + "\" height=\"" +
             std::to_string(h) + "\" fill=\"" + colour + "\"><title>" + Clock(begin) + "–" +
             Clock(end) + "</title></rect>";
  };
  bars(work, 12, 22, "#2f8f5b");
  bars(tasks, 38, 14, "#d08a1e");
  svg += "</svg>";
  return svg;
}

std::optional<std::string> DayPage(Database& db, const Account& account, Lang lang,
                                   const std::string& login, const DateTime& day) {
  if (login.empty() || !MaySee(VisibleKeys(db, account), login)) return std::nullopt;
  const std::vector<DayLane> lanes = BuildDayTimeline(db, day, login);
  if (lanes.empty()) return std::nullopt;
  const DayLane& lane = lanes.front();
  std::vector<std::pair<int, int>> work, tasks;
  std::string rows;
  std::int64_t workSum = 0, taskSum = 0;
  for (const DayLane::Bar& bar : lane.bars) {
    (bar.task ? tasks : work).emplace_back(bar.begin, bar.end);
    (bar.task ? taskSum : workSum) += bar.end - bar.begin;
    rows += "<tr><td>" +
            std::string(bar.task ? L(lang, "задание", "task") : L(lang, "работа", "work")) +
            "</td><td class=n>" + Clock(bar.begin) + "</td><td class=n>" + Clock(bar.end) +
            "</td><td class=n>" + HoursText(bar.end - bar.begin) + "</td></tr>";
  }
  std::string body = "<p>" + PersonText(lane.name, lane.login) + " — " + day.Format("%d.%m.%Y") +
                     ", " + WeekdayName(lang, WeekdayOf(day)) + "</p>";
  body += "<p class=nav><a href=\"/day?login=" + UrlValue(login) +
          "&amp;date=" + day.AddDays(-1).Format("%Y-%m-%d") + "\">&larr; " +
          day.AddDays(-1).Format("%d.%m") + "</a> <a href=\"" +
          MonthLink("/person", "&amp;login=" + UrlValue(login), day.Year(), day.Month()) + "\">" +
          Period(lang, day.Year(), day.Month()) + "</a> <a href=\"/day?login=" + UrlValue(login) +
          "&amp;date=" + day.AddDays(1).Format("%Y-%m-%d") + "\">" +
          day.AddDays(1).Format("%d.%m") + " &rarr;</a></p>";
  body += "<div class=wide>" + TimelineSvg(work, tasks, lang) + "</div>";
  if (lane.bars.empty()) {
    body +=
        std::string("<p>") + L(lang, "В этот день работы нет.", "No work on this day.") + "</p>";
  } else {
    body += std::string("<table><thead><tr><th></th><th class=n>") + L(lang, "Начало", "Begin") +
            "</th><th class=n>" + L(lang, "Конец", "End") + "</th><th class=n>" +
            L(lang, "Время", "Time") + "</th></tr></thead><tbody>" + rows +
            "</tbody><tfoot><tr class=sum><td colspan=3>" +
            L(lang, "Работа / задания", "Work / tasks") + "</td><td class=n>" + HoursText(workSum) +
            " / " + HoursText(taskSum) + "</td></tr></tfoot></table>";
  }
  return Layout(lang, &account, L(lang, "День", "Day"), "/people", body);
}

std::string TimesheetPage(const Timesheet& sheet, const Account& account, Lang lang,
                          const std::vector<std::string>& departments,
                          std::string_view department) {
  std::string extra;
  if (!department.empty()) extra = "&amp;department=" + UrlValue(department);
  std::string body = MonthNavigation(lang, "/timesheet", extra, sheet.year, sheet.month);
  if (!account.manager && !departments.empty()) {
    body +=
        "<form class=inline method=get action=\"/timesheet\"><input type=hidden name=year "
        "value=\"" +
        std::to_string(sheet.year) + "\"><input type=hidden name=month value=\"" +
        std::to_string(sheet.month) + "\"><select name=department aria-label=\"" +
        L(lang, "Отдел", "Department") + "\"><option value=\"\">" +
        L(lang, "Все отделы", "All departments") + "</option>";
    for (const std::string& d : departments)
      body += "<option value=\"" + Html(d) + "\"" + (d == department ? " selected" : "") + ">" +
              Html(d) + "</option>";
    body += std::string("</select><button type=submit>") + L(lang, "Показать", "Show") +
            "</button></form>";
  } else if (account.manager) {
    body +=
        std::string("<p>") + L(lang, "Отдел: ", "Department: ") + Html(account.department) + "</p>";
  }
  const std::string files =
      "?year=" + std::to_string(sheet.year) + "&amp;month=" + std::to_string(sheet.month) + extra;
  body += "<p class=files><a href=\"/timesheet.csv" + files +
          "\" download>CSV</a> · <a href=\"/timesheet.pdf" + files + "\">PDF</a></p>";
  // A thousand rows of 31 days: cells without classes or end tags, the
  // weekend shading from the columns, to keep the page small.
  std::string columns = "<colgroup><col>";
  std::string head = std::string("<tr><th>") + L(lang, "Сотрудник", "Person");
  for (int c = 0; c < sheet.ColumnCount(); ++c) {
    columns += sheet.IsWeekend(c) ? "<col class=we>" : "<col>";
    head += "<th>" + std::to_string(c + 1);
  }
  columns += "<col><col><col></colgroup>";
  head += std::string("<th>") + L(lang, "Дней", "Days") + "<th>" + L(lang, "Работа", "Work") +
          "<th>" + L(lang, "Задания", "Tasks") + "</tr>";
  std::string rows;
  rows.reserve(sheet.rows.size() * (sheet.columnTotals.size() * 6 + 160));
  const auto cells = [&](const std::vector<DayWork>& values, const DayWork& total) {
    for (const DayWork& value : values) {
      rows += "<td>";
      rows += Cell(value);
    }
    rows += "<td>" + std::to_string(total.days) + "<td>" + cli::WorkText(total) + "<td>" +
            cli::TaskText(total) + "\n";
  };
  for (const Timesheet::Row& row : sheet.rows) {
    rows += "<tr><td>" + PersonLink(row.name, row.login);
    cells(row.cells, row.total);
  }
  body += "<div class=wide><table class=sheet>" + columns + "<thead>" + head + "</thead><tbody>" +
          rows + "</tbody><tfoot><tr><td>" + L(lang, "Итого", "Total");
  rows.clear();
  cells(sheet.columnTotals, sheet.total);
  body += rows + "</tfoot></table></div>";
  return Layout(
      lang, &account,
      std::string(L(lang, "Табель: ", "Timesheet: ")) + Period(lang, sheet.year, sheet.month),
      "/timesheet", body);
}

std::string CollectionPage(Database& db, const Account& account, Lang lang) {
  std::string body;
  for (const SiteStatus& site : SiteStatuses(db)) {
    body += "<h2>" + std::string(L(lang, "Площадка ", "Site ")) + Html(site.site) +
            (site.here ? L(lang, " (эта)", " (this one)") : "") + "</h2>";
    if (site.status.folders.empty()) {
      body += std::string("<p>") + L(lang, "Папок нет.", "No folders.") + "</p>";
    } else {
      body += std::string("<div class=wide><table><thead><tr><th>") + L(lang, "Ячейка", "Slot") +
              "</th><th>" + L(lang, "Папка", "Folder") + "</th><th>" +
              L(lang, "Последний сбор", "Latest collection") + "</th><th class=n>" +
              L(lang, "Файлов", "Files") + "</th><th class=n>" + L(lang, "Событий", "Events") +
              "</th><th class=n>" + L(lang, "Отложено строк", "Lines kept aside") +
              "</th><th class=n>" + L(lang, "Ждут", "Waiting") + "</th><th class=n>" +
              L(lang, "Не собрано", "Not collected") + "</th></tr></thead><tbody>";
      for (const FolderStatus& folder : site.status.folders) {
        body += "<tr><td class=n>" + std::to_string(folder.slot) + "</td><td>" +
                Html(folder.folder) + "</td>";
        if (folder.collectedAt)
          body += "<td>" + Minutes(*folder.collectedAt) + "</td><td class=n>" +
                  std::to_string(folder.files) + "</td><td class=n>" +
                  std::to_string(folder.events) + "</td><td class=n>" +
                  std::to_string(folder.keptAside) + "</td><td class=n>" +
                  std::to_string(folder.waiting) + "</td><td class=n>" +
                  std::to_string(folder.failures) + "</td></tr>";
        else
          body += std::string("<td colspan=6 class=muted>") + L(lang, "не собиралась", "never") +
                  "</td></tr>";
      }
      body += "</tbody></table></div>";
    }
  }
  return Layout(lang, &account, L(lang, "Сбор", "Collection"), "/collection", body);
}

}  // namespace vornal::web

namespace vornal::web {

std::optional<std::set<std::string>> VisibleKeys(Database& db, const Account& account) {
  if (!account.manager) return std::nullopt;
  // A manager's department is compared as written; a manager without one
  // sees nobody.
  std::set<std::string> keys;
  if (account.department.empty()) return keys;
  for (const Person& person : LoadPeople(db))
    if (person.values.department == account.department) keys.insert(LoginKey(person.values.login));
  return keys;
}

std::vector<std::string> Departments(Database& db) {
  std::set<std::string> departments;
  for (const Person& person : LoadPeople(db))
    if (!person.values.department.empty()) departments.insert(person.values.department);
  return {departments.begin(), departments.end()};
}

}  // namespace vornal::web
