#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "store/database.h"
#include "store/work_event.h"

namespace vornal {

// A finished work row as a correction writes or reads it.
struct WorkRowValues {
  std::string event;  // StopWDay or StopWork: a correction's rows are finished
  DateTime begin;
  DateTime end;

  friend bool operator==(const WorkRowValues&, const WorkRowValues&) = default;
};

// One entry of the trail of corrections: who changed which row, how, and
// why. Nothing before: a row added; nothing after: a row removed.
struct Correction {
  std::int64_t id = 0;
  DateTime at;
  std::string user;  // the operating-system user
  std::string host;
  std::string role;  // the server's role; empty on a file
  std::int64_t rowId = 0;
  std::string login;
  std::optional<WorkRowValues> before;
  std::optional<WorkRowValues> after;
  std::string reason;
  std::optional<std::int64_t> undoes;  // the correction this one undid
};

// Why a correction was not made. Nothing is changed.
enum class CorrectionRefusal {
  NoReason,       // the reason is empty or longer than 250 characters
  NoLogin,        // an added row needs a login
  BadTimes,       // the end is not after the begin, or more than a day after it
  NotWorkEvent,   // the event is none of the six
  NoSuchRow,      // no row (or no correction) with that ID
  Unfinished,     // the row is still going on: the intake is still writing it
  Overlaps,       // the row would overlap another of its login and family
  Changed,        // the row is no longer what the correction left (undo)
  AlreadyUndone,  // the correction was undone before
};

class CorrectionRefused : public std::runtime_error {
 public:
  explicit CorrectionRefused(CorrectionRefusal why, std::int64_t other = 0);
  CorrectionRefusal Why() const { return m_why; }
  // The row overlapped (Overlaps) or the correction that undid (AlreadyUndone).
  std::int64_t Other() const { return m_other; }

 private:
  CorrectionRefusal m_why;
  std::int64_t m_other;
};

inline constexpr int kLongestReason = 250;

// Each writes the row and its trail entry in one transaction, and returns
// the new entry's ID; throws CorrectionRefused or MissingRight (the role
// may not correct) with nothing changed. The event may be any of its
// family's six names: the row gets the family's finished one.
std::int64_t AddWorkRow(Database& db, const std::string& login, WorkEvent event,
                        const DateTime& begin, const DateTime& end, const std::string& reason);
// Without an event the row keeps its family.
std::int64_t ChangeWorkRow(Database& db, std::int64_t rowId, std::optional<WorkEvent> event,
                           const DateTime& begin, const DateTime& end, const std::string& reason);
std::int64_t RemoveWorkRow(Database& db, std::int64_t rowId, const std::string& reason);
// Puts back what the correction replaced, as a correction of its own.
std::int64_t UndoCorrection(Database& db, std::int64_t correctionId, const std::string& reason);

// The trail, oldest first: of the login (everybody's for an empty one), of
// rows that began (before or after) on the days from first to last when
// given.
std::vector<Correction> ListCorrections(Database& db, const std::string& login,
                                        const std::optional<DateTime>& first = {},
                                        const std::optional<DateTime>& last = {});

// The latest correction of the row; nothing when it has none.
std::optional<Correction> LatestCorrectionOf(Database& db, std::int64_t rowId);

// What listings mark: a corrected row or day, with the latest reason.
struct CorrectionMark {
  std::string loginKey;
  std::int64_t rowId = 0;
  DateTime day;
  std::string reason;
};
// The marks of the days from first to last (of everybody, for an empty
// login): a mark for each day a corrected row began on, before and after.
std::vector<CorrectionMark> CorrectionMarks(Database& db, const DateTime& first,
                                            const DateTime& last, const std::string& login = {});

}  // namespace vornal
