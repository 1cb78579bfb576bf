// The region components of a form: FormRegion shapes the form's window from
// a region text; ExternalRegion and MacroRegion are named regions a text
// inserts with T; RegionCoordinator (one per form) evaluates the texts, hooks
// the form's window procedure and re-evaluates on every size change.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/region.h"
#include "ui/controls/region_text.h"

namespace dw::ui {

class OwnerNotAFormError : public Error {
 public:
  using Error::Error;
};
class DuplicateComponentError : public Error {
 public:
  using Error::Error;
};

class RegionForm;

// Whatever can own a component; only a form can own region components.
class RegionOwner {
 public:
  virtual ~RegionOwner() = default;
  virtual RegionForm* AsForm() { return nullptr; }
};

// The coordinator's window hook: what it adds to the form's window procedure.
class FormHook {
 public:
  virtual ~FormHook() = default;
  // Before the previous procedure sees the size change.
  virtual void SizeChanged() = 0;
  // After the previous procedure: whether a client-area hit is reported as
  // the caption.
  virtual bool ClientIsCaption() const = 0;
};

// The form as the region components see it (a window on Windows).
class RegionForm : public RegionOwner {
 public:
  RegionForm* AsForm() override { return this; }
  virtual RegionFactory& Regions() = 0;
  virtual FormMetrics Metrics() const = 0;
  // True while the form is being built; region texts are only stored then.
  virtual bool Loading() const = 0;
  virtual bool Visible() const = 0;
  // The window takes the region over.
  virtual void SetWindowRegion(std::unique_ptr<Region> region, bool redraw) = 0;
  virtual void ShowMessage(const std::string& text) = 0;
  // Puts `hook` in front of the window procedure; Unhook restores the
  // procedure that was there before.
  virtual void Hook(FormHook& hook) = 0;
  virtual void Unhook(FormHook& hook) = 0;
};

class RegionCoordinator;

// The base of FormRegion.
class RegionComponent {
 public:
  using SizeChangedEvent = std::function<void(RegionComponent& sender, std::string& region)>;

  RegionComponent(const RegionComponent&) = delete;
  RegionComponent& operator=(const RegionComponent&) = delete;
  virtual ~RegionComponent();

  const std::string& Name() const { return name_; }
  const std::string& Region() const { return region_; }
  // Stores the text; unless the form is loading, evaluates it and gives the
  // window the result. Errors of the text reach the caller.
  void SetRegion(const std::string& text);
  // Evaluates the stored text once the form exists.
  void Loaded();
  // The size-changed step: onSizeChanged may rewrite the text, which is
  // then assigned.
  void SizeChanged();
  // The last computed region, or null.
  const dw::Region* Computed() const { return computed_.get(); }

  SizeChangedEvent onSizeChanged;

 protected:
  RegionComponent(RegionOwner& owner, std::string name, const char* className);
  RegionForm& form_;
  RegionCoordinator* coordinator_ = nullptr;

 private:
  void Apply();

  std::string name_;
  std::string region_;
  std::unique_ptr<dw::Region> computed_;
};

class FormRegion final : public RegionComponent {
 public:
  // Throws OwnerNotAFormError, or DuplicateComponentError when the form already
  // has a FormRegion.
  FormRegion(RegionOwner& owner, std::string name);
  ~FormRegion() override;

  bool clientDrag = false;
  bool drawOnDesigning = true;  // design-time preview only
};

class ExternalRegion {
 public:
  // Throws OwnerNotAFormError.
  ExternalRegion(RegionOwner& owner, std::string name);
  ExternalRegion(const ExternalRegion&) = delete;
  ExternalRegion& operator=(const ExternalRegion&) = delete;
  virtual ~ExternalRegion();

  const std::string& Name() const { return name_; }
  // Renames and makes every text of the form that inserts the old name
  // insert the new one.
  void SetName(const std::string& name);

  // True: the region is kept and copies are handed out; false: a new one is
  // made for every use.
  bool ownRegion = true;

  // A region for the caller to keep, or null when there is no shape.
  std::unique_ptr<dw::Region> RegionCopy();
  // The reference size that replaces the bounding box when aligning.
  virtual std::optional<int> ReferenceWidth() const { return std::nullopt; }
  virtual std::optional<int> ReferenceHeight() const { return std::nullopt; }

  // Drops the kept region; the next use makes it again.
  void Invalidate() { kept_.reset(); }
  // Makes the kept region now (errors of a text reach the caller).
  void Recompute();

 protected:
  ExternalRegion(RegionOwner& owner, std::string name, const char* className);
  virtual std::unique_ptr<dw::Region> CreateRegion() = 0;
  // The shape changed: drop the kept region, re-evaluate the texts that use it.
  void ShapeChanged();

  RegionForm& form_;
  RegionCoordinator* coordinator_ = nullptr;

 private:
  std::string name_;
  std::unique_ptr<dw::Region> kept_;
};

class MacroRegion final : public ExternalRegion {
 public:
  MacroRegion(RegionOwner& owner, std::string name);
  const std::string& Region() const { return region_; }
  // A different text changes the shape (see ShapeChanged).
  void SetRegion(const std::string& text);

 protected:
  std::unique_ptr<dw::Region> CreateRegion() override;

 private:
  std::string region_;
};

class RegionCoordinator final : public FormHook, public RegionContext {
 public:
  // The form's coordinator, made and hooked on first use; each user holds
  // one count and gives it back with Release.
  static RegionCoordinator& Acquire(RegionForm& form);
  void Release();
  // The coordinator of a form, or null.
  static RegionCoordinator* Find(const RegionForm& form);

  RegionForm& form() const { return form_; }
  FormRegion* formRegion() const { return formRegion_; }
  int useCount() const { return uses_; }

  void SetFormRegion(FormRegion* region) { formRegion_ = region; }
  void AddExternal(ExternalRegion& region) { externals_.push_back(&region); }
  void RemoveExternal(ExternalRegion& region);
  void AddMacro(MacroRegion& macro) { macros_.push_back(&macro); }

  std::unique_ptr<dw::Region> Evaluate(const std::string& text, const std::string& name) {
    return EvaluateRegionText(text, name, *this);
  }
  void Rename(const std::string& from, const std::string& to);
  // Re-evaluates every text that inserts `name`, directly or through macros.
  void ReevaluateUsersOf(const std::string& name);

  // FormHook
  void SizeChanged() override;
  bool ClientIsCaption() const override;

  // RegionContext
  RegionFactory& Regions() override { return form_.Regions(); }
  FormMetrics Metrics() const override { return form_.Metrics(); }
  std::vector<std::string>& NameStack() override { return names_; }
  ExternalShape FindExternal(std::string_view name) override;
  void ShowMessage(const std::string& text) override { form_.ShowMessage(text); }

 private:
  explicit RegionCoordinator(RegionForm& form) : form_(form) {}

  RegionForm& form_;
  int uses_ = 0;
  FormRegion* formRegion_ = nullptr;
  std::vector<ExternalRegion*> externals_;  // creation order
  std::vector<MacroRegion*> macros_;        // creation order
  std::vector<std::string> names_;
  RegionCoordinator* next_ = nullptr;
};

// Whether a region text inserts `name` with a T line.
bool InsertsName(const std::string& text, const std::string& name);
// The text with every T line that inserts `from` inserting `to` instead.
std::string RenameInserted(const std::string& text, const std::string& from, const std::string& to);

}  // namespace dw::ui
