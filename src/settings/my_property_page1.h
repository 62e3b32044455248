#pragma once

#include <QScopedPointer>
#include <QWidget>

class QSpinBox;

namespace Ui {
class CMyPropertyPage1;
}

namespace vornal {

// The "Общие" page: screenshot options that nothing reads yet. Its fields are
// greyed out; only their arrows move, and nothing is kept.
class CMyPropertyPage1 : public QWidget {
  Q_OBJECT

 public:
  explicit CMyPropertyPage1(QWidget* parent = nullptr);
  ~CMyPropertyPage1() override;

  QSpinBox* IntervalSpin() const;
  QSpinBox* TwoShotsSpin() const;
  QSpinBox* AfterWorkSpin() const;

 private:
  void OnInitDialog();

  QScopedPointer<Ui::CMyPropertyPage1> m_ui;
};

}  // namespace vornal
