#include "client/work_client.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <string_view>

#include "client/buffer_file.h"
#include "text/fd.h"
#include "client/local_files.h"

namespace vornal {
namespace {

// The log keeps this many days of events: enough for the time worked
// today and the week's totals.
constexpr int kLogDays = 31;

struct StateField {
  const char* key;
  std::optional<DateTime> ClientState::*time;
};
constexpr StateField kTimes[] = {{"day", &ClientState::daySince},
                                 {"day_last", &ClientState::dayLast},
                                 {"task", &ClientState::taskSince},
                                 {"task_last", &ClientState::taskLast}};

// Calls `line` for each complete line of the text, without its line end.
template <class Line>
void EachLine(std::string_view text, Line line) {
  for (std::size_t end; (end = text.find('\n')) != std::string_view::npos;) {
    line(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
}

bool Due(const std::optional<DateTime>& last, const DateTime& now, int interval) {
  return !last || now.SecondsSince(*last) >= interval || now < *last;
}

}  // namespace

WorkClient::WorkClient(ClientSettings settings, std::string stateFolder, const Clock& clock)
    : m_settings(std::move(settings)), m_folder(std::move(stateFolder)), m_clock(clock) {
  MakePrivateFolder(m_folder);
}

template <class Step>
auto WorkClient::Locked(Step step) const {
  const std::string path = m_folder + "/lock";
  const Fd lock(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!lock) throw ClientFileError(path, errno);
  while (::flock(lock.Get(), LOCK_EX) != 0)
    if (errno != EINTR) throw ClientFileError(path, errno);
  ClientState state = Load();
  if constexpr (std::is_void_v<decltype(step(state))>) {
    step(state);
    Save(state);
  } else {
    auto result = step(state);
    Save(state);
    return result;
  }
}

ClientState WorkClient::Load() const {
  ClientState state;
  EachLine(ReadLocal(m_folder + "/state"), [&](std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return;
    const std::string_view key = line.substr(0, equals);
    const std::string_view value = line.substr(equals + 1);
    for (const StateField& field : kTimes)
      if (key == field.key) state.*field.time = DateTime::FromIso(value);
    if (key == "folder_error") state.folderError = std::atoi(std::string(value).c_str());
  });
  return state;
}

void WorkClient::Save(const ClientState& state) const {
  std::string text;
  for (const StateField& field : kTimes)
    if (state.*field.time)
      text += std::string(field.key) + '=' + (state.*field.time)->ToIso() + '\n';
  if (state.folderError) text += "folder_error=" + std::to_string(state.folderError) + '\n';
  if (text == ReadLocal(m_folder + "/state")) return;
  ReplaceLocal(m_folder + "/state", text);
}

void WorkClient::Write(ClientState& state, WorkEvent event) const {
  const DateTime now = m_clock.Now();
  const std::string line = EventLine(now, m_settings.login, event);
  if (Waiting() > 0) {
    AppendLocal(SpoolPath(), line);
    Flush(state);
  } else if ((state.folderError = AppendToBuffer(m_settings.folder, line)) != 0) {
    AppendLocal(SpoolPath(), line);
  }
  AppendLocal(LogPath(), line);
  switch (event) {
    case WorkEvent::StartWDay:
      state.daySince = now;
      [[fallthrough]];
    case WorkEvent::WorkingDay:
      state.dayLast = now;
      break;
    case WorkEvent::StopWDay:
      state.daySince = state.dayLast = std::nullopt;
      break;
    case WorkEvent::StartWork:
      state.taskSince = now;
      [[fallthrough]];
    case WorkEvent::Working:
      state.taskLast = now;
      break;
    case WorkEvent::StopWork:
      state.taskSince = state.taskLast = std::nullopt;
      break;
  }
}

void WorkClient::Flush(ClientState& state) const {
  std::string lines = ReadLocal(SpoolPath());
  // A line cut by a crash while it was spooled is no event.
  lines.erase(lines.rfind('\n') == std::string::npos ? 0 : lines.rfind('\n') + 1);
  if (!lines.empty() && (state.folderError = AppendToBuffer(m_settings.folder, lines)) != 0) return;
  RemoveLocal(SpoolPath());
}

int WorkClient::Waiting() const {
  int count = 0;
  EachLine(ReadLocal(SpoolPath()), [&](std::string_view) { ++count; });
  return count;
}

void WorkClient::GoOn(ClientState& state, bool force) const {
  const DateTime now = m_clock.Now();
  if (state.daySince && (force || Due(state.dayLast, now, m_settings.interval)))
    Write(state, WorkEvent::WorkingDay);
  if (state.taskSince && (force || Due(state.taskLast, now, m_settings.interval)))
    Write(state, WorkEvent::Working);
}

WorkClient::Outcome WorkClient::StartDay() {
  return Locked([&](ClientState& state) {
    if (state.daySince) return Outcome::AlreadyOpen;
    OpenDay(state);
    return Outcome::Done;
  });
}

void WorkClient::OpenDay(ClientState& state) const {
  // The log keeps the last weeks only.
  const DateTime oldest = m_clock.Now().Date().AddDays(-kLogDays);
  const std::string log = ReadLocal(LogPath());
  std::string kept;
  EachLine(log, [&](std::string_view line) {
    const auto event = ReadEventLine(line);
    if (event && event->time >= oldest) (kept += line) += '\n';
  });
  if (kept.size() != log.size()) ReplaceLocal(LogPath(), kept);
  Write(state, WorkEvent::StartWDay);
}

WorkClient::Outcome WorkClient::StopDay() {
  return Locked([&](ClientState& state) {
    if (!state.daySince) return Outcome::NotOpen;
    StopStale(state);
    if (state.taskSince) Write(state, WorkEvent::StopWork);
    if (state.daySince) Write(state, WorkEvent::StopWDay);
    return Outcome::Done;
  });
}

WorkClient::Outcome WorkClient::StartTask() {
  return Locked([&](ClientState& state) {
    if (state.taskSince) return Outcome::AlreadyOpen;
    if (!state.daySince) OpenDay(state);
    Write(state, WorkEvent::StartWork);
    return Outcome::Done;
  });
}

WorkClient::Outcome WorkClient::StopTask() {
  return Locked([&](ClientState& state) {
    if (!state.taskSince) return Outcome::NotOpen;
    Write(state, WorkEvent::StopWork);
    return Outcome::Done;
  });
}

// The office ends a day's bare start row at its stop however late that
// comes; after a gap a go-on first closes it at its own time, so that hours
// nobody worked are not counted.
void WorkClient::StopStale(ClientState& state) const {
  const DateTime now = m_clock.Now();
  if (state.daySince && state.dayLast == state.daySince &&
      now.SecondsSince(*state.dayLast) > kOfficeGapSeconds)
    Write(state, WorkEvent::WorkingDay);
}

void WorkClient::BeginSession() {
  Locked([&](ClientState& state) {
    const DateTime now = m_clock.Now();
    const auto stale = [&](const std::optional<DateTime>& last) {
      return last && (now < *last || now.SecondsSince(*last) > kOfficeGapSeconds);
    };
    if (stale(state.taskLast)) Write(state, WorkEvent::StopWork);
    if (stale(state.dayLast)) {
      StopStale(state);
      Write(state, WorkEvent::StopWDay);
    }
    if (state.daySince) GoOn(state, false);
  });
  if (m_settings.startAtLogin) StartDay();
}

void WorkClient::EndSession() {
  StopDay();
}

void WorkClient::SetActive(bool active) {
  if (active == m_active) return;
  m_active = active;
  if (active) Locked([&](ClientState& state) { GoOn(state, true); });
}

void WorkClient::Mark() {
  if (m_active) Locked([&](ClientState& state) { GoOn(state, true); });
}

void WorkClient::Tick() {
  Locked([&](ClientState& state) {
    if (m_active) GoOn(state, false);
    if (Waiting() > 0) Flush(state);
  });
}

std::optional<DateTime> WorkClient::NextDue() const {
  const ClientState state = Load();
  std::optional<DateTime> next;
  const auto consider = [&](const DateTime& time) {
    if (!next || time < *next) next = time;
  };
  if (m_active) {
    if (state.daySince && state.dayLast) consider(state.dayLast->AddSeconds(m_settings.interval));
    if (state.taskSince && state.taskLast)
      consider(state.taskLast->AddSeconds(m_settings.interval));
  }
  if (Waiting() > 0) consider(m_clock.Now().AddSeconds(m_settings.interval));
  return next;
}

ClientStatus WorkClient::Status() const {
  ClientStatus status;
  status.state = Load();
  status.waiting = Waiting();
  WorkedTimeCounter counter;
  EachLine(ReadLocal(LogPath()), [&](std::string_view line) {
    if (const auto event = ReadEventLine(line)) counter.Add(event->time, event->event);
  });
  const auto days = counter.Days();
  if (const auto today = days.find(m_clock.Now().Date()); today != days.end())
    status.today = today->second;
  return status;
}

}  // namespace vornal
