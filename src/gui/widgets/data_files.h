#pragma once

#include <QString>
#include <QStringList>

namespace vornal {

// The program's own pictures. A copy in the current directory, under the name
// offices have always used, wins, so an office keeps its own pictures; then
// the installed one, in share/vornal beside the program's bin folder or in
// the system's data folders (XDG_DATA_DIRS).
struct DataFile {
  const char* localName;      // in the current directory
  const char* installedName;  // in share/vornal
};
inline constexpr DataFile kNoPhotoPicture{"no_photo.bmp", "no_photo.bmp"};
inline constexpr DataFile kAuthorPicture{"delmo32.dll", "author.bmp"};

// The path to load: the first copy found, or the local name when there is
// none (which then loads as a missing file).
QString DataFilePath(const DataFile& file);
// Where installed pictures are looked for, in order.
QStringList DataFolders();

}  // namespace vornal
