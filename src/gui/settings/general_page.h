#pragma once

#include <QScopedPointer>
#include <QWidget>

class QSpinBox;

namespace Ui {
class GeneralPage;
}

namespace vornal {

// The "Общие" page: screenshot options that nothing reads yet. Its fields are
// greyed out; only their arrows move, and nothing is kept.
class GeneralPage : public QWidget {
  Q_OBJECT

 public:
  explicit GeneralPage(QWidget* parent = nullptr);
  ~GeneralPage() override;

  QSpinBox* IntervalSpin() const;
  QSpinBox* TwoShotsSpin() const;
  QSpinBox* AfterWorkSpin() const;

 private:
  void Initialize();

  QScopedPointer<Ui::GeneralPage> m_ui;
};

}  // namespace vornal
