#include "gui/about/about_box.h"

#include <QIcon>
#include <QPixmap>
#include <QPushButton>

#include "gui/about/author_box.h"
#include "ui_about_box.h"

// Resources of a static library are linked only when something refers to them.
static void InitAboutResources() {
  Q_INIT_RESOURCE(vornal);
}

namespace vornal {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent), m_ui(new Ui::AboutBox) {
  m_ui->setupUi(this);
  m_ui->iconLabel->setPixmap(AppIcon().pixmap(32, 32));
  connect(m_ui->okButton, &QPushButton::clicked, this, &AboutBox::accept);
  connect(m_ui->authorButton, &QPushButton::clicked, this, &AboutBox::OnAuthor);
}

AboutBox::~AboutBox() = default;

QIcon AboutBox::AppIcon() {
  InitAboutResources();
  return QIcon(QStringLiteral(":/vornal.ico"));
}

void AboutBox::OnAuthor() {
  AuthorBox dlg;
  dlg.exec();
}

}  // namespace vornal
