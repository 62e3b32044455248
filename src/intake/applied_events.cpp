#include "intake/applied_events.h"

#include <algorithm>
#include <array>

namespace vornal {
namespace {

constexpr std::int64_t kDaySeconds = 24 * 60 * 60;
// Events held in memory by one store before its sets are written and
// forgotten (some 4 bytes each).
constexpr std::size_t kMaxHeld = std::size_t{8} << 20;
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

std::int64_t DayOf(std::int64_t seconds) {
  return seconds >= 0 ? seconds / kDaySeconds : -((-seconds + kDaySeconds - 1) / kDaySeconds);
}

// "YYYY-MM-DD" of a day number.
std::string DayText(std::int64_t day) {
  return DateTime::FromSeconds(day * kDaySeconds).ToIso().substr(0, 10);
}

}  // namespace

TimeLimits IntakeTimeLimits(Database& db, const DateTime& now) {
  TimeLimits limits{*DateTime::FromParts(1990, 1, 1), now.AddDays(1)};
  Statement latest = db.Prepare("SELECT MAX(Day) FROM applied_events");
  if (latest.Step() && !latest.IsNull(0))
    if (const auto day = DateTime::FromIso(latest.Text(0))) {
      const DateTime horizon = std::min(*day, now.Date()).AddDays(-kAppliedEventDays);
      limits.earliest = std::max(limits.earliest, horizon);
    }
  return limits;
}

void PruneAppliedEvents(Database& db, const TimeLimits& limits) {
  db.Execute("DELETE FROM applied_events WHERE Day < ?", limits.earliest.ToIso().substr(0, 10));
}

bool AppliedEvents::Add(Login& login, const std::string& loginKey, const DateTime& time, int code) {
  if (m_held >= kMaxHeld) Flush();
  const std::int64_t seconds = time.ToSeconds();
  const std::int64_t day = DayOf(seconds);
  const auto value = static_cast<std::uint32_t>((seconds - day * kDaySeconds) * 8 + code);
  DaySet& set = login.last && login.lastDay == day ? *login.last : Load(login, loginKey, day);
  auto& events = set.events;
  if (events.empty() || value > events.back()) {
    events.push_back(value);
  } else {
    const auto at = std::lower_bound(events.begin(), events.end(), value);
    if (*at == value) return false;
    events.insert(at, value);
  }
  set.dirty = true;
  ++m_held;
  return true;
}

AppliedEvents::DaySet& AppliedEvents::Load(Login& login, const std::string& loginKey,
                                           std::int64_t day) {
  auto [it, fresh] = login.days.try_emplace(day, &m_memory);
  if (fresh) {
    Statement query =
        m_db.Prepare("SELECT Events FROM applied_events WHERE LoginKey = ? AND Day = ?");
    query.Bind(loginKey, DayText(day));
    if (query.Step()) {
      const std::vector<std::uint32_t> stored = DecodeEventSet(query.TextView(0));
      it->second.events.assign(stored.begin(), stored.end());
    }
    m_held += it->second.events.size();
  }
  login.lastDay = day;
  login.last = &it->second;
  return it->second;
}

void AppliedEvents::Flush() {
  for (auto& [key, login] : m_logins)
    for (auto& [day, set] : login.days) {
      if (!set.dirty) continue;
      m_db.Send(
          "INSERT INTO applied_events (LoginKey, Day, Events) VALUES (?, ?, ?) "
          "ON CONFLICT (LoginKey, Day) DO UPDATE SET Events = excluded.Events",
          key, DayText(day), EncodeEventSet(set.events));
      set.dirty = false;
    }
  if (m_held >= kMaxHeld) {
    // The logins stay (callers hold them), their sets go.
    for (auto& [key, login] : m_logins) {
      login.days.clear();
      login.last = nullptr;
    }
    m_memory.release();
    m_held = 0;
  }
}

std::string EncodeEventSet(std::span<const std::uint32_t> sorted) {
  std::string out;
  out.reserve(sorted.size() * 2);
  std::uint32_t previous = 0;
  for (const std::uint32_t value : sorted) {
    std::uint32_t step = value - previous;
    previous = value;
    do {
      const std::uint32_t digit = step & 0x1F;
      step >>= 5;
      out += kAlphabet[digit | (step ? 0x20 : 0)];
    } while (step);
  }
  return out;
}

std::vector<std::uint32_t> DecodeEventSet(std::string_view text) {
  static const auto digits = [] {
    std::array<int, 256> table{};
    table.fill(-1);
    for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = i;
    return table;
  }();
  std::vector<std::uint32_t> values;
  values.reserve(text.size());
  std::uint32_t value = 0;
  std::uint32_t step = 0;
  int shift = 0;
  for (const char c : text) {
    const int digit = digits[static_cast<unsigned char>(c)];
    if (digit < 0 || shift > 25) break;
    step |= static_cast<std::uint32_t>(digit & 0x1F) << shift;
    shift += 5;
    if (digit & 0x20) continue;
    value += step;
    values.push_back(value);
    step = 0;
    shift = 0;
  }
  return values;
}

}  // namespace vornal
