#include "personnel/user_dialog.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/file_dialog.h"
#include "app/message_box.h"
#include "personnel/photo_static.h"
#include "widget_test_util.h"

namespace vornal {

class UserDialogTest : public QObject {
  Q_OBJECT

  static QLineEdit* Edit(CUserDialog& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
  }

 private Q_SLOTS:
  void init() {
    MessageBox::SetAutoAnswer(true);
    MessageBox::ClearHistory();
    FileDialog::ClearAnswers();
  }

  void RefusesEmptyNameThenEmptyLoginAndReturnsValuesAsTyped() {
    test::ScopedCurrentDir dir;
    CUserDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Добавление/Изменение"));
    QVERIFY(Edit(dialog, "photoEdit")->isReadOnly());

    QTest::keyClick(Edit(dialog, "ageEdit"), Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QCOMPARE(MessageBox::History().size(), 1u);
    QCOMPARE(MessageBox::History().back().text, QStringLiteral("Необходимо заполнить поле ФИО"));
    QCOMPARE(MessageBox::History().back().icon, QMessageBox::Critical);
    QCOMPARE(MessageBox::History().back().caption, MessageBox::AppTitle());
    QCOMPARE(QApplication::focusWidget(), Edit(dialog, "nameEdit"));

    QTest::keyClicks(Edit(dialog, "nameEdit"), QStringLiteral("  "));
    QTest::keyClick(Edit(dialog, "nameEdit"), Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QCOMPARE(MessageBox::History().size(), 2u);
    QCOMPARE(MessageBox::History().back().text, QStringLiteral("Необходимо заполнить поле Login"));
    QCOMPARE(QApplication::focusWidget(), Edit(dialog, "loginEdit"));

    QTest::keyClicks(Edit(dialog, "loginEdit"), QStringLiteral("x'y "));
    QTest::keyClicks(Edit(dialog, "ageEdit"), QStringLiteral("twenty"));
    QTest::keyClick(Edit(dialog, "loginEdit"), Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.m_strName, QStringLiteral("  "));
    QCOMPARE(dialog.m_strLogin, QStringLiteral("x'y "));
    QCOMPARE(dialog.m_strAge, QStringLiteral("twenty"));
    QCOMPARE(dialog.m_strTel, QString());
  }

  void OpensWithTheValuesAndChoosesAPhoto() {
    test::ScopedCurrentDir dir;
    QVERIFY(QFile::copy(QStringLiteral(VORNAL_RES_DIR "/no_photo.bmp"), dir.File("no_photo.bmp")));
    QTemporaryDir other;
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString path = other.filePath(QStringLiteral("me.bmp"));
    QVERIFY(picture.save(path, "BMP"));

    CUserDialog dialog;
    dialog.m_strName = QStringLiteral("Ann");
    dialog.m_strLogin = QStringLiteral("ann");
    dialog.m_strPhoto = QStringLiteral("missing.bmp");
    dialog.show();
    QCOMPARE(Edit(dialog, "nameEdit")->text(), QStringLiteral("Ann"));
    QCOMPARE(dialog.focusWidget(), Edit(dialog, "nameEdit"));
    // A wrong path shows the fallback picture.
    QCOMPARE(dialog.Photo()->Picture().size(), QImage(dir.File("no_photo.bmp")).size());

    FileDialog::SetNextFileName(QString());
    dialog.findChild<QPushButton*>(QStringLiteral("browseButton"))->click();
    QCOMPARE(Edit(dialog, "photoEdit")->text(), QStringLiteral("missing.bmp"));

    FileDialog::SetNextFileName(path);
    dialog.findChild<QPushButton*>(QStringLiteral("browseButton"))->click();
    QCOMPARE(Edit(dialog, "photoEdit")->text(), path);
    QCOMPARE(dialog.Photo()->Picture().size(), QSize(30, 20));
    QCOMPARE(QDir::currentPath(), dir.Path());

    // Cancel leaves the values as the caller set them.
    dialog.reject();
    QCOMPARE(dialog.m_strPhoto, QStringLiteral("missing.bmp"));
  }
};

}  // namespace vornal

QTEST_MAIN(vornal::UserDialogTest)
#include "user_dialog_test.moc"
