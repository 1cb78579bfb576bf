// libFuzzer target: any text through the region language, on raster regions,
// with one external region to insert ("M"). Errors of the text are expected;
// crashes, leaks, undefined behaviour and a name left on the stack are not.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/fake/raster_region.h"
#include "ui/controls/region_text.h"

namespace {

class Context final : public dw::ui::RegionContext {
 public:
  dw::RegionFactory& Regions() override { return factory_; }
  dw::ui::FormMetrics Metrics() const override { return {500, 360, 3, 22, 497, 357, 4}; }
  std::vector<std::string>& NameStack() override { return names_; }
  dw::ui::ExternalShape FindExternal(std::string_view name) override {
    dw::ui::ExternalShape shape;
    if (!dw::ui::SameName(name, "M")) return shape;
    shape.found = true;
    shape.region = factory_.Ellipse(0, 0, 30, 20);
    return shape;
  }
  void ShowMessage(const std::string&) override {}

 private:
  // The language is under test, not the raster: a clip of 128 x 128 pixels
  // keeps a text of many huge polygons cheap (each costs its rows times its
  // points), while shapes, modes, groups and insertion run as they would.
  dw::RasterRegionFactory factory_{64};
  std::vector<std::string> names_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Context context;
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    auto region = dw::ui::EvaluateRegionText(text, "fuzz", context);
    if (region) (void)region->Bounds();
  } catch (const dw::ui::RegionTextError&) {
  } catch (const dw::ui::RegionSelfInsertError&) {
  }
  if (!context.NameStack().empty()) std::abort();
  return 0;
}
