#include "cli/shape_dump.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "shapebuild/loop_encoder.h"

namespace quorvel {
namespace {

void AppendNumber(std::string& out, double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.9g", v);
  out += buf;
}

void AppendPoints(std::string& out, const std::vector<TPointF>& points) {
  for (const TPointF& p : points) {
    AppendNumber(out, p.x);
    out += ' ';
    AppendNumber(out, p.y);
    out += '\n';
  }
}

// Splits the text into its meaningful lines, each split into words, keeping
// line numbers for messages.
struct DumpLine {
  std::size_t number = 0;
  std::vector<std::string_view> words;
};

std::vector<DumpLine> MeaningfulLines(std::string_view text) {
  std::vector<DumpLine> lines;
  std::size_t number = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++number;
    DumpLine parsed{number, {}};
    std::size_t i = 0;
    while (i < line.size()) {
      while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
      const std::size_t start = i;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
      if (i > start) parsed.words.push_back(line.substr(start, i - start));
    }
    if (parsed.words.empty() || parsed.words.front().front() == '#') continue;
    lines.push_back(std::move(parsed));
  }
  return lines;
}

bool ParseWhole(std::string_view word, double& v) {
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), v);
  return ec == std::errc() && end == word.data() + word.size() && std::isfinite(v);
}

bool ParseCount(std::string_view word, std::size_t& n) {
  std::uint64_t v = 0;
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), v);
  if (ec != std::errc() || end != word.data() + word.size()) return false;
  if (v > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) return false;
  n = static_cast<std::size_t>(v);
  return true;
}

class DumpReader {
 public:
  explicit DumpReader(std::string_view text) : lines_(MeaningfulLines(text)) {}

  bool AtEnd() const { return next_ >= lines_.size(); }
  bool NextIs(std::string_view keyword) const {
    return !AtEnd() && lines_[next_].words.front() == keyword;
  }

  bool Count(std::string_view keyword, std::size_t& n) {
    std::string expected = "'";
    expected += keyword;
    expected += " COUNT' expected";
    if (AtEnd()) return Fail(expected + " before the end of the text");
    const DumpLine& line = lines_[next_];
    if (line.words.size() != 2 || line.words[0] != keyword || !ParseCount(line.words[1], n))
      return Fail(expected, line.number);
    ++next_;
    return true;
  }

  // Values beyond limit are refused with a message that names it.
  bool Points(std::size_t n, std::vector<ShapePointD>& points, double limit, const char* limit_name) {
    for (std::size_t k = 0; k < n; ++k) {
      if (AtEnd()) return Fail("the text ends before the last of " + std::to_string(n) + " points");
      const DumpLine& line = lines_[next_];
      ShapePointD p;
      if (line.words.size() != 2 || !ParseWhole(line.words[0], p.x) || !ParseWhole(line.words[1], p.y))
        return Fail("'x y' expected (two finite numbers)", line.number);
      if (std::fabs(p.x) > limit || std::fabs(p.y) > limit)
        return Fail(std::string("coordinate beyond ") + limit_name, line.number);
      points.push_back(p);
      ++next_;
    }
    return true;
  }

  bool ExpectEnd() {
    if (AtEnd()) return true;
    return Fail("unexpected text after the last polyline", lines_[next_].number);
  }

  const std::string& error() const { return error_; }

 private:
  bool Fail(const std::string& message, std::size_t line = 0) {
    error_.clear();
    if (line) error_ = "line " + std::to_string(line) + ": ";
    error_ += message;
    return false;
  }

  std::vector<DumpLine> lines_;
  std::size_t next_ = 0;
  std::string error_;
};

}  // namespace

std::string FormatShapeDump(const DecodedShapeFile& file) {
  std::string out;
  out += "outline " + std::to_string(file.outline.size()) + '\n';
  AppendPoints(out, file.outline);
  out += "polylines " + std::to_string(file.loops.size()) + '\n';
  for (const DecodedLoop& loop : file.loops) {
    out += "polyline " + std::to_string(loop.points.size()) + '\n';
    AppendPoints(out, loop.points);
  }
  return out;
}

bool ParseShapeDump(std::string_view text, ShapeDump& dump, std::string& error) {
  // Outline values are read as float32; beyond its range they would be infinite.
  constexpr double kOutlineLimit = std::numeric_limits<float>::max();
  DumpReader reader(text);
  ShapeDump out;
  std::size_t n = 0;
  if (reader.NextIs("outline")) {
    out.has_outline = true;
    if (!reader.Count("outline", n) || !reader.Points(n, out.outline, kOutlineLimit, "the float32 range")) {
      error = reader.error();
      return false;
    }
  }
  std::size_t p = 0;
  if (!reader.Count("polylines", p)) {
    error = reader.error();
    return false;
  }
  for (std::size_t i = 0; i < p; ++i) {
    std::vector<ShapePointD> loop;
    if (!reader.Count("polyline", n) || !reader.Points(n, loop, kMaxLoopCoordinate, "100000")) {
      error = reader.error();
      return false;
    }
    out.loops.push_back(std::move(loop));
  }
  if (!reader.ExpectEnd()) {
    error = reader.error();
    return false;
  }
  dump = std::move(out);
  return true;
}

}  // namespace quorvel
