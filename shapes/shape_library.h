// The shape list of the engine: scanning the shape folder and selecting a shape.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "warp/engine.h"

namespace quorvel {

inline constexpr const char* kNoShapeFilesMessage = "该目录没有.qshp文件. \r\n .qshp file not found.";
inline constexpr const char* kShapeExtension = "qshp";

// Builds engine.shapes from every .qshp file below folder, in catalog order,
// each with its outline (empty when unreadable), name, folder and exact path.
// A missing folder changes nothing, silently; a folder without shape files
// shows kNoShapeFilesMessage and changes nothing. When the list is replaced,
// selected becomes -1: no entry of the new list is loaded yet.
void ScanShapeFolder(TWarpEngine& engine, const std::filesystem::path& folder);

// The bundled folder exactly as ScanShapeFolder lists it, then the user's
// folder (UserShapeFolder) walked by the same rules, its entries marked
// user. A missing or unreadable user folder adds nothing, silently; the
// message comes only when the bundled folder exists and neither has shapes.
void ScanShapeFolders(TWarpEngine& engine, const std::filesystem::path& bundled,
                      const std::filesystem::path& user);

// Loads the polylines of shapes[index] from the path the scan found.
// 0: the list is empty; the list's count: index out of range or already
// selected, nothing changed; otherwise 1 when loaded (selected = index) or 0
// when the file was refused (selection and polylines unchanged).
std::int32_t SelectShape(TWarpEngine& engine, std::int32_t index);

// A shape's name: the file name up to its last dot (all of it without a dot).
std::string ShapeNameFromFileName(const std::string& file_name);

}  // namespace quorvel
