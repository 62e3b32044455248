// vornal-cli tree: the years, months and days of the statistics window.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/format.h"
#include "cli/text_output.h"
#include "stats/period_tree.h"

namespace vornal::cli {

extern const Command kTreeCommand;

namespace {

int Run(Invocation& in) {
  if (!in.Words().empty()) return in.Usage("unexpected argument '" + in.Words()[0] + "'");
  const std::string login = in.Value("--login");
  const PeriodTree tree = BuildPeriodTree(in.Db(), login);
  if (tree.IsEmpty()) {
    std::printf("%s\n", EmptyTreeText(login.empty()).c_str());
    return kExitOk;
  }
  std::string out;
  for (const PeriodTree::Year& year : tree.years) {
    out += YearText(year.year) + '\n';
    for (const PeriodTree::Month& month : year.months) {
      out += "  " + MonthText(month.month) + '\n';
      for (const int day : month.days) out += "    " + DayText(day) + '\n';
    }
  }
  WriteOut(out);
  return kExitOk;
}

}  // namespace

const Command kTreeCommand{
    "tree",
    "years, months and days that hold logged intervals",
    {"[--db PATH] tree [--login LOGIN]"},
    "Prints the years (from 1981 to the current year), months and days in which\n"
    "an interval of LOGIN, or of anybody without --login, begins or ends: one\n"
    "node a line, months indented by two blanks and days by four. With nothing\n"
    "logged it prints \"База данных пуста\" (everybody) or \"Нет данных\" (a login).\n",
    {{"--login", "LOGIN", "one person's intervals"}},
    "Exit codes: 0 success, 1 failure, 2 wrong command line.\n",
    Run};

}  // namespace vornal::cli
