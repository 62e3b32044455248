#pragma once

#include <QAbstractTableModel>

#include <cstdint>
#include <string>
#include <unordered_map>

#include "stats/period_listing.h"

namespace vornal {

// The statistics window's listing of a period: a row per interval (its
// label, begin, end, duration and login), then the task total and the
// working-day total, each in its own row, and one empty row. The rows are
// the core's compact ones; their texts are made when a row is drawn, so a
// year of everybody (a million rows) costs its rows, not their texts.
class ListingModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit ListingModel(QObject* parent = nullptr);

  // Nothing listed yet: the headings of the empty grid over no rows.
  void ShowEmpty();
  // Nothing chosen: the headings over no rows.
  void Clear();
  void SetListing(PeriodListing listing);
  // The corrected rows, by ID, with their latest reason: a sign after the
  // label and the reason in the tooltip.
  void SetCorrections(std::unordered_map<std::int64_t, std::string> corrections);
  // The listed row at a model row; nothing for the totals rows.
  const ListedRow* RowAt(int row) const;

  const PeriodListing& Listing() const { return m_listing; }
  // The listed intervals, the totals not counted.
  int ListedRows() const;
  // The model rows of the two totals, when something is listed.
  int TaskTotalRow() const { return ListedRows(); }
  int DayTotalRow() const { return ListedRows() + 1; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  enum class State { Empty, Cleared, Listed };
  QString Text(int row, int column) const;

  State m_state = State::Empty;
  PeriodListing m_listing;
  std::unordered_map<std::int64_t, std::string> m_corrections;
};

}  // namespace vornal
