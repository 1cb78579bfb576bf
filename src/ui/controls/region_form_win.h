// A window as the region components' form: its metrics, GDI regions, its
// window region, and a hook in front of its window procedure.
#pragma once

#include "platform/win32/win.h"

#include "platform/win32/region_win.h"
#include "ui/controls/form_region.h"

namespace dw::ui {

class WindowRegionForm final : public RegionForm {
 public:
  // The window must outlive this object or be destroyed first; either way
  // the hook goes with whichever ends first.
  explicit WindowRegionForm(HWND window, bool loading = false)
      : window_(window), loading_(loading) {}
  ~WindowRegionForm() override;
  WindowRegionForm(const WindowRegionForm&) = delete;
  WindowRegionForm& operator=(const WindowRegionForm&) = delete;

  void SetLoading(bool loading) { loading_ = loading; }
  HWND window() const { return window_; }

  RegionFactory& Regions() override { return regions_; }
  FormMetrics Metrics() const override;
  bool Loading() const override { return loading_; }
  bool Visible() const override { return IsWindowVisible(window_) != FALSE; }
  void SetWindowRegion(std::unique_ptr<Region> region, bool redraw) override;
  void ShowMessage(const std::string& text) override;
  void Hook(FormHook& hook) override;
  void Unhook(FormHook& hook) override;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void Restore();

  HWND window_;
  bool loading_;
  GdiRegionFactory regions_;
  FormHook* hook_ = nullptr;
  WNDPROC previous_ = nullptr;
};

}  // namespace dw::ui
