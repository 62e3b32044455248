// A worker's week, written by the client's core on a clock this program
// moves: client_week FOLDER STATE_FOLDER LOGIN INTERVAL. Days, tasks, a
// locked screen, a suspend, an offline hour (the folder's write permission
// taken away), a session that ends without its stops. Prints the day
// totals of the client's own log: "YYYY-MM-DD WORK TASKS" in seconds.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "client/client_test_util.h"
#include "client/local_files.h"

using namespace vornal;

int main(int argc, char** argv) {
  if (argc != 5) return 2;
  const std::string folder = argv[1];
  ClientSettings settings;
  settings.folder = folder;
  settings.login = argv[3];
  settings.interval = std::atoi(argv[4]);
  test::TestClock clock(*DateTime::FromParts(2026, 11, 2, 8, 59, 30));
  WorkClient client(settings, argv[2], clock);
  const auto at = [](int day, int hour, int minute) {
    return *DateTime::FromParts(2026, 11, day, hour, minute);
  };
  const auto until = [&](int day, int hour, int minute) {
    test::RunUntil(client, clock, at(day, hour, minute));
  };
  const auto jump = [&](int day, int hour, int minute) { clock.Set(at(day, hour, minute)); };

  // Monday: the session starts the day; a task; the screen locked 25 minutes.
  jump(2, 9, 0);
  client.BeginSession();
  until(2, 10, 0);
  client.StartTask();
  until(2, 12, 0);
  client.StopTask();
  until(2, 13, 0);
  client.SetActive(false);
  until(2, 13, 25);
  client.SetActive(true);
  until(2, 18, 0);
  client.EndSession();

  // Tuesday: the machine sleeps over lunch, without the day's stop.
  jump(3, 8, 45);
  client.BeginSession();
  until(3, 12, 0);
  client.SetActive(false);
  jump(3, 13, 0);
  client.SetActive(true);
  client.StartTask();
  until(3, 17, 30);
  client.EndSession();

  // Wednesday: the share is gone for an hour, a task running across it.
  jump(4, 9, 10);
  client.BeginSession();
  client.StartTask();
  until(4, 11, 0);
  ::chmod(folder.c_str(), 0555);
  until(4, 12, 0);
  ::chmod(folder.c_str(), 0777);
  until(4, 16, 0);
  client.EndSession();

  // Thursday: the session ends without its stops (power lost at 15:00).
  jump(5, 9, 0);
  client.BeginSession();
  client.StartTask();
  until(5, 15, 0);

  // Friday: the next session closes Thursday at its latest event.
  jump(6, 8, 30);
  client.BeginSession();
  until(6, 12, 0);
  client.EndSession();

  WorkedTimeCounter counter;
  const std::string log = ReadLocal(client.LogPath());
  for (std::size_t from = 0, end; (end = log.find('\n', from)) != std::string::npos; from = end + 1)
    if (const auto event = ReadEventLine(log.substr(from, end - from)))
      counter.Add(event->time, event->event);
  for (const auto& [day, worked] : counter.Days())
    std::printf("%s %lld %lld\n", day.ToIso().substr(0, 10).c_str(),
                static_cast<long long>(worked.work), static_cast<long long>(worked.tasks));
  return client.Status().waiting == 0 ? 0 : 1;
}
