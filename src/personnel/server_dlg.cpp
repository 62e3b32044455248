#include "personnel/server_dlg.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QLocale>
#include <filesystem>
#include <new>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "app/about_dlg.h"
#include "app/author_dlg.h"
#include "app/message_box.h"
#include "personnel/ms_flex_grid.h"
#include "personnel/new_database_dlg.h"
#include "personnel/photo_static.h"
#include "personnel/process_progress_dlg.h"
#include "personnel/user_dialog.h"
#include "settings/my_property_sheet.h"
#include "stats/stat_dialog.h"
#include "store/folder_slots.h"
#include "store/people.h"
#include "store/recordset.h"
#include "ui_server_dlg.h"

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

QString TrimRight(QString text) {
  qsizetype end = text.size();
  while (end > 0 && text.at(end - 1).isSpace()) --end;
  text.truncate(end);
  return text;
}

QString NoteText(const FileNote& note) {
  const QString file = FromStd(note.file);
  switch (note.kind) {
    case FileNote::Kind::StillOpen:
      return QStringLiteral("%1: файл ещё открыт клиентом, оставлен до следующей обработки")
          .arg(file);
    case FileNote::Kind::StillGrowing:
      return QStringLiteral("%1: файл ещё дописывается, оставлен до следующей обработки").arg(file);
    case FileNote::Kind::CannotClaim:
      return QStringLiteral("%1: файл не удалось взять в обработку (%2), оставлен на месте")
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
    case SkipReason::LineTooLong:
      return QStringLiteral("строка длиннее 1 МиБ");
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
  for (const FolderSummary& folder : summary.folders)
    for (const FileNote& note : folder.notes) text += u'\n' + NoteText(note);
  return text;
}

}  // namespace

CServerDlg::CServerDlg(QWidget* parent)
    : QDialog(parent), m_ui(new Ui::CServerDlg), m_photo(nullptr), m_aboutAction(nullptr) {
  InitVornalResources();
  m_ui->setupUi(this);
  m_photo = new CPhotoStatic(this);
  m_photo->setObjectName(QStringLiteral("photo"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  m_aboutAction = new QAction(QStringLiteral("О программе..."), this);
  m_aboutAction->setObjectName(QStringLiteral("aboutAction"));
  m_aboutAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F1));
  addAction(m_aboutAction);
  setContextMenuPolicy(Qt::ActionsContextMenu);

  connect(m_aboutAction, &QAction::triggered, this, &CServerDlg::OnAbout);
  connect(m_ui->addButton, &QPushButton::clicked, this, &CServerDlg::OnAdd);
  connect(m_ui->editButton, &QPushButton::clicked, this, &CServerDlg::OnEdit);
  connect(m_ui->deleteButton, &QPushButton::clicked, this, &CServerDlg::OnDelete);
  connect(m_ui->settingsButton, &QPushButton::clicked, this, &CServerDlg::OnSettings);
  connect(m_ui->statisticsButton, &QPushButton::clicked, this, &CServerDlg::OnStatistics);
  connect(m_ui->processButton, &QPushButton::clicked, this, &CServerDlg::OnProcess);
  connect(m_ui->aboutMeButton, &QPushButton::clicked, this, &CServerDlg::OnAboutMe);
  connect(m_ui->exitButton, &QPushButton::clicked, this, &CServerDlg::accept);
  connect(m_ui->cancelButton, &QPushButton::clicked, this, &CServerDlg::reject);
  connect(m_ui->grid, &CMSFlexGrid::Click, this, &CServerDlg::OnGridClick);
  connect(m_ui->grid, &CMSFlexGrid::SelChange, this, &CServerDlg::OnGridSelChange);
  connect(m_ui->grid, &CMSFlexGrid::DblClick, this, &CServerDlg::OnGridDblClick);

  OnInitDialog();
}

CServerDlg::~CServerDlg() = default;

CMSFlexGrid* CServerDlg::Grid() const {
  return m_ui->grid;
}

void CServerDlg::OnInitDialog() {
  setWindowIcon(QIcon(QStringLiteral(":/vornal.ico")));
  ShowDetails({}, {}, {}, {}, {});

  CMSFlexGrid* grid = m_ui->grid;
  grid->SetCols(4);
  grid->SetRows(10);
  grid->SetFixedRows(1);
  grid->SetFixedCols(1);
  const int widths[] = {3, 33, 16, 20};
  for (int col = 0; col < 4; ++col) grid->SetColWidthChars(col, widths[col]);

  OpenDatabase();
  CloseDatabase();
  m_photo->Create(this, m_ui->photoFrame->geometry());
  RunCommand([this] { FillUserList(); });
}

