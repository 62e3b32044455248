#include "gui/statistics/day_timeline_view.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>

#include "gui/widgets/display_text.h"

namespace vornal {
namespace {

constexpr int kSecondsPerDay = 86400;
const QColor kDayBar(150, 190, 235);
const QColor kTaskBar(40, 100, 170);
const QColor kGrid(220, 220, 220);
const QColor kCorrected(200, 90, 0);

QString Clock(int seconds) {
  return QStringLiteral("%1:%2")
      .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
      .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'));
}

// "Петров Пётр (petrov)", or the login alone when nobody has entered it.
QString LaneText(const DayLane& lane) {
  if (lane.name.empty()) return QString::fromStdString(lane.login);
  return QStringLiteral("%1 (%2)").arg(QString::fromStdString(lane.name),
                                       QString::fromStdString(lane.login));
}

}  // namespace

DayTimelineView::DayTimelineView(QWidget* parent) : QAbstractScrollArea(parent) {
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);
}

void DayTimelineView::SetLanes(std::vector<DayLane> lanes) {
  m_lanes = std::move(lanes);
  verticalScrollBar()->setValue(0);
  UpdateScrollBar();
  viewport()->update();
}

QSize DayTimelineView::sizeHint() const {
  return {640, 320};
}

int DayTimelineView::LaneHeight() const {
  return fontMetrics().height() + 10;
}

int DayTimelineView::RulerHeight() const {
  return fontMetrics().height() * 2 + 6;
}

int DayTimelineView::NameWidth() const {
  return std::min(fontMetrics().averageCharWidth() * 28, viewport()->width() / 3);
}

double DayTimelineView::X(int seconds) const {
  const int left = NameWidth() + 4;
  const int width = std::max(viewport()->width() - left - 12, 1);
  return left + static_cast<double>(width) * seconds / kSecondsPerDay;
}

void DayTimelineView::UpdateScrollBar() {
  const int lanesHeight = static_cast<int>(m_lanes.size()) * LaneHeight();
  const int visible = std::max(viewport()->height() - RulerHeight(), 0);
  verticalScrollBar()->setRange(0, std::max(lanesHeight - visible, 0));
  verticalScrollBar()->setPageStep(visible);
  verticalScrollBar()->setSingleStep(LaneHeight());
}

void DayTimelineView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBar();
}

void DayTimelineView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const QFontMetrics metrics = fontMetrics();
  const int ruler = RulerHeight();
  const int laneHeight = LaneHeight();
  const int width = viewport()->width();
  const int height = viewport()->height();
  const int hourStep = X(3600) - X(0) < metrics.horizontalAdvance(QStringLiteral("00")) + 6 ? 2 : 1;

  // Hour lines down the lanes, then the lanes, then the ruler over them.
  painter.setPen(kGrid);
  for (int hour = 0; hour <= 24; hour += hourStep)
    painter.drawLine(QPointF(X(hour * 3600), ruler), QPointF(X(hour * 3600), height));

  const int first = verticalScrollBar()->value() / laneHeight;
  const int offset = verticalScrollBar()->value() % laneHeight;
  for (int i = first; i < static_cast<int>(m_lanes.size()); ++i) {
    const int top = ruler + (i - first) * laneHeight - offset;
    if (top > height) break;
    const DayLane& lane = m_lanes[static_cast<std::size_t>(i)];
    painter.setPen(kGrid);
    painter.drawLine(0, top + laneHeight - 1, width, top + laneHeight - 1);
    painter.setPen(palette().color(QPalette::Text));
    const QString name = LaneText(lane);
    painter.drawText(QRect(4, top, NameWidth() - 4, laneHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(name, Qt::ElideRight, NameWidth() - 6));
    for (const bool task : {false, true}) {
      for (const DayLane::Bar& bar : lane.bars) {
        if (bar.task != task) continue;
        const double x = X(bar.begin);
        const double w = std::max(X(bar.end) - x, 1.0);
        const QRectF rect = task ? QRectF(x, top + laneHeight * 0.35, w, laneHeight * 0.3)
                                 : QRectF(x, top + 3, w, laneHeight - 7);
        painter.fillRect(rect, task ? kTaskBar : kDayBar);
        if (!bar.correction.empty()) {
          // A corrected row: a frame, and a corner mark that a narrow bar keeps.
          painter.save();
          QPen pen(kCorrected);
          pen.setWidthF(2);
          painter.setPen(pen);
          painter.drawRect(rect.adjusted(1, 1, -1, -1));
          painter.setBrush(kCorrected);
          painter.drawPolygon(
              QPolygonF({rect.topLeft() + QPointF(-3, -3), rect.topLeft() + QPointF(5, -3),
                         rect.topLeft() + QPointF(-3, 5)}));
          painter.restore();
        }
      }
    }
  }

  painter.fillRect(QRect(0, 0, width, ruler), palette().color(QPalette::Window));
  painter.setPen(palette().color(QPalette::WindowText));
  for (int hour = 0; hour <= 24; hour += hourStep) {
    const double x = X(hour * 3600);
    painter.drawLine(QPointF(x, ruler - 5), QPointF(x, ruler));
    const QString label = QString::number(hour);
    const int labelWidth = metrics.horizontalAdvance(label);
    painter.drawText(QPointF(x - labelWidth / 2.0, ruler - 7), label);
  }
  painter.drawLine(0, ruler, width, ruler);
  // The legend above the names.
  const int legendY = 3;
  const int box = metrics.height() - 4;
  painter.fillRect(QRect(4, legendY + 2, box * 2, box), kDayBar);
  const QString day = DisplayText::FamilyBar(false);
  painter.drawText(QPoint(8 + box * 2, legendY + metrics.ascent()), day);
  const int taskX = 12 + box * 2 + metrics.horizontalAdvance(day);
  painter.fillRect(QRect(taskX, legendY + box / 2, box * 2, box / 2 + 1), kTaskBar);
  painter.drawText(QPoint(taskX + box * 2 + 4, legendY + metrics.ascent()),
                   DisplayText::FamilyBar(true));

  if (m_lanes.empty()) {
    painter.drawText(QRect(0, ruler, width, height - ruler), Qt::AlignCenter,
                     tr("В этот день ничего не записано."));
  }
}

