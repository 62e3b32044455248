#include "settings/my_property_page1.h"

#include <QLineEdit>
#include <QSpinBox>

#include "ui_my_property_page1.h"

namespace vornal {
namespace {

// The field of an arrow control is greyed; the arrows and the arrow keys
// still step it.
void GreyField(QSpinBox* spin, int maximum) {
  spin->setRange(0, maximum);
  spin->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
  if (auto* field = spin->findChild<QLineEdit*>()) field->setEnabled(false);
  spin->setFocusPolicy(Qt::StrongFocus);
}

}  // namespace

CMyPropertyPage1::CMyPropertyPage1(QWidget* parent)
    : QWidget(parent), m_ui(new Ui::CMyPropertyPage1) {
  m_ui->setupUi(this);
  OnInitDialog();
}

CMyPropertyPage1::~CMyPropertyPage1() = default;

void CMyPropertyPage1::OnInitDialog() {
  GreyField(m_ui->intervalSpin, 60);
  GreyField(m_ui->twoShotsSpin, 2);
  GreyField(m_ui->afterWorkSpin, 10);
}

QSpinBox* CMyPropertyPage1::IntervalSpin() const {
  return m_ui->intervalSpin;
}

QSpinBox* CMyPropertyPage1::TwoShotsSpin() const {
  return m_ui->twoShotsSpin;
}

QSpinBox* CMyPropertyPage1::AfterWorkSpin() const {
  return m_ui->afterWorkSpin;
}

}  // namespace vornal