bool CServerDlg::OpenDatabase() {
  FreeDatabase(m_pDB);
  const int result = OpenDatabaseFile(m_pDB, kDatabaseFile, false);
  if (result == 1) return true;
  if (result == -1) {
    MessageBox::Warning(this, kCannotOpen);
    return true;
  }
  CNewDatabaseDlg notice;
  notice.m_ppDB = &m_pDB;
  notice.m_strPath = kDatabaseFile;
  notice.exec();
  if (m_pDB)
    CreateTables();
  else
    MessageBox::Warning(this, kCannotOpen);
  return true;
}

void CServerDlg::CloseDatabase() {
  FreeDatabase(m_pDB);
}

bool CServerDlg::CreateTables() {
  return vornal::CreateTables(m_pDB.get());
}

void CServerDlg::RunCommand(const std::function<void()>& command) {
  try {
    command();
  } catch (const StoreError& e) {
    MessageBox::Stop(this, FromStd(e.Description()));
  } catch (const std::bad_alloc&) {
    MessageBox::Stop(this, QStringLiteral("Out of memory."));
  }
}

void CServerDlg::ShowDetails(const QString& name, const QString& age, const QString& prof,
                             const QString& tel, const QString& email) {
  m_ui->nameLabel->setText(name);
  m_ui->ageLabel->setText(age);
  m_ui->profLabel->setText(prof);
  m_ui->telLabel->setText(tel);
  m_ui->emailLabel->setText(email);
}

void CServerDlg::FillUserList() {
  OpenDatabase();
  if (!m_pDB) return;
  CMyRecordset rs(m_pDB.get());
  OpenPeopleList(rs);
  const int count = static_cast<int>(rs.GetRecordCount());
  // After a delete the selection may point past the list: keep it inside.
  if (m_nSelRow > count) m_nSelRow = std::max(count, 1);

  FlexGridModel::Rows rows;
  rows.reserve(static_cast<std::size_t>(std::max(count, 1)) + 1);
  rows.push_back({QStringLiteral(" ID"), QStringLiteral("ФИО"), QStringLiteral("Login"),
                  QStringLiteral("Профессия")});
  for (int i = 1; !rs.IsEOF(); ++i, rs.MoveNext()) {
    rows.push_back({QString::number(rs.m_ID), u' ' + FromStd(rs.m_Name), u' ' + FromStd(rs.m_Login),
                    u' ' + FromStd(rs.m_Prof)});
    if (i == m_nSelRow) {
      ShowDetails(FromStd(rs.m_Name), FromStd(rs.m_Age), FromStd(rs.m_Prof), FromStd(rs.m_Tel),
                  FromStd(rs.m_email));
      m_photo->LoadFile(FromStd(rs.m_Photo));
    }
  }
  if (count == 0) rows.emplace_back(4);

  CMSFlexGrid* grid = m_ui->grid;
  grid->Clear();
  grid->SetCols(4);
  grid->SetAll(std::move(rows));

  const bool any = count > 0;
  m_ui->deleteButton->setEnabled(any);
  m_ui->editButton->setEnabled(any);
  m_ui->statisticsButton->setEnabled(any);
  if (!any) {
    m_nSelRow = 1;
    ShowDetails(QStringLiteral("ФИО"), QStringLiteral("Возраст"), QStringLiteral("Профессия"),
                QStringLiteral("Телефон"), QStringLiteral("e-mail"));
    m_photo->Clear();
  }

  grid->SetRow(m_nSelRow);
  grid->SetCol(3);
  grid->SetRowSel(m_nSelRow);
  grid->SetColSel(1);
  rs.Close();
  CloseDatabase();
}

void CServerDlg::OnGridClick() {
  RunCommand([this] {
    OpenDatabase();
    if (!m_pDB) return;
    CMyRecordset rs(m_pDB.get());
    OpenPeopleList(rs);
    m_nSelRow = m_ui->grid->GetRow();
    // The person is found by position in ID order.
    if (m_nSelRow >= 1) {
      rs.Move(m_nSelRow - 1);
      if (!rs.IsEOF()) {
        ShowDetails(FromStd(rs.m_Name), FromStd(rs.m_Age), FromStd(rs.m_Prof), FromStd(rs.m_Tel),
                    FromStd(rs.m_email));
        m_photo->LoadFile(FromStd(rs.m_Photo));
      }
    }
    rs.Close();
    CloseDatabase();
  });
}

void CServerDlg::OnGridSelChange() {
  OnGridClick();
}

void CServerDlg::OnGridDblClick() {
  m_nSelRow = m_ui->grid->GetRow();
  // The blank row of an empty list has no person to change.
  if (!CurrentId()) return;
  OnEdit();
}

std::optional<std::int64_t> CServerDlg::CurrentId() {
  CMSFlexGrid* grid = m_ui->grid;
  if (grid->GetRow() < 1) return std::nullopt;
  grid->SetCol(0);
  bool ok = false;
  const qlonglong id = grid->GetText().trimmed().toLongLong(&ok);
  if (!ok) return std::nullopt;
  return id;
}

