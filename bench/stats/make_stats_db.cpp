// Builds a statistics benchmark database: 1,000 logins over ten years
// (2016-2025), about ten million LOGS rows. Each login works on most weekdays:
// one working-day row and three task rows a day; now and then a day runs to
// midnight, and the last day's rows are still open.
//
//   make_stats_db PATH     (PATH must not exist yet)
#include <cstdint>
#include <cstdio>
#include <string>

#include "store/database.h"
#include "store/schema.h"
#include "text/login_key.h"

namespace {

using vornal::DateTime;

// A small deterministic generator, so every build of the file is the same.
class Random {
 public:
  explicit Random(std::uint64_t seed) : m_state(seed) {}
  std::uint32_t Next() {
    m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(m_state >> 33);
  }
  int Between(int low, int high) { return low + static_cast<int>(Next() % (high - low + 1)); }

 private:
  std::uint64_t m_state;
};

constexpr int kLogins = 1000;
constexpr int kFirstYear = 2016;
constexpr int kLastYear = 2025;

std::string LoginName(int i) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "user%04d", i);
  return buffer;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_stats_db PATH\n", stderr);
    return 2;
  }
  auto db = std::make_unique<vornal::Database>();
  db->Create(argv[1]);
  vornal::CreateTables(*db);
  db->ExecuteScript("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-4000000;");

  for (int i = 1; i <= kLogins; ++i)
    db->Execute("INSERT INTO HUMAN (Name, Login, LoginKey) VALUES (?, ?, ?)",
                "Worker " + std::to_string(i), LoginName(i), vornal::LoginKey(LoginName(i)));

  constexpr const char* kInsert =
      "INSERT INTO LOGS (Login, LoginKey, Event, BeginTime, EndTime) VALUES (?, ?, ?, ?, ?)";
  Random random(20021007);
  const DateTime first = *DateTime::FromParts(kFirstYear, 1, 1);
  const DateTime last = *DateTime::FromParts(kLastYear, 12, 31);
  std::int64_t rows = 0;
  db->ExecuteScript("BEGIN");
  for (DateTime day = first; day <= last; day = day.AddDays(1)) {
    // 1970-01-01 was a Thursday: weekday 0 is Monday.
    const auto weekday = (day.ToSeconds() / 86400 + 3) % 7;
    if (weekday >= 5) continue;
    const bool lastDay = day == last;
    for (int i = 1; i <= kLogins; ++i) {
      if (random.Between(0, 99) < 4) continue;  // away
      const std::string login = LoginName(i);
      const DateTime begin = day.AddSeconds(random.Between(8 * 3600, 10 * 3600));
      const bool late = random.Between(0, 49) == 0;
      const DateTime end =
          late ? day.AddDays(1) : begin.AddSeconds(random.Between(8 * 3600, 9 * 3600 + 1800));
      const std::string key = vornal::LoginKey(login);
      db->Execute(kInsert, login, key, lastDay ? "WorkingDay" : "StopWDay", begin, end);
      DateTime taskBegin = begin.AddSeconds(random.Between(60, 900));
      for (int task = 0; task < 3; ++task) {
        const DateTime taskEnd = taskBegin.AddSeconds(random.Between(3600, 2 * 3600 + 1800));
        db->Execute(kInsert, login, key, lastDay && task == 2 ? "Working" : "StopWork", taskBegin,
                    taskEnd);
        taskBegin = taskEnd.AddSeconds(random.Between(60, 600));
      }
      rows += 4;
    }
    db->ExecuteScript("COMMIT; BEGIN");
  }
  db->ExecuteScript("COMMIT");
  std::printf("%s: %lld LOGS rows, %d logins, %d-%d\n", argv[1], static_cast<long long>(rows),
              kLogins, kFirstYear, kLastYear);
  return 0;
}
