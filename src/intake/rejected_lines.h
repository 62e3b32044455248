#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "intake/applied_events.h"
#include "intake/event_applier.h"
#include "store/database.h"
#include "text/date_time.h"

namespace vornal {

// Why a line of a buffer file was not applied. Every reason but BlankLine
// and AlreadyApplied keeps the line aside in the table rejected_lines.
enum class SkipReason {
  BlankLine,
  UnknownEvent,      // not one of the six event names, the empty name included
  InvalidTime,       // the six numbers are no valid date and time
  LoginTooLong,      // longer than the 100 characters of LOGS.Login
  ControlCharacter,  // the login holds a control character (ESC, CR, NUL, ...)
  LineTooLong,       // longer than BufferReader::kMaxLine bytes
  AfterEndMark,      // after the byte 0x1A that ends the readable content
  ExtraEvent,        // text after the eighth "|" that looks like another event
  TimeOutOfRange,    // before TimeLimits::earliest or after TimeLimits::latest
  InvalidCharacter,  // the login holds U+FFFD: bytes that are no text in either encoding
  UnendedLine,       // a file's last line, without its line end, is no event
  AlreadyApplied,    // the same event was applied before; not kept aside
};
inline constexpr std::size_t kSkipReasonCount = 12;
// The word stored in rejected_lines.Reason.
const char* SkipReasonCode(SkipReason reason);
// True for the reasons that keep a line aside.
bool KeepsAside(SkipReason reason);

// A line kept aside.
struct RejectedLine {
  std::int64_t id = 0;
  std::string folder;
  std::string file;  // the claimed file's name
  std::int64_t line = 0;
  SkipReason reason = SkipReason::UnknownEvent;
  std::string reasonCode;
  std::string collectedAt;   // "YYYY-MM-DD HH:MM:SS"
  std::int64_t length = 0;   // bytes of the whole line
  std::string text;          // its first kKeptTextBytes bytes
  bool windows1251 = false;  // its bytes were read as Windows-1251
  std::string site;          // of the collector that kept it aside
};
inline constexpr std::size_t kKeptTextBytes = 4096;

// What happened to one line.
struct LineOutcome {
  bool applied = false;
  std::optional<SkipReason> skipped;  // the line's reason, when not applied
  // Text after the eighth "|" of an applied line that looks like an event.
  std::optional<std::string> extra;
};

// The event a decoded line holds, or why it holds none. A line refused for
// its time alone (TimeOutOfRange) still gives its event.
struct LineEvent {
  std::optional<SkipReason> skipped;
  DateTime time;
  std::string login;
  std::string event;
  std::optional<std::string> extra;
};
LineEvent ReadLineEvent(const std::string& text, const TimeLimits& limits);

// Parses one decoded line and applies it when it is an event whose time the
// limits allow (and, with a store of applied events, one not applied before).
LineOutcome ApplyLineText(EventApplier& applier, const std::string& text, const TimeLimits& limits);

// Keeps a line aside, as this site's (CurrentSite); run it in the
// transaction of the line's file.
void KeepAside(Database& db, const std::string& folder, const std::string& file, std::int64_t line,
               SkipReason reason, std::int64_t length, const std::string& text,
               const DateTime& collectedAt, bool windows1251 = false);

// The folder's latest line kept by this site when it is a file's unended
// last line (to be joined with the first line of the folder's next file),
// kept whole.
std::optional<RejectedLine> UnendedLineOf(Database& db, const std::string& folder);
// Takes one kept line out of the table; the number of rows taken out (0
// when the role may not take it out).
int ForgetRejected(Database& db, std::int64_t id);

// The kept lines, oldest first; with `before`, only those collected before it.
std::vector<RejectedLine> ListRejected(Database& db,
                                       const std::optional<DateTime>& before = std::nullopt);

struct RetryOptions {
  // Lines kept for their time whose date falls in [first, last] are
  // applied as well.
  std::optional<std::pair<DateTime, DateTime>> acceptDates;
  // The collector's clock (the machine's local time when not set).
  std::optional<DateTime> now;
};
struct RetrySummary {
  std::int64_t applied = 0;  // applied and taken out of the table
  std::int64_t before = 0;   // applied before (an identical event): taken out, nothing changed
  std::int64_t kept = 0;     // still no event, or kept only in part
};
// Applies, in one transaction that waits for any collection or retry under
// way, every line this site kept that is now a valid event and takes it out
// of the table, so that it is applied exactly once. Lines kept only in part
// (longer than kKeptTextBytes) stay; other sites' lines are theirs to retry.
RetrySummary RetryRejected(Database& db, const RetryOptions& options = {});

// Forgets the kept lines (those collected before `before`, if given); the
// number forgotten.
std::int64_t ClearRejected(Database& db, const std::optional<DateTime>& before = std::nullopt);

}  // namespace vornal
