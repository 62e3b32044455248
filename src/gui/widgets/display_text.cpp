#include "gui/widgets/display_text.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cstdlib>

#include "forms/timesheet_codes.h"
#include "intake/folder_sweep.h"
#include "stats/corrections.h"
#include "stats/daily_totals.h"
#include "stats/presence.h"
#include "stats/timesheet.h"
#include "text/csv.h"
#include "text/date_time.h"
#include "text/visible_text.h"

namespace vornal {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

QString FromStd(const std::string& text) {
  return QString::fromStdString(text);
}

QString WithoutTrailingBlanks(QString text) {
  qsizetype end = text.size();
  while (end > 0 && text[end - 1].isSpace()) --end;
  text.truncate(end);
  return text;
}

// "HH:MM" of a number of seconds under a day.
QString ClockOf(std::int64_t seconds) {
  return QString::asprintf("%02d:%02d", static_cast<int>(seconds / 3600 % 24),
                           static_cast<int>(seconds / 60 % 60));
}

QString Count(std::int64_t number) {
  return QLocale().toString(static_cast<qlonglong>(number));
}

QString FileNoteLine(const FileNote& note) {
  const QString file = FromStd(note.file);
  switch (note.kind) {
    case FileNote::Kind::StillOpen:
      return DisplayText::tr(
                 "%1: файл ещё открыт клиентом; полные строки внесены, остальное ждёт "
                 "следующей обработки")
          .arg(file);
    case FileNote::Kind::QuietPeriod:
      return DisplayText::tr(
                 "%1: файл, возможно, ещё дописывается; полные строки внесены, файл будет "
                 "удалён, когда перестанет меняться")
          .arg(file);
    case FileNote::Kind::NotRegular: {
      QString kind;
      switch (note.fileType) {
        case FileNote::FileType::Link:
          kind = DisplayText::tr("символическая ссылка");
          break;
        case FileNote::FileType::Folder:
          kind = DisplayText::tr("папка");
          break;
        case FileNote::FileType::Fifo:
          kind = DisplayText::tr("канал FIFO");
          break;
        case FileNote::FileType::Socket:
          kind = DisplayText::tr("сокет");
          break;
        case FileNote::FileType::Device:
          kind = DisplayText::tr("устройство");
          break;
        case FileNote::FileType::Other:
          kind = DisplayText::tr("не обычный файл");
          break;
      }
      return DisplayText::tr("%1: %2, не обычный файл; оставлен на месте").arg(file, kind);
    }
    case FileNote::Kind::CannotOpen:
      return DisplayText::tr(
                 "%1: файл не удалось открыть для чтения и записи (%2), оставлен на месте")
          .arg(file, FromStd(note.detail));
    case FileNote::Kind::NoWriteBits:
      return DisplayText::tr("%1: файл без права записи, оставлен на месте").arg(file);
    case FileNote::Kind::CannotClaim:
      return DisplayText::tr("%1: файл не удалось взять в обработку (%2), оставлен на месте")
          .arg(file, FromStd(note.detail));
    case FileNote::Kind::Changed:
      return DisplayText::tr("%1: файл подменён во время взятия в обработку, оставлен на месте")
          .arg(file);
    case FileNote::Kind::ReadError:
      return DisplayText::tr("%1: файл не удалось прочитать (%2), оставлен до следующей обработки")
          .arg(file, FromStd(note.detail));
    case FileNote::Kind::InUse:
      return DisplayText::tr("%1: файл сейчас обрабатывает другой запуск обработки, оставлен ему")
          .arg(file);
    case FileNote::Kind::UnendedLine:
      return DisplayText::tr(
                 "%1: файл кончается на середине строки; оставлен, пока строка не будет "
                 "дописана или файл не перестанет меняться")
          .arg(file);
    case FileNote::Kind::HeldBack:
      return DisplayText::tr(
                 "%1: оставлен до следующей обработки, после более старого файла этой папки")
          .arg(file);
    case FileNote::Kind::Rewritten:
      return DisplayText::tr(
                 "%1: файл переписан клиентом; прочитан заново с начала, уже внесённые "
                 "события пропущены")
          .arg(file);
  }
  return file;
}

QString SkipText(SkipReason reason) {
  switch (reason) {
    case SkipReason::BlankLine:
      return DisplayText::tr("пустые строки");
    case SkipReason::UnknownEvent:
      return DisplayText::tr("неизвестное или пустое имя события");
    case SkipReason::InvalidTime:
      return DisplayText::tr("неверные дата и время");
    case SkipReason::LoginTooLong:
      return DisplayText::tr("логин длиннее 100 символов");
    case SkipReason::ControlCharacter:
      return DisplayText::tr("управляющие символы в логине");
    case SkipReason::LineTooLong:
      return DisplayText::tr("строка длиннее 64 КиБ");
    case SkipReason::AfterEndMark:
      return DisplayText::tr("после метки конца файла (0x1A)");
    case SkipReason::ExtraEvent:
      return DisplayText::tr("второе событие в строке");
    case SkipReason::TimeOutOfRange:
      return DisplayText::tr("время вне допустимых пределов");
    case SkipReason::InvalidCharacter:
      return DisplayText::tr("недопустимый символ в логине");
    case SkipReason::UnendedLine:
      return DisplayText::tr("последняя строка без конца строки");
    case SkipReason::AlreadyApplied:
      return DisplayText::tr("уже внесены раньше");
  }
  return {};
}

// A slot that gave no folder to collect, as the paths page names its rows.
QString SlotNoteLine(const SlotNote& note) {
  const QString path = FromStd(note.path);
  switch (note.kind) {
    case SlotNote::Kind::NoFolder:
      return DisplayText::tr("Строка %1: папка %2 не существует, пропущена")
          .arg(note.slot)
          .arg(path);
    case SlotNote::Kind::NoMatch:
      return DisplayText::tr("Строка %1: шаблону %2 сейчас не подходит ни одна папка")
          .arg(note.slot)
          .arg(path);
    case SlotNote::Kind::Link:
      return DisplayText::tr("Строка %1: %2 — символическая ссылка, по ней не переходим")
          .arg(note.slot)
          .arg(path);
    case SlotNote::Kind::Unreadable:
      return DisplayText::tr("Строка %1: папку %2 не удалось прочитать (%3), её папки пропущены")
          .arg(note.slot)
          .arg(path, FromStd(note.detail));
  }
  return path;
}

}  // namespace

