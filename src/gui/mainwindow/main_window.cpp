#include "gui/mainwindow/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <new>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "gui/about/about_box.h"
#include "gui/about/author_box.h"
#include "gui/mainwindow/new_database_dialog.h"
#include "gui/mainwindow/person_editor.h"
#include "gui/mainwindow/process_progress_dialog.h"
#include "gui/settings/settings_dialog.h"
#include "gui/statistics/statistics_window.h"
#include "gui/widgets/cell_grid.h"
#include "gui/widgets/core_text_adapter.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/photo_view.h"
#include "stats/period_queries.h"
#include "stats/presence.h"
#include "store/folder_slots.h"
#include "store/people.h"
#include "store/role_grants.h"
#include "store/sites.h"
#include "ui_main_window.h"

// Resources of a static library are registered by hand, outside any namespace.
static void InitVornalResources() {
  Q_INIT_RESOURCE(vornal);
}

namespace vornal {
namespace {

QString CannotOpenText() {
  return MainWindow::tr("Невозможно открыть базу данных");
}
// ID, name, login, profession and the person's state now.
constexpr int kColumns = 5;

QString FromStd(const std::string& text) {
  return QString::fromStdString(text);
}

// A value in a question: «text», or "(пусто)".
QString QuotedValue(const std::string& value) {
  return value.empty() ? MainWindow::tr("(пусто)")
                       : QStringLiteral("«") + FromStd(value) + QStringLiteral("»");
}

std::string ToStd(const QString& text) {
  return text.toStdString();
}

QString NoteText(const FileNote& note) {
  const QString file = FromStd(note.file);
  switch (note.kind) {
    case FileNote::Kind::StillOpen:
      return MainWindow::tr(
                 "%1: файл ещё открыт клиентом; полные строки внесены, остальное ждёт "
                 "следующей обработки")
          .arg(file);
    case FileNote::Kind::QuietPeriod:
      return MainWindow::tr(
                 "%1: файл, возможно, ещё дописывается; полные строки внесены, файл будет "
                 "удалён, когда перестанет меняться")
          .arg(file);
    case FileNote::Kind::NotRegular: {
      QString kind = MainWindow::tr("не обычный файл");
      for (const auto& [english, russian] :
           {std::pair{"a symbolic link",
                      QT_TRANSLATE_NOOP("vornal::MainWindow", "символическая ссылка")},
            {"a folder", QT_TRANSLATE_NOOP("vornal::MainWindow", "папка")},
            {"a FIFO", QT_TRANSLATE_NOOP("vornal::MainWindow", "канал FIFO")},
            {"a socket", QT_TRANSLATE_NOOP("vornal::MainWindow", "сокет")},
            {"a device", QT_TRANSLATE_NOOP("vornal::MainWindow", "устройство")}})
        if (NotRegularDetail(note) == english) kind = MainWindow::tr(russian);
      return MainWindow::tr("%1: %2, не обычный файл; оставлен на месте").arg(file, kind);
    }
    case FileNote::Kind::CannotOpen:
      return MainWindow::tr(
                 "%1: файл не удалось открыть для чтения и записи (%2), оставлен на месте")
          .arg(file, FromStd(note.detail));
    case FileNote::Kind::NoWriteBits:
      return MainWindow::tr("%1: файл без права записи, оставлен на месте").arg(file);
    case FileNote::Kind::CannotClaim:
      return MainWindow::tr("%1: файл не удалось взять в обработку (%2), оставлен на месте")
          .arg(file, FromStd(note.detail));
    case FileNote::Kind::Changed:
      return MainWindow::tr("%1: файл подменён во время взятия в обработку, оставлен на месте")
          .arg(file);
    case FileNote::Kind::ReadError:
      return MainWindow::tr("%1: файл не удалось прочитать (%2), оставлен до следующей обработки")
          .arg(file, FromStd(note.detail));
    case FileNote::Kind::InUse:
      return MainWindow::tr("%1: файл сейчас обрабатывает другой запуск обработки, оставлен ему")
          .arg(file);
    case FileNote::Kind::UnendedLine:
      return MainWindow::tr(
                 "%1: файл кончается на середине строки; оставлен, пока строка не будет "
                 "дописана или файл не перестанет меняться")
          .arg(file);
    case FileNote::Kind::HeldBack:
      return MainWindow::tr(
                 "%1: оставлен до следующей обработки, после более старого файла этой папки")
          .arg(file);
    case FileNote::Kind::Rewritten:
      return MainWindow::tr(
                 "%1: файл переписан клиентом; прочитан заново с начала, уже внесённые "
                 "события пропущены")
          .arg(file);
  }
  return file;
}

QString SkipText(SkipReason reason) {
  switch (reason) {
    case SkipReason::BlankLine:
      return MainWindow::tr("пустые строки");
    case SkipReason::UnknownEvent:
      return MainWindow::tr("неизвестное или пустое имя события");
    case SkipReason::InvalidTime:
      return MainWindow::tr("неверные дата и время");
    case SkipReason::LoginTooLong:
      return MainWindow::tr("логин длиннее 100 символов");
    case SkipReason::ControlCharacter:
      return MainWindow::tr("управляющие символы в логине");
    case SkipReason::LineTooLong:
      return MainWindow::tr("строка длиннее 64 КиБ");
    case SkipReason::AfterEndMark:
      return MainWindow::tr("после метки конца файла (0x1A)");
    case SkipReason::ExtraEvent:
      return MainWindow::tr("второе событие в строке");
    case SkipReason::TimeOutOfRange:
      return MainWindow::tr("время вне допустимых пределов");
    case SkipReason::InvalidCharacter:
      return MainWindow::tr("недопустимый символ в логине");
    case SkipReason::UnendedLine:
      return MainWindow::tr("последняя строка без конца строки");
    case SkipReason::AlreadyApplied:
      return MainWindow::tr("уже внесены раньше");
  }
  return {};
}

// A slot that gave no folder to collect, as the paths page names its rows.
QString SlotNoteLine(const SlotNote& note) {
  const QString path = FromStd(note.path);
  switch (note.kind) {
    case SlotNote::Kind::NoFolder:
      return MainWindow::tr("Строка %1: папка %2 не существует, пропущена")
          .arg(note.slot)
          .arg(path);
    case SlotNote::Kind::NoMatch:
      return MainWindow::tr("Строка %1: шаблону %2 сейчас не подходит ни одна папка")
          .arg(note.slot)
          .arg(path);
    case SlotNote::Kind::Link:
      return MainWindow::tr("Строка %1: %2 — символическая ссылка, по ней не переходим")
          .arg(note.slot)
          .arg(path);
    case SlotNote::Kind::Unreadable:
      return MainWindow::tr("Строка %1: папку %2 не удалось прочитать (%3), её папки пропущены")
          .arg(note.slot)
          .arg(path, FromStd(note.detail));
  }
  return path;
}

// The completion message: the fixed first line, then what the sweep did.
QString ProcessReport(const SweepSummary& summary) {
  QString text = MainWindow::tr("Обработка выполнена");
  if (summary.cancelled)
    text += MainWindow::tr(
        "\n\nОстановлено оператором: необработанные файлы остались для "
        "следующей обработки.");
  text += MainWindow::tr("\n\nОбработано файлов: %1\nВнесено событий: %2\nПропущено строк: %3")
              .arg(summary.filesProcessed)
              .arg(QLocale().toString(static_cast<qlonglong>(summary.eventsApplied)),
                   QLocale().toString(static_cast<qlonglong>(summary.linesSkipped)));
  SkipCounts skipped{};
  for (const FolderSummary& folder : summary.folders)
    for (std::size_t i = 0; i < kSkipReasonCount; ++i) skipped[i] += folder.skipped[i];
  for (std::size_t i = 0; i < kSkipReasonCount; ++i)
    if (skipped[i] > 0)
      text +=
          QStringLiteral("\n    %1: %2").arg(SkipText(static_cast<SkipReason>(i))).arg(skipped[i]);
  if (summary.keptAside > 0)
    text += MainWindow::tr("\nОтложено строк: %1 (список: vornal-cli rejected)")
                .arg(QLocale().toString(static_cast<qlonglong>(summary.keptAside)));
  if (summary.waiting > 0)
    text += MainWindow::tr("\nФайлов ждут закрытия клиентом или периода покоя: %1")
                .arg(summary.waiting);
  if (summary.failures > 0)
    text += MainWindow::tr("\nФайлов не удалось обработать: %1").arg(summary.failures);
  QStringList notes;
  for (const SlotNote& note : summary.slotNotes) notes << SlotNoteLine(note);
  for (const FolderSummary& folder : summary.folders)
    for (const FileNote& note : folder.notes) notes << NoteText(note);
  // A box taller than the screen would hide its button: the rest is counted.
  constexpr int kShownNotes = 20;
  for (int i = 0; i < std::min<int>(notes.size(), kShownNotes); ++i) text += u'\n' + notes[i];
  if (notes.size() > kShownNotes)
    text += u'\n' + MainWindow::tr(
                        "... и ещё замечаний: %1 (все: vornal-cli process, "
                        "vornal-cli status)")
                        .arg(notes.size() - kShownNotes);
  return text;
}

// A slot's value in a question: «/srv/work», or "(пусто)" for a free one.
QString SlotValue(const FolderSlot& slot) {
  return QuotedValue(slot.enabled ? slot.path : std::string());
}

// The question about a field both desks changed: "Телефон изменён на другом
// рабочем месте: «…» — сохранить ваше значение «…»?"
QString ConflictQuestion(const FieldConflict& conflict) {
  QString text;
  switch (conflict.field) {
    case PersonField::Name:
      text =
          MainWindow::tr("ФИО изменены на другом рабочем месте: %1 — сохранить ваше значение %2?");
      break;
    case PersonField::Login:
      text =
          MainWindow::tr("Логин изменён на другом рабочем месте: %1 — сохранить ваше значение %2?");
      break;
    case PersonField::Age:
      text = MainWindow::tr(
          "Возраст изменён на другом рабочем месте: %1 — сохранить ваше значение %2?");
      break;
    case PersonField::Prof:
      text = MainWindow::tr(
          "Профессия изменена на другом рабочем месте: %1 — сохранить ваше значение %2?");
      break;
    case PersonField::Tel:
      text = MainWindow::tr(
          "Телефон изменён на другом рабочем месте: %1 — сохранить ваше значение %2?");
      break;
    case PersonField::Email:
      text = MainWindow::tr(
          "E-mail изменён на другом рабочем месте: %1 — сохранить ваше значение %2?");
      break;
    case PersonField::Photo:
      text =
          MainWindow::tr("Фото изменено на другом рабочем месте: %1 — сохранить ваше значение %2?");
      break;
  }
  return text.arg(QuotedValue(conflict.theirs), QuotedValue(conflict.mine));
}

// The state column: "на работе с 09:05", "был 07.12 18:03"; the date of a
// day other than the latest event's, the year of another year.
QString PresenceText(const Presence& presence, const std::optional<DateTime>& latest) {
  if (presence.state == Presence::State::Unknown) return {};
  const DateTime& time = presence.time;
  const bool sameDay = latest && time.Date() == latest->Date();
  const bool sameYear = latest && time.Year() == latest->Year();
  const QString when = QString::fromStdString(
      time.Format(presence.state == Presence::State::AtWork && sameDay ? "%H:%M"
                  : sameYear                                           ? "%d.%m %H:%M"
                                                                       : "%d.%m.%Y %H:%M"));
  return presence.state == Presence::State::AtWork ? MainWindow::tr("на работе с %1").arg(when)
                                                   : MainWindow::tr("был %1").arg(when);
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_ui(new Ui::MainWindow),
      m_photo(nullptr),
      m_aboutAction(nullptr) {
  InitVornalResources();
  m_ui->setupUi(this);
  m_photo = new PhotoView(this);
  m_photo->setObjectName(QStringLiteral("photo"));

  m_aboutAction = new QAction(tr("О программе..."), this);
  m_aboutAction->setObjectName(QStringLiteral("aboutAction"));
  m_aboutAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F1));
  addAction(m_aboutAction);
  setContextMenuPolicy(Qt::ActionsContextMenu);

