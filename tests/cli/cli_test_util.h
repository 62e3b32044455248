#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "intake/intake_test_util.h"
#include "test_util.h"

namespace vornal::test {

struct CliResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Starts a program (found on PATH when not a path) in `cwd` with its output
// going to files there (the standard output to `out`, when given); the
// process id. On the test server, the folder's database is given as
// VORNAL_DB.
inline pid_t StartProgram(const std::string& cwd, const std::string& program,
                          const std::vector<std::string>& args, const char* out = ".cli.out") {
  const std::string db = DatabaseIn(cwd);
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  if (::chdir(cwd.c_str()) != 0) ::_exit(127);
  if (OnServer())
    ::setenv("VORNAL_DB", db.c_str(), 1);
  else
    ::unsetenv("VORNAL_DB");
  const int output = ::open(out, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = ::open(".cli.err", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ::dup2(output, 1);
  ::dup2(err, 2);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  ::execvp(program.c_str(), argv.data());
  ::_exit(127);
}

// Starts vornal-cli in `cwd`; the process id.
inline pid_t StartCli(const std::string& cwd, const std::vector<std::string>& args) {
  return StartProgram(cwd, VORNAL_CLI, args);
}

inline CliResult WaitCli(const std::string& cwd, pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  CliResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  result.out = ReadFile(cwd + "/.cli.out");
  result.err = ReadFile(cwd + "/.cli.err");
  return result;
}

// Waits at most `seconds` for the run; a run still going then is killed and
// reported with exit code -1000.
inline CliResult WaitCliWithin(const std::string& cwd, pid_t pid, int seconds) {
  for (int waited = 0; waited < seconds * 100; ++waited) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      CliResult result;
      result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
      result.out = ReadFile(cwd + "/.cli.out");
      result.err = ReadFile(cwd + "/.cli.err");
      return result;
    }
    ::usleep(10000);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  return {-1000, ReadFile(cwd + "/.cli.out"), ReadFile(cwd + "/.cli.err")};
}

inline CliResult RunCli(const std::string& cwd, const std::vector<std::string>& args) {
  return WaitCli(cwd, StartCli(cwd, args));
}

inline CliResult RunProgram(const std::string& cwd, const std::string& program,
                            const std::vector<std::string>& args) {
  return WaitCli(cwd, StartProgram(cwd, program, args));
}

// Working folders w0, w1, ... under `cwd`, stored as slots 1, 2, ... by
// vornal-cli, each holding its buffer as main.buf.
inline void MakeOffice(const std::string& cwd, const std::vector<std::string>& buffers) {
  for (std::size_t i = 0; i < buffers.size(); ++i) {
    const std::string folder = cwd + "/w" + std::to_string(i);
    std::filesystem::create_directory(folder);
    ASSERT_EQ(RunCli(cwd, {"folders", "set", std::to_string(i + 1), folder}).exitCode, 0);
    WriteFile(folder + "/main.buf", buffers[i]);
  }
}

// The LOGS rows of the database of the office in `cwd`.
inline std::string RowsIn(const std::string& cwd) {
  Database db;
  db.Open(DatabaseIn(cwd));
  return DumpRows(db);
}

}  // namespace vornal::test
