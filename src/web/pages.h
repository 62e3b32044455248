#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "stats/timesheet.h"
#include "store/database.h"

namespace vornal::web {

enum class Lang { Ru, En };

// Russian unless the browser prefers English (Accept-Language, by q).
Lang LanguageOf(std::string_view acceptLanguage);

// The one who is logged in: a viewer sees everybody, a manager the people
// of one department.
struct Account {
  std::string name;
  bool manager = false;
  std::string department;
};

// The login keys (LoginKey) of the people the account may see; nothing for
// everybody.
std::optional<std::set<std::string>> VisibleKeys(Database& db, const Account& account);
bool MaySee(const std::optional<std::set<std::string>>& keys, std::string_view login);

// The timesheet of only the people with these keys, its totals summed anew.
void KeepRows(Timesheet& sheet, const std::set<std::string>& keys);

// The departments of the person list, sorted, each once.
std::vector<std::string> Departments(Database& db);

// A page's frame: the title, the menu for the account, the body; `refresh`
// reloads it every so many seconds.
std::string Layout(Lang lang, const Account* account, std::string_view title,
                   std::string_view active, const std::string& body, int refresh = 0);

std::string LoginPage(Lang lang, std::string_view message, std::string_view name);
std::string PresencePage(Database& db, const Account& account, Lang lang);
std::string PeoplePage(Database& db, const Account& account, Lang lang, std::string_view search);
// Nothing when the account may not see the login, or nobody has it and no
// row names it.
std::optional<std::string> PersonPage(Database& db, const Account& account, Lang lang,
                                      const std::string& login, int year, int month);
std::optional<std::string> DayPage(Database& db, const Account& account, Lang lang,
                                   const std::string& login, const DateTime& day);
// The month timesheet as a page, with links to its files.
std::string TimesheetPage(const Timesheet& sheet, const Account& account, Lang lang,
                          const std::vector<std::string>& departments, std::string_view department);
std::string CollectionPage(Database& db, const Account& account, Lang lang);
std::string MessagePage(Lang lang, const Account* account, std::string_view title,
                        std::string_view text);

// The working day drawn as SVG: an hour scale, work bars, task bars.
std::string TimelineSvg(const std::vector<std::pair<int, int>>& work,
                        const std::vector<std::pair<int, int>>& tasks, Lang lang);

// The stylesheet every page links.
extern const char* const kStylesheet;

}  // namespace vornal::web
