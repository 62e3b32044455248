// vornal-cli status: who is at work now, and what each folder's latest
// collection did.
#include <algorithm>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/format.h"
#include "cli/text_output.h"
#include "intake/folder_status.h"
#include "stats/period_queries.h"
#include "stats/presence.h"
#include "text/csv.h"

namespace vornal::cli {

extern const Command kStatusCommand;

namespace {

using Table = std::vector<std::vector<std::string>>;

// The rows of a table in columns two blanks apart.
std::string Aligned(const Table& table) {
  std::vector<std::size_t> widths;
  for (const auto& row : table) {
    widths.resize(std::max(widths.size(), row.size()));
    for (std::size_t c = 0; c < row.size(); ++c)
      widths[c] = std::max(widths[c], DisplayWidth(row[c]));
  }
  std::string out;
  for (const auto& row : table) {
    std::string line = " ";
    for (std::size_t c = 0; c < row.size(); ++c) {
      line += ' ' + row[c];
      if (c + 1 < row.size()) line.append(widths[c] - DisplayWidth(row[c]) + 1, ' ');
    }
    out += line + '\n';
  }
  return out;
}

std::string Csv(const Table& table) {
  std::string out;
  for (const auto& row : table) out += CsvLine(row);
  return out;
}

std::string Minutes(const DateTime& time) {
  return time.Format("%Y-%m-%d %H:%M");
}

Table PeopleTable(Database& db, const std::optional<DateTime>& latest, bool csv) {
  const std::vector<PersonEntry> people = ListPeople(db);
  std::vector<std::string> logins;
  for (const PersonEntry& person : people) logins.push_back(person.login);
  const std::vector<Presence> presence = PresenceOf(db, logins, latest);
  Table table{{"ID", "Name", "Login", "State"}};
  if (csv) table.front().push_back("Time");
  for (std::size_t i = 0; i < people.size(); ++i) {
    std::vector<std::string> row{std::to_string(people[i].id),
                                 Escaped(std::string(TrimRight(people[i].name))),
                                 Escaped(people[i].login)};
    const Presence& p = presence[i];
    const char* state = p.state == Presence::State::AtWork ? "at-work"
                        : p.state == Presence::State::Away ? "away"
                                                           : "unknown";
    if (csv) {
      row.push_back(state);
      row.push_back(p.state == Presence::State::Unknown ? "" : p.time.ToIso());
    } else if (p.state == Presence::State::AtWork) {
      row.push_back("at work since " + Minutes(p.time));
    } else if (p.state == Presence::State::Away) {
      row.push_back("last seen " + Minutes(p.time));
    } else {
      row.push_back("no event collected");
    }
    table.push_back(std::move(row));
  }
  return table;
}

// A folder a line; in CSV the slot notes follow as lines of their own with
// the note last, in the text they are printed under the table. With several
// sites, CSV lines end with the site's name.
Table FoldersTable(const OfficeStatus& office, bool csv, const std::string& site = {}) {
  Table table;
  if (csv)
    table.push_back({"Slot", "Folder", "CollectedAt", "Files", "Events", "KeptAside", "Waiting",
                     "NotCollected", "Note"});
  else
    table.push_back({"Slot", "Folder", "Last collection", "Files", "Events", "Kept aside",
                     "Waiting", "Not collected"});
  constexpr std::size_t kCounts = 6;  // the columns from the collection time on
  for (const FolderStatus& folder : office.folders) {
    std::vector<std::string> row{std::to_string(folder.slot), Escaped(folder.folder)};
    if (folder.collectedAt)
      row.insert(row.end(), {folder.collectedAt->ToIso(), std::to_string(folder.files),
                             std::to_string(folder.events), std::to_string(folder.keptAside),
                             std::to_string(folder.waiting), std::to_string(folder.failures)});
    else if (csv)
      row.resize(row.size() + kCounts);
    else
      row.push_back("never");
    if (csv) row.emplace_back();
    table.push_back(std::move(row));
  }
  if (csv)
    for (const SlotNote& note : office.notes) {
      std::vector<std::string> row{std::to_string(note.slot), Escaped(note.path)};
      row.resize(row.size() + kCounts);
      row.push_back(Escaped(SlotNoteText(note)));
      table.push_back(std::move(row));
    }
  if (csv && !site.empty()) {
    table.front().push_back("Site");
    for (std::size_t i = 1; i < table.size(); ++i) table[i].push_back(Escaped(site));
  }
  return table;
}

// Every site's folders, by site; a database of one site shows them as it
// always did.
std::string FoldersPart(Database& db, bool csv) {
  const std::vector<SiteStatus> sites = SiteStatuses(db);
  const bool one = sites.size() == 1 && sites.front().here;
  std::string out;
  for (std::size_t i = 0; i < sites.size(); ++i) {
    const SiteStatus& site = sites[i];
    const Table table = FoldersTable(site.status, csv, one ? std::string() : site.site);
    if (csv) {
      out += Csv(i == 0 ? table : Table(table.begin() + 1, table.end()));
      continue;
    }
    if (i) out += "\n";
    out += one ? std::string("Folders\n")
               : "Folders of site " + Escaped(site.site) + (site.here ? " (this site)" : "") + "\n";
    out += table.size() > 1 ? Aligned(table) : "  none\n";
    for (const SlotNote& note : site.status.notes) out += "  " + Escaped(SlotNoteText(note)) + "\n";
  }
  return out;
}

int Run(Invocation& in) {
  if (!in.Words().empty()) return in.Usage("unexpected argument '" + in.Words()[0] + "'");
  const bool csv = in.Has("--csv");
  bool people = in.Has("--people"), folders = in.Has("--folders");
  if (!people && !folders) people = folders = true;
  Database& db = in.Db();
  const std::optional<DateTime> latest = LatestEvent(db, DateTime::Now());
  std::string out;
  if (people) {
    const Table table = PeopleTable(db, latest, csv);
    if (csv) {
      out += Csv(table);
    } else {
      out += "People (latest event collected: " + (latest ? Minutes(*latest) : "none") + ")\n";
      out += table.size() > 1 ? Aligned(table) : "  none\n";
    }
  }
  if (folders) {
    if (people) out += "\n";
    out += FoldersPart(db, csv);
  }
  WriteOut(out);
  return kExitOk;
}

}  // namespace

const Command kStatusCommand{
    "status",
    "who is at work now, and what each folder's latest collection did",
    {"[--db PATH] status [--people | --folders] [--csv]"},
    "People: each person in ID order with the state the collected events show:\n"
    "at work since the begin of the working day (an unfinished working day that\n"
    "went on at most 5 minutes before the latest event collected for anybody),\n"
    "else the time of the person's latest event, else none collected.\n"
    "\n"
    "Folders: every folder the slots name now (patterns expanded), in the order\n"
    "'process' visits them, with its latest collection: when, files and events\n"
    "applied, lines kept aside, claimed files left waiting, files not collected;\n"
    "then the slots that name no folder. A database of several sites shows each\n"
    "site's (by name; CSV lines end with a Site column): another site's slots as\n"
    "stored, each with the folders its collector last collected.\n",
    {{"--people", nullptr, "only the people (both parts without --people or --folders)"},
     {"--folders", nullptr, "only the folders"},
     {"--csv", nullptr,
      "RFC 4180 CSV, a header line per part, a blank line between the two; people: "
      "ID,Name,Login,State,Time with State at-work, away or unknown"}},
    "Exit codes: 0 success, 1 failure, 2 wrong command line.\n",
    Run};

}  // namespace vornal::cli
