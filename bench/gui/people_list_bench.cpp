// Times the main window's person list: the fill of a list of many people
// (database read included, as every fill opens and reads the database), and
// the grid's bulk fill of a statistics-sized table.
//
//   people_list_bench [PEOPLE] [GRID_ROWS] [RUNS]
//
// Runs in a fresh temporary folder, which becomes the current directory.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gui/mainwindow/main_window.h"
#include "gui/widgets/cell_grid.h"
#include "store/people.h"
#include "store/schema.h"

namespace {

double Milliseconds(const QElapsedTimer& timer) {
  return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void Print(const char* what, std::vector<double> times, int size) {
  const double first = times.front();
  std::sort(times.begin(), times.end());
  std::printf("%-34s %8d  first %8.1f ms  median %8.1f ms\n", what, size, first,
              times[times.size() / 2]);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int people = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int gridRows = argc > 2 ? std::atoi(argv[2]) : 100000;
  const int runs = argc > 3 ? std::atoi(argv[3]) : 5;

  QTemporaryDir dir;
  QDir::setCurrent(dir.path());
  {
    auto db = std::make_unique<vornal::Database>();
    db->Create(vornal::kDatabaseFile);
    vornal::CreateTables(*db);
    vornal::Transaction transaction(*db);
    for (int i = 0; i < people; ++i) {
      vornal::PersonValues person;
      person.name = "Сотрудник " + std::to_string(i + 1);
      person.age = "30";
      person.prof = "Инженер";
      person.login = "user" + std::to_string(i + 1);
      vornal::InsertPerson(*db, person);
    }
    transaction.Commit();
  }

  vornal::MainWindow window;
  window.show();
  QApplication::processEvents();
  std::vector<double> fills;
  for (int run = 0; run < runs; ++run) {
    QElapsedTimer timer;
    timer.start();
    window.FillUserList();
    QApplication::processEvents();
    window.grab();
    fills.push_back(Milliseconds(timer));
  }
  Print("person list fill and paint", fills, people);

  std::vector<double> bulk;
  for (int run = 0; run < runs; ++run) {
    vornal::CellGridModel::Rows rows(static_cast<std::size_t>(gridRows) + 1,
                                     std::vector<QString>(5, QStringLiteral(" 09:05 07 Oct 02")));
    QElapsedTimer timer;
    timer.start();
    window.Grid()->SetAll(std::move(rows));
    QApplication::processEvents();
    window.grab();
    bulk.push_back(Milliseconds(timer));
  }
  Print("grid bulk fill and paint (5 columns)", bulk, gridRows);
  return 0;
}
