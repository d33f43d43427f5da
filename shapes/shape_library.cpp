#include "shapes/shape_library.h"

#include <system_error>
#include <vector>

#include "raster/message_sink.h"
#include "shapes/folder_catalog.h"
#include "shapes/shape_reader.h"

namespace quorvel {

std::string ShapeNameFromFileName(const std::string& file_name) {
  const std::size_t dot = file_name.rfind('.');
  return dot == std::string::npos ? file_name : file_name.substr(0, dot);
}

namespace {

void AppendEntries(const std::vector<std::filesystem::path>& files, bool user, std::vector<ShapeEntry>& shapes) {
  for (const std::filesystem::path& file : files) {
    ShapeEntry entry;
    LoadShapeOutline(file, entry);
    entry.name = ShapeNameFromFileName(file.filename().string());
    entry.folder = file.parent_path();
    entry.path = file;
    entry.user = user;
    shapes.push_back(std::move(entry));
  }
}

}  // namespace

void ScanShapeFolder(TWarpEngine& engine, const std::filesystem::path& folder) {
  ScanShapeFolders(engine, folder, {});
}

void ScanShapeFolders(TWarpEngine& engine, const std::filesystem::path& bundled,
                      const std::filesystem::path& user) {
  std::error_code ec;
  const bool bundled_exists = std::filesystem::exists(bundled, ec);
  FolderCatalog catalog;
  std::vector<ShapeEntry> shapes;
  if (bundled_exists) AppendEntries(ScanFolderCatalog(catalog, bundled, {kShapeExtension}), false, shapes);
  if (!user.empty() && std::filesystem::is_directory(user, ec))
    AppendEntries(ScanFolderCatalog(catalog, user, {kShapeExtension}), true, shapes);
  if (shapes.empty()) {
    if (bundled_exists) ShowMessage(kNoShapeFilesMessage);
    return;
  }
  engine.shapes = std::move(shapes);
  engine.selected = -1;
}

std::int32_t SelectShape(TWarpEngine& engine, std::int32_t index) {
  const auto count = static_cast<std::int32_t>(engine.shapes.size());
  if (count == 0) return 0;
  if (index < 0 || index >= count || index == engine.selected) return count;
  if (!LoadShapePolylines(engine.shapes[static_cast<std::size_t>(index)].path, engine.shape_polylines))
    return 0;
  engine.selected = index;
  return 1;
}

}  // namespace quorvel
