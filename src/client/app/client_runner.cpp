#include "app/client_runner.h"

#include <algorithm>

#include "app/client_text.h"
#include "client/local_files.h"

namespace vornal {

ClientRunner::ClientRunner(WorkClient& client, const Clock& clock, QObject* parent)
    : QObject(parent), m_client(client), m_clock(clock) {
  m_timer.setSingleShot(true);
  m_timer.setTimerType(Qt::VeryCoarseTimer);
  connect(&m_timer, &QTimer::timeout, this, &ClientRunner::Tick);
  // The state file is replaced by a rename: the folder changes.
  m_watch.addPath(QString::fromStdString(m_client.SpoolPath()).section(QLatin1Char('/'), 0, -2));
  connect(&m_watch, &QFileSystemWatcher::directoryChanged, this, [this] {
    Arm();
    Q_EMIT Changed();
  });
}

template <class Step>
void ClientRunner::Run(Step step) {
  try {
    step();
  } catch (const ClientFileError& error) {
    Q_EMIT Failed(ClientText::FileError(error.Path(), error.Error()));
  }
  Arm();
  Q_EMIT Changed();
}

void ClientRunner::Begin() {
  Run([this] { m_client.BeginSession(); });
}

void ClientRunner::SetActive(bool active) {
  Run([&] { m_client.SetActive(active); });
}

void ClientRunner::Mark() {
  Run([this] { m_client.Mark(); });
}

void ClientRunner::End() {
  Run([this] { m_client.EndSession(); });
}

void ClientRunner::Tick() {
  Run([this] { m_client.Tick(); });
}

void ClientRunner::Reconfigure(ClientSettings settings) {
  Run([&] { m_client.Reconfigure(std::move(settings)); });
}

void ClientRunner::Arm() {
  std::optional<DateTime> next;
  try {
    next = m_client.NextDue();
  } catch (const ClientFileError&) {
    next = m_clock.Now();  // tried again, and reported, by the tick
  }
  if (!next) {
    m_timer.stop();
    return;
  }
  const std::int64_t seconds =
      std::clamp<std::int64_t>(next->SecondsSince(m_clock.Now()), 0, m_client.Settings().interval);
  m_timer.start(static_cast<int>(seconds * 1000));
}

}  // namespace vornal