bool DayTimelineView::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QAbstractScrollArea::viewportEvent(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const int laneHeight = LaneHeight();
  const int y = help->pos().y() - RulerHeight() + verticalScrollBar()->value();
  const int index = y < 0 ? -1 : y / laneHeight;
  QString tip;
  if (index >= 0 && index < static_cast<int>(m_lanes.size())) {
    const DayLane& lane = m_lanes[static_cast<std::size_t>(index)];
    tip = LaneText(lane);
    const double x = help->pos().x();
    for (const DayLane::Bar& bar : lane.bars) {
      if (x < X(bar.begin) - 1 || x > X(bar.end) + 1) continue;
      tip += QLatin1Char('\n') +
             QStringLiteral("%1 %2–%3")
                 .arg(DisplayText::FamilyBar(bar.task), Clock(bar.begin), Clock(bar.end));
      if (!bar.correction.empty())
        tip += QStringLiteral("; ") + DisplayText::CorrectedTip(bar.correction);
    }
  }
  if (tip.isEmpty())
    QToolTip::hideText();
  else
    QToolTip::showText(help->globalPos(), tip, viewport());
  return true;
}

DayTimelineView::Hit DayTimelineView::HitAt(const QPoint& point) const {
  Hit hit;
  const int y = point.y() - RulerHeight() + verticalScrollBar()->value();
  if (point.y() < RulerHeight() || y < 0) return hit;
  const int index = y / LaneHeight();
  if (index >= static_cast<int>(m_lanes.size())) return hit;
  hit.lane = index;
  const DayLane& lane = m_lanes[static_cast<std::size_t>(index)];
  const double x = point.x();
  for (const DayLane::Bar& bar : lane.bars) {
    if (x < X(bar.begin) - 1 || x > X(bar.end) + 1) continue;
    if (!hit.bar || bar.task) hit.bar = &bar;
  }
  return hit;
}

void DayTimelineView::contextMenuEvent(QContextMenuEvent* event) {
  const Hit hit = HitAt(event->pos());
  if (hit.lane < 0) return;
  const DayLane& lane = m_lanes[static_cast<std::size_t>(hit.lane)];
  QMenu menu(this);
  if (hit.bar) {
    const DayLane::Bar bar = *hit.bar;
    QAction* change = menu.addAction(tr("Исправить интервал…"),
                                     [this, lane, bar] { Q_EMIT ChangeRequested(lane, bar); });
    QAction* remove =
        menu.addAction(tr("Удалить интервал…"), [this, bar] { Q_EMIT RemoveRequested(bar.id); });
    change->setEnabled(bar.finished);
    remove->setEnabled(bar.finished);
    if (!bar.finished)
      for (QAction* action : {change, remove})
        action->setToolTip(tr("Интервал ещё не завершён: его ведёт обработка файлов клиента."));
    if (!bar.correction.empty())
      menu.addAction(tr("Отменить последнее исправление…"),
                     [this, bar] { Q_EMIT UndoRequested(bar.id); });
    menu.addSeparator();
  }
  const double left = X(0);
  const double right = X(kSecondsPerDay);
  const int seconds =
      static_cast<int>(std::clamp((event->pos().x() - left) / (right - left), 0.0, 1.0) *
                       kSecondsPerDay) /
      300 * 300;
  const QString login = QString::fromStdString(lane.login);
  menu.addAction(tr("Добавить интервал…"),
                 [this, login, seconds] { Q_EMIT AddRequested(login, seconds); });
  menu.setToolTipsVisible(true);
  menu.exec(event->globalPos());
}

void DayTimelineView::mouseDoubleClickEvent(QMouseEvent* event) {
  // Events of the viewport come here in its coordinates.
  const Hit hit = HitAt(event->position().toPoint());
  if (hit.bar) Q_EMIT ChangeRequested(m_lanes[static_cast<std::size_t>(hit.lane)], *hit.bar);
}

}  // namespace vornal