  connect(m_aboutAction, &QAction::triggered, this, &MainWindow::OnAbout);
  connect(m_ui->addButton, &QPushButton::clicked, this, &MainWindow::OnAdd);
  connect(m_ui->editButton, &QPushButton::clicked, this, &MainWindow::OnEdit);
  connect(m_ui->deleteButton, &QPushButton::clicked, this, &MainWindow::OnDelete);
  connect(m_ui->settingsButton, &QPushButton::clicked, this, &MainWindow::OnSettings);
  connect(m_ui->statisticsButton, &QPushButton::clicked, this, &MainWindow::OnStatistics);
  connect(m_ui->processButton, &QPushButton::clicked, this, &MainWindow::OnProcess);
  connect(m_ui->aboutMeButton, &QPushButton::clicked, this, &MainWindow::OnAboutMe);
  connect(m_ui->exitButton, &QPushButton::clicked, this, &MainWindow::close);
  connect(m_ui->cancelButton, &QPushButton::clicked, this, &MainWindow::close);
  connect(m_ui->searchEdit, &QLineEdit::textChanged, this, &MainWindow::OnSearch);
  QHeaderView* header = m_ui->grid->horizontalHeader();
  header->setSectionsClickable(true);
  connect(header, &QHeaderView::sectionClicked, this, &MainWindow::OnHeaderClicked);
  connect(m_ui->grid, &CellGrid::CellClicked, this, &MainWindow::OnGridClicked);
  connect(m_ui->grid, &CellGrid::CellSelectionChanged, this, &MainWindow::OnGridSelectionChanged);
  connect(m_ui->grid, &CellGrid::CellDoubleClicked, this, &MainWindow::OnGridDoubleClicked);

