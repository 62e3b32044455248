#pragma once

#include <QCoreApplication>
#include <QMessageBox>
#include <QString>
#include <deque>
#include <vector>

class QWidget;

namespace vornal {

class StoreError;
enum class StoreErrorKind;

// Every message box of the program goes through here, so that tests can
// answer the next boxes in advance and read what was shown.
class MessageBox {
  Q_DECLARE_TR_FUNCTIONS(MessageBox)

 public:
  using Button = QMessageBox::StandardButton;
  using Buttons = QMessageBox::StandardButtons;

  // A box with its own caption, icon, buttons and default button; returns
  // the button pressed (Esc gives the escape button: Cancel, or Ok alone).
  static Button Show(QWidget* parent, const QString& text, const QString& caption,
                     QMessageBox::Icon icon, Buttons buttons = QMessageBox::Ok,
                     Button defaultButton = QMessageBox::NoButton);

  // Notices captioned with the application's title, an OK button.
  static void Warning(QWidget* parent, const QString& text);
  static void Error(QWidget* parent, const QString& text);
  // An engine error that ends a command: the stop icon.
  static void Stop(QWidget* parent, const QString& text);
  // A question with its own caption: OK and Cancel, Cancel the default.
  static Button Question(QWidget* parent, const QString& text, const QString& caption);
  static void Information(QWidget* parent, const QString& text, const QString& caption);

  // An engine error explained: what happened, then `outcome` (what became of
  // the command), what to do, and after an empty line the engine's own text.
  static QString EngineErrorText(StoreErrorKind kind, const QString& outcome,
                                 const QString& engineText);
  // EngineErrorText in a box with the stop icon.
  static void EngineError(QWidget* parent, StoreErrorKind kind, const QString& outcome,
                          const QString& engineText);
  static void EngineError(QWidget* parent, const StoreError& error, const QString& outcome);

  // The application's title: the executable's name.
  static QString AppTitle();

  // ---- Test seam ----
  struct Shown {
    QString text;
    QString caption;
    QMessageBox::Icon icon;
    Buttons buttons;
    Button defaultButton;
  };
  // Answers the next box with this button instead of showing it.
  static void SetNextAnswer(Button answer);
  // With auto-answer on, a box with no queued answer is not shown and
  // answers its default button (OK when it has none).
  static void SetAutoAnswer(bool on);
  static const std::vector<Shown>& History();
  static void ClearHistory();

 private:
  static std::deque<Button> s_answers;
  static std::vector<Shown> s_history;
  static bool s_autoAnswer;
};

}  // namespace vornal
