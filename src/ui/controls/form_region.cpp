#include "ui/controls/form_region.h"

#include <algorithm>

namespace dw::ui {
namespace {

// One coordinator per form, found from the form alone by whichever region
// component of it comes first; a list no form owns (user-interface thread only).
RegionCoordinator* g_coordinators = nullptr;

// The errors name the components by their published class names ("TFormRegion",
// "TExternalRegion", "TMacrosExtRgn"), as the region language's users know them.
RegionForm& FormOf(RegionOwner& owner, const char* className) {
  RegionForm* form = owner.AsForm();
  if (form == nullptr) {
    throw OwnerNotAFormError(std::string("The owner of ") + className +
                             " component must be the TForm descendant");
  }
  return *form;
}

// Lines split at CR LF, as the evaluator splits them.
template <typename F>
std::string MapLines(const std::string& text, F f) {
  std::string out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find("\r\n", start);
    out += f(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return out;
    out += "\r\n";
    start = end + 2;
  }
}

}  // namespace

bool InsertsName(const std::string& text, const std::string& name) {
  bool found = false;
  MapLines(text, [&](const std::string& line) {
    if (SameName(InsertedName(line), name)) found = true;
    return std::string();
  });
  return found;
}

// Only the name of a T line is replaced: a blind text replacement would also
// rewrite commands and letters that happen to spell the old name.
std::string RenameInserted(const std::string& text, const std::string& from,
                           const std::string& to) {
  return MapLines(text, [&](const std::string& line) {
    const std::string inserted = InsertedName(line);
    if (inserted.empty() || !SameName(inserted, from)) return line;
    return line.substr(0, line.size() - inserted.size()) + to;
  });
}

// --- RegionComponent, FormRegion ---

RegionComponent::RegionComponent(RegionOwner& owner, std::string name, const char* className)
    : form_(FormOf(owner, className)), name_(std::move(name)) {}

RegionComponent::~RegionComponent() = default;

void RegionComponent::SetRegion(const std::string& text) {
  region_ = text;
  if (form_.Loading()) return;
  computed_.reset();
  computed_ = coordinator_->Evaluate(region_, name_);
  Apply();
}

void RegionComponent::Loaded() { SetRegion(region_); }

void RegionComponent::SizeChanged() {
  std::string text = region_;
  if (onSizeChanged) onSizeChanged(*this, text);
  SetRegion(text);
}

void RegionComponent::Apply() {
  // No region from the text: the window keeps the one it has.
  if (!computed_) return;
  form_.SetWindowRegion(computed_->Clone(), form_.Visible());
}

FormRegion::FormRegion(RegionOwner& owner, std::string name)
    : RegionComponent(owner, std::move(name), "TFormRegion") {
  if (RegionCoordinator* existing = RegionCoordinator::Find(form_);
      existing != nullptr && existing->formRegion() != nullptr) {
    throw DuplicateComponentError("Only one TFormRegion component on a form is allowed");
  }
  coordinator_ = &RegionCoordinator::Acquire(form_);
  coordinator_->SetFormRegion(this);
}

FormRegion::~FormRegion() {
  coordinator_->SetFormRegion(nullptr);
  coordinator_->Release();
}

// --- ExternalRegion, MacroRegion ---

ExternalRegion::ExternalRegion(RegionOwner& owner, std::string name)
    : ExternalRegion(owner, std::move(name), "TExternalRegion") {}

ExternalRegion::ExternalRegion(RegionOwner& owner, std::string name, const char* className)
    : form_(FormOf(owner, className)), name_(std::move(name)) {
  coordinator_ = &RegionCoordinator::Acquire(form_);
  coordinator_->AddExternal(*this);
}

ExternalRegion::~ExternalRegion() {
  coordinator_->RemoveExternal(*this);
  coordinator_->Release();
}

void ExternalRegion::SetName(const std::string& name) {
  if (name == name_) return;
  const std::string old = name_;
  name_ = name;
  coordinator_->Rename(old, name);
}

std::unique_ptr<dw::Region> ExternalRegion::RegionCopy() {
  if (!ownRegion) return CreateRegion();
  if (!kept_) kept_ = CreateRegion();
  return kept_ ? kept_->Clone() : nullptr;
}

void ExternalRegion::Recompute() {
  kept_.reset();
  if (ownRegion) kept_ = CreateRegion();
}

void ExternalRegion::ShapeChanged() {
  kept_.reset();
  if (form_.Loading()) return;
  if (ownRegion) kept_ = CreateRegion();
  coordinator_->ReevaluateUsersOf(name_);
}

MacroRegion::MacroRegion(RegionOwner& owner, std::string name)
    : ExternalRegion(owner, std::move(name), "TMacrosExtRgn") {
  coordinator_->AddMacro(*this);
}

void MacroRegion::SetRegion(const std::string& text) {
  if (text == region_) return;
  region_ = text;
  ShapeChanged();
}

std::unique_ptr<dw::Region> MacroRegion::CreateRegion() {
  return coordinator_->Evaluate(region_, Name());
}

// --- RegionCoordinator ---

RegionCoordinator* RegionCoordinator::Find(const RegionForm& form) {
  for (RegionCoordinator* c = g_coordinators; c != nullptr; c = c->next_) {
    if (&c->form_ == &form) return c;
  }
  return nullptr;
}

RegionCoordinator& RegionCoordinator::Acquire(RegionForm& form) {
  RegionCoordinator* c = Find(form);
  if (c == nullptr) {
    c = new RegionCoordinator(form);
    c->next_ = g_coordinators;
    g_coordinators = c;
    form.Hook(*c);
  }
  ++c->uses_;
  return *c;
}

void RegionCoordinator::Release() {
  if (--uses_ > 0) return;
  form_.Unhook(*this);
  for (RegionCoordinator** p = &g_coordinators; *p != nullptr; p = &(*p)->next_) {
    if (*p == this) {
      *p = next_;
      break;
    }
  }
  delete this;
}

void RegionCoordinator::RemoveExternal(ExternalRegion& region) {
  externals_.erase(std::remove(externals_.begin(), externals_.end(), &region), externals_.end());
  macros_.erase(std::remove(macros_.begin(), macros_.end(), &region), macros_.end());
}

ExternalShape RegionCoordinator::FindExternal(std::string_view name) {
  ExternalShape shape;
  for (ExternalRegion* e : externals_) {
    if (!SameName(e->Name(), name)) continue;
    shape.found = true;
    shape.region = e->RegionCopy();
    shape.referenceWidth = e->ReferenceWidth();
    shape.referenceHeight = e->ReferenceHeight();
    break;
  }
  return shape;
}

void RegionCoordinator::Rename(const std::string& from, const std::string& to) {
  for (MacroRegion* m : macros_) {
    if (InsertsName(m->Region(), from)) m->SetRegion(RenameInserted(m->Region(), from, to));
  }
  if (formRegion_ != nullptr && InsertsName(formRegion_->Region(), from)) {
    formRegion_->SetRegion(RenameInserted(formRegion_->Region(), from, to));
  }
}

void RegionCoordinator::ReevaluateUsersOf(const std::string& name) {
  // Everything that inserts the name, directly or through other macros;
  // those macros make their shapes again on their next use, so a cycle of
  // macros cannot make this loop.
  std::vector<std::string> changed{name};
  for (bool grew = true; grew;) {
    grew = false;
    for (MacroRegion* m : macros_) {
      const bool known = std::any_of(changed.begin(), changed.end(),
                                     [&](const std::string& n) { return SameName(n, m->Name()); });
      if (known) continue;
      for (const std::string& n : changed) {
        if (InsertsName(m->Region(), n)) {
          m->Invalidate();
          changed.push_back(m->Name());
          grew = true;
          break;
        }
      }
    }
  }
  if (formRegion_ == nullptr) return;
  for (const std::string& n : changed) {
    if (InsertsName(formRegion_->Region(), n)) {
      formRegion_->SetRegion(formRegion_->Region());
      return;
    }
  }
}

void RegionCoordinator::SizeChanged() {
  // All first, then each in creation order: a macro that inserts a later
  // one then sees that one's new shape, made on demand.
  for (MacroRegion* m : macros_) m->Invalidate();
  for (MacroRegion* m : macros_) {
    if (m->ownRegion) m->RegionCopy();
  }
  if (formRegion_ != nullptr) formRegion_->SizeChanged();
}

bool RegionCoordinator::ClientIsCaption() const {
  return formRegion_ != nullptr && formRegion_->clientDrag;
}

}  // namespace dw::ui
