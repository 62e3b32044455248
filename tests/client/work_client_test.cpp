#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "client/buffer_file.h"
#include "client/client_settings.h"
#include "client/client_test_util.h"
#include "client/local_files.h"
#include "intake/folder_sweep.h"
#include "stats/daily_totals.h"
#include "test_util.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;

DateTime Day(int day, int hour, int minute = 0) {
  return *DateTime::FromParts(2026, 11, day, hour, minute);
}

struct Desk {
  test::TempDir dir;
  std::string folder = dir.File("w");
  std::string state = dir.File("state");
  test::TestClock clock{Day(2, 9)};

  Desk() { fs::create_directory(folder); }
  WorkClient Client() const {
    ClientSettings settings;
    settings.folder = folder;
    settings.login = "иванов";
    settings.startAtLogin = false;
    settings.interval = 120;
    return WorkClient(settings, state, clock);
  }
  // What the office counts for the login on the day, from main.buf.
  WorkedTime Office(const DateTime& day) const {
    Database db;
    db.OpenMemory();
    CreateTables(db);
    SweepOptions options;
    options.quietPeriod = 0;
    EXPECT_TRUE(ProcessBufferFile(db, folder + "/main.buf", options));
    const DailyTotals totals = ComputeDailyTotals(db, day, day, "");
    if (totals.logins.empty()) return {};
    EXPECT_EQ(totals.logins.size(), 1u);
    EXPECT_EQ(totals.logins[0].login, "иванов");
    return {totals.total.work, totals.total.tasks};
  }
};

// A day with a task, a locked screen and an offline hour: the events reach
// main.buf in the order they happened, the spool is sent as soon as the
// folder is back and then removed, and the office counts what the client
// counts, to the second, even when the spool's lines arrive twice (a crash
// after the flush's write, before the spool was removed).
TEST(WorkClient, DayReachesTheOfficeAsTheClientCountsIt) {
  Desk desk;
  WorkClient client = desk.Client();
  ASSERT_EQ(client.StartDay(), WorkClient::Outcome::Done);
  EXPECT_EQ(client.StartDay(), WorkClient::Outcome::AlreadyOpen);
  test::RunUntil(client, desk.clock, Day(2, 9, 30));
  ASSERT_EQ(client.StartTask(), WorkClient::Outcome::Done);
  test::RunUntil(client, desk.clock, Day(2, 10));
  client.SetActive(false);  // locked for 20 minutes: no go-on events
  test::RunUntil(client, desk.clock, Day(2, 10, 20));
  client.SetActive(true);
  test::RunUntil(client, desk.clock, Day(2, 11));
  // The share goes away for an hour.
  fs::rename(desk.folder, desk.folder + ".away");
  test::RunUntil(client, desk.clock, Day(2, 12));
  ASSERT_EQ(client.StopTask(), WorkClient::Outcome::Done);
  const ClientStatus offline = client.Status();
  EXPECT_EQ(offline.state.folderError, ENOENT);
  EXPECT_GT(offline.waiting, 50);
  const std::string spooled = ReadLocal(client.SpoolPath());
  fs::rename(desk.folder + ".away", desk.folder);
  test::RunUntil(client, desk.clock, Day(2, 12, 30));
  ASSERT_EQ(client.StopDay(), WorkClient::Outcome::Done);
  EXPECT_EQ(client.StopDay(), WorkClient::Outcome::NotOpen);
  EXPECT_FALSE(fs::exists(client.SpoolPath()));
  EXPECT_EQ(client.Status().state.folderError, 0);

  // In order: each line's time no earlier than the one before.
  const std::string written = ReadLocal(desk.folder + "/main.buf");
  DateTime previous;
  int lines = 0;
  for (std::size_t at = 0, end; (end = written.find('\n', at)) != std::string::npos;
       at = end + 1, ++lines) {
    const auto event = ReadEventLine(written.substr(at, end - at));
    ASSERT_TRUE(event) << written.substr(at, end - at);
    EXPECT_LE(previous, event->time);
    previous = event->time;
  }
  const std::string first = "2026|11|2|9|0|0|иванов|StartWDay|\n";
  EXPECT_EQ(written.substr(0, first.size()), first);

  const WorkedTime counted = client.Status().today;
  // 9:00-10:00 and 10:20-12:30 (the lock cuts the row); the task 9:30-10:00
  // and 10:20-12:00.
  EXPECT_EQ(counted.work, (60 + 130) * 60);
  EXPECT_EQ(counted.tasks, (30 + 100) * 60);
  std::ofstream(desk.folder + "/main.buf", std::ios::app) << written << spooled;
  EXPECT_EQ(desk.Office(Day(2, 0)), counted);
}

