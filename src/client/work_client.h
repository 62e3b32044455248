#pragma once

#include <functional>
#include <optional>
#include <string>

#include "client/client_settings.h"
#include "client/event_line.h"
#include "text/date_time.h"

namespace vornal {

// Where the client takes its time from: the machine's clock in the
// program, a clock the test sets in tests.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual DateTime Now() const = 0;
};
class MachineClock final : public Clock {
 public:
  DateTime Now() const override { return DateTime::Now(); }
};

// What is open and since when, kept in the state folder so that it
// survives a restart and is the same for every client program of the user.
struct ClientState {
  std::optional<DateTime> daySince;
  std::optional<DateTime> dayLast;  // the latest event of the day
  std::optional<DateTime> taskSince;
  std::optional<DateTime> taskLast;
  int folderError = 0;  // errno of the latest write to the folder; 0 when it was written
};

struct ClientStatus {
  ClientState state;
  int waiting = 0;   // events in the spool
  WorkedTime today;  // as the office will count it
};

// The worker's side of the working day. Every step takes the state folder's
// lock, reads the state, writes its events and saves the state, so that a
// command and the running program take turns and agree.
//
// An event is written to main.buf in the folder (see AppendToBuffer). When
// that fails, or events are already waiting, it is appended to the spool in
// the state folder instead; the spool goes to main.buf in one write, in
// order, as soon as the folder can be written, and is removed only once
// that write is synced. A crash between the two repeats its lines, which
// the office applies once. Every event is also added to the log, from which
// the client counts the time worked.
class WorkClient {
 public:
  // `settings` expanded and checked.
  WorkClient(ClientSettings settings, std::string stateFolder, const Clock& clock);

  enum class Outcome { Done, AlreadyOpen, NotOpen };
  Outcome StartDay();
  // Stops the task first when one is open.
  Outcome StopDay();
  // Starts the day first when none is open.
  Outcome StartTask();
  Outcome StopTask();

  // The session starts: a day or task left open by an earlier session whose
  // events stopped over five minutes ago (the office has closed them at
  // their latest event) is stopped; then the day opens when the settings say so.
  void BeginSession();
  // The session ends (logout, shutdown): the task and the day are stopped.
  void EndSession();

  // While the screen is locked, the user idle or the machine asleep, no
  // go-on events are written. Becoming active again writes them at once.
  void SetActive(bool active);
  bool Active() const { return m_active; }
  // Writes go-on events now for what is open, due or not (while active).
  void Mark();

  // Writes the go-on events that are due and sends what waits in the spool.
  void Tick();
  // When Tick() has something to do next; nothing when nothing is open and
  // nothing waits.
  std::optional<DateTime> NextDue() const;

  ClientStatus Status() const;
  const ClientSettings& Settings() const { return m_settings; }
  // New settings (expanded and checked) from the next event on.
  void Reconfigure(ClientSettings settings) { m_settings = std::move(settings); }
  std::string SpoolPath() const { return m_folder + "/spool"; }
  std::string LogPath() const { return m_folder + "/log"; }

 private:
  template <class Step>
  auto Locked(Step step) const;
  ClientState Load() const;
  void Save(const ClientState& state) const;
  void Write(ClientState& state, WorkEvent event) const;
  void OpenDay(ClientState& state) const;
  void Flush(ClientState& state) const;
  void GoOn(ClientState& state, bool force) const;
  void StopStale(ClientState& state) const;
  int Waiting() const;

  ClientSettings m_settings;
  std::string m_folder;
  const Clock& m_clock;
  bool m_active = true;
};

}  // namespace vornal
