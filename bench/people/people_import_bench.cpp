// Times the import of a people file of 10,000 people into an empty database
// file (reading the CSV, checking every line, one transaction), and, as the
// baseline in the same run, adding people one at a time as the person
// editor saves them (the login looked up, then one insert in a transaction
// of its own). With a PostgreSQL location, the import is timed there too.
//
//   people_import_bench FOLDER [RUNS] [URI]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "exchange/people_csv.h"
#include "store/schema.h"
#include "text/csv.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPeople = 10000;
constexpr int kBaselinePeople = 1000;

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

std::vector<vornal::PersonValues> MakePeople() {
  std::vector<vornal::PersonValues> people;
  for (int i = 1; i <= kPeople; ++i) {
    const std::string n = std::to_string(i);
    people.push_back({"Сотрудник Номер " + n + " Иванович", std::to_string(20 + i % 45),
                      "Инженер-технолог", "/srv/photos/" + n + ".bmp", "worker" + n,
                      "+7 (495) 000-" + n, "worker" + n + "@example.org",
                      "Отдел " + std::to_string(i % 20), "Т-" + n});
  }
  return people;
}

std::string Csv(const std::vector<vornal::PersonValues>& people) {
  std::string csv =
      vornal::CsvLine({std::begin(vornal::kPeopleColumns), std::end(vornal::kPeopleColumns)});
  for (const auto& p : people)
    csv += vornal::CsvLine(
        {p.name, p.age, p.prof, p.photo, p.login, p.tel, p.email, p.department, p.personnelNumber});
  return csv;
}

vornal::DatabasePtr NewFile(const std::string& path) {
  ::unlink(path.c_str());
  auto db = std::make_unique<vornal::Database>();
  db->Create(path);
  vornal::CreateTables(*db);
  return db;
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: people_import_bench FOLDER [RUNS] [URI]\n");
    return 2;
  }
  const std::string path = std::string(argv[1]) + "/people-bench.mdb";
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const std::vector<vornal::PersonValues> people = MakePeople();
  const std::string csv = Csv(people);
  std::printf("%d people, %zu bytes of CSV, %d runs\n", kPeople, csv.size(), runs);

  std::vector<double> import, baseline;
  for (int run = 0; run < runs; ++run) {
    {
      vornal::DatabasePtr db = NewFile(path);
      const auto start = Clock::now();
      const vornal::PeopleImport result = vornal::ImportPeople(*db, csv);
      import.push_back(Milliseconds(Clock::now() - start));
      if (result.added != kPeople) return 1;
    }
    {
      vornal::DatabasePtr db = NewFile(path);
      const auto start = Clock::now();
      for (int i = 0; i < kBaselinePeople; ++i) {
        if (vornal::FindLoginOwner(*db, people[i].login, std::nullopt)) return 1;
        vornal::InsertPerson(*db, people[i]);
      }
      baseline.push_back(Milliseconds(Clock::now() - start));
    }
  }
  ::unlink(path.c_str());
  std::printf("import, file:            median %8.1f ms for %d people\n", Median(import), kPeople);
  std::printf("one at a time, file:     median %8.1f ms for %d people (%.2f ms each)\n",
              Median(baseline), kBaselinePeople, Median(baseline) / kBaselinePeople);

  if (argc > 3) {
    std::vector<double> server;
    for (int run = 0; run < runs; ++run) {
      vornal::Database db;
      db.Open(argv[3]);
      vornal::CreateServerTables(db);
      db.ExecuteScript("DELETE FROM human");
      const auto start = Clock::now();
      if (vornal::ImportPeople(db, csv).added != kPeople) return 1;
      server.push_back(Milliseconds(Clock::now() - start));
      db.ExecuteScript("DELETE FROM human");
    }
    std::printf("import, PostgreSQL:      median %8.1f ms for %d people\n", Median(server),
                kPeople);
  }
  return 0;
}
