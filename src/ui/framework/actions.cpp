#include "ui/framework/actions.h"

#include <algorithm>

#include "log/log.h"

namespace dw::ui {
namespace {

// Every list that exists: the message loops update them when idle without
// knowing who owns them (user-interface thread only).
std::vector<ActionList*>& Lists() {
  static std::vector<ActionList*> lists;
  return lists;
}

}  // namespace

void Action::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  Changed();
}

void Action::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Changed();
}

void Action::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Changed();
}

bool Action::Execute() {
  if (!enabled_ || !onExecute_) return false;
  Handler copy = onExecute_;  // the handler may replace itself
  copy();
  return true;
}

void Action::Bind(Observer observer) {
  observers_.push_back(std::move(observer));
  observers_.back()(*this);
}

void Action::Changed() {
  for (const Observer& o : observers_) o(*this);
}

ActionList::ActionList() { Lists().push_back(this); }

ActionList::~ActionList() {
  auto& lists = Lists();
  lists.erase(std::remove(lists.begin(), lists.end(), this), lists.end());
}

Action& ActionList::Add(std::string name, std::string caption, Action::Handler onExecute) {
  actions_.push_back(
      std::make_unique<Action>(std::move(name), std::move(caption), std::move(onExecute)));
  return *actions_.back();
}

Action* ActionList::Find(const std::string& name) {
  for (auto& a : actions_) {
    if (a->Name() == name) return a.get();
  }
  return nullptr;
}

void ActionList::Update() {
  if (onUpdate_) {
    Handler copy = onUpdate_;
    copy();
  }
}

void UpdateActionsOnIdle() {
  // A copy: an update may create or destroy lists.
  const std::vector<ActionList*> snapshot = Lists();
  for (ActionList* list : snapshot) {
    const auto& now = Lists();
    if (std::find(now.begin(), now.end(), list) == now.end()) continue;
    // The idle beat runs outside every window procedure: an error here
    // would end the program, so one bad update only costs its beat.
    try {
      list->Update();
    } catch (...) {
      LogCaughtError("UpdateActions");
    }
  }
}

}  // namespace dw::ui
