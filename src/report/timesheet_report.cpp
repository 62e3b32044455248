#include "report/timesheet_report.h"

#include <QBuffer>
#include <QColor>
#include <QDate>
#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>
#include <algorithm>
#include <cstdlib>

#include "report/page_drawing.h"
#include "text/date_time.h"
#include "text/visible_text.h"

namespace vornal {
namespace {

using report::Cell;
using report::Elided;
using report::Font;
using report::Hours;
using report::kCenter;
using report::kLeft;
using report::kRight;
using report::Shown;
using report::Text;

// Pages are laid out in points (1/72 inch) from the paintable area's top
// left, whatever the device's resolution.
constexpr qreal kFootHeight = 12;
const QColor kShade(226, 226, 226);
const QColor kHeadShade(242, 242, 242);

// A sum of working or task time, "?" after it when a row without an end
// time leaves it unknown; a cell without work is empty.
QString WorkText(const DayWork& work) {
  return Hours(work.work) + (work.openWork ? QStringLiteral("?") : QString());
}
QString TaskText(const DayWork& work) {
  return Hours(work.tasks) + (work.openTasks ? QStringLiteral("?") : QString());
}
QString WorkCellText(const DayWork& work) {
  return work.HasWork() ? WorkText(work) : QString();
}
QString TaskCellText(const DayWork& work) {
  return work.HasWork() ? TaskText(work) : QString();
}

// A name over a line: on one line when it fits, else wrapped over the
// lines the rectangle holds, in a smaller but readable size, the last of them
// cut with an ellipsis when even those are too few.
void Name(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font) {
  const QRectF inner = rect.adjusted(1.5, 0, -1.5, -1);
  if (QFontMetricsF(font).horizontalAdvance(text) <= inner.width()) {
    painter.setFont(font);
    painter.drawText(inner, Qt::AlignHCenter | Qt::AlignBottom, text);
    return;
  }
  const QFont small = Font(7);
  const QFontMetricsF metrics(small);
  const int lines = std::max(1, static_cast<int>(inner.height() / metrics.lineSpacing()));
  QStringList shown;
  QString rest = text;
  while (!rest.isEmpty() && shown.size() < lines) {
    // As many words as fit the line; a single word too long is cut there.
    int end = static_cast<int>(rest.size());
    while (end > 0 && metrics.horizontalAdvance(rest.left(end)) > inner.width()) {
      const int blank = static_cast<int>(rest.lastIndexOf(u' ', end - 1));
      end = blank > 0 ? blank : end - 1;
    }
    if (end == 0) end = 1;
    if (shown.size() == lines - 1 && end < rest.size()) {
      shown << metrics.elidedText(rest, Qt::ElideRight, inner.width());
      break;
    }
    shown << rest.left(end).trimmed();
    rest = rest.mid(end).trimmed();
  }
  painter.setFont(small);
  painter.drawText(inner, Qt::AlignHCenter | Qt::AlignBottom, shown.join(u'\n'));
}

}  // namespace

TimesheetReport::TimesheetReport(const Timesheet& sheet, const QString& office)
    : m_sheet(sheet), m_office(Shown(office.trimmed().toStdString())) {}

QString TimesheetReport::MonthName(int month) {
  switch (month) {
    case 1:
      return tr("Январь");
    case 2:
      return tr("Февраль");
    case 3:
      return tr("Март");
    case 4:
      return tr("Апрель");
    case 5:
      return tr("Май");
    case 6:
      return tr("Июнь");
    case 7:
      return tr("Июль");
    case 8:
      return tr("Август");
    case 9:
      return tr("Сентябрь");
    case 10:
      return tr("Октябрь");
    case 11:
      return tr("Ноябрь");
    case 12:
      return tr("Декабрь");
    default:
      return {};
  }
}

QString TimesheetReport::MonthShortName(int month) {
  switch (month) {
    case 1:
      return tr("Янв");
    case 2:
      return tr("Фев");
    case 3:
      return tr("Мар");
    case 4:
      return tr("Апр");
    case 5:
      return tr("Май");
    case 6:
      return tr("Июн");
    case 7:
      return tr("Июл");
    case 8:
      return tr("Авг");
    case 9:
      return tr("Сен");
    case 10:
      return tr("Окт");
    case 11:
      return tr("Ноя");
    case 12:
      return tr("Дек");
    default:
      return {};
  }
}

QString TimesheetReport::WeekdayShortName(int weekday) {
  switch (weekday) {
    case 0:
      return tr("Пн");
    case 1:
      return tr("Вт");
    case 2:
      return tr("Ср");
    case 3:
      return tr("Чт");
    case 4:
      return tr("Пт");
    case 5:
      return tr("Сб");
    case 6:
      return tr("Вс");
    default:
      return {};
  }
}

QString TimesheetReport::WeekdayName(int weekday) {
  switch (weekday) {
    case 0:
      return tr("понедельник");
    case 1:
      return tr("вторник");
    case 2:
      return tr("среда");
    case 3:
      return tr("четверг");
    case 4:
      return tr("пятница");
    case 5:
      return tr("суббота");
    case 6:
      return tr("воскресенье");
    default:
      return {};
  }
}

QString TimesheetReport::MonthInText(int month) {
  // Russian writes a month inside a sentence in small letters, English with
  // a capital.
  switch (month) {
    case 1:
      return tr("январь");
    case 2:
      return tr("февраль");
    case 3:
      return tr("март");
    case 4:
      return tr("апрель");
    case 5:
      return tr("май");
    case 6:
      return tr("июнь");
    case 7:
      return tr("июль");
    case 8:
      return tr("август");
    case 9:
      return tr("сентябрь");
    case 10:
      return tr("октябрь");
    case 11:
      return tr("ноябрь");
    case 12:
      return tr("декабрь");
    default:
      return {};
  }
}

QString TimesheetReport::PeriodText(int year, int month) {
  if (month == 0) return tr("%1 г.").arg(year);
  return tr("%1 %2 г.").arg(MonthInText(month)).arg(year);
}

QString TimesheetReport::ColumnTitle(const Timesheet& sheet, int column) {
  return sheet.ByMonth() ? MonthShortName(column + 1) : QString::number(column + 1);
}

QString TimesheetReport::PersonText(const Timesheet::Row& row) {
  if (row.name.empty()) return Shown(row.login);
  return tr("%1 (%2)").arg(Shown(row.name), Shown(row.login));
}

bool TimesheetReport::PaintTimesheet(QPagedPaintDevice& device) const {
  return Paint(device, Form::Timesheet);
}

bool TimesheetReport::PaintSignSheets(QPagedPaintDevice& device) const {
  return Paint(device, Form::SignSheets);
}

QByteArray TimesheetReport::TimesheetPdf(const QPageSize& size) const {
  return Pdf(Form::Timesheet, size);
}

QByteArray TimesheetReport::TimesheetPdf() const {
  return Pdf(Form::Timesheet, QPageSize(QPageSize::A4));
}

QByteArray TimesheetReport::SignSheetsPdf() const {
  return Pdf(Form::SignSheets, QPageSize(QPageSize::A4));
}

QByteArray TimesheetReport::Pdf(Form form, const QPageSize& size) const {
  QByteArray pdf;
  QBuffer buffer(&pdf);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(300);
    writer.setCreator(QStringLiteral("Vornal"));
    writer.setTitle(form == Form::Timesheet ? tr("Табель учёта рабочего времени")
                                            : tr("Листы на подпись"));
    writer.setPageSize(size);
    if (!Paint(writer, form)) return {};
  }
  return pdf;
}

