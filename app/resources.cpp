#include "app/resources.h"

#include <QFile>

#include "imagefiles/file_names.h"
#include "imagefiles/loader.h"

// The resources live in a static library; the linker keeps them only when
// something refers to them.
static void InitResourcesOnce() {
  static const bool done = [] {
    Q_INIT_RESOURCE(quorvel);
    return true;
  }();
  (void)done;
}

namespace quorvel::res {

QString ResourcePath(int id) {
  InitResourcesOnce();
  return QStringLiteral(":/res/%1.png").arg(id);
}

int LoadPictureResource(int id, TImagePair& pair) {
  QFile file(ResourcePath(id));
  if (!file.open(QIODevice::ReadOnly)) return 0;
  const QByteArray bytes = file.readAll();
  return LoadPngResource(kFileTypePng, reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                         static_cast<std::size_t>(bytes.size()), pair);
}

}  // namespace quorvel::res