QString DisplayText::ListingHeading(int column) {
  switch (static_cast<ListingColumn>(column)) {
    case ListingColumn::Event:
      return tr("Событие ");
    case ListingColumn::Begin:
      return tr("Начало");
    case ListingColumn::End:
      return tr("Конец");
    case ListingColumn::Duration:
      return tr("Всего");
    case ListingColumn::Login:
      return QStringLiteral("Login");
  }
  return {};
}

QString DisplayText::EmptyListingHeading(int column) {
  switch (static_cast<ListingColumn>(column)) {
    case ListingColumn::Event:
      return tr("Событие");
    case ListingColumn::Login:
      return tr("Работник");
    default:
      return ListingHeading(column);
  }
}

QString DisplayText::EventLabel(RowLabel label, int taskNumber) {
  switch (label) {
    case RowLabel::DayGoing:
      return tr("Идет рабочий день");
    case RowLabel::DayDone:
      return tr("Закончен рабочий день");
    case RowLabel::TaskGoing:
      return tr("Выполняется %1 задание").arg(taskNumber);
    case RowLabel::TaskDone:
      return tr("Закончено %1 задание").arg(taskNumber);
    case RowLabel::Unknown:
      break;
  }
  return QStringLiteral("Unknown");
}

QString DisplayText::ListingTime(std::int64_t seconds) {
  if (seconds == ListedRow::kNoTime) return {};
  const DateTime time = DateTime::FromSeconds(seconds);
  static const QLocale english = QLocale::c();
  return QString::asprintf("%02d:%02d %02d ", time.Hour(), time.Minute(), time.Day()) +
         english.monthName(time.Month(), QLocale::ShortFormat) +
         QString::asprintf(" %02d", time.Year() % 100);
}

QString DisplayText::Clock(const WorkDuration& duration) {
  if (duration.IsEmpty()) return {};
  return ClockOf(std::llabs(duration.Seconds()));
}

QString DisplayText::Total(const WorkDuration& duration) {
  if (duration.IsEmpty()) return {};
  // Days are truncated toward zero and the hours and minutes are those of
  // the remainder's absolute value. Less than a day below zero keeps its
  // sign, or it would read as time worked.
  const std::int64_t seconds = duration.Seconds();
  const std::int64_t days = seconds / kSecondsPerDay;
  const QString dayText = seconds < 0 && days == 0 ? QStringLiteral("-0") : QString::number(days);
  return tr("%1 дней %2").arg(dayText, ClockOf(std::llabs(seconds) % kSecondsPerDay));
}

QString DisplayText::TaskTotalCaption() {
  return tr(" Всего отработано");
}

QString DisplayText::DayTotalCaption() {
  return tr(" Общее рабочее время");
}

QString DisplayText::TotalsLine(const PeriodListing& listing) {
  return tr("Всего отработано: %1      Общее рабочее время: %2")
      .arg(Total(listing.taskTotal), Total(listing.dayTotal));
}

