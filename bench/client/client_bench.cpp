// Events written per second by the worker's client to a local folder:
// client_bench FOLDER [EVENTS]. Three ways in one run, so that the figures
// compare on the same disk at the same load:
//   append   AppendToBuffer alone: open, one write, fdatasync, close
//   nosync   the same without fdatasync (the baseline: what the sync costs)
//   client   WorkClient's go-on events: the write, the state and the log
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "client/buffer_file.h"
#include "client/work_client.h"

using namespace vornal;

namespace {

class StepClock final : public Clock {
 public:
  DateTime Now() const override { return m_now; }
  void Advance(int seconds) { m_now = m_now.AddSeconds(seconds); }

 private:
  DateTime m_now = *DateTime::FromParts(2026, 11, 2, 9, 0);
};

template <class Step>
void Measure(const char* name, int events, Step step) {
  const auto begin = std::chrono::steady_clock::now();
  for (int i = 0; i < events; ++i) step(i);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  std::printf("%-7s %6d events  %7.3f s  %8.0f events/s\n", name, events, seconds,
              events / seconds);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: client_bench FOLDER [EVENTS]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int events = argc > 2 ? std::atoi(argv[2]) : 2000;
  namespace fs = std::filesystem;
  fs::create_directories(folder + "/w");
  const std::string line = "2026|11|2|9|0|0|ivanov|WorkingDay|\n";

  Measure("append", events, [&](int) {
    if (AppendToBuffer(folder + "/w", line) != 0) std::abort();
  });
  fs::remove(folder + "/w/main.buf");
  Measure("nosync", events, [&](int) {
    const int fd = ::open((folder + "/w/main.buf").c_str(),
                          O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 || ::write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
      std::abort();
    ::close(fd);
  });
  fs::remove(folder + "/w/main.buf");

  StepClock clock;
  ClientSettings settings;
  settings.folder = folder + "/w";
  settings.login = "ivanov";
  settings.interval = 1;
  WorkClient client(settings, folder + "/state", clock);
  client.StartDay();
  Measure("client", events, [&](int) {
    clock.Advance(1);
    client.Tick();
  });
  fs::remove_all(folder + "/w");
  fs::remove_all(folder + "/state");
  return 0;
}
