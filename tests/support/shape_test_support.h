// Hand-made shape file bytes and outlines for the shape tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "shapebuild/polygon_ops.h"
#include "shapebuild/shape_writer.h"
#include "tests/support/temp_folder.h"
#include "warp/geometry.h"

namespace quorvel::testing {

// Header with the raw counts n and p, then the outline records, both
// scrambled; then plain as it is.
std::vector<std::uint8_t> ShapeBytes(std::int32_t n, std::int32_t p,
                                     const std::vector<ShapePointD>& outline,
                                     const std::vector<std::uint8_t>& plain);

// Appends one plain polyline block with the raw count m.
void AppendBlock(std::vector<std::uint8_t>& plain, std::int32_t m, float start_x, float start_y,
                 const std::vector<ShapeDelta>& deltas);

// A well-formed file with one square loop of side 20 around the origin.
void WriteSquareShape(const std::filesystem::path& path);

// The disk of radius big about the origin less the disk of radius small
// about (offset, 0), centred in the frame, positively oriented.
PolygonD Crescent(double big, double small, double offset);

// A ring of radii big and small about the origin, cut open by an angle of
// 2 * gap around the positive x axis (square ends), positively oriented.
PolygonD LetterC(double big, double small, double gap);

// Loops as the shape file holds them: float points.
std::vector<std::vector<TPointF>> AsFloat(const std::vector<PolygonD>& loops);

}  // namespace quorvel::testing
