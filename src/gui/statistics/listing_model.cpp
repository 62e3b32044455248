#include "gui/statistics/listing_model.h"

#include "gui/widgets/display_text.h"

namespace vornal {
namespace {

using Column = DisplayText::ListingColumn;

// A value as the listing shows it: after one blank.
QString Blank(const QString& text) {
  return u' ' + text;
}

}  // namespace

ListingModel::ListingModel(QObject* parent) : QAbstractTableModel(parent) {}

void ListingModel::ShowEmpty() {
  beginResetModel();
  m_state = State::Empty;
  m_listing = {};
  endResetModel();
}

void ListingModel::Clear() {
  beginResetModel();
  m_state = State::Cleared;
  m_listing = {};
  endResetModel();
}

void ListingModel::SetListing(PeriodListing listing) {
  beginResetModel();
  m_state = State::Listed;
  m_listing = std::move(listing);
  endResetModel();
}

void ListingModel::SetCorrections(std::unordered_map<std::int64_t, std::string> corrections) {
  beginResetModel();
  m_corrections = std::move(corrections);
  endResetModel();
}

const ListedRow* ListingModel::RowAt(int row) const {
  if (m_state != State::Listed || row < 0 || row >= ListedRows()) return nullptr;
  return &m_listing.rows[static_cast<std::size_t>(row)];
}

int ListingModel::ListedRows() const {
  return static_cast<int>(m_listing.rows.size());
}

int ListingModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return m_state == State::Listed ? ListedRows() + 3 : 0;
}

int ListingModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : DisplayText::kListingColumns;
}

QString ListingModel::Text(int row, int column) const {
  if (m_state != State::Listed) return {};
  const auto col = static_cast<Column>(column);
  if (row < ListedRows()) {
    const ListedRow& listed = m_listing.rows[static_cast<std::size_t>(row)];
    switch (col) {
      case Column::Event:
        return DisplayText::EventLabel(listed.label, listed.taskNumber) +
               (m_corrections.count(listed.id) ? QStringLiteral(" *") : QString());
      case Column::Begin:
        return Blank(DisplayText::ListingTime(listed.begin));
      case Column::End:
        return Blank(DisplayText::ListingTime(listed.end));
      case Column::Duration:
        return Blank(DisplayText::Clock(listed.Duration()));
      case Column::Login:
        return Blank(QString::fromStdString(m_listing.Login(listed)));
    }
    return {};
  }
  const bool tasks = row == TaskTotalRow();
  if (!tasks && row != DayTotalRow()) return {};
  if (col == Column::Event)
    return tasks ? DisplayText::TaskTotalCaption() : DisplayText::DayTotalCaption();
  if (col == Column::Login)
    return DisplayText::Total(tasks ? m_listing.taskTotal : m_listing.dayTotal);
  return {};
}

QVariant ListingModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::ToolTipRole) {
    const ListedRow* listed = RowAt(index.row());
    if (!listed) return {};
    const auto found = m_corrections.find(listed->id);
    if (found == m_corrections.end()) return {};
    return DisplayText::CorrectedTip(found->second);
  }
  if (role != Qt::DisplayRole) return {};
  return Text(index.row(), index.column());
}

QVariant ListingModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (m_state) {
    case State::Empty:
      return DisplayText::EmptyListingHeading(section);
    case State::Cleared:
    case State::Listed:
      break;
  }
  return DisplayText::ListingHeading(section);
}

}  // namespace vornal
