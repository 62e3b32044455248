#pragma once

#include <QScopedPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "gui/widgets/window_layout.h"
#include "store/schema.h"

class QAction;
class QLabel;

namespace Ui {
class MainWindow;
}

namespace vornal {

class CellGrid;
class PersonEditor;
class PhotoView;
struct PersonValues;
struct StoredPerson;

// The main window: the list of people (searched by name or login, sorted by
// a click on a column header), the selected person's details and photo, and
// the buttons of every command. Each command opens the database at its start
// and closes it at its end; between commands none is open.
class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // Builds the window and runs its initialisation, which creates the
  // database on the first start.
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  // Opens base.mdb into m_db, creating it after a notice when missing.
  // Always true; afterwards m_db is an open database or none.
  bool OpenDatabase();
  void CloseDatabase();
  bool CreateTables();
  void FillUserList();

  CellGrid* Grid() const;
  PhotoView* Photo() const { return m_photo; }
  int SelectedRow() const { return m_selectedRow; }

 public Q_SLOTS:
  void OnAdd();
  void OnEdit();
  void OnDelete();
  void OnGridClicked();
  void OnGridSelectionChanged();
  void OnGridDoubleClicked();
  // Shows the people whose name or login holds the search text.
  void OnSearch();
  // Sorts the list by the column; a second click reverses the order.
  void OnHeaderClicked(int column);
  // Commands filled in by their own windows.
  void OnSettings();
  void OnStatistics();
  void OnProcess();
  void OnAbout();
  void OnAboutMe();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

  // The database of the command in progress, or none.
  DatabasePtr m_db;
  // Grid row of the selected person; row 0 is the header.
  int m_selectedRow = 1;

 private:
  void Initialize();
  // Makes the grid wide enough to show every column, the state too, moving
  // the details and spreading the buttons to the right.
  void WidenForColumns();
  // Runs a command; an engine error ends it with an explanation, `outcome`
  // saying what became of the command, and the engine's description.
  void RunCommand(const std::function<void()>& command, const QString& outcome = {});
  // The editor's commit: asks before giving a login that another person has,
  // then adds (no id) or changes the person read as `read` (asking about the
  // fields another desk changed too). False keeps the editor open.
  bool SavePerson(PersonEditor& editor, std::optional<std::int64_t> id, StoredPerson* read,
                  const PersonValues& values);
  void ShowDetails(const QString& name, const QString& age, const QString& prof, const QString& tel,
                   const QString& email);
  // The ID in the current row of the grid, or nothing for a row without one.
  std::optional<std::int64_t> CurrentId();
  // Fills the grid with the people read last that match the search, in the
  // chosen order, and shows the selected row's person.
  void ShowList();

  struct ListedPerson {
    std::int64_t id;
    QString name, age, prof, photo, login, tel, email;
    QString state;  // at work since, or last seen; empty when nothing is known
  };
  std::vector<ListedPerson> m_people;  // as read, in ID order
  int m_sortColumn = -1;               // none: ID order
  Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
  EdgeAnchors m_anchors;

  QScopedPointer<Ui::MainWindow> m_ui;
  PhotoView* m_photo;
  QAction* m_aboutAction;
};

}  // namespace vornal
