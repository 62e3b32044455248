#include "gui/mainwindow/main_window.h"

#include <QAction>
#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLocale>
#include <filesystem>
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
#include "gui/widgets/message_box.h"
#include "gui/widgets/photo_view.h"
#include "stats/period_queries.h"
#include "store/folder_slots.h"
#include "store/people.h"
#include "store/recordset.h"
#include "ui_main_window.h"

// Resources of a static library are registered by hand, outside any namespace.
static void InitVornalResources() {
  Q_INIT_RESOURCE(vornal);
}

namespace vornal {
namespace {

const QString kCannotOpen = QStringLiteral("Невозможно открыть базу данных");

QString FromStd(const std::string& text) {
  return QString::fromStdString(text);
}

std::string ToStd(const QString& text) {
  return text.toStdString();
}

QString NoteText(const FileNote& note) {
  const QString file = FromStd(note.file);
  switch (note.kind) {
    case FileNote::Kind::StillOpen:
      return QStringLiteral(
                 "%1: файл ещё открыт клиентом; полные строки внесены, остальное ждёт "
                 "следующей обработки")
          .arg(file);
    case FileNote::Kind::QuietPeriod:
      return QStringLiteral(
                 "%1: файл, возможно, ещё дописывается; полные строки внесены, файл будет "
                 "удалён, когда перестанет меняться")
          .arg(file);
    case FileNote::Kind::NotRegular: {
      QString kind = QStringLiteral("не обычный файл");
      for (const auto& [english, russian] : {std::pair{"a symbolic link", "символическая ссылка"},
                                             {"a folder", "папка"},
                                             {"a FIFO", "канал FIFO"},
                                             {"a socket", "сокет"},
                                             {"a device", "устройство"}})
        if (note.detail == english) kind = QString::fromUtf8(russian);
      return QStringLiteral("%1: %2, не обычный файл; оставлен на месте").arg(file, kind);
    }
    case FileNote::Kind::CannotOpen:
      return QStringLiteral(
                 "%1: файл не удалось открыть для чтения и записи (%2), оставлен на месте")
          .arg(file, FromStd(note.detail));
    case FileNote::Kind::NoWriteBits:
      return QStringLiteral("%1: файл без права записи, оставлен на месте").arg(file);
    case FileNote::Kind::CannotClaim:
      return QStringLiteral("%1: файл не удалось взять в обработку (%2), оставлен на месте")
          .arg(file, FromStd(note.detail));
    case FileNote::Kind::Changed:
      return QStringLiteral("%1: файл подменён во время взятия в обработку, оставлен на месте")
          .arg(file);
    case FileNote::Kind::ReadError:
      return QStringLiteral("%1: файл не удалось прочитать (%2), оставлен до следующей обработки")
          .arg(file, FromStd(note.detail));
  }
  return file;
}

QString SkipText(SkipReason reason) {
  switch (reason) {
    case SkipReason::BlankLine:
      return QStringLiteral("пустые строки");
    case SkipReason::UnknownEvent:
      return QStringLiteral("неизвестное или пустое имя события");
    case SkipReason::InvalidTime:
      return QStringLiteral("неверные дата и время");
    case SkipReason::LoginTooLong:
      return QStringLiteral("логин длиннее 100 символов");
    case SkipReason::ControlCharacter:
      return QStringLiteral("управляющие символы в логине");
    case SkipReason::LineTooLong:
      return QStringLiteral("строка длиннее 1 МиБ");
    case SkipReason::AfterEndMark:
      return QStringLiteral("после метки конца файла (0x1A)");
    case SkipReason::ExtraEvent:
      return QStringLiteral("второе событие в строке");
  }
  return {};
}

// The completion message: the fixed first line, then what the sweep did.
QString ProcessReport(const SweepSummary& summary) {
  QString text = QStringLiteral("Обработка выполнена");
  if (summary.cancelled)
    text += QStringLiteral(
        "\n\nОстановлено оператором: необработанные файлы остались для "
        "следующей обработки.");
  text += QStringLiteral("\n\nОбработано файлов: %1\nВнесено событий: %2\nПропущено строк: %3")
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
    text += QStringLiteral("\nОтложено строк: %1 (список: vornal-cli rejected)")
                .arg(QLocale().toString(static_cast<qlonglong>(summary.keptAside)));
  if (summary.waiting > 0)
    text += QStringLiteral("\nФайлов ждут закрытия клиентом или периода покоя: %1")
                .arg(summary.waiting);
  if (summary.failures > 0)
    text += QStringLiteral("\nФайлов не удалось обработать: %1").arg(summary.failures);
  for (const FolderSummary& folder : summary.folders)
    for (const FileNote& note : folder.notes) text += u'\n' + NoteText(note);
  return text;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QDialog(parent), m_ui(new Ui::MainWindow), m_photo(nullptr), m_aboutAction(nullptr) {
  InitVornalResources();
  m_ui->setupUi(this);
  m_photo = new PhotoView(this);
  m_photo->setObjectName(QStringLiteral("photo"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  m_aboutAction = new QAction(QStringLiteral("О программе..."), this);
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
  connect(m_ui->exitButton, &QPushButton::clicked, this, &MainWindow::accept);
  connect(m_ui->cancelButton, &QPushButton::clicked, this, &MainWindow::reject);
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
  ShowDetails({}, {}, {}, {}, {});

  CellGrid* grid = m_ui->grid;
  grid->SetColumnCount(4);
  grid->SetRowCount(10);
  grid->SetFixedRows(1);
  grid->SetFixedCols(1);
  const int widths[] = {3, 33, 16, 20};
  for (int col = 0; col < 4; ++col) grid->SetColumnWidthChars(col, widths[col]);

  OpenDatabase();
  CloseDatabase();
  m_photo->Create(this, m_ui->photoFrame->geometry());
  RunCommand([this] { FillUserList(); });
}

bool MainWindow::OpenDatabase() {
  FreeDatabase(m_db);
  OpenFailure failure;
  const int result = OpenDatabaseFile(m_db, DatabaseLocation(), false, &failure);
  if (result == 1) return true;
  if (result == -1) {
    MessageBox::Warning(this, MessageBox::EngineErrorText(failure.code, kCannotOpen.toLower(),
                                                          FromStd(failure.message)));
    return true;
  }
  NewDatabaseDialog notice(&m_db, DatabaseLocation());
  notice.exec();
  if (m_db)
    CreateTables();
  else
    MessageBox::Warning(this, kCannotOpen);
  return true;
}

void MainWindow::CloseDatabase() {
  FreeDatabase(m_db);
}

bool MainWindow::CreateTables() {
  return vornal::CreateTables(m_db.get());
}

void MainWindow::RunCommand(const std::function<void()>& command, const QString& outcome) {
  try {
    command();
  } catch (const StoreError& e) {
    CloseDatabase();
    MessageBox::EngineError(this, e, outcome.isEmpty() ? tr("команда не выполнена") : outcome);
  } catch (const std::bad_alloc&) {
    MessageBox::Stop(this, QStringLiteral("Out of memory."));
  }
}

void MainWindow::ShowDetails(const QString& name, const QString& age, const QString& prof,
                             const QString& tel, const QString& email) {
  m_ui->nameLabel->setText(name);
  m_ui->ageLabel->setText(age);
  m_ui->profLabel->setText(prof);
  m_ui->telLabel->setText(tel);
  m_ui->emailLabel->setText(email);
}

void MainWindow::FillUserList() {
  OpenDatabase();
  if (!m_db) return;
  PersonRecordset rs(m_db.get());
  OpenPeopleList(rs);
  const int count = static_cast<int>(rs.RecordCount());
  // After a delete the selection may point past the list: keep it inside.
  if (m_selectedRow > count) m_selectedRow = std::max(count, 1);

  CellGridModel::Rows rows;
  rows.reserve(static_cast<std::size_t>(std::max(count, 1)) + 1);
  rows.push_back({QStringLiteral(" ID"), QStringLiteral("ФИО"), QStringLiteral("Login"),
                  QStringLiteral("Профессия")});
  for (int i = 1; !rs.AtEnd(); ++i, rs.MoveNext()) {
    rows.push_back({QString::number(rs.m_ID), u' ' + FromStd(rs.m_Name), u' ' + FromStd(rs.m_Login),
                    u' ' + FromStd(rs.m_Prof)});
    if (i == m_selectedRow) {
      ShowDetails(FromStd(rs.m_Name), FromStd(rs.m_Age), FromStd(rs.m_Prof), FromStd(rs.m_Tel),
                  FromStd(rs.m_email));
      m_photo->LoadFile(FromStd(rs.m_Photo));
    }
  }
  if (count == 0) rows.emplace_back(4);

  CellGrid* grid = m_ui->grid;
  grid->Clear();
  grid->SetColumnCount(4);
  grid->SetAll(std::move(rows));

  const bool any = count > 0;
  m_ui->deleteButton->setEnabled(any);
  m_ui->editButton->setEnabled(any);
  m_ui->statisticsButton->setEnabled(any);
  if (!any) {
    m_selectedRow = 1;
    ShowDetails(QStringLiteral("ФИО"), QStringLiteral("Возраст"), QStringLiteral("Профессия"),
                QStringLiteral("Телефон"), QStringLiteral("e-mail"));
    m_photo->Clear();
  }

  grid->SetCurrentRow(m_selectedRow);
  grid->SetCurrentColumn(3);
  grid->SetSelectionEndRow(m_selectedRow);
  grid->SetSelectionEndColumn(1);
  rs.Close();
  CloseDatabase();
}

void MainWindow::OnGridClicked() {
  RunCommand([this] {
    OpenDatabase();
    if (!m_db) return;
    PersonRecordset rs(m_db.get());
    OpenPeopleList(rs);
    m_selectedRow = m_ui->grid->CurrentRow();
    // The person is found by position in ID order.
    if (m_selectedRow >= 1) {
      rs.Move(m_selectedRow - 1);
      if (!rs.AtEnd()) {
        ShowDetails(FromStd(rs.m_Name), FromStd(rs.m_Age), FromStd(rs.m_Prof), FromStd(rs.m_Tel),
                    FromStd(rs.m_email));
        m_photo->LoadFile(FromStd(rs.m_Photo));
      }
    }
    rs.Close();
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
  CellGrid* grid = m_ui->grid;
  if (grid->CurrentRow() < 1) return std::nullopt;
  grid->SetCurrentColumn(0);
  bool ok = false;
  const qlonglong id = grid->CurrentText().trimmed().toLongLong(&ok);
  if (!ok) return std::nullopt;
  return id;
}

bool MainWindow::SavePerson(PersonEditor& editor, std::optional<std::int64_t> id,
                            const PersonValues& values) {
  try {
    OpenDatabase();
    if (!m_db) return false;
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
    bool saved = true;
    if (id)
      saved = UpdatePerson(*m_db, *id, values) == 1;
    else
      InsertPerson(*m_db, values);
    CloseDatabase();
    if (!saved)
      MessageBox::Error(&editor, tr("Этой записи больше нет в базе данных: её удалила другая "
                                    "программа. Введённые данные остались в окне."));
    return saved;
  } catch (const StoreError& e) {
    CloseDatabase();
    MessageBox::EngineError(&editor, e,
                            tr("запись не сохранена, введённые данные остались в окне"));
  } catch (const std::bad_alloc&) {
    CloseDatabase();
    MessageBox::Stop(&editor, QStringLiteral("Out of memory."));
  }
  return false;
}

void MainWindow::OnAdd() {
  RunCommand([this] {
    PersonEditor dialog(this);
    dialog.SetCommit(
        [this, &dialog](const PersonValues& values) { return SavePerson(dialog, {}, values); });
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
    {
      PersonRecordset rs(m_db.get());
      OpenPerson(rs, *id);
      // Fixed-size columns may pad their values; the editor gets them without.
      const auto trimmed = [](const std::string& text) { return std::string(TrimRight(text)); };
      dialog.SetValues({trimmed(rs.m_Name), trimmed(rs.m_Age), trimmed(rs.m_Prof),
                        trimmed(rs.m_Photo), trimmed(rs.m_Login), trimmed(rs.m_Tel),
                        trimmed(rs.m_email)});
    }
    CloseDatabase();
    dialog.SetCommit(
        [this, &dialog, id](const PersonValues& values) { return SavePerson(dialog, id, values); });
    dialog.exec();
    FillUserList();
  });
}

void MainWindow::OnDelete() {
  if (MessageBox::Question(this, QStringLiteral("Вы действительно хотите удалить эту запись?"),
                           QStringLiteral("Удаление")) != QMessageBox::Ok)
    return;
  RunCommand([this] {
    const std::optional<std::int64_t> id = CurrentId();
    if (!id) return;
    OpenDatabase();
    if (!m_db) return;
    DeletePerson(*m_db, *id);
    CloseDatabase();
    FillUserList();
  });
}

void MainWindow::OnSettings() {
  RunCommand([this] {
    OpenDatabase();
    if (!m_db) return;
    FolderSlots slots = LoadFolderSlots(*m_db);
    CloseDatabase();

    SettingsDialog sheet;
    for (std::size_t i = 0; i < slots.size(); ++i) {
      sheet.m_foldersPage.m_path[i] = FromStd(slots[i].path);
      sheet.m_foldersPage.m_enabled[i] = slots[i].enabled;
    }
    // The rows are saved while the sheet is open, so a refusal keeps them there.
    sheet.SetCommit([this, &sheet, &slots] {
      for (std::size_t i = 0; i < slots.size(); ++i) {
        slots[i].path = ToStd(sheet.m_foldersPage.m_path[i]);
        slots[i].enabled = sheet.m_foldersPage.m_enabled[i];
      }
      try {
        OpenDatabase();
        if (!m_db) return false;
        SaveFolderSlots(*m_db, slots);
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
  if (MessageBox::Question(this,
                           QStringLiteral("Это процесс может занять несколько минут.\nПродолжить?"),
                           QStringLiteral("Обработка")) != QMessageBox::Ok)
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
  if (summary) MessageBox::Information(this, ProcessReport(*summary), QStringLiteral("Обработка"));
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  // Esc pressed once too often after leaving a dialog must not end the
  // program; the close box and the window menu still do.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
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