void CServerDlg::OnAdd() {
  RunCommand([this] {
    CUserDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted) {
      OpenDatabase();
      if (!m_pDB) return;
      InsertPerson(*m_pDB,
                   {ToStd(dialog.m_strName), ToStd(dialog.m_strAge), ToStd(dialog.m_strProf),
                    ToStd(dialog.m_strPhoto), ToStd(dialog.m_strLogin), ToStd(dialog.m_strTel),
                    ToStd(dialog.m_strEmail)});
      CloseDatabase();
      m_ui->deleteButton->setEnabled(true);
      m_ui->editButton->setEnabled(true);
    }
    FillUserList();
  });
}

void CServerDlg::OnEdit() {
  RunCommand([this] {
    const std::optional<std::int64_t> id = CurrentId();
    if (!id) return;
    OpenDatabase();
    if (!m_pDB) return;
    CUserDialog dialog(this);
    {
      CMyRecordset rs(m_pDB.get());
      OpenPerson(rs, *id);
      // Fixed-size columns may pad their values; the editor gets them without.
      dialog.m_strName = TrimRight(FromStd(rs.m_Name));
      dialog.m_strAge = TrimRight(FromStd(rs.m_Age));
      dialog.m_strProf = TrimRight(FromStd(rs.m_Prof));
      dialog.m_strEmail = TrimRight(FromStd(rs.m_email));
      dialog.m_strTel = TrimRight(FromStd(rs.m_Tel));
      dialog.m_strPhoto = TrimRight(FromStd(rs.m_Photo));
      dialog.m_strLogin = TrimRight(FromStd(rs.m_Login));
    }
    CloseDatabase();
    if (dialog.exec() == QDialog::Accepted) {
      OpenDatabase();
      if (!m_pDB) return;
      UpdatePerson(*m_pDB, *id,
                   {ToStd(dialog.m_strName), ToStd(dialog.m_strAge), ToStd(dialog.m_strProf),
                    ToStd(dialog.m_strPhoto), ToStd(dialog.m_strLogin), ToStd(dialog.m_strTel),
                    ToStd(dialog.m_strEmail)});
      CloseDatabase();
    }
    FillUserList();
  });
}

void CServerDlg::OnDelete() {
  if (MessageBox::Question(this, QStringLiteral("Вы действительно хотите удалить эту запись?"),
                           QStringLiteral("Удаление")) != QMessageBox::Ok)
    return;
  RunCommand([this] {
    const std::optional<std::int64_t> id = CurrentId();
    if (!id) return;
    OpenDatabase();
    if (!m_pDB) return;
    DeletePerson(*m_pDB, *id);
    CloseDatabase();
    FillUserList();
  });
}

void CServerDlg::OnSettings() {
  RunCommand([this] {
    OpenDatabase();
    if (!m_pDB) return;
    FolderSlots slots = LoadFolderSlots(*m_pDB);
    CloseDatabase();

    CMyPropertySheet sheet;
    for (std::size_t i = 0; i < slots.size(); ++i) {
      sheet.m_page2.m_path[i] = FromStd(slots[i].path);
      sheet.m_page2.m_enabled[i] = slots[i].enabled;
    }
    if (sheet.exec() != QDialog::Accepted) return;
    for (std::size_t i = 0; i < slots.size(); ++i) {
      slots[i].path = ToStd(sheet.m_page2.m_path[i]);
      slots[i].enabled = sheet.m_page2.m_enabled[i];
    }

    OpenDatabase();
    if (!m_pDB) return;
    try {
      SaveFolderSlots(*m_pDB, slots);
    } catch (const std::invalid_argument& e) {
      // The paths page refuses an empty switched-on row; this is the last guard.
      MessageBox::Stop(this, FromStd(e.what()));
    }
    CloseDatabase();
  });
}

void CServerDlg::OnStatistics() {
  OpenDatabase();
  if (!m_pDB) return;
  StatDialog dialog;
  dialog.RunModal(m_pDB.get());
  CloseDatabase();
}

void CServerDlg::OnProcess() {
  if (MessageBox::Question(this,
                           QStringLiteral("Это процесс может занять несколько минут.\nПродолжить?"),
                           QStringLiteral("Обработка")) != QMessageBox::Ok)
    return;
  std::optional<SweepSummary> summary;
  RunCommand([this, &summary] {
    OpenDatabase();
    if (!m_pDB) return;
    // The sweep runs on a worker thread with a connection of its own.
    const std::string path = std::filesystem::absolute(m_pDB->Path()).string();
    CloseDatabase();
    try {
      CProcessProgressDlg progress(this);
      summary = progress.Run(path);
    } catch (const std::system_error& e) {
      MessageBox::Stop(this, FromStd(e.what()));
    }
  });
  if (summary) MessageBox::Information(this, ProcessReport(*summary), QStringLiteral("Обработка"));
}

void CServerDlg::OnAbout() {
  CAboutDlg dlg;
  dlg.exec();
}

void CServerDlg::OnAboutMe() {
  CAuthorDlg dlg;
  dlg.exec();
}

}  // namespace vornal
