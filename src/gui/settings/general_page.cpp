#include "gui/settings/general_page.h"

#include <QLineEdit>
#include <QSpinBox>

#include "ui_general_page.h"

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

GeneralPage::GeneralPage(QWidget* parent) : QWidget(parent), m_ui(new Ui::GeneralPage) {
  m_ui->setupUi(this);
  Initialize();
}

GeneralPage::~GeneralPage() = default;

void GeneralPage::Initialize() {
  GreyField(m_ui->intervalSpin, 60);
  GreyField(m_ui->twoShotsSpin, 2);
  GreyField(m_ui->afterWorkSpin, 10);
}

QSpinBox* GeneralPage::IntervalSpin() const {
  return m_ui->intervalSpin;
}

QSpinBox* GeneralPage::TwoShotsSpin() const {
  return m_ui->twoShotsSpin;
}

QSpinBox* GeneralPage::AfterWorkSpin() const {
  return m_ui->afterWorkSpin;
}

}  // namespace vornal
