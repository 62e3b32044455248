#include "report/t13_report.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

#include "forms/timesheet_codes.h"
#include "report/page_drawing.h"

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

const QColor kOffShade(226, 226, 226);
const QColor kHeadShade(242, 242, 242);
constexpr qreal kLine = 9.5;  // one of a person's four lines
constexpr qreal kFoot = 12;
constexpr int kHalf = 15;  // days in a half line; the second half has 16 places

// The form is the Russian statutory one whatever the windows' language: its
// texts are not translated.
QString Ru(const char* text) {
  return QString::fromUtf8(text);
}

// A name on up to two lines: as many words as fit the first, the rest on
// the second, cut with an ellipsis when even that is too long.
void TwoLines(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font) {
  const QFontMetricsF metrics(font);
  const QRectF inner = rect.adjusted(1.5, 0, -1.5, 0);
  QString first = text;
  QString rest;
  while (metrics.horizontalAdvance(first) > inner.width()) {
    const qsizetype blank = first.lastIndexOf(u' ');
    if (blank <= 0) break;
    rest = first.mid(blank + 1) + (rest.isEmpty() ? QString() : u' ' + rest);
    first = first.left(blank);
  }
  painter.setFont(font);
  const qreal line = inner.height() / 2;
  painter.drawText(QRectF(inner.left(), inner.top(), inner.width(), line),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   metrics.elidedText(first, Qt::ElideRight, inner.width()));
  if (!rest.isEmpty())
    painter.drawText(QRectF(inner.left(), inner.top() + line, inner.width(), line),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(rest, Qt::ElideRight, inner.width()));
}

