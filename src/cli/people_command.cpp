// vornal-cli people: the person list of the statistics window.
#include <cstdio>

#include "cli/command.h"
#include "cli/text_output.h"
#include "stats/period_queries.h"

namespace vornal::cli {

extern const Command kPeopleCommand;

namespace {

int Run(const Context& context, const Args& args) {
  if (!args.empty()) return UsageError(kPeopleCommand, "unexpected argument '" + args[0] + "'");
  const DatabasePtr db = OpenOrCreate(context.dbPath);
  for (const PersonEntry& person : ListPeople(*db))
    std::printf("%s\n", Escaped(PersonListText(person)).c_str());
  return kExitOk;
}

}  // namespace

const Command kPeopleCommand{"people", "list the people as the statistics window does",
                             "Usage: vornal-cli [--db PATH] people\n"
                             "\n"
                             "Lists the people in ID order, one a line, as the statistics window\n"
                             "lists them: \"3. Петров Пётр (petrov)\".\n",
                             Run};

}  // namespace vornal::cli
