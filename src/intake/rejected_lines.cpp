#include "intake/rejected_lines.h"

#include <algorithm>

#include "intake/buffer_line.h"
#include "intake/work_events.h"
#include "store/role_grants.h"
#include "store/sites.h"

namespace vornal {
namespace {

constexpr std::size_t kMaxLogin = 100;

struct ReasonName {
  SkipReason reason;
  const char* code;
  const char* text;
};

constexpr ReasonName kReasons[kSkipReasonCount] = {
    {SkipReason::BlankLine, "blank", "blank line"},
    {SkipReason::UnknownEvent, "unknown-event", "unknown or missing event name"},
    {SkipReason::InvalidTime, "invalid-time", "no valid date and time"},
    {SkipReason::LoginTooLong, "login-too-long", "login longer than 100 characters"},
    {SkipReason::ControlCharacter, "control-character", "control character in the login"},
    {SkipReason::LineTooLong, "line-too-long", "line longer than 1 MiB"},
    {SkipReason::AfterEndMark, "after-end-mark", "after an end-of-file mark (0x1A)"},
    {SkipReason::ExtraEvent, "extra-event", "second event on a line"},
};

std::size_t Utf8Length(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// C0 controls, DEL, and the C1 controls U+0080..U+009F (C2 80 .. C2 9F).
bool HasControlCharacter(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) return true;
    if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0)
      return true;
  }
  return false;
}

// The first `limit` bytes of the text, not cutting a UTF-8 sequence.
std::string Head(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

std::optional<SkipReason> ReasonOf(const std::string& code) {
  for (const ReasonName& name : kReasons)
    if (code == name.code) return name.reason;
  return std::nullopt;
}

}  // namespace

const char* SkipReasonText(SkipReason reason) {
  return kReasons[static_cast<std::size_t>(reason)].text;
}

const char* SkipReasonCode(SkipReason reason) {
  return kReasons[static_cast<std::size_t>(reason)].code;
}

LineOutcome ApplyLineText(EventApplier& applier, const std::string& text) {
  LineOutcome outcome;
  if (text.empty()) {
    outcome.skipped = SkipReason::BlankLine;
    return outcome;
  }
  const BufferLine line = ParseBufferLine(text);
  const std::optional<DateTime> time = line.Time();
  if (!IsWorkEvent(line.event))
    outcome.skipped = SkipReason::UnknownEvent;
  else if (!time)
    outcome.skipped = SkipReason::InvalidTime;
  else if (HasControlCharacter(line.login))
    outcome.skipped = SkipReason::ControlCharacter;
  else if (Utf8Length(line.login) > kMaxLogin)
    outcome.skipped = SkipReason::LoginTooLong;
  if (outcome.skipped) return outcome;
  applier.Apply(*time, line.login, line.event);
  outcome.applied = true;
  if (line.rest.find('|') != std::string::npos) outcome.extra = line.rest;
  return outcome;
}

void KeepAside(Database& db, const std::string& folder, const std::string& file, std::int64_t line,
               SkipReason reason, std::int64_t length, const std::string& text,
               const DateTime& collectedAt) {
  db.Execute(
      "INSERT INTO rejected_lines (Folder, File, Line, Reason, CollectedAt, Length, Text, Site) "
      "VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
      folder, file, line, SkipReasonCode(reason), collectedAt, length, Head(text, kKeptTextBytes),
      CurrentSite());
}

std::vector<RejectedLine> ListRejected(Database& db, const std::optional<DateTime>& before) {
  std::vector<RejectedLine> lines;
  Statement query =
      db.Prepare(before ? "SELECT ID, Folder, File, Line, Reason, CollectedAt, Length, Text, Site "
                          "FROM rejected_lines WHERE CollectedAt < ? ORDER BY ID"
                        : "SELECT ID, Folder, File, Line, Reason, CollectedAt, Length, Text, Site "
                          "FROM rejected_lines ORDER BY ID");
  if (before) query.Bind(*before);
  while (query.Step()) {
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
    line.site = query.Text(8);
    lines.push_back(std::move(line));
  }
  return lines;
}

RetrySummary RetryRejected(Database& db) {
  RequireRight(db, Action::RetryKeptAside);
  RetrySummary summary;
  Transaction transaction(db);
  const DateTime now = DateTime::Now();
  {
    EventApplier applier(db);
    for (const RejectedLine& kept : ListRejected(db)) {
      if (kept.site != CurrentSite()) continue;
      if (kept.length > static_cast<std::int64_t>(kept.text.size())) {
        ++summary.kept;
        continue;
      }
      const LineOutcome outcome = ApplyLineText(applier, kept.text);
      if (!outcome.applied) {
        ++summary.kept;
        continue;
      }
      ++summary.applied;
      // A line the role may not take out (another site's) would be applied
      // again by the next retry: nothing of this one is kept.
      if (db.Execute("DELETE FROM rejected_lines WHERE ID = ?", kept.id) != 1)
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
