#pragma once

#include <QScopedPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "store/schema.h"

class QAction;
class QModelIndex;
class QSortFilterProxyModel;
class QTimer;

namespace Ui {
class MainWindow;
}

namespace vornal {

class ChangeWatch;
class PeopleModel;
class PersonEditor;
class PhotoView;
class TableView;
struct PersonValues;
struct StoredPerson;

// The main window: the list of people (searched by name or login, sorted by
// a click on a column header), the selected person's details and photo, and
// the buttons of every command. It opens the database once, at the start,
// and again only after a command found it failing; the list follows what
// other desks change.
class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // How often the list looks for changes made at another desk.
  static constexpr int kFollowIntervalMs = 2000;

  // Builds the window and opens the database, creating it on the first
  // start.
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  // Opens the database into m_db unless it is open, creating it after a
  // notice when missing; a failure is told. True when it is open.
  bool OpenDatabase();
  // The operator declined to create the missing database: the run ends.
  bool DatabaseDeclined() const { return m_declined; }
  void CloseDatabase();
  // Reads the people and their states again, keeping the selected person.
  void FillUserList();

  TableView* Grid() const;
  PhotoView* Photo() const;
  // The person whose details are shown, or nothing.
  std::optional<std::int64_t> SelectedId() const { return m_selectedId; }

 public Q_SLOTS:
  void OnAdd();
  void OnEdit();
  void OnDelete();
  // Reads the list again when another desk has changed the database; the
  // window's timer calls it every kFollowIntervalMs.
  void FollowChanges();
  // Commands filled in by their own windows.
  void OnSettings();
  void OnStatistics();
  void OnProcess();
  void OnAbout();
  void OnAboutMe();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Runs a command; an engine error ends it with an explanation, `outcome`
  // saying what became of the command, and the engine's description; the
  // database is opened anew by the next command.
  void RunCommand(const std::function<void()>& command, const QString& outcome = {});
  // The editor's commit: asks before giving a login that another person has,
  // then adds (no id) or changes the person read as `read` (asking about the
  // fields another desk changed too). False keeps the editor open.
  bool SavePerson(PersonEditor& editor, std::optional<std::int64_t> id, StoredPerson* read,
                  const PersonValues& values);
  void ShowDetails(const QString& name, const QString& age, const QString& prof, const QString& tel,
                   const QString& email);
  // Selects the person chosen before, when still listed; else the row at
  // the same place, within the list. Shows the selected person's details.
  void RestoreSelection(int formerRow);
  void OnCurrentChanged(const QModelIndex& current);
  void ShowSelected();

  DatabasePtr m_db;
  std::unique_ptr<ChangeWatch> m_watch;
  std::optional<std::int64_t> m_selectedId;
  bool m_declined = false;

  QScopedPointer<Ui::MainWindow> m_ui;
  PeopleModel* m_people;
  QSortFilterProxyModel* m_shown;
  QTimer* m_followTimer;
  QAction* m_aboutAction;
  QAction* m_editAction = nullptr;
  QAction* m_deleteAction = nullptr;
};

}  // namespace vornal
