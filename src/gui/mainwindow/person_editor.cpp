#include "gui/mainwindow/person_editor.h"

#include <QFileInfo>

#include "gui/widgets/file_dialog.h"
#include "gui/widgets/length_validator.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/photo_view.h"
#include "ui_person_editor.h"

namespace vornal {
namespace {

// The fields the operator types into; the photo field is read-only.
constexpr PersonField kTypedFields[] = {
    PersonField::Name, PersonField::Login, PersonField::Age,        PersonField::Prof,
    PersonField::Tel,  PersonField::Email, PersonField::Department, PersonField::PersonnelNumber};

}  // namespace

PersonEditor::PersonEditor(QWidget* parent) : QDialog(parent), m_ui(new Ui::PersonEditor) {
  m_ui->setupUi(this);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  for (const PersonField field : kTypedFields)
    Edit(field)->setValidator(new LengthValidator(PersonFieldSize(field), Edit(field)));
  connect(m_ui->okButton, &QPushButton::clicked, this, &PersonEditor::accept);
  connect(m_ui->cancelButton, &QPushButton::clicked, this, &PersonEditor::reject);
  connect(m_ui->browseButton, &QPushButton::clicked, this, &PersonEditor::OnBrowse);
  connect(m_ui->clearPhotoButton, &QPushButton::clicked, this, &PersonEditor::OnClearPhoto);
}

PersonEditor::~PersonEditor() = default;

QLineEdit* PersonEditor::Edit(PersonField field) const {
  switch (field) {
    case PersonField::Name:
      return m_ui->nameEdit;
    case PersonField::Login:
      return m_ui->loginEdit;
    case PersonField::Age:
      return m_ui->ageEdit;
    case PersonField::Prof:
      return m_ui->profEdit;
    case PersonField::Tel:
      return m_ui->telEdit;
    case PersonField::Email:
      return m_ui->emailEdit;
    case PersonField::Photo:
      return m_ui->photoEdit;
    case PersonField::Department:
      return m_ui->departmentEdit;
    case PersonField::PersonnelNumber:
      return m_ui->personnelNumberEdit;
  }
  return m_ui->nameEdit;
}

QLabel* PersonEditor::Label(PersonField field) const {
  switch (field) {
    case PersonField::Name:
      return m_ui->nameLabel;
    case PersonField::Login:
      return m_ui->loginLabel;
    case PersonField::Age:
      return m_ui->ageLabel;
    case PersonField::Prof:
      return m_ui->profLabel;
    case PersonField::Tel:
      return m_ui->telLabel;
    case PersonField::Email:
      return m_ui->emailLabel;
    case PersonField::Photo:
      return m_ui->photoLabel;
    case PersonField::Department:
      return m_ui->departmentLabel;
    case PersonField::PersonnelNumber:
      return m_ui->personnelNumberLabel;
  }
  return m_ui->nameLabel;
}

PhotoView* PersonEditor::Photo() const {
  return m_ui->photo;
}

void PersonEditor::FocusField(PersonField field) {
  // The photo field is read-only: its button is what changes it.
  if (field == PersonField::Photo)
    m_ui->browseButton->setFocus();
  else
    Edit(field)->setFocus();
}

void PersonEditor::showEvent(QShowEvent* event) {
  if (!m_initialized) {
    m_initialized = true;
    Initialize();
  }
  QDialog::showEvent(event);
}

void PersonEditor::Initialize() {
  for (const PersonField field : kPersonFields)
    Edit(field)->setText(QString::fromStdString(FieldValue(m_values, field)));
  m_ui->photo->LoadFile(m_ui->photoEdit->text());
  m_ui->nameEdit->setFocus();
}

void PersonEditor::OnBrowse() {
  // The chooser starts where the current photo is.
  const QString current = m_ui->photoEdit->text();
  const QString folder = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
  const QString path = FileDialog::GetOpenFileName(
      this, tr("Select Bitmap"), PhotoView::FileFilter(), QStringLiteral("bmp"), folder);
  if (path.isEmpty()) return;
  if (!FitsPersonField(PersonField::Photo, path.toStdString())) {
    MessageBox::Error(this, tr("Путь к файлу фото длиннее %1 символов; фото не изменено. Выберите "
                               "файл с более коротким путём.\n\n%2")
                                .arg(PersonFieldSize(PersonField::Photo))
                                .arg(path));
    return;
  }
  QString why;
  const QImage picture = PhotoView::ReadPicture(path, &why);
  if (picture.isNull()) {
    MessageBox::Error(
        this,
        tr("Файл не удаётся прочитать как рисунок; фото не изменено.\n\n%1\n%2").arg(path, why));
    return;
  }
  m_ui->photoEdit->setText(path);
  m_ui->photo->SetImage(picture);
}

void PersonEditor::OnClearPhoto() {
  m_ui->photoEdit->clear();
  m_ui->photo->LoadFile(QString());
}

void PersonEditor::accept() {
  PersonValues values;
  for (const PersonField field : kPersonFields)
    FieldValue(values, field) = Edit(field)->text().toStdString();
  if (const std::optional<PersonProblem> problem = CheckPerson(values)) {
    const QString label = Label(problem->field)->text();
    if (problem->blank)
      MessageBox::Error(this, tr("Необходимо заполнить поле ") + label);
    else
      MessageBox::Error(this, tr("Поле %1 длиннее %2 символов: сократите его.")
                                  .arg(label)
                                  .arg(PersonFieldSize(problem->field)));
    FocusField(problem->field);
    return;
  }
  if (m_commit && !m_commit(values)) return;
  m_values = values;
  QDialog::accept();
}

}  // namespace vornal
