// Actions: named commands with a caption, enabled and visible state that the
// controls bound to them follow, and an update handler that the message loop
// runs whenever it goes idle (and at least every kIdleRhythmMs), so that the
// state follows changes made by messages and workers without explicit calls.
// Everything here belongs to the user-interface thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dw::ui {

constexpr int kIdleRhythmMs = 250;

class Action {
 public:
  using Handler = std::function<void()>;
  using Observer = std::function<void(const Action&)>;

  explicit Action(std::string name, std::string caption = {}, Handler onExecute = {})
      : name_(std::move(name)), caption_(std::move(caption)), onExecute_(std::move(onExecute)) {}

  const std::string& Name() const { return name_; }
  const std::string& Caption() const { return caption_; }
  bool Enabled() const { return enabled_; }
  bool Visible() const { return visible_; }
  // Setters tell the bound controls only when something changed.
  void SetCaption(std::string caption);
  void SetEnabled(bool enabled);
  void SetVisible(bool visible);
  void SetOnExecute(Handler onExecute) { onExecute_ = std::move(onExecute); }

  // Runs the handler when the action is enabled; true when it ran.
  bool Execute();
  // `observer` is called now and after every change.
  void Bind(Observer observer);

 private:
  void Changed();

  std::string name_;
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
  Handler onExecute_;
  std::vector<Observer> observers_;
};

class ActionList {
 public:
  using Handler = std::function<void()>;

  ActionList();
  ~ActionList();
  ActionList(const ActionList&) = delete;
  ActionList& operator=(const ActionList&) = delete;

  Action& Add(std::string name, std::string caption = {}, Action::Handler onExecute = {});
  Action* Find(const std::string& name);
  void SetOnUpdate(Handler onUpdate) { onUpdate_ = std::move(onUpdate); }
  // Runs the update handler once (the idle rhythm calls it).
  void Update();

 private:
  std::vector<std::unique_ptr<Action>> actions_;
  Handler onUpdate_;
};

// Updates every action list that exists; message loops call it when idle.
// A list destroyed by an update handler is skipped safely.
void UpdateActionsOnIdle();

}  // namespace dw::ui
