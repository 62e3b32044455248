#include "personnel/user_dialog.h"

#include "app/file_dialog.h"
#include "app/message_box.h"
#include "personnel/photo_static.h"
#include "ui_user_dialog.h"

namespace vornal {

CUserDialog::CUserDialog(QWidget* parent)
    : QDialog(parent), m_ui(new Ui::CUserDialog), m_photo(new CPhotoStatic(this)) {
  m_ui->setupUi(this);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  m_photo->setObjectName(QStringLiteral("photo"));
  m_photo->Create(this, m_ui->previewFrame->geometry());
  connect(m_ui->okButton, &QPushButton::clicked, this, &CUserDialog::accept);
  connect(m_ui->cancelButton, &QPushButton::clicked, this, &CUserDialog::reject);
  connect(m_ui->browseButton, &QPushButton::clicked, this, &CUserDialog::OnBrowse);
}

CUserDialog::~CUserDialog() = default;

void CUserDialog::showEvent(QShowEvent* event) {
  if (!m_initialized) {
    m_initialized = true;
    OnInitDialog();
  }
  QDialog::showEvent(event);
}

void CUserDialog::OnInitDialog() {
  m_ui->nameEdit->setText(m_strName);
  m_ui->loginEdit->setText(m_strLogin);
  m_ui->ageEdit->setText(m_strAge);
  m_ui->profEdit->setText(m_strProf);
  m_ui->telEdit->setText(m_strTel);
  m_ui->emailEdit->setText(m_strEmail);
  m_ui->photoEdit->setText(m_strPhoto);
  m_photo->LoadFile(m_strPhoto);
  m_ui->nameEdit->setFocus();
}

void CUserDialog::OnBrowse() {
  const QString path =
      FileDialog::GetOpenFileName(this, QStringLiteral("Select Bitmap"),
                                  QStringLiteral("Bitmap Files (*.bmp)"), QStringLiteral("bmp"));
  if (path.isEmpty()) return;
  m_ui->photoEdit->setText(path);
  m_photo->LoadFile(path);
}

void CUserDialog::accept() {
  if (m_ui->nameEdit->text().isEmpty()) {
    MessageBox::Error(this, QStringLiteral("Необходимо заполнить поле ФИО"));
    m_ui->nameEdit->setFocus();
    return;
  }
  if (m_ui->loginEdit->text().isEmpty()) {
    MessageBox::Error(this, QStringLiteral("Необходимо заполнить поле Login"));
    m_ui->loginEdit->setFocus();
    return;
  }
  m_strName = m_ui->nameEdit->text();
  m_strLogin = m_ui->loginEdit->text();
  m_strAge = m_ui->ageEdit->text();
  m_strProf = m_ui->profEdit->text();
  m_strTel = m_ui->telEdit->text();
  m_strEmail = m_ui->emailEdit->text();
  m_strPhoto = m_ui->photoEdit->text();
  QDialog::accept();
}

}  // namespace vornal