QString DisplayText::MonthName(int month) {
  const QString name = QLocale().standaloneMonthName(month, QLocale::LongFormat);
  return name.left(1).toUpper() + name.mid(1);
}

QString DisplayText::PersonEntry(std::int64_t id, const std::string& name,
                                 const std::string& login) {
  QString text = WithoutTrailingBlanks(QString::number(id) + QStringLiteral(". ") + FromStd(name));
  text = WithoutTrailingBlanks(text + QStringLiteral(" (") + FromStd(login));
  return text + u')';
}

QString DisplayText::TimesheetHeading(Heading heading) {
  switch (heading) {
    case Heading::Days:
      return tr("Дней");
    case Heading::Work:
      return tr("Работа");
    case Heading::Tasks:
      return tr("Задания");
    case Heading::Total:
      return tr("Итого");
    case Heading::Norm:
      return tr("Норма");
    case Heading::Difference:
      return tr("Разница");
  }
  return {};
}

QString DisplayText::FamilySeries(bool task) {
  return task ? tr("Задания") : tr("Рабочее время");
}

QString DisplayText::FamilyBar(bool task) {
  return task ? tr("задание") : tr("рабочий день");
}

QString DisplayText::Hours(std::int64_t seconds) {
  return QString::fromStdString(HoursText(seconds));
}

QString DisplayText::WorkHours(const DayWork& work) {
  return Hours(work.work) + (work.openWork ? QStringLiteral("?") : QString());
}

QString DisplayText::TaskHours(const DayWork& work) {
  return Hours(work.tasks) + (work.openTasks ? QStringLiteral("?") : QString());
}

QString DisplayText::WorkCell(const DayWork& work) {
  return work.HasWork() ? WorkHours(work) : QString();
}

std::string DisplayText::TimesheetCsv(const Timesheet& sheet) {
  std::string out(kUtf8Bom);
  std::vector<std::string> fields{"Login", "ФИО"};
  for (int column = 1; column <= sheet.ColumnCount(); ++column)
    fields.push_back(std::to_string(column));
  fields.insert(fields.end(), {"Дней", "Работа", "Задания"});
  out += CsvLine(fields);
  for (const Timesheet::Row& row : sheet.rows) {
    fields = {VisibleText(row.login), VisibleText(row.name)};
    for (const DayWork& cell : row.cells) fields.push_back(WorkCell(cell).toStdString());
    fields.insert(fields.end(), {std::to_string(row.total.days), WorkHours(row.total).toStdString(),
                                 TaskHours(row.total).toStdString()});
    out += CsvLine(fields);
  }
  return out;
}

QString DisplayText::WorkTip(const DayWork& work) {
  QString tip = tr("Рабочее время %1, задания %2").arg(WorkHours(work), TaskHours(work));
  if (work.openWork || work.openTasks)
    tip += u'\n' + tr("«?»: есть интервал без времени окончания.");
  return tip;
}

QString DisplayText::PresenceState(const Presence& presence,
                                   const std::optional<DateTime>& latest) {
  if (presence.state == Presence::State::Unknown) return {};
  const DateTime& time = presence.time;
  const bool sameDay = latest && time.Date() == latest->Date();
  const bool sameYear = latest && time.Year() == latest->Year();
  QString when = QString::asprintf("%02d:%02d", time.Hour(), time.Minute());
  if (presence.state != Presence::State::AtWork || !sameDay) {
    // The chosen locale's short date, without its year within the year.
    const QLocale locale;
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (sameYear) {
      static const QRegularExpression trailingYear(QStringLiteral("[^dM]*y+[^dM]*$"));
      static const QRegularExpression leadingYear(QStringLiteral("^[^dM]*y+[^dM]*"));
      format.remove(trailingYear).remove(leadingYear);
    }
    when.prepend(locale.toString(QDate(time.Year(), time.Month(), time.Day()), format) + u' ');
  }
  return presence.state == Presence::State::AtWork ? tr("на работе с %1").arg(when)
                                                   : tr("был %1").arg(when);
}