bool TimesheetReport::Paint(QPagedPaintDevice& device, Form form) const {
  const bool timesheet = form == Form::Timesheet;
  device.setPageOrientation(timesheet ? QPageLayout::Landscape : QPageLayout::Portrait);
  device.setPageMargins(timesheet ? QMarginsF(8, 8, 8, 8) : QMarginsF(18, 15, 15, 15),
                        QPageLayout::Millimeter);
  QPainter painter;
  if (!painter.begin(&device)) return false;
  const qreal scale = device.logicalDpiX() / 72.0;
  painter.scale(scale, scale);
  const QRectF paintRect = device.pageLayout().paintRect(QPageLayout::Point);
  const QRectF area(0, 0, paintRect.width(), paintRect.height());
  QPen pen(Qt::black);
  pen.setWidthF(0.5);
  painter.setPen(pen);

  const QString period = PeriodText(m_sheet.year, m_sheet.month);
  const QString printed = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
  // The office's title and the form's title; returns where the page goes on.
  const auto head = [&](const QString& title) {
    qreal y = 0;
    if (!m_office.isEmpty()) {
      Elided(painter, QRectF(0, y, area.width(), 15), m_office, Font(11, true));
      y += 16;
    }
    Elided(painter, QRectF(0, y, area.width(), 14), tr("%1 за %2").arg(title, period),
           Font(10, true));
    return y + 20;
  };
  const auto foot = [&](int page, int pages) {
    const QRectF line(0, area.height() - kFootHeight + 2, area.width(), kFootHeight - 2);
    Text(painter, line, tr("Сформировано %1").arg(printed), kLeft, Font(7));
    Text(painter, line, tr("Страница %1 из %2").arg(page).arg(pages), kRight, Font(7));
  };

  const int columns = m_sheet.ColumnCount();
  const int people = static_cast<int>(m_sheet.rows.size());
  if (timesheet) {
    // №, person, a column per day or month, days, work, tasks. The totals
    // columns are as wide as their widest figure; the day columns take room
    // from the names (cut anyway) before their figures are squeezed.
    const QFontMetricsF totalsMetrics(Font(7, true)), cellMetrics(Font(6));
    qreal widestTotal = 0, widestCell = 0, widestDayTotal = 0;
    const auto measure = [&](const std::vector<DayWork>& cells, const DayWork& total,
                             qreal& widest) {
      widestTotal = std::max({widestTotal, totalsMetrics.horizontalAdvance(WorkText(total)),
                              totalsMetrics.horizontalAdvance(TaskText(total))});
      for (const DayWork& cell : cells)
        widest = std::max(widest, cellMetrics.horizontalAdvance(WorkCellText(cell)));
    };
    for (const Timesheet::Row& row : m_sheet.rows) measure(row.cells, row.total, widestCell);
    measure(m_sheet.columnTotals, m_sheet.total, widestDayTotal);
    const qreal numberWidth = 18, daysWidth = 24, hoursWidth = std::max<qreal>(36, widestTotal + 4);
    const qreal rest = area.width() - numberWidth - daysWidth - 2 * hoursWidth;
    const qreal widestPerson = m_sheet.ByMonth() ? 170 : 125, narrowestPerson = 70;
    const auto personFor = [&](qreal cell) {
      return std::clamp(rest - columns * (cell + 4), narrowestPerson, widestPerson);
    };
    // A day's total wider than its column even beside the narrowest names
    // goes over two lines, the hours above the minutes, in a totals row of
    // twice the height; then the columns need only the wider half.
    const bool twoLines = (rest - narrowestPerson) / columns < widestDayTotal + 4;
    qreal widestHalf = 0;
    for (const DayWork& cell : m_sheet.columnTotals) {
      const QString text = WorkCellText(cell);
      const qsizetype colon = text.indexOf(u':');
      widestHalf = std::max({widestHalf, cellMetrics.horizontalAdvance(text.left(colon)),
                             cellMetrics.horizontalAdvance(text.mid(colon))});
    }
    const qreal personWidth =
        personFor(std::max(widestCell, twoLines ? widestHalf : widestDayTotal));
    const qreal columnWidth = (rest - personWidth) / columns;
    const qreal headHeight = 22, rowHeight = 12.5;
    const qreal top = head(tr("Табель учёта рабочего времени"));
    const int perPage = std::max(
        2, static_cast<int>((area.height() - top - headHeight - kFootHeight - 4) / rowHeight));
    // The totals row comes after the last person, on a page of its own if
    // the last one has no room for it.
    const int totalsRows = twoLines ? 2 : 1;
    int pages = std::max(1, (people + perPage - 1) / perPage);
    if (pages * perPage - people < totalsRows) ++pages;
    for (int page = 0; page < pages; ++page) {
      if (page > 0) {
        device.newPage();
        head(tr("Табель учёта рабочего времени"));
      }
      qreal x = 0;
      const auto headCell = [&](qreal width, const QString& text, const QColor& shade) {
        Cell(painter, QRectF(x, top, width, headHeight), text, kCenter, Font(7, true), shade);
        x += width;
      };
      headCell(numberWidth, tr("№"), kHeadShade);
      headCell(personWidth, tr("Работник"), kHeadShade);
      for (int column = 0; column < columns; ++column) {
        const QRectF rect(x, top, columnWidth, headHeight);
        painter.fillRect(rect, m_sheet.IsWeekend(column) ? kShade : kHeadShade);
        painter.drawRect(rect);
        Text(painter, rect.adjusted(0, 1, 0, -headHeight / 2), ColumnTitle(m_sheet, column),
             kCenter, Font(7, true));
        if (!m_sheet.ByMonth())
          Text(painter, rect.adjusted(0, headHeight / 2, 0, -1),
               WeekdayShortName(WeekdayOf(m_sheet.ColumnDate(column))), kCenter, Font(6));
        x += columnWidth;
      }
      headCell(daysWidth, tr("Дней"), kHeadShade);
      headCell(hoursWidth, tr("Работа"), kHeadShade);
      headCell(hoursWidth, tr("Задания"), kHeadShade);

      qreal y = top + headHeight;
      const auto drawRow = [&](const QString& number, const QString& person,
                               const std::vector<DayWork>& cells, const DayWork& total,
                               bool totals) {
        const qreal height = totals ? totalsRows * rowHeight : rowHeight;
        x = 0;
        Cell(painter, QRectF(x, y, numberWidth, height), number, kRight, Font(7));
        x += numberWidth;
        painter.drawRect(QRectF(x, y, personWidth, height));
        Elided(painter, QRectF(x, y, personWidth, height), person, Font(7, totals));
        x += personWidth;
        for (int column = 0; column < columns; ++column) {
          const QRectF rect(x, y, columnWidth, height);
          const QString text = WorkCellText(cells[static_cast<std::size_t>(column)]);
          const int colon = static_cast<int>(text.indexOf(u':'));
          const QColor shade = m_sheet.IsWeekend(column) ? kShade : QColor();
          if (height > rowHeight && colon > 0) {
            Cell(painter, rect, QString(), kCenter, Font(6), shade);
            Text(painter, QRectF(x, y, columnWidth, rowHeight), text.left(colon), kCenter, Font(6));
            Text(painter, QRectF(x, y + rowHeight, columnWidth, height - rowHeight),
                 text.mid(colon), kCenter, Font(6));
          } else {
            Cell(painter, rect, text, kCenter, Font(6), shade);
          }
          x += columnWidth;
        }
        Cell(painter, QRectF(x, y, daysWidth, height), QString::number(total.days), kRight,
             Font(7, totals));
        x += daysWidth;
        Cell(painter, QRectF(x, y, hoursWidth, height), WorkText(total), kRight, Font(7, totals));
        x += hoursWidth;
        Cell(painter, QRectF(x, y, hoursWidth, height), TaskText(total), kRight, Font(7, totals));
        y += height;
      };
      const int from = page * perPage;
      for (int i = from; i < std::min(people, from + perPage); ++i) {
        const Timesheet::Row& row = m_sheet.rows[static_cast<std::size_t>(i)];
        drawRow(QString::number(i + 1), PersonText(row), row.cells, row.total, false);
      }
      if (page == pages - 1)
        drawRow(QString(), tr("Итого"), m_sheet.columnTotals, m_sheet.total, true);
      foot(page + 1, pages);
    }
    return painter.end();
  }

  // One page per person: a line per day (per month), the totals, signatures.
  const int pages = std::max(people, 1);
  for (int page = 0; page < pages; ++page) {
    if (page > 0) device.newPage();
    qreal y = head(tr("Лист учёта рабочего времени"));
    if (people == 0) {
      Text(painter, QRectF(0, y, area.width(), 14), tr("Нет работников."), kLeft, Font(9));
      foot(1, 1);
      break;
    }
    const Timesheet::Row& row = m_sheet.rows[static_cast<std::size_t>(page)];
    const QString name = row.name.empty() ? QStringLiteral("—") : Shown(row.name);
    Elided(painter, QRectF(0, y, area.width(), 14), tr("Работник: %1").arg(name), Font(9, true));
    y += 14;
    Elided(painter, QRectF(0, y, area.width(), 14), tr("Логин: %1").arg(Shown(row.login)), Font(9));
    y += 20;

    const qreal rowHeight = m_sheet.ByMonth() ? 18 : 15.5;
    const qreal widths[] = {area.width() * 0.22, area.width() * 0.22, area.width() * 0.28,
                            area.width() * 0.28};
    const QString heads[] = {m_sheet.ByMonth() ? tr("Месяц") : tr("Дата"),
                             m_sheet.ByMonth() ? tr("Дней") : tr("День недели"),
                             tr("Рабочее время"), tr("Задания")};
    const auto line = [&](const QString(&texts)[4], const QFont& font, const QColor& shade,
                          qreal height) {
      qreal x = 0;
      for (int i = 0; i < 4; ++i) {
        Cell(painter, QRectF(x, y, widths[i], height), texts[i], i < 2 ? kLeft : kRight, font,
             shade);
        x += widths[i];
      }
      y += height;
    };
    line(heads, Font(8, true), kHeadShade, 16);
    for (int column = 0; column < columns; ++column) {
      const DayWork& cell = row.cells[static_cast<std::size_t>(column)];
      const DateTime date = m_sheet.ColumnDate(column);
      const QString texts[] = {
          m_sheet.ByMonth() ? MonthName(column + 1)
                            : QStringLiteral("%1.%2.%3")
                                  .arg(date.Day(), 2, 10, QLatin1Char('0'))
                                  .arg(date.Month(), 2, 10, QLatin1Char('0'))
                                  .arg(date.Year()),
          m_sheet.ByMonth() ? QString::number(cell.days) : WeekdayShortName(WeekdayOf(date)),
          WorkCellText(cell), TaskCellText(cell)};
      line(texts, Font(8), m_sheet.IsWeekend(column) ? kShade : QColor(), rowHeight);
    }
    const QString totals[] = {tr("Итого"), tr("Дней с работой: %1").arg(row.total.days),
                              WorkText(row.total), TaskText(row.total)};
    line(totals, Font(8, true), kHeadShade, 16);

    // Signatures: the person's, then the manager's, each with a date.
    y += 30;
    const auto signature = [&](const QString& role, const QString& who) {
      const QFont font = Font(9);
      Text(painter, QRectF(0, y, 90, 14), role, kLeft, font);
      painter.drawLine(QPointF(92, y + 13), QPointF(230, y + 13));
      Text(painter, QRectF(92, y + 14, 138, 9), tr("подпись"), kCenter, Font(6));
      painter.drawLine(QPointF(240, y + 13), QPointF(400, y + 13));
      Name(painter, QRectF(240, y - 14, 160, 27), who, font);
      Text(painter, QRectF(240, y + 14, 160, 9), tr("расшифровка подписи"), kCenter, Font(6));
      Text(painter, QRectF(410, y, 30, 14), tr("Дата"), kLeft, font);
      painter.drawLine(QPointF(440, y + 13), QPointF(area.width(), y + 13));
      y += 36;
    };
    signature(tr("Работник"), row.name.empty() ? QString() : Shown(row.name));
    signature(tr("Руководитель"), QString());
    foot(page + 1, pages);
  }
  return painter.end();
}

}  // namespace vornal