// The running program and a command share the state: what one opened the
// other sees. A day left open over night by a session that ended without
// its stop is closed at its own latest event when the next session starts,
// never counted up to the next morning.
TEST(WorkClient, StateIsSharedAndAStaleDayIsNotCountedOnwards) {
  Desk desk;
  WorkClient tray = desk.Client();
  WorkClient command = desk.Client();
  ASSERT_EQ(tray.StartDay(), WorkClient::Outcome::Done);
  desk.clock.Advance(10);
  ASSERT_EQ(command.StartTask(), WorkClient::Outcome::Done);
  EXPECT_EQ(tray.Status().state.taskSince, Day(2, 9).AddSeconds(10));
  EXPECT_EQ(tray.NextDue(), Day(2, 9, 2));

  desk.clock.Set(Day(3, 8));
  WorkClient next = desk.Client();
  next.BeginSession();
  const ClientStatus status = next.Status();
  EXPECT_FALSE(status.state.daySince);
  EXPECT_FALSE(status.state.taskSince);
  EXPECT_EQ(desk.Office(Day(2, 0)), (WorkedTime{0, 0}));
}

TEST(ClientSettings, LayeredExpandedAndChecked) {
  test::TempDir dir;
  fs::create_directories(dir.File("etc/Vornal"));
  fs::create_directories(dir.File("home/Vornal"));
  std::ofstream(dir.File("etc/Vornal/client.conf"))
      << "[General]\nfolder = /srv/vornal/%u/\ninterval=30\n# comment\n";
  std::ofstream(dir.File("home/Vornal/client.conf")) << "interval=45\nstart_at_login=false\n";
  ::setenv("XDG_CONFIG_DIRS", dir.File("etc").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", dir.File("home").c_str(), 1);
  ClientSettings settings = ExpandClientSettings(ReadClientSettings(ClientConfigFiles()), "petrov");
  EXPECT_EQ(settings.folder, "/srv/vornal/petrov/");
  EXPECT_EQ(settings.login, "petrov");
  EXPECT_EQ(settings.interval, 45);
  EXPECT_FALSE(settings.startAtLogin);
  EXPECT_EQ(CheckClientSettings(settings), std::nullopt);  // missing: offline, not wrong

  // The program's own settings file reads back as written, holding only
  // what differs from the administrator's defaults.
  ClientSettings own = ReadClientSettings(ClientConfigFiles());
  own.login = "Пётр";
  WriteClientSettings(UserConfigFile(), own, ReadClientSettings({ClientConfigFiles()[0]}));
  EXPECT_EQ(ReadLocal(UserConfigFile()),
            "[General]\nlogin=Пётр\ninterval=45\nstart_at_login=false\n");
  EXPECT_EQ(ReadClientSettings(ClientConfigFiles()).folder, "/srv/vornal/%u/");

  const auto problem = [&](auto change) {
    ClientSettings changed = settings;
    change(changed);
    return CheckClientSettings(changed);
  };
  fs::create_directory_symlink(dir.Path(), dir.File("link"));
  ::mkfifo(dir.File("fifo").c_str(), 0600);
  EXPECT_EQ(problem([](auto& s) { s.folder.clear(); }), SettingsProblem::NoFolder);
  EXPECT_EQ(problem([&](auto& s) { s.folder = dir.File("link") + "/"; }),
            SettingsProblem::FolderIsLink);
  EXPECT_EQ(problem([&](auto& s) { s.folder = dir.File("fifo"); }), SettingsProblem::FolderIsFifo);
  EXPECT_EQ(problem([](auto& s) { s.interval = 300; }), SettingsProblem::IntervalTooLong);
  EXPECT_EQ(problem([](auto& s) { s.interval = -1; }), SettingsProblem::IntervalInvalid);
  EXPECT_EQ(problem([](auto& s) { s.login = "a|b"; }), SettingsProblem::LoginInvalid);

  // A FIFO or a link put in the place of main.buf is refused, without blocking.
  ::mkfifo(dir.File("home/main.buf").c_str(), 0600);
  EXPECT_NE(AppendToBuffer(dir.File("home"), "x\n"), 0);
  fs::create_symlink(dir.File("etc/Vornal/client.conf"), dir.File("etc/main.buf"));
  EXPECT_EQ(AppendToBuffer(dir.File("etc"), "x\n"), ELOOP);
  EXPECT_EQ(AppendToBuffer(dir.File("link"), "x\n"), ENOTDIR);
}

}  // namespace
}  // namespace vornal
