#include "gui/mainwindow/person_editor.h"

#include "gui/widgets/file_dialog.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/photo_view.h"
#include "ui_person_editor.h"

namespace vornal {

PersonEditor::PersonEditor(QWidget* parent)
    : QDialog(parent), m_ui(new Ui::PersonEditor), m_photo(new PhotoView(this)) {
  m_ui->setupUi(this);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  m_photo->setObjectName(QStringLiteral("photo"));
  m_photo->Create(this, m_ui->previewFrame->geometry());
  connect(m_ui->okButton, &QPushButton::clicked, this, &PersonEditor::accept);
  connect(m_ui->cancelButton, &QPushButton::clicked, this, &PersonEditor::reject);
  connect(m_ui->browseButton, &QPushButton::clicked, this, &PersonEditor::OnBrowse);
}

PersonEditor::~PersonEditor() = default;

void PersonEditor::showEvent(QShowEvent* event) {
  if (!m_initialized) {
    m_initialized = true;
    Initialize();
  }
  QDialog::showEvent(event);
}

void PersonEditor::Initialize() {
  m_ui->nameEdit->setText(QString::fromStdString(m_values.name));
  m_ui->loginEdit->setText(QString::fromStdString(m_values.login));
  m_ui->ageEdit->setText(QString::fromStdString(m_values.age));
  m_ui->profEdit->setText(QString::fromStdString(m_values.prof));
  m_ui->telEdit->setText(QString::fromStdString(m_values.tel));
  m_ui->emailEdit->setText(QString::fromStdString(m_values.email));
  m_ui->photoEdit->setText(QString::fromStdString(m_values.photo));
  m_photo->LoadFile(m_ui->photoEdit->text());
  m_ui->nameEdit->setFocus();
}

void PersonEditor::OnBrowse() {
  const QString path =
      FileDialog::GetOpenFileName(this, QStringLiteral("Select Bitmap"),
                                  QStringLiteral("Bitmap Files (*.bmp)"), QStringLiteral("bmp"));
  if (path.isEmpty()) return;
  m_ui->photoEdit->setText(path);
  m_photo->LoadFile(path);
}

void PersonEditor::accept() {
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
  m_values = {m_ui->nameEdit->text().toStdString(),  m_ui->ageEdit->text().toStdString(),
              m_ui->profEdit->text().toStdString(),  m_ui->photoEdit->text().toStdString(),
              m_ui->loginEdit->text().toStdString(), m_ui->telEdit->text().toStdString(),
              m_ui->emailEdit->text().toStdString()};
  QDialog::accept();
}

}  // namespace vornal
