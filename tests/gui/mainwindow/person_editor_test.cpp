#include "gui/mainwindow/person_editor.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "gui/widget_test_util.h"
#include "gui/widgets/file_dialog.h"
#include "gui/widgets/length_validator.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/photo_view.h"
#include "test_util.h"

namespace vornal {

class PersonEditorTest : public QObject {
  Q_OBJECT

  static QLineEdit* Edit(PersonEditor& dialog, const char* name) {
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
    PersonEditor dialog;
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

    // Blanks are no name and no login.
    QTest::keyClicks(Edit(dialog, "nameEdit"), QStringLiteral("  "));
    QTest::keyClick(Edit(dialog, "nameEdit"), Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QCOMPARE(MessageBox::History().size(), 2u);
    QCOMPARE(MessageBox::History().back().text, QStringLiteral("Необходимо заполнить поле ФИО"));
    QTest::keyClicks(Edit(dialog, "nameEdit"), QStringLiteral("Ann"));
    QTest::keyClicks(Edit(dialog, "loginEdit"), QStringLiteral(" "));
    QTest::keyClick(Edit(dialog, "nameEdit"), Qt::Key_Return);
    QCOMPARE(MessageBox::History().size(), 3u);
    QCOMPARE(MessageBox::History().back().text, QStringLiteral("Необходимо заполнить поле Login"));
    QCOMPARE(QApplication::focusWidget(), Edit(dialog, "loginEdit"));

    QTest::keyClicks(Edit(dialog, "loginEdit"), QStringLiteral("x'y "));
    QTest::keyClicks(Edit(dialog, "ageEdit"), QStringLiteral("twenty"));
    QTest::keyClicks(Edit(dialog, "departmentEdit"), QStringLiteral("Stores"));
    QTest::keyClicks(Edit(dialog, "personnelNumberEdit"), QString(25, u'7'));
    QTest::keyClick(Edit(dialog, "loginEdit"), Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.Values().name, "  Ann");
    QCOMPARE(dialog.Values().login, " x'y ");
    QCOMPARE(dialog.Values().age, "twenty");
    QCOMPARE(dialog.Values().tel, "");
    QCOMPARE(dialog.Values().department, "Stores");
    QCOMPARE(dialog.Values().personnelNumber, std::string(20, '7'));
  }

  // Pasting or typing past a column's size keeps the allowed part and says
  // what was cut.
  void OverLongInputKeepsTheAllowedPart() {
    PersonEditor dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QLineEdit* name = Edit(dialog, "nameEdit");
    const int size = PersonFieldSize(PersonField::Name);
    const QString pasted = QString(size - 1, u'ё') + QStringLiteral("ЖZZZZZZZZZZZZZZZZZZZZ");
    QApplication::clipboard()->setText(pasted);
    name->setFocus();
    name->paste();
    QCOMPARE(name->text(), pasted.left(size));
    const auto* validator = qobject_cast<const LengthValidator*>(name->validator());
    QVERIFY(validator->CutText().contains(QStringLiteral("(20)")));
    name->setCursorPosition(3);
    QTest::keyClicks(name, QStringLiteral("abc"));
    QCOMPARE(name->text(), pasted.left(size));
  }

  void OpensWithTheValuesAndChoosesAPhoto() {
    test::ScopedCurrentDir dir;
    QVERIFY(QFile::copy(QStringLiteral(VORNAL_RES_DIR "/no_photo.bmp"), dir.File("no_photo.bmp")));
    const QSize noPhoto = QImage(dir.File("no_photo.bmp")).size();
    QTemporaryDir other;
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString path = other.filePath(QStringLiteral("me.png"));
    QVERIFY(picture.save(path, "PNG"));
    const QString notPicture = other.filePath(QStringLiteral("note.jpg"));
    test::WriteFile(notPicture.toStdString(), "not a picture");

    PersonEditor dialog;
    PersonValues values;
    values.name = "Ann";
    values.photo = "missing.bmp";
    values.login = "ann";
    values.personnelNumber = "00042";
    dialog.SetValues(values);
    dialog.show();
    QCOMPARE(Edit(dialog, "nameEdit")->text(), QStringLiteral("Ann"));
    QCOMPARE(Edit(dialog, "personnelNumberEdit")->text(), QStringLiteral("00042"));
    QCOMPARE(dialog.focusWidget(), Edit(dialog, "nameEdit"));
    // A wrong path shows the fallback picture.
    QCOMPARE(dialog.Photo()->Picture().size(), noPhoto);
    auto* browse = dialog.findChild<QPushButton*>(QStringLiteral("browseButton"));

    FileDialog::SetNextFileName(QString());
    browse->click();
    QCOMPARE(Edit(dialog, "photoEdit")->text(), QStringLiteral("missing.bmp"));
    QCOMPARE(FileDialog::LastDirectory(), dir.Path());

    // A PNG is shown; the next chooser opens in its folder.
    FileDialog::SetNextFileName(path);
    browse->click();
    QCOMPARE(Edit(dialog, "photoEdit")->text(), path);
    QCOMPARE(dialog.Photo()->Picture().size(), QSize(30, 20));
    QCOMPARE(QDir::currentPath(), dir.Path());
    QVERIFY(MessageBox::History().empty());

    // A file that is no picture, or a path too long to store, is refused.
    FileDialog::SetNextFileName(notPicture);
    browse->click();
    QCOMPARE(FileDialog::LastDirectory(), other.path());
    QCOMPARE(MessageBox::History().size(), 1u);
    QVERIFY(MessageBox::History().back().text.contains(notPicture));
    const QString deep =
        other.path() + QStringLiteral("/") + QString(250, u'ф') + QStringLiteral(".png");
    FileDialog::SetNextFileName(deep);
    browse->click();
    QCOMPARE(MessageBox::History().size(), 2u);
    QVERIFY(MessageBox::History().back().text.contains(QStringLiteral("255")));
    QCOMPARE(Edit(dialog, "photoEdit")->text(), path);
    QCOMPARE(dialog.Photo()->Picture().size(), QSize(30, 20));

    dialog.findChild<QPushButton*>(QStringLiteral("clearPhotoButton"))->click();
    QCOMPARE(Edit(dialog, "photoEdit")->text(), QString());
    QCOMPARE(dialog.Photo()->Picture().size(), noPhoto);

    // Cancel leaves the values as the caller set them.
    dialog.reject();
    QCOMPARE(dialog.Values().photo, "missing.bmp");
  }
};

}  // namespace vornal

QTEST_MAIN(vornal::PersonEditorTest)
#include "person_editor_test.moc"
