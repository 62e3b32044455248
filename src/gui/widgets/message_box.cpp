#include "gui/widgets/message_box.h"

#include <QApplication>
#include <QPushButton>

#include "store/role_grants.h"
#include "store/store_error.h"

namespace vornal {

std::deque<MessageBox::Button> MessageBox::s_answers;
std::vector<MessageBox::Shown> MessageBox::s_history;
bool MessageBox::s_autoAnswer = false;

MessageBox::Button MessageBox::Show(QWidget* parent, const QString& text, const QString& caption,
                                    QMessageBox::Icon icon, Buttons buttons, Button defaultButton) {
  s_history.push_back({text, caption, icon, buttons, defaultButton});
  if (!s_answers.empty()) {
    const Button answer = s_answers.front();
    s_answers.pop_front();
    return answer;
  }
  if (s_autoAnswer) return defaultButton != QMessageBox::NoButton ? defaultButton : QMessageBox::Ok;
  QMessageBox box(icon, caption, text, buttons, parent);
  if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
  if (QAbstractButton* yes = box.button(QMessageBox::Yes)) yes->setText(tr("&Да"));
  if (QAbstractButton* no = box.button(QMessageBox::No)) no->setText(tr("&Нет"));
  box.setEscapeButton(buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel
                                                            : QMessageBox::Ok);
  const int result = box.exec();
  return static_cast<Button>(result);
}

QString MessageBox::AppTitle() {
  return QApplication::applicationName();
}

void MessageBox::Warning(QWidget* parent, const QString& text) {
  Show(parent, text, AppTitle(), QMessageBox::Warning);
}

void MessageBox::Error(QWidget* parent, const QString& text) {
  Show(parent, text, AppTitle(), QMessageBox::Critical);
}

void MessageBox::Stop(QWidget* parent, const QString& text) {
  Show(parent, text, AppTitle(), QMessageBox::Critical);
}

MessageBox::Button MessageBox::Question(QWidget* parent, const QString& text,
                                        const QString& caption) {
  return Show(parent, text, caption, QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel,
              QMessageBox::Cancel);
}

void MessageBox::Information(QWidget* parent, const QString& text, const QString& caption) {
  Show(parent, text, caption, QMessageBox::Information);
}

QString MessageBox::EngineErrorText(StoreErrorKind kind, const QString& outcome,
                                    const QString& engineText) {
  QString what;
  QString advice;
  switch (kind) {
    case StoreErrorKind::Busy:
      what = tr("База данных занята другой программой");
      advice = tr("Повторите позже, когда другая программа закончит работу с базой.");
      break;
    case StoreErrorKind::NotPermitted:
      what = tr("База данных доступна только для чтения");
      advice =
          tr("Проверьте права на запись в файл базы данных и в его папку (для базы на сервере — "
             "права роли).");
      break;
    case StoreErrorKind::Full:
      what = tr("На диске не осталось места для базы данных");
      advice = tr("Освободите место на диске и повторите.");
      break;
    case StoreErrorKind::Damaged:
      what = tr("Файл базы данных повреждён");
      advice = tr("Восстановите базу данных из резервной копии.");
      break;
    case StoreErrorKind::NotFound:
    case StoreErrorKind::Refused:
    case StoreErrorKind::CannotConnect:
    case StoreErrorKind::Other:
      what = tr("Ошибка базы данных");
      break;
  }
  QString text = what;
  if (!outcome.isEmpty()) text += QStringLiteral("; ") + outcome;
  text += u'.';
  if (!advice.isEmpty()) text += u' ' + advice;
  return text + QStringLiteral("\n\n") + engineText;
}

void MessageBox::EngineError(QWidget* parent, StoreErrorKind kind, const QString& outcome,
                             const QString& engineText) {
  Stop(parent, EngineErrorText(kind, outcome, engineText));
}

void MessageBox::EngineError(QWidget* parent, const StoreError& error, const QString& outcome) {
  const auto* missing = dynamic_cast<const MissingRight*>(&error);
  if (!missing || missing->Role().empty()) {
    EngineError(parent, error.Kind(), outcome, QString::fromStdString(error.what()));
    return;
  }
  QString what;
  switch (missing->WhatAction()) {
    case Action::Collect:
      what = tr("Роль «%1» не может собирать файлы в этой базе данных");
      break;
    case Action::EditPeople:
      what = tr("Роль «%1» не может изменять список людей в этой базе данных");
      break;
    case Action::EditSettings:
      what = tr("Роль «%1» не может изменять настройки в этой базе данных");
      break;
    case Action::RetryKeptAside:
      what = tr("Роль «%1» не может повторно вносить отложенные строки в этой базе данных");
      break;
    case Action::ClearKeptAside:
      what = tr("Роль «%1» не может удалять отложенные строки в этой базе данных");
      break;
    case Action::Correct:
      what = tr("Роль «%1» не может исправлять интервалы в этой базе данных");
      break;
    case Action::EditTimesheet:
      what =
          tr("Роль «%1» не может изменять неявки и производственный календарь в этой базе данных");
      break;
  }
  QString text = what.arg(QString::fromStdString(missing->Role()));
  if (!outcome.isEmpty()) text += QStringLiteral("; ") + outcome;
  const QString privilege = QString::fromStdString(missing->Privilege());
  const QString table = QString::fromStdString(missing->Table());
  text += missing->Site().empty()
              ? tr(". Нет права %1 на таблицу %2.").arg(privilege, table)
              : tr(". Нет права %1 на строки площадки %3 в таблице %2.")
                    .arg(privilege, table, QString::fromStdString(missing->Site()));
  text += tr(" Права выдаёт владелец таблиц (vornal-cli grants).");
  Stop(parent, text);
}

void MessageBox::SetNextAnswer(Button answer) {
  s_answers.push_back(answer);
}

void MessageBox::SetAutoAnswer(bool on) {
  s_autoAnswer = on;
}

const std::vector<MessageBox::Shown>& MessageBox::History() {
  return s_history;
}

void MessageBox::ClearHistory() {
  s_history.clear();
  s_answers.clear();
}

}  // namespace vornal
