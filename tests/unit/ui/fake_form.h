// A form for the region components: fixed metrics, raster regions, and a
// record of what was given to its window.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/fake/raster_region.h"
#include "ui/controls/form_region.h"

namespace dw::ui::test {

class FakeForm final : public RegionForm {
 public:
  FakeForm(int width = 500, int height = 360) { SetSize(width, height); }

  void SetSize(int width, int height) { metrics = {width, height, 0, 0, width, height, -18}; }

  RegionFactory& Regions() override { return regions; }
  FormMetrics Metrics() const override { return metrics; }
  bool Loading() const override { return loading; }
  bool Visible() const override { return visible; }
  void SetWindowRegion(std::unique_ptr<Region> region, bool redraw) override {
    window = std::move(region);
    redraws.push_back(redraw);
  }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void Hook(FormHook& h) override {
    ++hooks;
    hook = &h;
  }
  void Unhook(FormHook& h) override {
    EXPECT_EQ(&h, hook);
    hook = nullptr;
  }

  const RasterRegion* Window() const { return dynamic_cast<const RasterRegion*>(window.get()); }

  RasterRegionFactory regions;
  FormMetrics metrics;
  bool loading = false;
  bool visible = true;
  std::unique_ptr<Region> window;
  std::vector<bool> redraws;
  std::vector<std::string> messages;
  FormHook* hook = nullptr;
  int hooks = 0;
};

}  // namespace dw::ui::test
