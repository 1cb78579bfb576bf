// The region language: a text of lines, one command each, that builds a
// region from rectangles, ellipses, rounded rectangles, polygons and named
// external regions, combined by AND, OR, XOR and DIFF in up to 15 levels of
// groups, with coordinates written as integer expressions over the window's
// metrics.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"
#include "platform/region.h"

namespace dw::ui {

// An error in a region text; the message names the text and the line.
class RegionTextError : public Error {
 public:
  using Error::Error;
};

// A text that inserts itself, directly or through other external regions.
class RegionSelfInsertError : public Error {
 public:
  using Error::Error;
};

// The window's metrics in window pixels (origin at the window's top-left).
struct FormMetrics {
  int width = 0;         // W
  int height = 0;        // H
  int clientLeft = 0;    // X
  int clientTop = 0;     // C
  int clientRight = 0;   // R
  int clientBottom = 0;  // B
  int captionTop = 0;    // Y
};

// What an external region gives a T command.
struct ExternalShape {
  bool found = false;
  std::unique_ptr<Region> region;  // a copy for the caller; null when it has none
  std::optional<int> referenceWidth;
  std::optional<int> referenceHeight;
};

// Everything an evaluation needs from around the text.
class RegionContext {
 public:
  virtual ~RegionContext() = default;
  virtual RegionFactory& Regions() = 0;
  virtual FormMetrics Metrics() const = 0;
  // Names of the texts being evaluated, outermost first.
  virtual std::vector<std::string>& NameStack() = 0;
  virtual ExternalShape FindExternal(std::string_view name) = 0;
  virtual void ShowMessage(const std::string& text) = 0;
};

// The region of `text` (named `name` in messages), or null when the text
// makes none or the evaluation fails for a reason outside the text (a
// division by zero, a number too large, a shape the back end cannot make).
// Errors of the text throw RegionTextError or RegionSelfInsertError.
std::unique_ptr<Region> EvaluateRegionText(std::string_view text, std::string_view name,
                                           RegionContext& context);

// The name inserted by a T line ("" when the line is no well-formed T line),
// for renaming and for finding the texts that use an external region.
std::string InsertedName(std::string_view line);

// ASCII case-insensitive equality, the way region names are compared.
bool SameName(std::string_view a, std::string_view b);

}  // namespace dw::ui
