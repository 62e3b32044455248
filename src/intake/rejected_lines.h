#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "intake/event_applier.h"
#include "store/database.h"
#include "store/date_time.h"

namespace vornal {

// Why a line of a buffer file was not applied. Every reason but BlankLine
// keeps the line aside in the table rejected_lines.
enum class SkipReason {
  BlankLine,
  UnknownEvent,      // not one of the six event names, the empty name included
  InvalidTime,       // the six numbers are no valid date and time
  LoginTooLong,      // longer than the 100 characters of LOGS.Login
  ControlCharacter,  // the login holds a control character (ESC, CR, NUL, ...)
  LineTooLong,       // longer than BufferReader::kMaxLine bytes
  AfterEndMark,      // after the byte 0x1A that ends the readable content
  ExtraEvent,        // text after the eighth "|" that looks like another event
};
inline constexpr std::size_t kSkipReasonCount = 8;
// In English, for the command line.
const char* SkipReasonText(SkipReason reason);
// The word stored in rejected_lines.Reason.
const char* SkipReasonCode(SkipReason reason);

// A line kept aside.
struct RejectedLine {
  std::int64_t id = 0;
  std::string folder;
  std::string file;  // the claimed file's name
  std::int64_t line = 0;
  SkipReason reason = SkipReason::UnknownEvent;
  std::string reasonCode;
  std::string collectedAt;  // "YYYY-MM-DD HH:MM:SS"
  std::int64_t length = 0;  // bytes of the whole line
  std::string text;         // its first kKeptTextBytes bytes
  std::string site;         // of the collector that kept it aside
};
inline constexpr std::size_t kKeptTextBytes = 4096;

// What happened to one line.
struct LineOutcome {
  bool applied = false;
  std::optional<SkipReason> skipped;  // the line's reason, when not applied
  // Text after the eighth "|" of an applied line that looks like an event.
  std::optional<std::string> extra;
};

// Parses one decoded line and applies it when it is an event.
LineOutcome ApplyLineText(EventApplier& applier, const std::string& text);

// Keeps a line aside, as this site's (CurrentSite); run it in the
// transaction of the line's file.
void KeepAside(Database& db, const std::string& folder, const std::string& file, std::int64_t line,
               SkipReason reason, std::int64_t length, const std::string& text,
               const DateTime& collectedAt);

// The kept lines, oldest first; with `before`, only those collected before it.
std::vector<RejectedLine> ListRejected(Database& db,
                                       const std::optional<DateTime>& before = std::nullopt);

struct RetrySummary {
  std::int64_t applied = 0;  // applied and taken out of the table
  std::int64_t kept = 0;     // still no event, or kept only in part
};
// Applies, in one transaction, every line this site kept that is now a
// valid event and takes it out of the table, so that it is applied exactly
// once. Lines kept only in part (longer than kKeptTextBytes) stay; other
// sites' lines are theirs to retry.
RetrySummary RetryRejected(Database& db);

// Forgets the kept lines (those collected before `before`, if given); the
// number forgotten.
std::int64_t ClearRejected(Database& db, const std::optional<DateTime>& before = std::nullopt);

}  // namespace vornal
