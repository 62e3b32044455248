#include "gui/mainwindow/people_model.h"

#include <QBrush>
#include <QColor>
#include <algorithm>

#include "text/login_key.h"

namespace vornal {
namespace {

// The grid's texts stand after one blank; the ID column is grey and
// cannot be chosen.
QString Blank(const QString& text) {
  return u' ' + text;
}

}  // namespace

PeopleModel::PeopleModel(QObject* parent) : QAbstractTableModel(parent) {}

void PeopleModel::SetPeople(std::vector<Person> people) {
  beginResetModel();
  m_people = std::move(people);
  endResetModel();
}

int PeopleModel::RowOf(std::int64_t id) const {
  // The people come in ID order.
  const auto found =
      std::lower_bound(m_people.begin(), m_people.end(), id,
                       [](const Person& person, std::int64_t key) { return person.id < key; });
  if (found == m_people.end() || found->id != id) return -1;
  return static_cast<int>(found - m_people.begin());
}

const PeopleModel::Person* PeopleModel::Find(std::int64_t id) const {
  const int row = RowOf(id);
  return row < 0 ? nullptr : &At(row);
}

int PeopleModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Count();
}

int PeopleModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant PeopleModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const Person& person = At(index.row());
  const auto column = static_cast<Column>(index.column());
  const auto value = [&person, column]() -> const QString& {
    switch (column) {
      case NameColumn:
        return person.name;
      case LoginColumn:
        return person.login;
      case ProfColumn:
        return person.prof;
      default:
        return person.state;
    }
  };
  switch (role) {
    case Qt::DisplayRole:
      if (column == IdColumn) return QString::number(person.id);
      if (column == StateColumn && person.state.isEmpty()) return QString();
      return Blank(value());
    case Qt::BackgroundRole:
      if (column == IdColumn) return QBrush(QColor(192, 192, 192));
      return {};
    case IdRole:
      return QVariant::fromValue<qlonglong>(person.id);
    case SortRole:
      if (column == IdColumn) return QVariant::fromValue<qlonglong>(person.id);
      return value().trimmed();
    case SearchRole:
      // A search text cannot hold a line break: it matches one or the other.
      return QString::fromStdString(
          SearchKey(QString(person.name + u'\n' + person.login).toStdString()));
    default:
      return {};
  }
}

QVariant PeopleModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (static_cast<Column>(section)) {
    case IdColumn:
      return QStringLiteral(" ID");
    case NameColumn:
      return tr("ФИО");
    case LoginColumn:
      return QStringLiteral("Login");
    case ProfColumn:
      return tr("Профессия");
    case StateColumn:
      return tr("Состояние");
    case kColumnCount:
      break;
  }
  return {};
}

Qt::ItemFlags PeopleModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  if (index.column() == IdColumn) return Qt::ItemIsEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace vornal
