#include "intake/rejected_lines.h"

#include <algorithm>

#include "intake/buffer_line.h"
#include "intake/work_events.h"
#include "store/role_grants.h"
#include "store/sites.h"
#include "text/utf8.h"

namespace vornal {
namespace {

constexpr std::size_t kMaxLogin = 100;
// U+FFFD: what bytes that are no text in Windows-1251 read as.
constexpr const char* kReplacement = "\xEF\xBF\xBD";

// The words stored in rejected_lines.Reason, in the order of SkipReason.
constexpr const char* kReasonCodes[kSkipReasonCount] = {
    "blank",         "unknown-event",  "invalid-time", "login-too-long",    "control-character",
    "line-too-long", "after-end-mark", "extra-event",  "time-out-of-range", "invalid-character",
    "unended-line",  "already-applied"};

std::optional<SkipReason> ReasonOf(const std::string& code) {
  for (std::size_t i = 0; i < kSkipReasonCount; ++i)
    if (code == kReasonCodes[i]) return static_cast<SkipReason>(i);
  return std::nullopt;
}

}  // namespace

const char* SkipReasonCode(SkipReason reason) {
  return kReasonCodes[static_cast<std::size_t>(reason)];
}

bool KeepsAside(SkipReason reason) {
  return reason != SkipReason::BlankLine && reason != SkipReason::AlreadyApplied;
}

LineEvent ReadLineEvent(const std::string& text, const TimeLimits& limits) {
  LineEvent result;
  if (text.empty()) {
    result.skipped = SkipReason::BlankLine;
    return result;
  }
  BufferLine line = ParseBufferLine(text);
  const std::optional<DateTime> time = line.Time();
  if (!IsWorkEvent(line.event))
    result.skipped = SkipReason::UnknownEvent;
  else if (!time)
    result.skipped = SkipReason::InvalidTime;
  else if (HasControlCharacter(line.login))
    result.skipped = SkipReason::ControlCharacter;
  else if (line.login.find(kReplacement) != std::string::npos)
    result.skipped = SkipReason::InvalidCharacter;
  else if (Utf8Length(line.login) > kMaxLogin)
    result.skipped = SkipReason::LoginTooLong;
  else if (!limits.Allow(*time))
    result.skipped = SkipReason::TimeOutOfRange;
  if (time) result.time = *time;
  result.login = std::move(line.login);
  result.event = std::move(line.event);
  if (line.rest.find('|') != std::string::npos) result.extra = std::move(line.rest);
  return result;
}

namespace {

LineOutcome Apply(EventApplier& applier, LineEvent& line) {
  LineOutcome outcome;
  outcome.skipped = line.skipped;
  if (outcome.skipped) return outcome;
  if (!applier.Apply(line.time, line.login, line.event)) {
    outcome.skipped = SkipReason::AlreadyApplied;
    return outcome;
  }
  outcome.applied = true;
  outcome.extra = std::move(line.extra);
  return outcome;
}

}  // namespace

LineOutcome ApplyLineText(EventApplier& applier, const std::string& text,
                          const TimeLimits& limits) {
  LineEvent line = ReadLineEvent(text, limits);
  return Apply(applier, line);
}

void KeepAside(Database& db, const std::string& folder, const std::string& file, std::int64_t line,
               SkipReason reason, std::int64_t length, const std::string& text,
               const DateTime& collectedAt, bool windows1251) {
  db.Execute(
      "INSERT INTO rejected_lines (Folder, File, Line, Reason, CollectedAt, Length, Text, "
      "Windows1251, Site) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
      folder, file, line, SkipReasonCode(reason), collectedAt, length,
      Utf8Head(text, kKeptTextBytes), windows1251 ? 1 : 0, CurrentSite());
}

namespace {

constexpr const char* kColumns =
    "SELECT ID, Folder, File, Line, Reason, CollectedAt, Length, Text, Windows1251, Site "
    "FROM rejected_lines ";

RejectedLine Row(const Statement& query) {
  RejectedLine line;
  line.id = query.Int(0);
  line.folder = query.Text(1);
  line.file = query.Text(2);
  line.line = query.Int(3);
  line.reasonCode = query.Text(4);
  line.reason = ReasonOf(line.reasonCode).value_or(SkipReason::UnknownEvent);
  line.collectedAt = query.Text(5);
  line.length = query.Int(6);
  line.text = query.Text(7);
  line.windows1251 = query.Int(8) != 0;
  line.site = query.Text(9);
  return line;
}

}  // namespace

std::optional<RejectedLine> UnendedLineOf(Database& db, const std::string& folder) {
  Statement query =
      db.Prepare(std::string(kColumns) + "WHERE Site = ? AND Folder = ? ORDER BY ID DESC LIMIT 1");
  query.Bind(CurrentSite(), folder);
  if (!query.Step()) return std::nullopt;
  RejectedLine line = Row(query);
  if (line.reason != SkipReason::UnendedLine ||
      line.length > static_cast<std::int64_t>(line.text.size()))
    return std::nullopt;
  return line;
}

int ForgetRejected(Database& db, std::int64_t id) {
  return db.Execute("DELETE FROM rejected_lines WHERE ID = ?", id);
}

std::vector<RejectedLine> ListRejected(Database& db, const std::optional<DateTime>& before) {
  std::vector<RejectedLine> lines;
  Statement query = db.Prepare(std::string(kColumns) +
                               (before ? "WHERE CollectedAt < ? ORDER BY ID" : "ORDER BY ID"));
  if (before) query.Bind(*before);
  while (query.Step()) lines.push_back(Row(query));
  return lines;
}

RetrySummary RetryRejected(Database& db, const RetryOptions& options) {
  RequireRight(db, Action::RetryKeptAside);
  RetrySummary summary;
  Transaction transaction(db);
  // Collections and other retries wait, or are waited for: a line is
  // applied by one of them.
  db.Connection().Lock(DatabaseLock::Intake);
  const DateTime now = options.now.value_or(DateTime::Now());
  const TimeLimits limits = IntakeTimeLimits(db, now);
  {
    AppliedEvents applied(db);
    EventApplier applier(db, &applied);
    for (const RejectedLine& kept : ListRejected(db)) {
      if (kept.site != CurrentSite()) continue;
      if (kept.length > static_cast<std::int64_t>(kept.text.size())) {
        ++summary.kept;
        continue;
      }
      LineEvent line = ReadLineEvent(kept.text, limits);
      const auto& accept = options.acceptDates;
      if (line.skipped == SkipReason::TimeOutOfRange && accept && accept->first <= line.time &&
          line.time < accept->second.AddDays(1))
        line.skipped.reset();
      const LineOutcome outcome = Apply(applier, line);
      if (!outcome.applied && outcome.skipped != SkipReason::AlreadyApplied) {
        ++summary.kept;
        continue;
      }
      ++(outcome.applied ? summary.applied : summary.before);
      // A line the role may not take out (another site's) would be applied
      // again by the next retry: nothing of this one is kept.
      if (ForgetRejected(db, kept.id) != 1)
        throw MissingRight(Action::RetryKeptAside, CurrentRole(db), "DELETE", "rejected_lines",
                           kept.site);
      if (outcome.extra) {
        KeepAside(db, kept.folder, kept.file, kept.line, SkipReason::ExtraEvent,
                  static_cast<std::int64_t>(outcome.extra->size()), *outcome.extra, now);
        ++summary.kept;
      }
    }
    applier.Flush();
  }
  transaction.Commit();
  return summary;
}

std::int64_t ClearRejected(Database& db, const std::optional<DateTime>& before) {
  RequireRight(db, Action::ClearKeptAside);
  if (before) return db.Execute("DELETE FROM rejected_lines WHERE CollectedAt < ?", *before);
  return db.Execute("DELETE FROM rejected_lines");
}

}  // namespace vornal