  Initialize();
}

MainWindow::~MainWindow() = default;

CellGrid* MainWindow::Grid() const {
  return m_ui->grid;
}

void MainWindow::Initialize() {
  setWindowIcon(QIcon(QStringLiteral(":/vornal.ico")));
  // Which database is open, when it is not base.mdb here.
  if (DatabaseLocation() != kDatabaseFile)
    setWindowTitle(windowTitle() + QStringLiteral(" — ") +
                   FromStd(DisplayLocation(DatabaseLocation())));
  // And which site, when it was named.
  if (SiteWasGiven())
    setWindowTitle(windowTitle() + QStringLiteral(" — ") +
                   tr("площадка %1").arg(FromStd(CurrentSite())));
  ShowDetails({}, {}, {}, {}, {});

  CellGrid* grid = m_ui->grid;
  grid->SetColumnCount(kColumns);
  grid->SetRowCount(10);
  grid->SetFixedRows(1);
  grid->SetFixedCols(1);
  const int widths[kColumns] = {3, 33, 16, 20, 22};
  for (int col = 0; col < kColumns; ++col) grid->SetColumnWidthChars(col, widths[col]);
  // The state column fits its longest text: a working day begun last year.
  const QString longest =
      u' ' + PresenceText({Presence::State::AtWork, *DateTime::FromParts(2000, 12, 31, 23, 59)},
                          std::nullopt);
  const int margins = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
  grid->setColumnWidth(kColumns - 1,
                       std::max(grid->columnWidth(kColumns - 1),
                                grid->fontMetrics().horizontalAdvance(longest) + 2 * margins));
  WidenForColumns();

  OpenDatabase();
  CloseDatabase();
  m_photo->Create(this, m_ui->photoFrame->geometry());
  RunCommand([this] { FillUserList(); });

  // The list and its frame grow with the window; the search field, the photo
  // and the details stay at the top right, the buttons at the bottom.
  m_anchors.SetDefaultSize(size());
  using A = EdgeAnchors::Anchor;
  m_anchors.Add(m_ui->groupBox, A::kGrowX | A::kGrowY);
  m_anchors.Add(m_ui->grid, A::kGrowX | A::kGrowY);
  for (QWidget* widget : std::initializer_list<QWidget*>{
           m_ui->searchEdit, m_ui->photoFrame, m_photo, m_ui->nameLabel, m_ui->profLabel,
           m_ui->ageLabel, m_ui->emailLabel, m_ui->telLabel})
    m_anchors.Add(widget, A::kMoveX);
  for (QPushButton* button : {m_ui->editButton, m_ui->addButton, m_ui->deleteButton,
                              m_ui->processButton, m_ui->statisticsButton, m_ui->settingsButton})
    m_anchors.Add(button, A::kMoveY);
  RestoreWindowState(this, m_ui->grid, QStringLiteral("MainWindow"));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  m_anchors.Apply(size());
}

void MainWindow::closeEvent(QCloseEvent* event) {
  SaveWindowState(this, m_ui->grid, QStringLiteral("MainWindow"));
  QWidget::closeEvent(event);
}

void MainWindow::WidenForColumns() {
  CellGrid* grid = m_ui->grid;
  int needed = 2 * grid->frameWidth() + grid->verticalScrollBar()->sizeHint().width();
  for (int col = 0; col < kColumns; ++col) needed += grid->columnWidth(col);
  const int grow = needed - grid->width();
  if (grow <= 0) return;
  grid->resize(grid->width() + grow, grid->height());
  m_ui->groupBox->resize(m_ui->groupBox->width() + grow, m_ui->groupBox->height());
  for (QWidget* widget : std::initializer_list<QWidget*>{
           m_ui->searchEdit, m_ui->photoFrame, m_ui->nameLabel, m_ui->profLabel, m_ui->ageLabel,
           m_ui->emailLabel, m_ui->telLabel, m_ui->helpButton, m_ui->exitButton,
           m_ui->cancelButton})
    widget->move(widget->x() + grow, widget->y());
  // The buttons keep their row, spread over the new width.
  const QList<QPushButton*> buttons{m_ui->editButton,       m_ui->addButton,
                                    m_ui->deleteButton,     m_ui->processButton,
                                    m_ui->statisticsButton, m_ui->settingsButton};
  const int first = buttons.front()->x();
  const double step = static_cast<double>(buttons.back()->x() + grow - first) /
                      static_cast<double>(buttons.size() - 1);
  for (int i = 0; i < buttons.size(); ++i)
    buttons[i]->move(first + static_cast<int>(step * i + 0.5), buttons[i]->y());
  resize(width() + grow, height());
}

bool MainWindow::OpenDatabase() {
  m_db.reset();
  try {
    m_db = vornal::OpenDatabase(DatabaseLocation());
    return true;
  } catch (const StoreError& e) {
    if (e.Kind() != StoreErrorKind::NotFound) {
      MessageBox::Warning(this, MessageBox::EngineErrorText(e.Kind(), CannotOpenText().toLower(),
                                                            FromStd(OpenFailureText(e))));
      return true;
    }
  } catch (const std::bad_alloc&) {
    MessageBox::Warning(
        this, MessageBox::EngineErrorText(StoreErrorKind::Other, CannotOpenText().toLower(),
                                          FromStd(OpenOutOfMemoryText())));
    return true;
  }
  NewDatabaseDialog notice(&m_db, DatabaseLocation());
  notice.exec();
  if (m_db)
    CreateTables();
  else
    MessageBox::Warning(this, CannotOpenText());
  return true;
}

void MainWindow::CloseDatabase() {
  m_db.reset();
}

bool MainWindow::CreateTables() {
  try {
    vornal::CreateTables(*m_db);
    return true;
  } catch (const StoreError& e) {
    MessageBox::Warning(this, FromStd(CreateTablesFailureText(e)));
  }
  return false;
}

void MainWindow::RunCommand(const std::function<void()>& command, const QString& outcome) {
  try {
    command();
  } catch (const StoreError& e) {
    CloseDatabase();
    MessageBox::EngineError(this, e, outcome.isEmpty() ? tr("команда не выполнена") : outcome);
  } catch (const std::bad_alloc&) {
    MessageBox::Stop(this, tr("Out of memory."));
  }
}

void MainWindow::ShowDetails(const QString& name, const QString& age, const QString& prof,
                             const QString& tel, const QString& email) {
  m_ui->nameLabel->setText(name);
  m_ui->ageLabel->setText(age);
  m_ui->profLabel->setText(prof);
  m_ui->telLabel->setText(tel);
  m_ui->emailLabel->setText(email);
  // A detail too long for its label shows whole in the label's tooltip.
  for (QLabel* label :
       {m_ui->nameLabel, m_ui->ageLabel, m_ui->profLabel, m_ui->telLabel, m_ui->emailLabel}) {
    const bool cut = label->fontMetrics().horizontalAdvance(label->text()) > label->width();
    label->setToolTip(cut ? label->text() : QString());
  }
}

void MainWindow::FillUserList() {
  OpenDatabase();
  if (!m_db) return;
  const std::vector<Person> people = LoadPeople(*m_db);
  m_people.clear();
  m_people.reserve(people.size());
  std::vector<std::string> logins;
  logins.reserve(people.size());
  for (const Person& person : people) {
    const PersonValues& v = person.values;
    m_people.push_back({person.id,
                        FromStd(v.name),
                        FromStd(v.age),
                        FromStd(v.prof),
                        FromStd(v.photo),
                        FromStd(v.login),
                        FromStd(v.tel),
                        FromStd(v.email),
                        {}});
    logins.push_back(v.login);
  }
  try {
    const std::optional<DateTime> latest = LatestEvent(*m_db, DateTime::Now());
    const std::vector<Presence> presence = PresenceOf(*m_db, logins, latest);
    for (std::size_t i = 0; i < presence.size(); ++i)
      m_people[i].state = PresenceText(presence[i], latest);
  } catch (const StoreError&) {
    // The people are listed whatever befell LOGS; the commands that read
    // it report the fault.
  }
  CloseDatabase();
  ShowList();
}

void MainWindow::ShowList() {
  const QString search = m_ui->searchEdit->text().trimmed();
  std::vector<const ListedPerson*> shown;
  shown.reserve(m_people.size());
  for (const ListedPerson& person : m_people)
    if (search.isEmpty() || person.name.contains(search, Qt::CaseInsensitive) ||
        person.login.contains(search, Qt::CaseInsensitive))
      shown.push_back(&person);
  if (m_sortColumn >= 0) {
    const auto less = [this](const ListedPerson* a, const ListedPerson* b) {
      if (m_sortColumn == 0) return a->id < b->id;
      const auto key = [this](const ListedPerson* person) {
        return (m_sortColumn == 1   ? person->name
                : m_sortColumn == 2 ? person->login
                : m_sortColumn == 3 ? person->prof
                                    : person->state)
            .trimmed();
      };
      return key(a).localeAwareCompare(key(b)) < 0;
    };
    std::stable_sort(shown.begin(), shown.end(), [&](const ListedPerson* a, const ListedPerson* b) {
      return m_sortOrder == Qt::AscendingOrder ? less(a, b) : less(b, a);
    });
  }
  const int count = static_cast<int>(shown.size());
  // After a delete or a search the selection may point past the list: keep it inside.
  if (m_selectedRow > count) m_selectedRow = std::max(count, 1);

  CellGridModel::Rows rows;
  rows.reserve(static_cast<std::size_t>(std::max(count, 1)) + 1);
  rows.push_back({QStringLiteral(" ID"), tr("ФИО"), QStringLiteral("Login"), tr("Профессия"),
                  tr("Состояние")});
  for (int i = 1; i <= count; ++i) {
    const ListedPerson& person = *shown[static_cast<std::size_t>(i - 1)];
    rows.push_back({QString::number(person.id), u' ' + person.name, u' ' + person.login,
                    u' ' + person.prof, person.state.isEmpty() ? QString() : u' ' + person.state});
    if (i == m_selectedRow) {
      ShowDetails(person.name, person.age, person.prof, person.tel, person.email);
      m_photo->LoadFile(person.photo);
    }
  }
  if (count == 0) rows.emplace_back(kColumns);

  CellGrid* grid = m_ui->grid;
  grid->Clear();
  grid->SetColumnCount(kColumns);
  grid->SetAll(std::move(rows));

  const bool any = count > 0;
  m_ui->deleteButton->setEnabled(any);
  m_ui->editButton->setEnabled(any);
  m_ui->statisticsButton->setEnabled(!m_people.empty());
  if (!any) {
    m_selectedRow = 1;
    ShowDetails(tr("ФИО"), tr("Возраст"), tr("Профессия"), tr("Телефон"), QStringLiteral("e-mail"));
    m_photo->Clear();
  }

  grid->SetCurrentRow(m_selectedRow);
  // The last column written is current: the row is selected from the name on.
  grid->SetCurrentColumn(kColumns - 1);
  grid->SetSelectionEndRow(m_selectedRow);
  grid->SetSelectionEndColumn(1);
}

void MainWindow::OnSearch() {
  m_selectedRow = 1;
  ShowList();
}

void MainWindow::OnHeaderClicked(int column) {
  if (column == m_sortColumn)
    m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
  else
    m_sortOrder = Qt::AscendingOrder;
  m_sortColumn = column;
  m_ui->grid->horizontalHeader()->setSortIndicatorShown(true);
  m_ui->grid->horizontalHeader()->setSortIndicator(column, m_sortOrder);
  m_selectedRow = 1;
  ShowList();
}

void MainWindow::OnGridClicked() {
  RunCommand([this] {
    m_selectedRow = m_ui->grid->CurrentRow();
    const std::optional<std::int64_t> id = CurrentId();
    if (!id) return;
    OpenDatabase();
    if (!m_db) return;
    if (const std::optional<PersonValues> person = ReadPerson(*m_db, *id)) {
      ShowDetails(FromStd(person->name), FromStd(person->age), FromStd(person->prof),
                  FromStd(person->tel), FromStd(person->email));
      m_photo->LoadFile(FromStd(person->photo));
    }
    CloseDatabase();
  });
}

void MainWindow::OnGridSelectionChanged() {
  OnGridClicked();
}

void MainWindow::OnGridDoubleClicked() {
  m_selectedRow = m_ui->grid->CurrentRow();
  // The blank row of an empty list has no person to change.
  if (!CurrentId()) return;
  OnEdit();
}

std::optional<std::int64_t> MainWindow::CurrentId() {
  const CellGrid* grid = m_ui->grid;
  if (grid->CurrentRow() < 1) return std::nullopt;
  bool ok = false;
  const qlonglong id = grid->CellText(grid->CurrentRow(), 0).trimmed().toLongLong(&ok);
  if (!ok) return std::nullopt;
  return id;
}

bool MainWindow::SavePerson(PersonEditor& editor, std::optional<std::int64_t> id,
                            StoredPerson* read, const PersonValues& values) {
  try {
    OpenDatabase();
    if (!m_db) return false;
    RequireRight(*m_db, Action::EditPeople);
    if (const std::optional<LoginOwner> owner = FindLoginOwner(*m_db, values.login, id)) {
      CloseDatabase();
      const QString question =
          tr("Логин %1 уже есть у %2 (%3): сохранить всё равно?")
              .arg(FromStd(values.login), FromStd(std::string(TrimRight(owner->name))),
                   FromStd(owner->login));
      if (MessageBox::Show(&editor, question, MessageBox::AppTitle(), QMessageBox::Question,
                           QMessageBox::Yes | QMessageBox::No,
                           QMessageBox::No) != QMessageBox::Yes) {
        editor.FocusField(PersonField::Login);
        return false;
      }
      OpenDatabase();
      if (!m_db) return false;
    }
    if (!id) {
      InsertPerson(*m_db, values);
      CloseDatabase();
      return true;
    }
    // Another desk may have changed the person since the editor opened: a
    // field changed on both is asked about, "No" keeping the other desk's.
    PersonValues mine = values;
    for (;;) {
      const PersonSave save = vornal::SavePerson(*m_db, *id, *read, mine);
      if (save.outcome == PersonSave::Outcome::Saved) break;
      CloseDatabase();
      if (save.outcome == PersonSave::Outcome::Gone) {
        MessageBox::Error(&editor, tr("Этой записи больше нет в базе данных: её удалила другая "
                                      "программа. Введённые данные остались в окне."));
        return false;
      }
      mine = save.merged;
      for (const FieldConflict& conflict : save.conflicts)
        if (MessageBox::Show(&editor, ConflictQuestion(conflict), MessageBox::AppTitle(),
                             QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::No) != QMessageBox::Yes)
          FieldValue(mine, conflict.field) = conflict.theirs;
      *read = save.current;
      OpenDatabase();
      if (!m_db) return false;
    }
    CloseDatabase();
    return true;
  } catch (const StoreError& e) {
    CloseDatabase();
    MessageBox::EngineError(&editor, e,
                            tr("запись не сохранена, введённые данные остались в окне"));
  } catch (const std::bad_alloc&) {
    CloseDatabase();
    MessageBox::Stop(&editor, tr("Out of memory."));
  }
  return false;
}

void MainWindow::OnAdd() {
  RunCommand([this] {
    PersonEditor dialog(this);
    dialog.SetCommit([this, &dialog](const PersonValues& values) {
      return SavePerson(dialog, {}, nullptr, values);
    });
    dialog.exec();
    FillUserList();
  });
}

void MainWindow::OnEdit() {
  RunCommand([this] {
    const std::optional<std::int64_t> id = CurrentId();
    if (!id) return;
    OpenDatabase();
    if (!m_db) return;
    PersonEditor dialog(this);
    std::optional<StoredPerson> read = ReadStoredPerson(*m_db, *id);
    CloseDatabase();
    if (!read) {
      // Another program removed the person: the list shows it.
      FillUserList();
      return;
    }
    // Fixed-size columns may pad their values; the editor gets them without.
    PersonValues shown = read->values;
    for (const PersonField field :
         {PersonField::Name, PersonField::Login, PersonField::Age, PersonField::Prof,
          PersonField::Tel, PersonField::Email, PersonField::Photo})
      FieldValue(shown, field) = std::string(TrimRight(FieldValue(shown, field)));
    dialog.SetValues(shown);
    dialog.SetCommit([this, &dialog, id, &read](const PersonValues& values) {
      return SavePerson(dialog, id, &*read, values);
    });
    dialog.exec();
    FillUserList();
  });
}

void MainWindow::OnDelete() {
  if (MessageBox::Question(this, tr("Вы действительно хотите удалить эту запись?"),
                           tr("Удаление")) != QMessageBox::Ok)
    return;
  RunCommand([this] {
    const std::optional<std::int64_t> id = CurrentId();
    if (!id) return;
    OpenDatabase();
    if (!m_db) return;
    RequireRight(*m_db, Action::EditPeople);
    DeletePerson(*m_db, *id);
    CloseDatabase();
    FillUserList();
  });
}

void MainWindow::OnSettings() {
  RunCommand([this] {
    OpenDatabase();
    if (!m_db) return;
    FolderSlots read = LoadFolderSlots(*m_db);
    CloseDatabase();

    SettingsDialog sheet;
    FoldersPage& page = sheet.m_foldersPage;
    page.SetSite(FromStd(CurrentSite()), CurrentSite() == HostSite());
    page.SetRowCount(static_cast<int>(read.size()));
    for (std::size_t i = 0; i < read.size(); ++i) {
      page.m_path[i] = FromStd(read[i].path);
      page.m_enabled[i] = read[i].enabled;
    }
    // The rows are saved while the sheet is open, so a refusal keeps them there.
    sheet.SetCommit([this, &sheet, &page, &read] {
      FolderSlots slots(static_cast<std::size_t>(page.RowCount()));
      for (std::size_t i = 0; i < slots.size(); ++i)
        slots[i] = {ToStd(page.m_path[i]), page.m_enabled[i]};
      try {
        OpenDatabase();
        if (!m_db) return false;
        // A row another desk changed too is asked about, "No" keeping the
        // other desk's folder.
        for (;;) {
          const std::vector<SlotConflict> conflicts = SaveFolderSlots(*m_db, read, slots);
          if (conflicts.empty()) break;
          CloseDatabase();
          for (const SlotConflict& conflict : conflicts) {
            const auto i = static_cast<std::size_t>(conflict.slot - 1);
            const QString question =
                tr("Строка %1 изменена на другом рабочем месте: %2 — сохранить ваше значение %3?")
                    .arg(conflict.slot)
                    .arg(SlotValue(conflict.theirs), SlotValue(conflict.mine));
            if (MessageBox::Show(&sheet, question, MessageBox::AppTitle(), QMessageBox::Question,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) != QMessageBox::Yes)
              slots[i] = conflict.theirs;
            if (read.size() <= i) read.resize(i + 1);
            read[i] = conflict.theirs;
          }
          OpenDatabase();
          if (!m_db) return false;
        }
        CloseDatabase();
        return true;
      } catch (const StoreError& e) {
        CloseDatabase();
        MessageBox::EngineError(&sheet, e, tr("пути не сохранены и остались в окне"));
      } catch (const std::invalid_argument& e) {
        // The paths page refuses such rows first; this is the last guard.
        CloseDatabase();
        MessageBox::Stop(&sheet, FromStd(e.what()));
      }
      return false;
    });
    sheet.exec();
  });
}

void MainWindow::OnStatistics() {
  OpenDatabase();
  if (!m_db) return;
  StatisticsWindow dialog;
  dialog.Exec(m_db.get());
  CloseDatabase();
}

void MainWindow::OnProcess() {
  if (MessageBox::Question(this, tr("Это процесс может занять несколько минут.\nПродолжить?"),
                           tr("Обработка")) != QMessageBox::Ok)
    return;
  std::optional<SweepSummary> summary;
  const QString kept = tr("файлы оставлены до следующей обработки");
  RunCommand(
      [this, &summary, &kept] {
        OpenDatabase();
        if (!m_db) return;
        // The sweep runs on a worker thread with a connection of its own.
        const std::string path =
            m_db->IsServer() ? m_db->Path() : std::filesystem::absolute(m_db->Path()).string();
        CloseDatabase();
        try {
          ProcessProgressDialog progress(this);
          summary = progress.Run(path);
        } catch (const std::system_error& e) {
          MessageBox::Stop(
              this, tr("Ошибка чтения или удаления файла; %1.\n\n%2").arg(kept, FromStd(e.what())));
        }
      },
      kept);
  if (!summary) return;
  MessageBox::Information(this, ProcessReport(*summary), tr("Обработка"));
  // The state column shows what was just collected.
  RunCommand([this] { FillUserList(); });
}

void MainWindow::OnAbout() {
  AboutBox dlg;
  dlg.exec();
}

void MainWindow::OnAboutMe() {
  AuthorBox dlg;
  dlg.exec();
}

}  // namespace vornal
