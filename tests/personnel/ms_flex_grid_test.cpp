#include "personnel/ms_flex_grid.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "widget_test_util.h"

namespace vornal {

class MSFlexGridTest : public QObject {
  Q_OBJECT

  std::unique_ptr<test::ScopedCurrentDir> m_dir;

 private Q_SLOTS:
  void init() { m_dir = std::make_unique<test::ScopedCurrentDir>(); }
  void cleanup() { m_dir.reset(); }

  void CellsAreAddressedWithTheFixedRowCounted() {
    CMSFlexGrid grid;
    grid.SetCols(4);
    grid.SetRows(3);
    grid.SetFixedRows(1);
    grid.SetFixedCols(1);
    QSignalSpy changes(&grid, &CMSFlexGrid::SelChange);

    grid.SetRow(0);
    grid.SetCol(2);
    grid.SetText(QStringLiteral("Login"));
    grid.SetRow(2);
    grid.SetCol(0);
    grid.SetText(QStringLiteral("7"));
    QCOMPARE(grid.GetText(), QStringLiteral("7"));
    QCOMPARE(grid.model()->headerData(2, Qt::Horizontal), QVariant(QStringLiteral("Login")));
    QCOMPARE(grid.model()->rowCount(), 2);
    QCOMPARE(grid.model()->index(1, 0).data(), QVariant(QStringLiteral("7")));
    // The fixed column is grey and cannot be selected.
    QVERIFY(!(grid.model()->flags(grid.model()->index(1, 0)) & Qt::ItemIsSelectable));
    QVERIFY(grid.model()->flags(grid.model()->index(1, 1)) & Qt::ItemIsSelectable);
    QVERIFY(grid.model()->index(1, 0).data(Qt::BackgroundRole).isValid());

    grid.SetRowSel(2);
    grid.SetColSel(3);
    QCOMPARE(grid.selectionModel()->selectedIndexes().size(), 3);
    QVERIFY(!grid.selectionModel()->isSelected(grid.model()->index(1, 0)));
    // Programmed moves raise no events.
    QCOMPARE(changes.count(), 0);

    grid.Clear();
    QCOMPARE(grid.GetTextMatrix(2, 0), QString());
    QCOMPARE(grid.GetTextMatrix(0, 2), QString());
    QCOMPARE(grid.GetRows(), 3);
    // Out of range reads nothing and writes nothing.
    grid.SetTextMatrix(5, 1, QStringLiteral("x"));
    QCOMPARE(grid.GetTextMatrix(5, 1), QString());
  }

  void BulkFillAndOperatorClicks() {
    CMSFlexGrid grid;
    grid.resize(400, 300);
    grid.SetCols(3);
    grid.SetFixedRows(1);
    FlexGridModel::Rows rows{{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}};
    for (int i = 1; i <= 1000; ++i) rows.push_back({QString::number(i), QStringLiteral("x")});
    grid.SetAll(std::move(rows));
    QCOMPARE(grid.GetRows(), 1001);
    QCOMPARE(grid.GetTextMatrix(1000, 0), QStringLiteral("1000"));
    QCOMPARE(grid.GetTextMatrix(1000, 2), QString());

    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy changes(&grid, &CMSFlexGrid::SelChange);
    QSignalSpy clicks(&grid, &CMSFlexGrid::Click);
    QSignalSpy doubleClicks(&grid, &CMSFlexGrid::DblClick);
    const QPoint third = grid.visualRect(grid.model()->index(2, 1)).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, third);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(grid.GetRow(), 3);
    QCOMPARE(grid.GetCol(), 1);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, third);
    QCOMPARE(doubleClicks.count(), 1);
    QTest::keyClick(grid.viewport(), Qt::Key_Down);
    QCOMPARE(grid.GetRow(), 4);
    QCOMPARE(changes.count(), 2);
  }
};

}  // namespace vornal

QTEST_MAIN(vornal::MSFlexGridTest)
#include "ms_flex_grid_test.moc"
