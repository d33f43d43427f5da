#include "shapes/user_shapes.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

#include "shapes/folder_catalog.h"
#include "shapes/platform.h"
#include "shapes/shape_library.h"

namespace quorvel {
namespace {

constexpr std::size_t kMaxNameBytes = 200;
constexpr int kMaxNumbered = 10000;

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7f; }

}  // namespace

bool IsSafeUserShapeName(const std::string& name) {
  if (name.empty() || name.size() > kMaxNameBytes || name[0] == '.') return false;
  for (const char c : name)
    if (c == '/' || IsControl(static_cast<unsigned char>(c))) return false;
  return true;
}

std::string UserShapeNameFor(const std::filesystem::path& outline) {
  std::string name = ShapeNameFromFileName(outline.filename().string());
  for (char& c : name)
    if (c == '/' || IsControl(static_cast<unsigned char>(c))) c = '_';
  name.erase(0, name.find_first_not_of('.'));
  if (name.size() > kMaxNameBytes) {
    // Cut before a character the limit would split, not in its middle.
    std::size_t cut = kMaxNameBytes;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
  }
  return IsSafeUserShapeName(name) ? name : "shape";
}

bool PlaceUserShape(const std::filesystem::path& built, const std::filesystem::path& folder,
                    const std::string& name, std::filesystem::path& placed) {
  bool ok = false;
  if (IsSafeUserShapeName(name)) {
    for (int n = 1; n <= kMaxNumbered; ++n) {
      const std::string candidate = n == 1 ? name : name + "-" + std::to_string(n);
      const std::filesystem::path target = folder / (candidate + "." + kShapeExtension);
      if (::link(built.c_str(), target.c_str()) == 0) {
        placed = target;
        ok = true;
        break;
      }
      if (errno != EEXIST) break;
    }
  }
  ::unlink(built.c_str());
  return ok;
}

UserShapeRemoval RemoveUserShape(const std::filesystem::path& folder, const std::string& name) {
  if (!IsSafeUserShapeName(name)) return UserShapeRemoval::kNotFound;
  std::vector<FolderListEntry> entries;
  if (!ListFolderSorted(folder, entries)) return UserShapeRemoval::kNotFound;
  for (const FolderListEntry& e : entries) {
    if (e.is_folder || ShapeNameFromFileName(e.name) != name || !HasCatalogExtension(e.name, {kShapeExtension}))
      continue;
    std::error_code ec;
    return std::filesystem::remove(folder / e.name, ec) ? UserShapeRemoval::kRemoved : UserShapeRemoval::kFailed;
  }
  return UserShapeRemoval::kNotFound;
}

}  // namespace quorvel
