// Placeholder until the photo control is built.
#include "personnel/photo_static.h"

namespace vornal {

CPhotoStatic::CPhotoStatic(QWidget* parent) : QWidget(parent) {}

bool CPhotoStatic::Create(QWidget* parent, const QRect& rect) {
  setParent(parent);
  setGeometry(rect);
  show();
  return true;
}

void CPhotoStatic::LoadFile(const QString& path) { SetImage(QImage(path)); }

void CPhotoStatic::SetImage(const QImage&) {}

void CPhotoStatic::Redraw() {}

void CPhotoStatic::Clear() {}

}  // namespace vornal
