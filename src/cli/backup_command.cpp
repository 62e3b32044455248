// vornal-cli backup: a copy of the database file taken while it is in use.
#include <cstdio>

#include "cli/command.h"
#include "cli/text_output.h"
#include "store/output_file.h"

namespace vornal::cli {

extern const Command kBackupCommand;

namespace {

int Run(Invocation& in) {
  std::string file;
  for (const std::string& word : in.Words()) {
    if (!file.empty() || word.starts_with("--"))
      return in.Usage("unexpected argument '" + word + "'");
    file = word;
  }
  if (file.empty()) return in.Usage("say which file to write");
  if (IsServerLocation(in.Location())) {
    std::fprintf(stderr,
                 "vornal-cli backup: %s is a PostgreSQL database; back it up with the server's "
                 "own tools, such as pg_dump -Fc -f vornal.dump DBNAME\n",
                 DisplayLocation(in.Location()).c_str());
    return kExitUsage;
  }
  Database& db = in.ExistingDb();
  try {
    const std::int64_t bytes = db.Connection().BackUp(file, in.Has("--force"));
    std::printf("Backed up %s into %s (%lld bytes).\n", db.Description().c_str(), file.c_str(),
                static_cast<long long>(bytes));
    return kExitOk;
  } catch (const OutputError& e) {
    if (e.GetReason() == OutputError::Reason::Exists)
      std::fprintf(stderr, "vornal-cli backup: %s exists; give --force to replace it\n",
                   Escaped(file).c_str());
    else
      std::fprintf(stderr, "vornal-cli backup: %s\n", Escaped(e.what()).c_str());
  }
  return kExitFailure;
}

}  // namespace

const Command kBackupCommand{
    "backup",
    "copy the database file while it is in use",
    {"[--db PATH] backup FILE [--force]"},
    "Copies the open database file into FILE with SQLite's online backup, in\n"
    "steps, while the window and collections go on using it; a step that meets\n"
    "a collection's commit waits for it, and a copy overtaken by a write starts\n"
    "again. The copy is written under a temporary name beside FILE and renamed\n"
    "when complete, so FILE never holds half a copy. An existing FILE is\n"
    "replaced only with --force (it keeps its permissions); the database\n"
    "itself, a link, a device or a FIFO never. A new FILE gets the database\n"
    "file's permissions (less the umask). The copy is a database like the\n"
    "original: vornal-cli --db FILE check --storage.\n"
    "\n"
    "A PostgreSQL database is backed up with the server's tools (pg_dump).\n",
    {{"--force", nullptr, "replace an existing FILE"}},
    "Exit codes: 0 copied, 1 failed (FILE untouched), 2 wrong command line or a\n"
    "PostgreSQL database.\n",
    Run};

}  // namespace vornal::cli
