#include "stats/day_timeline.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "stats/corrections.h"
#include "stats/period_listing.h"
#include "stats/period_queries.h"
#include "text/login_key.h"

namespace vornal {
namespace {

constexpr int kSecondsPerDay = 86400;

}  // namespace

std::vector<DayLane> BuildDayTimeline(Database& db, const DateTime& day, const std::string& login) {
  std::vector<DayLane> lanes;
  std::vector<std::string> keys;                       // of each lane
  std::unordered_map<std::string, std::size_t> byKey;  // LoginKey -> lanes
  const auto lane = [&](const std::string& rowLogin) -> DayLane& {
    auto [found, added] = byKey.try_emplace(LoginKey(rowLogin), lanes.size());
    if (added) {
      lanes.push_back({rowLogin, {}, {}});
      keys.push_back(found->first);
    }
    return lanes[found->second];
  };
  if (!login.empty()) lane(login);

  const std::int64_t midnight = day.Date().ToSeconds();
  PeriodReader reader(db, day, day, login);
  while (reader.Next()) {
    const ListedRow& row = reader.Row();
    if (row.label == RowLabel::Unknown) continue;
    DayLane& target = lane(reader.Login());
    if (row.begin == ListedRow::kNoTime || row.end == ListedRow::kNoTime || row.end < row.begin)
      continue;
    const int begin = static_cast<int>(row.begin - midnight);
    const int end = static_cast<int>(std::min<std::int64_t>(row.end - midnight, kSecondsPerDay));
    target.bars.push_back({begin,
                           end,
                           row.end - midnight,
                           IsTaskLabel(row.label),
                           row.id,
                           row.label == RowLabel::DayDone || row.label == RowLabel::TaskDone,
                           {}});
  }
  // Corrected rows: the latest reason of each.
  std::unordered_map<std::int64_t, std::string> reasons;
  for (CorrectionMark& mark : CorrectionMarks(db, day, day, login))
    reasons[mark.rowId] = std::move(mark.reason);
  if (!reasons.empty())
    for (DayLane& each : lanes)
      for (DayLane::Bar& bar : each.bars)
        if (const auto found = reasons.find(bar.id); found != reasons.end())
          bar.correction = found->second;

  // Names from the person list, and its order first.
  std::vector<std::size_t> rank(lanes.size(), SIZE_MAX);
  std::size_t next = 0;
  for (const PersonEntry& person : ListPeople(db)) {
    const auto found = byKey.find(LoginKey(person.login));
    if (found == byKey.end() || rank[found->second] != SIZE_MAX) continue;
    rank[found->second] = next++;
    DayLane& named = lanes[found->second];
    named.name = std::string(TrimRight(person.name));
    if (!login.empty()) named.login = std::string(TrimRight(person.login));
  }
  std::vector<std::size_t> order(lanes.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (rank[a] != rank[b]) return rank[a] < rank[b];
    return keys[a] < keys[b];
  });
  std::vector<DayLane> sorted;
  sorted.reserve(lanes.size());
  for (const std::size_t i : order) sorted.push_back(std::move(lanes[i]));
  return sorted;
}

std::optional<DateTime> LastDayWithRows(Database& db, const DateTime& first, const DateTime& last,
                                        const std::string& login) {
  const DateTime from = first.Date();
  const DateTime after = last.Date().AddDays(1);
  Statement statement =
      db.Prepare(login.empty() ? "SELECT MAX(BeginTime) FROM logs WHERE BeginTime >= ? AND "
                                 "BeginTime < ?"
                               : "SELECT MAX(BeginTime) FROM logs WHERE LoginKey = ? AND "
                                 "BeginTime >= ? AND BeginTime < ?");
  if (login.empty())
    statement.Bind(from, after);
  else
    statement.Bind(LoginKey(login), from, after);
  if (!statement.Step() || statement.IsNull(0)) return std::nullopt;
  const std::optional<DateTime> time = statement.Time(0);
  if (!time) return std::nullopt;
  return time->Date();
}

}  // namespace vornal
