#pragma once

#include <QDialog>
#include <QScopedPointer>
#include <QString>
#include <functional>
#include <string>

#include "store/database.h"

namespace Ui {
class StatisticsWindow;
}

namespace vornal {

class ListingModel;

// The statistics window: a person (or everybody) in the list, the years,
// months and days with data in the tree, and the rows and totals of the
// chosen node's period in the listing. It only reads the database it is
// given, the main window's connection.
class StatisticsWindow : public QDialog {
  Q_OBJECT

 public:
  // Item data of the single node of a tree without data.
  static constexpr int kEmptyNodeData = -13;

  explicit StatisticsWindow(QWidget* parent = nullptr);
  ~StatisticsWindow() override;

  // Fills the window from the open database (not owned, must outlive the
  // run) and runs it modally.
  int Exec(Database* database);

  // Fills the person list and the tree of everybody, which lists the latest
  // day.
  void Initialize();
  void OnPersonChosen();
  void OnTreeSelectionChanged();
  // "Посмотреть": the timesheet window for the chosen year, month or day.
  void OnView();

  void FillUserCombo();
  // Rebuilds the tree for the login (everybody, when empty) and selects its
  // latest day, which lists that day; without data, one node with emptyText.
  void FillTree(const std::string& login, const QString& emptyText);
  void ShowListing(const DateTime& start, const DateTime& end, const std::string& login);

  // The login whose data is shown; empty for everybody.
  const std::string& Login() const { return m_login; }
  // The listing shown.
  const ListingModel& Listing() const { return *m_listing; }

 protected:
  // Keeps the window's size and column widths for the next start.
  void done(int result) override;

 private:
  // Runs a handler; an engine error ends it with the engine's description
  // and leaves the window open with what was filled so far.
  void RunHandler(const std::function<void()>& handler);
  // Corrections of the listed rows: the context menu, and a double click.
  void ListingMenu(const QPoint& at);
  void ChangeListedRow(int row);
  void AddRow();

  QScopedPointer<Ui::StatisticsWindow> m_ui;
  ListingModel* m_listing = nullptr;
  std::string m_login;
  Database* m_database = nullptr;
};

}  // namespace vornal
