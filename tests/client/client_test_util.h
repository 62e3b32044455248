#pragma once

#include "client/work_client.h"

namespace vornal::test {

// A clock the test moves.
class TestClock final : public Clock {
 public:
  explicit TestClock(DateTime now) : m_now(now) {}
  DateTime Now() const override { return m_now; }
  void Set(DateTime now) { m_now = now; }
  void Advance(std::int64_t seconds) { m_now = m_now.AddSeconds(seconds); }

 private:
  DateTime m_now;
};

// Moves the clock on in steps of `step` seconds up to `until`, as the
// program's timer would, ticking the client at each.
inline void RunUntil(WorkClient& client, TestClock& clock, const DateTime& until, int step = 20) {
  while (clock.Now() < until) {
    clock.Advance(std::min<std::int64_t>(step, until.SecondsSince(clock.Now())));
    client.Tick();
  }
}

}  // namespace vornal::test