QString FromStd(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

T13Report::T13Report(const T13Sheet& sheet, Head head) : m_sheet(sheet), m_head(std::move(head)) {
  if (m_head.unit.trimmed().isEmpty()) m_head.unit = FromStd(sheet.unit);
  m_head.organisation = Shown(m_head.organisation.trimmed().toStdString());
  m_head.unit = Shown(m_head.unit.trimmed().toStdString());
  m_head.number = Shown(m_head.number.trimmed().toStdString());
}

QByteArray T13Report::Pdf() const {
  QByteArray pdf;
  QBuffer buffer(&pdf);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(300);
    writer.setCreator(QStringLiteral("Vornal"));
    writer.setTitle(Ru("Табель учета рабочего времени (форма Т-13)"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    if (!Paint(writer)) return {};
  }
  return pdf;
}

bool T13Report::Paint(QPagedPaintDevice& device) const {
  device.setPageOrientation(QPageLayout::Landscape);
  device.setPageMargins(QMarginsF(8, 8, 8, 8), QPageLayout::Millimeter);
  QPainter painter;
  if (!painter.begin(&device)) return false;
  const qreal scale = device.logicalDpiX() / 72.0;
  painter.scale(scale, scale);
  const QRectF paintRect = device.pageLayout().paintRect(QPageLayout::Point);
  const qreal width = paintRect.width();
  const qreal height = paintRect.height();
  QPen pen(Qt::black);
  pen.setWidthF(0.5);
  painter.setPen(pen);

  const QLocale russian(QLocale::Russian, QLocale::Russia);
  const QDate first(m_sheet.year, m_sheet.month, 1);
  const QDate last(m_sheet.year, m_sheet.month, first.daysInMonth());
  const QString dateFormat = QStringLiteral("dd.MM.yyyy");

  // The page's head: the form's name in the corner, the organisation and
  // the unit over their captions, the title with the document's boxes.
  const auto head = [&] {
    Text(painter, QRectF(width - 260, 0, 260, 9), Ru("Унифицированная форма № Т-13"), kRight,
         Font(7, true));
    Text(painter, QRectF(width - 260, 9, 260, 8),
         Ru("Утверждена постановлением Госкомстата России от 05.01.2004 № 1"), kRight, Font(5));
    const qreal codeX = width - 70;
    Cell(painter, QRectF(codeX, 20, 70, 10), Ru("Код"), kCenter, Font(6, true), kHeadShade);
    Text(painter, QRectF(codeX - 110, 30, 108, 10), Ru("Форма по ОКУД"), kRight, Font(6));
    Cell(painter, QRectF(codeX, 30, 70, 10), QStringLiteral("0301008"), kCenter, Font(6, true));
    Text(painter, QRectF(codeX - 110, 40, 108, 10), Ru("по ОКПО"), kRight, Font(6));
    Cell(painter, QRectF(codeX, 40, 70, 10), QString(), kCenter, Font(6));
    const auto captioned = [&](qreal y, const QString& text, const QString& caption) {
      Elided(painter, QRectF(0, y, codeX - 120, 11), text, Font(8, true));
      painter.drawLine(QPointF(0, y + 11), QPointF(codeX - 120, y + 11));
      Text(painter, QRectF(0, y + 11, codeX - 120, 7), caption, kCenter, Font(5));
    };
    captioned(22, m_head.organisation, Ru("наименование организации"));
    captioned(42, m_head.unit, Ru("структурное подразделение"));
    // Number, date, period.
    const qreal boxX = width - 330, boxY = 64;
    const qreal boxes[] = {60, 60, 60, 60};
    const QString heads[] = {Ru("Номер документа"), Ru("Дата составления"), Ru("с"), Ru("по")};
    const QString values[] = {m_head.number, m_head.date.toString(dateFormat),
                              first.toString(dateFormat), last.toString(dateFormat)};
    Text(painter, QRectF(boxX + 120, boxY - 9, 120, 9), Ru("Отчетный период"), kCenter, Font(6));
    qreal x = boxX;
    for (int i = 0; i < 4; ++i) {
      Cell(painter, QRectF(x, boxY, boxes[i], 10), heads[i], kCenter, Font(6), kHeadShade);
      Cell(painter, QRectF(x, boxY + 10, boxes[i], 11), values[i], kCenter, Font(7, true));
      x += boxes[i];
    }
    Text(painter, QRectF(0, boxY + 4, boxX - 10, 14), Ru("ТАБЕЛЬ учета рабочего времени"), kRight,
         Font(10, true));
    return boxY + 26;
  };

  // Columns: number, name and profession, personnel number, 16 day places,
  // halves, month, norm, difference, absences.
  const qreal numberW = 16, nameW = 124, tabW = 40, halfW = 42, monthW = 40, normW = 36, diffW = 36,
              absenceW = 60;
  const qreal dayW =
      (width - numberW - nameW - tabW - halfW - monthW - normW - diffW - absenceW) / (kHalf + 1);
  const qreal headH = 40;
  const qreal rowH = 4 * kLine;
  const qreal signaturesH = 64;
  const qreal top = head();
  const int perPage = std::max(1, static_cast<int>((height - top - headH - kFoot) / rowH));
  const int people = static_cast<int>(m_sheet.rows.size());
  int pages = std::max(1, (people + perPage - 1) / perPage);
  // The signatures after the last person, on a page of their own when the
  // last page has no room left.
  const int onLast = people - (pages - 1) * perPage;
  if (top + headH + onLast * rowH + signaturesH > height - kFoot) ++pages;

  const QString printed = russian.toString(QDate::currentDate(), QLocale::ShortFormat);
  const auto foot = [&](int page) {
    const QRectF line(0, height - kFoot + 2, width, kFoot - 2);
    Text(painter, line,
         Ru("Табель за %1.%2; * — день исправлен оператором; ! — неявка и часы в один день")
             .arg(m_sheet.month, 2, 10, QLatin1Char('0'))
             .arg(m_sheet.year),
         kLeft, Font(6));
    Text(painter, line, Ru("Страница %1 из %2").arg(page).arg(pages), kRight, Font(6));
  };

  const auto tableHead = [&](qreal y) {
    qreal x = 0;
    // Heads wrapped over the lines of their cell.
    const auto wrapped = [&](qreal w, const QString& text) {
      const QRectF rect(x, y, w, headH);
      painter.fillRect(rect, kHeadShade);
      painter.drawRect(rect);
      painter.setFont(Font(6, true));
      painter.drawText(rect.adjusted(1, 1, -1, -1), Qt::AlignCenter | Qt::TextWordWrap, text);
      x += w;
    };
    wrapped(numberW, Ru("№ п/п"));
    wrapped(nameW, Ru("Фамилия, инициалы, должность (специальность, профессия)"));
    wrapped(tabW, Ru("Таб. номер"));
    const qreal daysX = x;
    Cell(painter, QRectF(x, y, dayW * (kHalf + 1), headH / 2),
         Ru("Отметки о явках и неявках на работу по числам месяца"), kCenter, Font(6, true),
         kHeadShade);
    for (int i = 0; i <= kHalf; ++i) {
      const QRectF rect(daysX + i * dayW, y + headH / 2, dayW, headH / 4);
      const QRectF second(daysX + i * dayW, y + headH * 3 / 4, dayW, headH / 4);
      Cell(painter, rect, i < kHalf ? QString::number(i + 1) : QStringLiteral("X"), kCenter,
           Font(6), kHeadShade);
      Cell(painter, second, QString::number(kHalf + 1 + i), kCenter, Font(6), kHeadShade);
    }
    x = daysX + dayW * (kHalf + 1);
    wrapped(halfW, Ru("Отработано за I, II половину: дни, часы"));
    wrapped(monthW, Ru("За месяц: дни, часы"));
    wrapped(normW, Ru("Норма, часы"));
    wrapped(diffW, Ru("Разница с нормой"));
    wrapped(absenceW, Ru("Неявки: код — дни"));
    return y + headH;
  };

  const auto drawRow = [&](const T13Row& row, qreal y) {
    qreal x = 0;
    Cell(painter, QRectF(x, y, numberW, rowH), QString::number(row.number), kCenter, Font(7));
    x += numberW;
    painter.drawRect(QRectF(x, y, nameW, rowH));
    const QString name = row.name.empty() ? Shown(row.login) : Shown(row.name);
    TwoLines(painter, QRectF(x, y + 1, nameW, 2 * kLine), name, Font(7, true));
    TwoLines(painter, QRectF(x, y + 2 * kLine, nameW, 2 * kLine - 1), Shown(row.profession),
             Font(6));
    x += nameW;
    Cell(painter, QRectF(x, y, tabW, rowH), Shown(row.personnelNumber), kCenter, Font(7));
    x += tabW;
    for (int half = 0; half < 2; ++half) {
      for (int i = 0; i <= kHalf; ++i) {
        const int index = half * kHalf + i;  // day - 1
        const QRectF codes(x + i * dayW, y + half * 2 * kLine, dayW, kLine);
        const QRectF hours = codes.translated(0, kLine);
        if ((half == 0 && i == kHalf) || index >= static_cast<int>(row.days.size())) {
          Cell(painter, codes, QStringLiteral("X"), kCenter, Font(6));
          Cell(painter, hours, QStringLiteral("X"), kCenter, Font(6));
          continue;
        }
        const T13Day& day = row.days[static_cast<std::size_t>(index)];
        const QColor shade = day.calendar.Working() ? QColor() : kOffShade;
        QString mark;
        if (!day.correction.empty()) mark += u'*';
        if (day.Flagged()) mark += u'!';
        Cell(painter, codes, FromStd(DayCodesText(day)) + mark, kCenter, Font(6, true), shade);
        Cell(painter, hours, FromStd(DayHoursText(day)), kCenter, Font(6), shade);
      }
    }
    x += dayW * (kHalf + 1);
    for (int half = 0; half < 2; ++half) {
      const T13Total& total = row.halves[half];
      Cell(painter, QRectF(x, y + half * 2 * kLine, halfW, kLine), QString::number(total.days),
           kCenter, Font(6));
      Cell(painter, QRectF(x, y + (half * 2 + 1) * kLine, halfW, kLine), Hours(total.seconds),
           kCenter, Font(6));
    }
    x += halfW;
    Cell(painter, QRectF(x, y, monthW, 2 * kLine), QString::number(row.month.days), kCenter,
         Font(7, true));
    Cell(painter, QRectF(x, y + 2 * kLine, monthW, 2 * kLine), Hours(row.month.seconds), kCenter,
         Font(7, true));
    x += monthW;
    Cell(painter, QRectF(x, y, normW, rowH), Hours(row.norm), kCenter, Font(7));
    x += normW;
    const std::int64_t difference = row.Difference();
    Cell(painter, QRectF(x, y, diffW, rowH),
         (difference > 0 ? QStringLiteral("+") : QString()) + Hours(difference), kCenter, Font(7));
    x += diffW;
    painter.drawRect(QRectF(x, y, absenceW, rowH));
    for (std::size_t i = 0; i < row.absences.size(); ++i) {
      const TimesheetCode* code = FindTimesheetCode(row.absences[i].code);
      const QString text = (code ? FromStd(std::string(code->letters))
                                 : FromStd(CodeNumberText(row.absences[i].code))) +
                           QStringLiteral(" — ") + QString::number(row.absences[i].days);
      const qreal lineY = y + static_cast<qreal>(std::min<std::size_t>(i, 3)) * kLine;
      if (i < 3 || row.absences.size() == 4)
        Text(painter, QRectF(x, lineY, absenceW, kLine), text, kLeft, Font(6));
      else if (i == 3)
        Text(painter, QRectF(x, lineY, absenceW, kLine), QStringLiteral("…"), kLeft, Font(6));
    }
  };

  const auto signatures = [&](qreal y) {
    const auto line = [&](const QString& who) {
      Text(painter, QRectF(0, y, 190, 12), who, kLeft, Font(7));
      const qreal parts[][2] = {{195, 140}, {345, 90}, {445, 150}, {605, 80}};
      const QString captions[] = {Ru("должность"), Ru("личная подпись"), Ru("расшифровка подписи"),
                                  Ru("дата")};
      for (int i = 0; i < 4; ++i) {
        painter.drawLine(QPointF(parts[i][0], y + 11), QPointF(parts[i][0] + parts[i][1], y + 11));
        Text(painter, QRectF(parts[i][0], y + 11, parts[i][1], 7), captions[i], kCenter, Font(5));
      }
      y += 21;
    };
    line(Ru("Ответственное лицо"));
    line(Ru("Руководитель структурного подразделения"));
    line(Ru("Работник кадровой службы"));
  };

  for (int page = 0; page < pages; ++page) {
    if (page > 0) {
      device.newPage();
      head();
    }
    const int from = page * perPage;
    // A page of signatures alone has no table.
    qreal y = from < people || people == 0 ? tableHead(top) : top;
    for (int i = from; i < std::min(people, from + perPage); ++i) {
      drawRow(m_sheet.rows[static_cast<std::size_t>(i)], y);
      y += rowH;
    }
    if (people == 0 && page == 0) {
      Text(painter, QRectF(0, y + 4, width, 12), Ru("Нет работников."), kLeft, Font(8));
      y += 16;
    }
    if (page == pages - 1) signatures(y + 10);
    foot(page + 1);
  }
  return painter.end();
}

}  // namespace vornal
