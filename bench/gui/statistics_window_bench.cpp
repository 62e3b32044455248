// Times the statistics window on a database made by make_stats_db: opening
// (person list, tree of everybody, the latest day listed, the first paint),
// then listing a month of everybody by choosing its node, and scrolling that
// listing to its end. Each run opens a new window; the first run (cold
// statement cache) and the median of the rest are printed. Then the year of
// everybody: its time and the memory it takes; and the timesheet window of
// the month of everybody.
//
//   statistics_window_bench PATH [RUNS] [YEAR MONTH] [SHOW_SECONDS]
//
// With SHOW_SECONDS, a last window stays open that long with the month
// listed, to be looked at.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <fstream>
#include <string>

#include "gui/statistics/statistics_window.h"
#include "gui/statistics/timesheet_window.h"
#include "gui/widgets/display_text.h"
#include "gui/widgets/table_view.h"
#include "store/schema.h"

namespace {

struct Times {
  std::vector<double> open, month, scroll;
};

double Milliseconds(const QElapsedTimer& timer) {
  return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void Print(const char* what, std::vector<double> times, int size) {
  const double first = times.front();
  std::vector<double> rest(times.begin() + (times.size() > 1 ? 1 : 0), times.end());
  std::sort(rest.begin(), rest.end());
  std::printf("%-36s %9d  first %9.1f ms  median %9.1f ms\n", what, size, first,
              rest[rest.size() / 2]);
}

// Lets the views lay themselves out, then draws the whole window.
void Draw(QWidget& window) {
  QApplication::processEvents();
  window.grab();
}

// The process's resident memory now and at its peak, in MB.
double Memory(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::stod(line.substr(std::string(field).size())) / 1024;
  return 0;
}

QTreeWidgetItem* Child(QTreeWidgetItem* parent, const QString& text) {
  for (int i = 0; parent && i < parent->childCount(); ++i)
    if (parent->child(i)->text(0) == text) return parent->child(i);
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fputs("usage: statistics_window_bench PATH [RUNS] [YEAR MONTH] [SHOW_SECONDS]\n", stderr);
    return 2;
  }
  const int runs = argc > 2 ? std::max(2, std::atoi(argv[2])) : 7;
  const int year = argc > 4 ? std::atoi(argv[3]) : 2025;
  const int month = argc > 4 ? std::atoi(argv[4]) : 6;
  const int showSeconds = argc > 5 ? std::atoi(argv[5]) : 0;
  const vornal::DatabasePtr db = vornal::OpenDatabase(argv[1]);

  Times times;
  int openRows = 0, monthRows = 0, nodes = 0, lastShown = 0;
  QString openDay;
  for (int run = 0; run < runs; ++run) {
    QElapsedTimer timer;
    timer.start();
    vornal::StatisticsWindow dialog;
    QTimer::singleShot(0, &dialog, [&] {
      Draw(dialog);
      times.open.push_back(Milliseconds(timer));
      auto* tree = dialog.findChild<QTreeWidget*>(QStringLiteral("tree"));
      auto* grid = dialog.findChild<vornal::TableView*>(QStringLiteral("gridStat"));
      openRows = grid->model()->rowCount();
      openDay = tree->currentItem()
                    ? tree->currentItem()->text(0) + QLatin1Char(' ') +
                          tree->currentItem()->parent()->text(0) + QLatin1Char(' ') +
                          tree->currentItem()->parent()->parent()->text(0)
                    : QString();
      nodes = 0;
      for (QTreeWidgetItemIterator it(tree); *it; ++it) ++nodes;

      QTreeWidgetItem* node = Child(Child(tree->invisibleRootItem(), QString::number(year)),
                                    vornal::DisplayText::MonthName(month));
      if (!node) std::exit(1);
      timer.restart();
      tree->setCurrentItem(node);
      Draw(dialog);
      times.month.push_back(Milliseconds(timer));
      monthRows = grid->model()->rowCount();

      timer.restart();
      grid->scrollToBottom();
      Draw(dialog);
      lastShown = grid->indexAt(grid->viewport()->rect().bottomLeft() - QPoint(0, 1)).row();
      times.scroll.push_back(Milliseconds(timer));
      dialog.accept();
    });
    dialog.Exec(db.get());
  }
  std::printf("database %s, %d runs; size = tree nodes or listing rows\n", argv[1], runs);
  Print("open, tree of everybody, latest day", times.open, nodes);
  std::printf("  latest day %s: %d listing rows\n", qPrintable(openDay), openRows);
  Print("month of everybody, chosen", times.month, monthRows);
  Print("month of everybody, scrolled to end", times.scroll, monthRows);
  std::printf("  last row shown: %d\n", lastShown);
  std::fflush(stdout);

  // The year of everybody, chosen in the window: compact rows.
  std::vector<double> yearTimes;
  double yearMemory = 0;
  int yearRows = 0;
  for (int run = 0; run < 3; ++run) {
    vornal::StatisticsWindow dialog;
    QTimer::singleShot(0, &dialog, [&] {
      Draw(dialog);
      auto* tree = dialog.findChild<QTreeWidget*>(QStringLiteral("tree"));
      auto* grid = dialog.findChild<vornal::TableView*>(QStringLiteral("gridStat"));
      const double before = Memory("VmRSS:");
      QElapsedTimer timer;
      timer.start();
      tree->setCurrentItem(Child(tree->invisibleRootItem(), QString::number(year)));
      Draw(dialog);
      yearTimes.push_back(Milliseconds(timer));
      yearMemory = Memory("VmRSS:") - before;
      yearRows = grid->model()->rowCount();
      grid->scrollToBottom();
      Draw(dialog);
      dialog.accept();
    });
    dialog.Exec(db.get());
  }
  Print("year of everybody, chosen", yearTimes, yearRows);
  std::printf("  memory of the listing shown: %.0f MB; peak of the process so far: %.0f MB\n",
              yearMemory, Memory("VmHWM:"));
  std::fflush(stdout);

  // The timesheet window of the month of everybody, as "Посмотреть" opens it.
  std::vector<double> sheetTimes;
  for (int run = 0; run < 3; ++run) {
    QElapsedTimer timer;
    timer.start();
    vornal::TimesheetWindow window;
    window.Load(db.get(), year, month, 0, "");
    window.show();
    Draw(window);
    sheetTimes.push_back(Milliseconds(timer));
  }
  Print("timesheet window, month of everybody", sheetTimes, 1000);
  std::fflush(stdout);

  if (showSeconds > 0) {
    vornal::StatisticsWindow dialog;
    QTimer::singleShot(0, &dialog, [&] {
      auto* tree = dialog.findChild<QTreeWidget*>(QStringLiteral("tree"));
      tree->setCurrentItem(Child(Child(tree->invisibleRootItem(), QString::number(year)),
                                 vornal::DisplayText::MonthName(month)));
    });
    QTimer::singleShot(showSeconds * 1000, &dialog, &QDialog::accept);
    dialog.Exec(db.get());
  }
  return 0;
}
