#include "gui/widgets/cell_grid.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QToolTip>
#include <QtTest>
#include <memory>

#include "gui/widget_test_util.h"

namespace vornal {

class CellGridTest : public QObject {
  Q_OBJECT

  std::unique_ptr<test::ScopedCurrentDir> m_dir;

 private Q_SLOTS:
  void init() { m_dir = std::make_unique<test::ScopedCurrentDir>(); }
  void cleanup() { m_dir.reset(); }

  void CellsAreAddressedWithTheFixedRowCounted() {
    CellGrid grid;
    grid.SetColumnCount(4);
    grid.SetRowCount(3);
    grid.SetFixedRows(1);
    grid.SetFixedCols(1);
    QSignalSpy changes(&grid, &CellGrid::CellSelectionChanged);

    grid.SetCurrentRow(0);
    grid.SetCurrentColumn(2);
    grid.SetCurrentText(QStringLiteral("Login"));
    grid.SetCurrentRow(2);
    grid.SetCurrentColumn(0);
    grid.SetCurrentText(QStringLiteral("7"));
    QCOMPARE(grid.CurrentText(), QStringLiteral("7"));
    QCOMPARE(grid.model()->headerData(2, Qt::Horizontal), QVariant(QStringLiteral("Login")));
    QCOMPARE(grid.model()->rowCount(), 2);
    QCOMPARE(grid.model()->index(1, 0).data(), QVariant(QStringLiteral("7")));
    // The fixed column is grey and cannot be selected.
    QVERIFY(!(grid.model()->flags(grid.model()->index(1, 0)) & Qt::ItemIsSelectable));
    QVERIFY(grid.model()->flags(grid.model()->index(1, 1)) & Qt::ItemIsSelectable);
    QVERIFY(grid.model()->index(1, 0).data(Qt::BackgroundRole).isValid());

    grid.SetSelectionEndRow(2);
    grid.SetSelectionEndColumn(3);
    QCOMPARE(grid.selectionModel()->selectedIndexes().size(), 3);
    QVERIFY(!grid.selectionModel()->isSelected(grid.model()->index(1, 0)));
    // Programmed moves raise no events.
    QCOMPARE(changes.count(), 0);

    grid.Clear();
    QCOMPARE(grid.CellText(2, 0), QString());
    QCOMPARE(grid.CellText(0, 2), QString());
    QCOMPARE(grid.RowCount(), 3);
    // Out of range reads nothing and writes nothing.
    grid.SetCellText(5, 1, QStringLiteral("x"));
    QCOMPARE(grid.CellText(5, 1), QString());
  }

  // Texts made when asked for: clearing empties them and keeps the rows; a
  // write copies the rest first.
  void SourceCellsAreMadeWhenAsked() {
    struct Numbers : CellSource {
      explicit Numbers(int rows) : rows(rows) {}
      int rows;
      int RowCount() const override { return rows; }
      QString Text(int row, int col) const override { return QString::number(row * 10 + col); }
    };
    CellGrid grid;
    grid.SetColumnCount(2);
    grid.SetFixedRows(1);
    grid.SetSource(std::make_unique<Numbers>(1000001));
    QCOMPARE(grid.RowCount(), 1000001);
    QCOMPARE(grid.CellText(1000000, 1), QStringLiteral("10000001"));
    QCOMPARE(grid.model()->headerData(1, Qt::Horizontal), QVariant(QStringLiteral("1")));
    grid.Clear();
    QCOMPARE(grid.RowCount(), 1000001);
    QCOMPARE(grid.CellText(7, 1), QString());
    grid.SetSource(std::make_unique<Numbers>(5));
    grid.SetRowCount(3);
    grid.SetCellText(2, 0, QStringLiteral("x"));
    QCOMPARE(grid.CellText(1, 1), QStringLiteral("11"));
    QCOMPARE(grid.CellText(2, 0), QStringLiteral("x"));
    QCOMPARE(grid.RowCount(), 3);
  }

  void BulkFillAndOperatorClicks() {
    CellGrid grid;
    grid.resize(400, 300);
    grid.SetColumnCount(3);
    grid.SetFixedRows(1);
    CellGridModel::Rows rows{{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}};
    for (int i = 1; i <= 1000; ++i) rows.push_back({QString::number(i), QStringLiteral("x")});
    grid.SetAll(std::move(rows));
    QCOMPARE(grid.RowCount(), 1001);
    QCOMPARE(grid.CellText(1000, 0), QStringLiteral("1000"));
    QCOMPARE(grid.CellText(1000, 2), QString());

    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy changes(&grid, &CellGrid::CellSelectionChanged);
    QSignalSpy clicks(&grid, &CellGrid::CellClicked);
    QSignalSpy doubleClicks(&grid, &CellGrid::CellDoubleClicked);
    const QPoint third = grid.visualRect(grid.model()->index(2, 1)).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, third);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(grid.CurrentRow(), 3);
    QCOMPARE(grid.CurrentColumn(), 1);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, third);
    QCOMPARE(doubleClicks.count(), 1);
    QTest::keyClick(grid.viewport(), Qt::Key_Down);
    QCOMPARE(grid.CurrentRow(), 4);
    QCOMPARE(changes.count(), 2);
  }

  // A text cut by its column shows whole in a tooltip; one that fits does not.
  void CutCellsShowTheirTextInATooltip() {
    CellGrid grid;
    grid.resize(400, 200);
    grid.SetColumnCount(2);
    grid.SetFixedRows(1);
    grid.SetColumnWidthChars(1, 5);
    const QString total = QStringLiteral("370 дней 23:59");
    grid.SetAll({{QStringLiteral("A"), QStringLiteral("B")}, {QStringLiteral("x"), total}});
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    const auto tipAt = [&grid](int col) {
      const QRect cell = grid.visualRect(grid.model()->index(0, col));
      QHelpEvent help(QEvent::ToolTip, cell.center(), grid.viewport()->mapToGlobal(cell.center()));
      QApplication::sendEvent(grid.viewport(), &help);
      return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(tipAt(0), QString());
    QCOMPARE(tipAt(1), total);
  }
};

}  // namespace vornal

QTEST_MAIN(vornal::CellGridTest)
#include "cell_grid_test.moc"
