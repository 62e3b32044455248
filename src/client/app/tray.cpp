#include "app/tray.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/client_text.h"
#include "app/settings_dialog.h"
#include "client/local_files.h"

namespace vornal {
namespace {

QToolButton* ActionButton(QAction* action, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setDefaultAction(action);
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  return button;
}

}  // namespace

TrayFront::TrayFront(ClientRunner& runner, std::function<void()> quit)
    : m_runner(runner), m_quit(std::move(quit)), m_menu(std::make_unique<QMenu>()) {
  m_startDay = m_menu->addAction(tr("Начать рабочий день"));
  m_stopDay = m_menu->addAction(tr("Закончить рабочий день"));
  m_startTask = m_menu->addAction(tr("Начать задание"));
  m_stopTask = m_menu->addAction(tr("Закончить задание"));
  m_menu->addSeparator();
  m_today = m_menu->addAction(QString());
  m_folder = m_menu->addAction(QString());
  m_today->setEnabled(false);
  m_folder->setEnabled(false);
  m_menu->addSeparator();
  QAction* settings = m_menu->addAction(tr("Настройки..."));
  QAction* quitAction = m_menu->addAction(tr("Выход"));
  connect(m_startDay, &QAction::triggered, this, [this] { Act(&WorkClient::StartDay); });
  connect(m_stopDay, &QAction::triggered, this, [this] { Act(&WorkClient::StopDay); });
  connect(m_startTask, &QAction::triggered, this, [this] { Act(&WorkClient::StartTask); });
  connect(m_stopTask, &QAction::triggered, this, [this] { Act(&WorkClient::StopTask); });
  connect(settings, &QAction::triggered, this, &TrayFront::OpenSettings);
  connect(quitAction, &QAction::triggered, this, [this] { m_quit(); });
  connect(m_menu.get(), &QMenu::aboutToShow, this, &TrayFront::Refresh);
  connect(&m_runner, &ClientRunner::Changed, this, &TrayFront::Refresh);
  // The desktop's session manager ends the program at logout.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { m_runner.End(); });

  if (QSystemTrayIcon::isSystemTrayAvailable() && qEnvironmentVariableIsEmpty("VORNAL_NO_TRAY")) {
    m_tray = std::make_unique<QSystemTrayIcon>();
    m_tray->setContextMenu(m_menu.get());
    connect(&m_runner, &ClientRunner::Failed, this, [this](const QString& message) {
      m_tray->showMessage(QStringLiteral("vornal-client"), message, QSystemTrayIcon::Warning);
    });
  } else {
    m_window = std::make_unique<QWidget>();
    m_window->setWindowTitle(QStringLiteral("vornal-client"));
    // Closing the window ends the program as the menu's quit does: nothing
    // keeps writing where the worker cannot see it.
    m_window->installEventFilter(this);
    auto* layout = new QVBoxLayout(m_window.get());
    m_windowText = new QLabel(m_window.get());
    m_windowText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_windowText);
    auto* buttons = new QGridLayout;
    buttons->addWidget(ActionButton(m_startDay, m_window.get()), 0, 0);
    buttons->addWidget(ActionButton(m_stopDay, m_window.get()), 0, 1);
    buttons->addWidget(ActionButton(m_startTask, m_window.get()), 1, 0);
    buttons->addWidget(ActionButton(m_stopTask, m_window.get()), 1, 1);
    buttons->addWidget(ActionButton(settings, m_window.get()), 2, 0);
    buttons->addWidget(ActionButton(quitAction, m_window.get()), 2, 1);
    layout->addLayout(buttons);
    connect(&m_runner, &ClientRunner::Failed, m_window.get(), [this](const QString& message) {
      QMessageBox::warning(m_window.get(), QStringLiteral("vornal-client"), message);
    });
  }
  Refresh();
  if (m_tray) m_tray->show();
  if (m_window) m_window->show();
}

TrayFront::~TrayFront() = default;

bool TrayFront::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_window.get() && event->type() == QEvent::Close) m_quit();
  return QObject::eventFilter(watched, event);
}

QIcon TrayFront::StateIcon(const ClientStatus& status) {
  QColor colour(0x9e, 0x9e, 0x9e);
  if (status.state.daySince) colour = QColor(0x2e, 0x9d, 0x4f);
  if (status.state.taskSince) colour = QColor(0x1f, 0x6f, 0xc5);
  if (status.waiting > 0 || status.state.folderError) colour = QColor(0xe6, 0x8a, 0x00);
  QIcon icon;
  for (const int size : {16, 22, 24, 32, 48, 64}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour.darker(150), size / 12.0));
    painter.setBrush(colour);
    const qreal margin = size / 10.0;
    painter.drawEllipse(QRectF(margin, margin, size - 2 * margin, size - 2 * margin));
    painter.setPen(QPen(Qt::white, size / 10.0, Qt::SolidLine, Qt::RoundCap));
    const QPointF centre(size / 2.0, size / 2.0);
    painter.drawLine(centre, centre - QPointF(0, size * 0.28));
    painter.drawLine(centre, centre + QPointF(size * 0.2, 0));
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

void TrayFront::Refresh() {
  ClientStatus status;
  try {
    status = m_runner.Client().Status();
  } catch (const ClientFileError& error) {
    m_today->setText(ClientText::FileError(error.Path(), error.Error()));
    return;
  }
  const ClientSettings& settings = m_runner.Client().Settings();
  const bool day = status.state.daySince.has_value();
  const bool task = status.state.taskSince.has_value();
  m_startDay->setEnabled(!day);
  m_stopDay->setEnabled(day);
  m_startTask->setEnabled(!task);
  m_stopTask->setEnabled(task);
  m_today->setText(ClientText::TodayLine(status));
  m_folder->setText(
      ClientText::FolderLine(status, settings).replace(QLatin1Char('\n'), QLatin1String("; ")));
  const QIcon icon = StateIcon(status);
  const QString text = ClientText::Status(status, settings).trimmed();
  if (m_tray) {
    m_tray->setIcon(icon);
    m_tray->setToolTip(text);
  }
  if (m_window) {
    m_window->setWindowIcon(icon);
    m_windowText->setText(text);
  }
}

void TrayFront::Act(WorkClient::Outcome (WorkClient::*step)()) {
  try {
    (m_runner.Client().*step)();
  } catch (const ClientFileError& error) {
    Q_EMIT m_runner.Failed(ClientText::FileError(error.Path(), error.Error()));
  }
  m_runner.Tick();
}

void TrayFront::OpenSettings() {
  SettingsDialog dialog(m_window.get());
  if (dialog.exec() != QDialog::Accepted) return;
  m_runner.Reconfigure(dialog.Saved());
}

bool TrayFront::ShowProblem(const QString& problem) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("vornal-client"), problem,
                  QMessageBox::Cancel);
  QPushButton* open = box.addButton(tr("Настройки..."), QMessageBox::AcceptRole);
  box.setDefaultButton(open);
  box.exec();
  if (box.clickedButton() != open) return false;
  SettingsDialog dialog(nullptr);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace vornal
