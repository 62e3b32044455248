#include "gui/widgets/data_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vornal {

QStringList DataFolders() {
  QStringList folders;
  // bin/../share/vornal: an install under any prefix, the build tree too.
  if (QCoreApplication::instance())
    folders << QDir::cleanPath(QCoreApplication::applicationDirPath() +
                               QStringLiteral("/../share/vornal"));
  for (const QString& base : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
    folders << QDir::cleanPath(base + QStringLiteral("/vornal"));
  folders.removeDuplicates();
  return folders;
}

QString DataFilePath(const DataFile& file) {
  const QString local = QString::fromLatin1(file.localName);
  if (QFileInfo(local).isFile()) return local;
  const QString installed = QString::fromLatin1(file.installedName);
  for (const QString& folder : DataFolders()) {
    const QString path = folder + u'/' + installed;
    if (QFileInfo(path).isFile()) return path;
  }
  return local;
}

}  // namespace vornal