QString DisplayText::ProcessReport(const SweepSummary& summary) {
  QString text = tr("Обработка выполнена");
  if (summary.cancelled)
    text = tr("Обработка остановлена оператором.\n\nСобрано папок: %1, не собрано: %2; "
              "несобранные файлы остались для следующей обработки.")
               .arg(Count(static_cast<std::int64_t>(summary.folders.size())),
                    Count(summary.foldersLeft));
  text += tr("\n\nОбработано файлов: %1\nВнесено событий: %2\nПропущено строк: %3")
              .arg(summary.filesProcessed)
              .arg(Count(summary.eventsApplied), Count(summary.linesSkipped));
  SkipCounts skipped{};
  for (const FolderSummary& folder : summary.folders)
    for (std::size_t i = 0; i < kSkipReasonCount; ++i) skipped[i] += folder.skipped[i];
  for (std::size_t i = 0; i < kSkipReasonCount; ++i)
    if (skipped[i] > 0)
      text +=
          QStringLiteral("\n    %1: %2").arg(SkipText(static_cast<SkipReason>(i))).arg(skipped[i]);
  if (summary.keptAside > 0)
    text += tr("\nОтложено строк: %1 (список: vornal-cli rejected)").arg(Count(summary.keptAside));
  if (summary.waiting > 0)
    text += tr("\nФайлов ждут закрытия клиентом или периода покоя: %1").arg(summary.waiting);
  if (summary.failures > 0) text += tr("\nФайлов не удалось обработать: %1").arg(summary.failures);
  QStringList notes;
  for (const SlotNote& note : summary.slotNotes) notes << SlotNoteLine(note);
  for (const FolderSummary& folder : summary.folders)
    for (const FileNote& note : folder.notes) notes << FileNoteLine(note);
  // A box taller than the screen would hide its button: the rest is counted.
  constexpr int kShownNotes = 20;
  for (int i = 0; i < std::min<int>(notes.size(), kShownNotes); ++i) text += u'\n' + notes[i];
  if (notes.size() > kShownNotes)
    text += u'\n' + tr("... и ещё замечаний: %1 (все: vornal-cli process, vornal-cli status)")
                        .arg(notes.size() - kShownNotes);
  return text;
}

QString DisplayText::CorrectionRefusalText(const CorrectionRefused& refusal) {
  const QString other = QString::number(refusal.Other());
  switch (refusal.Why()) {
    case CorrectionRefusal::NoReason:
      return tr("Укажите причину исправления (не длиннее 250 знаков).");
    case CorrectionRefusal::NoLogin:
      return tr("Укажите login работника.");
    case CorrectionRefusal::BadTimes:
      return tr("Конец интервала должен быть позже начала, но не более чем на сутки.");
    case CorrectionRefusal::NotWorkEvent:
      return tr("Это не интервал рабочего дня или задания.");
    case CorrectionRefusal::NoSuchRow:
      return tr("Интервала больше нет: его удалили или изменили.");
    case CorrectionRefusal::Unfinished:
      return tr(
          "Интервал ещё не завершён: его ведёт обработка файлов клиента, пока клиент не "
          "завершит его. Исправить можно только завершённый интервал.");
    case CorrectionRefusal::Overlaps:
      return tr("Интервал пересекается с другим интервалом этого работника (№ %1): время не "
                "может учитываться дважды.")
          .arg(other);
    case CorrectionRefusal::Changed:
      return tr("Интервал изменился после этого исправления; исправьте его заново.");
    case CorrectionRefusal::AlreadyUndone:
      return tr("Это исправление уже отменено (исправлением № %1).").arg(other);
  }
  return QString::fromStdString(refusal.what());
}

QString DisplayText::NothingCorrected() {
  return tr("ничего не исправлено");
}

QString DisplayText::ReasonPrompt() {
  return tr("Причина:");
}

QString DisplayText::RemoveRowTitle() {
  return tr("Удаление интервала");
}

QString DisplayText::UndoTitle() {
  return tr("Отмена исправления");
}

QString DisplayText::CorrectedTip(const std::string& reason) {
  return tr("Исправлено: %1").arg(QString::fromStdString(VisibleText(reason)));
}

QString DisplayText::CodeLetters(int number) {
  const TimesheetCode* code = FindTimesheetCode(number);
  return code
             ? QString::fromUtf8(code->letters.data(), static_cast<qsizetype>(code->letters.size()))
             : QString::fromStdString(CodeNumberText(number));
}

QString DisplayText::TimesheetCodeItem(int number) {
  const TimesheetCode* code = FindTimesheetCode(number);
  if (!code) return CodeLetters(number);
  // The list keeps each code's meaning in both languages.
  const std::string_view meaning =
      QLocale().language() == QLocale::English ? code->english : code->russian;
  return tr("%1 — %2").arg(
      CodeLetters(number),
      QString::fromUtf8(meaning.data(), static_cast<qsizetype>(meaning.size())));
}

QString DisplayText::DayKindName(DayKind kind) {
  switch (kind) {
    case DayKind::Work:
      return tr("рабочий");
    case DayKind::Short:
      return tr("сокращённый");
    case DayKind::Off:
      return tr("выходной");
    case DayKind::Holiday:
      return tr("праздничный");
  }
  return {};
}

}  // namespace vornal
