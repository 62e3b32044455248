#include "gui/mainwindow/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <new>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "gui/about/about_box.h"
#include "gui/about/author_box.h"
#include "gui/mainwindow/new_database_dialog.h"
#include "gui/mainwindow/people_model.h"
#include "gui/mainwindow/person_editor.h"
#include "gui/mainwindow/process_progress_dialog.h"
#include "gui/settings/settings_dialog.h"
#include "gui/statistics/statistics_window.h"
#include "gui/widgets/display_text.h"
#include "gui/widgets/language.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/photo_view.h"
#include "gui/widgets/table_view.h"
#include "gui/widgets/window_state.h"
#include "stats/period_queries.h"
#include "stats/presence.h"
#include "store/change_watch.h"
#include "store/folder_slots.h"
#include "store/people.h"
#include "store/role_grants.h"
#include "store/settings.h"
#include "store/sites.h"
#include "text/login_key.h"
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

QString FromStd(const std::string& text) {
  return QString::fromStdString(text);
}

std::string ToStd(const QString& text) {
  return text.toStdString();
}

// A value in a question: «text», or "(пусто)".
QString QuotedValue(const std::string& value) {
  return value.empty() ? MainWindow::tr("(пусто)")
                       : QStringLiteral("«") + FromStd(value) + QStringLiteral("»");
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
    case PersonField::Department:
      text = MainWindow::tr(
          "Подразделение изменено на другом рабочем месте: %1 — сохранить ваше значение %2?");
      break;
    case PersonField::PersonnelNumber:
      text = MainWindow::tr(
          "Табельный номер изменён на другом рабочем месте: %1 — сохранить ваше значение %2?");
      break;
  }
  return text.arg(QuotedValue(conflict.theirs), QuotedValue(conflict.mine));
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_ui(new Ui::MainWindow),
      m_people(new PeopleModel(this)),
      m_shown(new QSortFilterProxyModel(this)),
      m_followTimer(new QTimer(this)),
      m_aboutAction(new QAction(this)) {
  InitVornalResources();
  m_ui->setupUi(this);
  setWindowIcon(QIcon(QStringLiteral(":/vornal.ico")));
  // Which database is open, when it is not base.mdb here.
  if (DatabaseLocation() != kDatabaseFile)
    setWindowTitle(windowTitle() + QStringLiteral(" — ") +
                   FromStd(DisplayLocation(DatabaseLocation())));
  // And which site, when it was named.
  if (SiteWasGiven())
    setWindowTitle(windowTitle() + QStringLiteral(" — ") +
                   tr("площадка %1").arg(FromStd(CurrentSite())));

  m_aboutAction->setText(tr("О программе..."));
  m_aboutAction->setObjectName(QStringLiteral("aboutAction"));
  m_aboutAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F1));
  addAction(m_aboutAction);
  setContextMenuPolicy(Qt::ActionsContextMenu);

  // The list shows the people found by name or login, in the order of the
  // column last clicked (ID order at first).
  m_shown->setSourceModel(m_people);
  m_shown->setSortRole(PeopleModel::SortRole);
  m_shown->setSortLocaleAware(true);
  m_shown->setFilterRole(PeopleModel::SearchRole);
  m_shown->setFilterKeyColumn(PeopleModel::IdColumn);
  m_shown->setFilterCaseSensitivity(Qt::CaseInsensitive);
  TableView* grid = m_ui->grid;
  grid->setModel(m_shown);
  grid->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  grid->setSortingEnabled(true);
  const int widths[PeopleModel::kColumnCount] = {3, 33, 16, 20, 22};
  for (int column = 0; column < PeopleModel::kColumnCount; ++column)
    grid->SetColumnChars(column, widths[column]);
  // The state column fits its longest text: a working day begun last year.
  const QString longest =
      u' ' + DisplayText::PresenceState(
                 {Presence::State::AtWork, *DateTime::FromParts(2000, 12, 31, 23, 59)}, {});
  grid->setColumnWidth(PeopleModel::StateColumn,
                       std::max(grid->columnWidth(PeopleModel::StateColumn),
                                grid->fontMetrics().horizontalAdvance(longest) + 12));
  grid->SetShownRows(15);
  grid->SetEmptyText(tr("Нет данных"));
  // The details beside the photo take a full name's width, wider than the photo.
  m_ui->nameLabel->setMinimumWidth(m_ui->nameLabel->fontMetrics().averageCharWidth() * 24);

  // The list's commands by key and by its context menu: Insert adds, Enter
  // and F2 edit, Del removes; Ctrl+F goes to the search.
  const auto listAction = [this, grid](const QString& text, QList<QKeySequence> keys,
                                       void (MainWindow::*slot)()) {
    auto* action = new QAction(text, grid);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WidgetShortcut);
    grid->addAction(action);
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  listAction(tr("Добавить"), {QKeySequence(Qt::Key_Insert)}, &MainWindow::OnAdd);
  m_editAction = listAction(tr("Изменить"), {QKeySequence(Qt::Key_F2)}, &MainWindow::OnEdit);
  // The view takes Enter for itself: it is asked for before the view sees it.
  grid->installEventFilter(this);
  m_deleteAction = listAction(tr("Удалить"), {QKeySequence::Delete}, &MainWindow::OnDelete);
  grid->setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* find = new QAction(this);
  find->setShortcut(QKeySequence::Find);
  addAction(find);
  connect(find, &QAction::triggered, this, [this] {
    m_ui->searchEdit->setFocus(Qt::ShortcutFocusReason);
    m_ui->searchEdit->selectAll();
  });

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
  connect(m_ui->searchEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
    const int row = m_ui->grid->currentIndex().row();
    m_shown->setFilterFixedString(FromStd(SearchKey(ToStd(text.trimmed()))));
    RestoreSelection(row);
  });
  connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &MainWindow::OnCurrentChanged);
  connect(grid, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) OnEdit();
  });
  connect(m_followTimer, &QTimer::timeout, this, &MainWindow::FollowChanges);

  ShowDetails({}, {}, {}, {}, {});
  OpenDatabase();
  RunCommand([this] { FillUserList(); });
  RestoreWindowState(this, grid, QStringLiteral("MainWindow"));
  m_followTimer->start(kFollowIntervalMs);
}

