#pragma once

#include <QDialog>
#include <QScopedPointer>
#include <cstdint>
#include <functional>
#include <optional>

#include "store/schema.h"

class QAction;
class QLabel;

namespace Ui {
class MainWindow;
}

namespace vornal {

class CellGrid;
class PhotoView;

// The main window: the list of people, the selected person's details and
// photo, and the buttons of every command. Each command opens the database
// at its start and closes it at its end; between commands none is open.
class MainWindow : public QDialog {
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
  // Commands filled in by their own windows.
  void OnSettings();
  void OnStatistics();
  void OnProcess();
  void OnAbout();
  void OnAboutMe();

 protected:
  // The database of the command in progress, or none.
  DatabasePtr m_db;
  // Grid row of the selected person; row 0 is the header.
  int m_selectedRow = 1;

 private:
  void Initialize();
  // Runs a command; an engine error ends it with the engine's description.
  void RunCommand(const std::function<void()>& command);
  void ShowDetails(const QString& name, const QString& age, const QString& prof, const QString& tel,
                   const QString& email);
  // The ID in the current row of the grid, or nothing for a row without one.
  std::optional<std::int64_t> CurrentId();

  QScopedPointer<Ui::MainWindow> m_ui;
  PhotoView* m_photo;
  QAction* m_aboutAction;
};

}  // namespace vornal
