// Times the main window's person list: the fill of a list of many people
// (the people and their states read from the window's open database), and
// the statistics listing's model given a listing of GRID_ROWS rows, each up
// to the next paint.
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
#include "gui/statistics/listing_model.h"
#include "gui/widgets/table_view.h"
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

  vornal::TableView view;
  vornal::ListingModel model;
  view.setModel(&model);
  view.resize(500, 300);
  view.show();
  std::vector<double> bulk;
  for (int run = 0; run < runs; ++run) {
    vornal::PeriodListing listing;
    listing.logins = {"user1"};
    const std::int64_t start = vornal::DateTime::FromParts(2002, 10, 7)->ToSeconds();
    listing.rows.resize(static_cast<std::size_t>(gridRows));
    for (int i = 0; i < gridRows; ++i) {
      vornal::ListedRow& row = listing.rows[static_cast<std::size_t>(i)];
      row.begin = start + i * 60;
      row.end = row.begin + 300;
      row.label = vornal::RowLabel::TaskDone;
      row.taskNumber = i + 1;
    }
    QElapsedTimer timer;
    timer.start();
    model.SetListing(std::move(listing));
    QApplication::processEvents();
    view.grab();
    bulk.push_back(Milliseconds(timer));
  }
  Print("listing of rows shown (5 columns)", bulk, gridRows);
  return 0;
}
