#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace vornal {

// The main window's list of people: a row per person, with the person's ID,
// name, login, profession and state now; every value of the person stays
// with the row, so the details shown beside the list are always the row's.
// Rows are found by ID. Sorting and searching go through a proxy: SortRole
// gives the value a column sorts by, SearchRole the name and the login as a
// search finds them (SearchKey).
class PeopleModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { IdColumn, NameColumn, LoginColumn, ProfColumn, StateColumn, kColumnCount };
  enum Role { IdRole = Qt::UserRole, SortRole, SearchRole };

  struct Person {
    std::int64_t id = 0;
    QString name, age, prof, photo, login, tel, email;
    QString state;  // at work since, or last seen; empty when nothing is known
  };

  explicit PeopleModel(QObject* parent = nullptr);

  // Replaces the people, in the order given (ID order).
  void SetPeople(std::vector<Person> people);
  int Count() const { return static_cast<int>(m_people.size()); }
  const Person& At(int row) const { return m_people[static_cast<std::size_t>(row)]; }
  // The row of the person with the ID, or -1 when the list has none.
  int RowOf(std::int64_t id) const;
  // The person with the ID, or nothing when the list has none.
  const Person* Find(std::int64_t id) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  std::vector<Person> m_people;
};

}  // namespace vornal
