#include "app/about_dlg.h"

#include <QIcon>
#include <QPixmap>
#include <QPushButton>

#include "app/author_dlg.h"
#include "ui_about_dlg.h"

// Resources of a static library are linked only when something refers to them.
static void InitAboutResources() {
  Q_INIT_RESOURCE(vornal);
}

namespace vornal {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_ui(new Ui::CAboutDlg) {
  m_ui->setupUi(this);
  m_ui->iconLabel->setPixmap(AppIcon().pixmap(32, 32));
  connect(m_ui->authorButton, &QPushButton::clicked, this, &CAboutDlg::OnAuthor);
}

CAboutDlg::~CAboutDlg() = default;

QIcon CAboutDlg::AppIcon() {
  InitAboutResources();
  return QIcon(QStringLiteral(":/vornal.ico"));
}

void CAboutDlg::OnAuthor() {
  CAuthorDlg dlg;
  dlg.exec();
}

}  // namespace vornal
