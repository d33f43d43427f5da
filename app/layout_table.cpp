#include "app/layout_table.h"

#include <array>

namespace quorvel {
namespace {

// Record builders in the column order of the table below.
constexpr ControlRecord NearNear(std::int32_t id, std::int32_t left, std::int32_t width,
                                 std::int32_t top, std::int32_t height) {
  return {id, {nullptr, nullptr, kNear, left, 0, kFixed, kNear, top, 0, kFixed, width, height}};
}
constexpr ControlRecord FarNear(std::int32_t id, std::int32_t right, std::int32_t width,
                                std::int32_t top, std::int32_t height) {
  return {id, {nullptr, nullptr, kFar, 0, right, kFixed, kNear, top, 0, kFixed, width, height}};
}
constexpr ControlRecord FarFar(std::int32_t id, std::int32_t right, std::int32_t width,
                               std::int32_t bottom, std::int32_t height) {
  return {id, {nullptr, nullptr, kFar, 0, right, kFixed, kFar, 0, bottom, kFixed, width, height}};
}

constexpr std::array kControlRecords{
    NearNear(1036, 15, 139, 13, 8),   // loading text
    NearNear(1009, 171, 20, 9, 16),   // open
    NearNear(1010, 196, 20, 9, 16),   // save
    NearNear(1037, 219, 20, 9, 16),   // download
    NearNear(1011, 281, 14, 2, 32),   // shape drop-down
    NearNear(1018, 304, 35, 12, 10),  // "100%"
    ControlRecord{1039, {nullptr, nullptr, kFar, 0, 5, kFixed, kNear, 2, 8, kStretch, 117, 0}},
    FarNear(1040, 6, 106, 14, 10),
    FarNear(1014, 6, 96, 28, 10),
    FarNear(1012, 6, 96, 41, 10),
    FarNear(1013, 6, 96, 54, 10),
    FarNear(1041, 6, 106, 73, 10),
    FarNear(1015, 6, 96, 86, 10),
    FarNear(1016, 6, 96, 98, 10),
    FarNear(1042, 6, 106, 115, 10),
    FarNear(1019, 102, 14, 132, 8),
    FarNear(1017, 6, 93, 128, 16),
    FarNear(1043, 6, 106, 150, 10),
    FarNear(1022, 102, 14, 167, 8),
    FarNear(1025, 102, 14, 182, 8),
    FarNear(1028, 102, 14, 197, 8),
    FarNear(1020, 22, 78, 163, 16),
    FarNear(1023, 22, 78, 179, 16),
    FarNear(1026, 22, 78, 195, 16),
    FarNear(1021, 6, 14, 167, 8),
    FarNear(1024, 6, 14, 182, 8),
    FarNear(1027, 6, 14, 197, 8),
    FarNear(1044, 48, 28, 208, 30),
    FarFar(1045, 6, 106, 135, 10),
    FarFar(3, 21, 82, 25, 35),
    FarFar(1029, 6, 106, 11, 10),
    ControlRecord{1038, {nullptr, nullptr, kFar, 5, 128, kStretch, kFar, 33, 6, kStretch, 0, 0}},
};

std::int32_t Extent(std::int32_t mode, std::int32_t client, std::int32_t near_gap,
                    std::int32_t far_gap, std::int32_t size) {
  if (mode == kPercent) return client * size / 100;
  if (mode == kStretch) return client - far_gap - near_gap;
  return size;
}

std::int32_t Origin(std::int32_t align, std::int32_t client, std::int32_t near_gap,
                    std::int32_t far_gap, std::int32_t extent) {
  if (align == kCenter) return client / 2 - extent / 2;
  if (align == kFar) return client - far_gap - extent;
  return near_gap;
}

LayoutItem Area(LayoutWindow parent, std::int32_t hAlign, std::int32_t left, std::int32_t right,
                std::int32_t widthMode, std::int32_t vAlign, std::int32_t top, std::int32_t bottom,
                std::int32_t heightMode, std::int32_t width, std::int32_t height) {
  return {parent, nullptr, hAlign, left, right, widthMode, vAlign, top, bottom, heightMode, width, height};
}

}  // namespace

std::span<const ControlRecord> MainDialogControlRecords() { return kControlRecords; }

std::int32_t DesignToPixels(std::int32_t units) {
  return static_cast<std::int32_t>(units * 1.5);
}

LayoutItem ItemToPixels(const LayoutItem& design) {
  LayoutItem item = design;
  item.left = DesignToPixels(design.left);
  item.right = DesignToPixels(design.right);
  item.top = DesignToPixels(design.top);
  item.bottom = DesignToPixels(design.bottom);
  item.width = DesignToPixels(design.width);
  item.height = DesignToPixels(design.height);
  return item;
}

LayoutRect ItemRect(const LayoutItem& item, LayoutSize client) {
  const std::int32_t w = Extent(item.widthMode, client.width, item.left, item.right, item.width);
  const std::int32_t h = Extent(item.heightMode, client.height, item.top, item.bottom, item.height);
  const std::int32_t x = Origin(item.hAlign, client.width, item.left, item.right, w);
  const std::int32_t y = Origin(item.vAlign, client.height, item.top, item.bottom, h);
  return {x, y, x + w, y + h};
}

LayoutTable BuildLayoutTable(LayoutWindow parent,
                             const std::function<LayoutWindow(std::int32_t id)>& control_for) {
  LayoutTable table;
  table.reserve(kControlRecords.size());
  for (const ControlRecord& record : kControlRecords) {
    LayoutItem item = ItemToPixels(record.item);
    item.parent = parent;
    item.control = control_for(record.id);
    table.push_back(item);
  }
  return table;
}

void ApplyLayout(const LayoutTable& table, LayoutSize client,
                 const std::function<void(LayoutWindow control, const LayoutRect& rect)>& move) {
  for (const LayoutItem& item : table) {
    if (!item.parent || !item.control) continue;
    move(item.control, ItemRect(item, client));
  }
}

LayoutAreas MakeLayoutAreas(LayoutWindow parent) {
  return {
      Area(parent, kNear, 370, 0, kFixed, kNear, 3, 0, kFixed, 50, 50),
      Area(parent, kFar, 0, 78, kFixed, kNear, 322, 0, kFixed, 30, 30),
      Area(parent, kFar, 0, 45, kFixed, kFar, 0, 97, kFixed, 100, 100),
      Area(parent, kFar, 12, 198, kStretch, kFar, 60, 13, kStretch, 0, 0),
  };
}

}  // namespace quorvel