MainWindow::~MainWindow() = default;

TableView* MainWindow::Grid() const {
  return m_ui->grid;
}

PhotoView* MainWindow::Photo() const {
  return m_ui->photo;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_ui->grid && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_editAction->isEnabled()) {
      OnEdit();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  SaveWindowState(this, m_ui->grid, QStringLiteral("MainWindow"));
  QWidget::closeEvent(event);
}

bool MainWindow::OpenDatabase() {
  if (m_db) return true;
  try {
    m_db = vornal::OpenDatabase(DatabaseLocation());
  } catch (const StoreError& e) {
    if (e.Kind() != StoreErrorKind::NotFound) {
      MessageBox::Warning(this,
                          MessageBox::EngineErrorText(
                              e.Kind(), CannotOpenText().toLower(),
                              tr("Couldn't open database--Exception: %1").arg(FromStd(e.what()))));
      return false;
    }
  } catch (const std::bad_alloc&) {
    MessageBox::Warning(
        this, MessageBox::EngineErrorText(StoreErrorKind::Other, CannotOpenText().toLower(),
                                          tr("Failed to open database--Memory exception thrown.")));
    return false;
  }
  if (!m_db) {
    // Declined once: the run ends without asking again.
    if (m_declined) return false;
    NewDatabaseDialog notice(&m_db, DatabaseLocation());
    if (notice.exec() == QDialog::Rejected) {
      m_declined = true;
      MessageBox::Information(this,
                              tr("База данных не создана, программа закрывается. Чтобы создать "
                                 "базу данных, запустите программу снова и нажмите OK."),
                              MessageBox::AppTitle());
      return false;
    }
    if (!m_db) {
      MessageBox::Warning(this, CannotOpenText());
      return false;
    }
    try {
      CreateTables(*m_db);
    } catch (const StoreError& e) {
      MessageBox::Warning(this,
                          tr("Couldn't append TableDef--Exception: %1").arg(FromStd(e.what())));
      m_db.reset();
      return false;
    }
  }
  try {
    m_watch = std::make_unique<ChangeWatch>(*m_db);
  } catch (const StoreError&) {
    // Without a watch the list is read again only by the window's commands.
  }
  return true;
}

void MainWindow::CloseDatabase() {
  m_watch.reset();
  m_db.reset();
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
  // A detail too long for its label shows whole in the label's tooltip; the
  // details stand in a column as wide as the photo.
  const int room = m_ui->photo->width();
  for (QLabel* label :
       {m_ui->nameLabel, m_ui->ageLabel, m_ui->profLabel, m_ui->telLabel, m_ui->emailLabel}) {
    const bool cut = label->fontMetrics().horizontalAdvance(label->text()) > room;
    label->setToolTip(cut ? label->text() : QString());
  }
}

void MainWindow::FillUserList() {
  if (!OpenDatabase()) return;
  const std::vector<Person> read = LoadPeople(*m_db);
  std::vector<PeopleModel::Person> people;
  people.reserve(read.size());
  std::vector<std::string> logins;
  logins.reserve(read.size());
  for (const Person& person : read) {
    const PersonValues& v = person.values;
    people.push_back({person.id,
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
  // Statistics show everybody's rows and unknown logins too: they open
  // whenever there are people or rows.
  bool rows = false;
  try {
    const std::optional<DateTime> latest = LatestEvent(*m_db, DateTime::Now());
    rows = latest.has_value();
    const std::vector<Presence> presence = PresenceOf(*m_db, logins, latest);
    for (std::size_t i = 0; i < presence.size(); ++i)
      people[i].state = DisplayText::PresenceState(presence[i], latest);
  } catch (const StoreError&) {
    // The people are listed whatever befell LOGS; the commands that read
    // it report the fault.
  }
  const int row = m_ui->grid->currentIndex().row();
  m_people->SetPeople(std::move(people));
  m_ui->statisticsButton->setEnabled(m_people->Count() > 0 || rows);
  RestoreSelection(row);
}

void MainWindow::RestoreSelection(int formerRow) {
  TableView* grid = m_ui->grid;
  const int count = m_shown->rowCount();
  int row = -1;
  if (m_selectedId)
    if (const int source = m_people->RowOf(*m_selectedId); source >= 0)
      row = m_shown->mapFromSource(m_people->index(source, 0)).row();
  if (row < 0 && count > 0) row = std::clamp(formerRow, 0, count - 1);
  if (row < 0) {
    grid->selectionModel()->clear();
    m_selectedId.reset();
    ShowSelected();
    return;
  }
  const QModelIndex index = m_shown->index(row, PeopleModel::NameColumn);
  // A row that stays current keeps its person, whose details may have
  // changed; a new current row shows its person through OnCurrentChanged.
  if (index == grid->currentIndex()) ShowSelected();
  grid->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  grid->scrollTo(index);
}

void MainWindow::OnCurrentChanged(const QModelIndex& current) {
  if (!current.isValid()) return;
  m_selectedId = current.data(PeopleModel::IdRole).toLongLong();
  ShowSelected();
}

void MainWindow::ShowSelected() {
  const PeopleModel::Person* person = m_selectedId ? m_people->Find(*m_selectedId) : nullptr;
  const bool shown = m_shown->rowCount() > 0;
  m_ui->deleteButton->setEnabled(shown);
  m_ui->editButton->setEnabled(shown);
  m_deleteAction->setEnabled(shown);
  m_editAction->setEnabled(shown);
  if (!person || !shown) {
    ShowDetails(tr("ФИО"), tr("Возраст"), tr("Профессия"), tr("Телефон"), QStringLiteral("e-mail"));
    m_ui->photo->Clear();
    return;
  }
  ShowDetails(person->name, person->age, person->prof, person->tel, person->email);
  m_ui->photo->LoadFile(person->photo);
}

void MainWindow::FollowChanges() {
  if (!m_watch) return;
  try {
    if (m_watch->Changed()) FillUserList();
  } catch (const StoreError&) {
    // The next command opens the database anew and says what failed.
    CloseDatabase();
  } catch (const std::bad_alloc&) {
    // Likewise; the list stays as it was read last.
  }
}

bool MainWindow::SavePerson(PersonEditor& editor, std::optional<std::int64_t> id,
                            StoredPerson* read, const PersonValues& values) {
  try {
    if (!OpenDatabase()) return false;
    RequireRight(*m_db, Action::EditPeople);
    if (const std::optional<LoginOwner> owner = FindLoginOwner(*m_db, values.login, id)) {
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
    }
    if (!id) {
      InsertPerson(*m_db, values);
      NotifyChange(*m_db);
      return true;
    }
    // Another desk may have changed the person since the editor opened: a
    // field changed on both is asked about, "No" keeping the other desk's.
    PersonValues mine = values;
    for (;;) {
      const PersonSave save = vornal::SavePerson(*m_db, *id, *read, mine);
      if (save.outcome == PersonSave::Outcome::Saved) break;
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
      if (!OpenDatabase()) return false;
    }
    NotifyChange(*m_db);
    return true;
  } catch (const StoreError& e) {
    CloseDatabase();
    MessageBox::EngineError(&editor, e,
                            tr("запись не сохранена, введённые данные остались в окне"));
  } catch (const std::bad_alloc&) {
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
    const std::optional<std::int64_t> id = m_selectedId;
    if (!id || !OpenDatabase()) return;
    std::optional<StoredPerson> read = ReadStoredPerson(*m_db, *id);
    if (!read) {
      // Another program removed the person: the list shows it.
      FillUserList();
      return;
    }
    // Fixed-size columns may pad their values; the editor gets them without.
    PersonValues shown = read->values;
    for (const PersonField field : kPersonFields)
      FieldValue(shown, field) = std::string(TrimRight(FieldValue(shown, field)));
    PersonEditor dialog(this);
    dialog.SetValues(shown);
    dialog.SetCommit([this, &dialog, id, &read](const PersonValues& values) {
      return SavePerson(dialog, id, &*read, values);
    });
    dialog.exec();
    FillUserList();
  });
}

void MainWindow::OnDelete() {
  const PeopleModel::Person* person = m_selectedId ? m_people->Find(*m_selectedId) : nullptr;
  if (!person) return;
  const QString who = QStringLiteral("%1 (ID %2, %3)")
                          .arg(person->name.trimmed())
                          .arg(person->id)
                          .arg(person->login.trimmed());
  // A person's work rows are theirs by login: removed, the person could not
  // come back under the same ID, and the rows would stand without an owner.
  bool refused = false;
  RunCommand([this, person, &who, &refused] {
    if (!OpenDatabase()) return;
    const std::int64_t rows = CountWorkRows(*m_db, ToStd(person->login));
    if (rows == 0) return;
    refused = true;
    MessageBox::Warning(this, tr("Запись %1 не удалена: в базе данных есть записи о работе "
                                 "с этим логином (%2), и без неё они остались бы без владельца.")
                                  .arg(who)
                                  .arg(rows));
  });
  if (refused || !m_db) return;
  if (MessageBox::Question(this, tr("Вы действительно хотите удалить эту запись?") + u'\n' + who,
                           tr("Удаление")) != QMessageBox::Ok)
    return;
  RunCommand([this] {
    const std::optional<std::int64_t> id = m_selectedId;
    if (!id || !OpenDatabase()) return;
    RequireRight(*m_db, Action::EditPeople);
    DeletePerson(*m_db, *id);
    NotifyChange(*m_db);
    FillUserList();
  });
}

void MainWindow::OnSettings() {
  RunCommand([this] {
    if (!OpenDatabase()) return;
    FolderSlots read = LoadFolderSlots(*m_db);

    SettingsDialog sheet;
    GeneralPage& general = sheet.m_generalPage;
    QString office = FromStd(LoadOfficeTitle(*m_db));
    int quiet = QuietPeriodSetting(*m_db);
    general.SetOfficeTitle(office);
    general.SetQuietPeriod(quiet);
    general.SetLanguage(StoredLanguage());
    FoldersPage& page = sheet.m_foldersPage;
    page.SetSite(FromStd(CurrentSite()), CurrentSite() == HostSite());
    page.SetRowCount(static_cast<int>(read.size()));
    for (std::size_t i = 0; i < read.size(); ++i) {
      page.m_path[i] = FromStd(read[i].path);
      page.m_enabled[i] = read[i].enabled;
    }
    // The rows are saved while the sheet is open, so a refusal keeps them there.
    sheet.SetCommit([this, &sheet, &page, &read, &general, &office, &quiet] {
      StoreLanguage(general.Language());
      FolderSlots slots(static_cast<std::size_t>(page.RowCount()));
      for (std::size_t i = 0; i < slots.size(); ++i)
        slots[i] = {ToStd(page.m_path[i]), page.m_enabled[i]};
      try {
        if (!OpenDatabase()) return false;
        // A row another desk changed too is asked about, "No" keeping the
        // other desk's folder.
        for (;;) {
          const std::vector<SlotConflict> conflicts = SaveFolderSlots(*m_db, read, slots);
          if (conflicts.empty()) break;
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
          if (!OpenDatabase()) return false;
        }
        if (general.OfficeTitle() != office) {
          SaveOfficeTitle(*m_db, ToStd(general.OfficeTitle()));
          office = general.OfficeTitle();
        }
        if (general.QuietPeriod() != quiet) {
          SaveQuietPeriodSetting(*m_db, general.QuietPeriod());
          quiet = general.QuietPeriod();
        }
        // Apply keeps the sheet open: what was saved is what the next save
        // starts from.
        read = LoadFolderSlots(*m_db);
        return true;
      } catch (const StoreError& e) {
        CloseDatabase();
        MessageBox::EngineError(&sheet, e, tr("настройки не сохранены и остались в окне"));
      } catch (const std::invalid_argument& e) {
        // The paths page refuses such rows first; this is the last guard.
        MessageBox::Stop(&sheet, FromStd(e.what()));
      }
      return false;
    });
    sheet.exec();
  });
}

void MainWindow::OnStatistics() {
  if (!OpenDatabase()) return;
  StatisticsWindow dialog;
  dialog.Exec(m_db.get());
}

void MainWindow::OnProcess() {
  if (MessageBox::Question(this, tr("Это процесс может занять несколько минут.\nПродолжить?"),
                           tr("Обработка")) != QMessageBox::Ok)
    return;
  std::optional<SweepSummary> summary;
  const QString kept = tr("файлы оставлены до следующей обработки");
  // Each file the sweep commits would have the list read again: it is read
  // once, afterwards.
  m_followTimer->stop();
  RunCommand(
      [this, &summary, &kept] {
        if (!OpenDatabase()) return;
        // The sweep runs on a worker thread with a connection of its own.
        const std::string path =
            m_db->IsServer() ? m_db->Path() : std::filesystem::absolute(m_db->Path()).string();
        try {
          ProcessProgressDialog progress(this);
          summary = progress.Run(path);
        } catch (const std::system_error& e) {
          MessageBox::Stop(
              this, tr("Ошибка чтения или удаления файла; %1.\n\n%2").arg(kept, FromStd(e.what())));
        }
      },
      kept);
  m_followTimer->start();
  if (!summary) return;
  MessageBox::Information(this, DisplayText::ProcessReport(*summary), tr("Обработка"));
  // The state column shows what was just collected, here and at the other desks.
  RunCommand([this, &summary] {
    if (!OpenDatabase()) return;
    if (summary->eventsApplied > 0) NotifyChange(*m_db);
    FillUserList();
  });
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
