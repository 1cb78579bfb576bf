// A form: a top-level window with a dialog border, child controls that are
// real system windows (so the screen and assistive tools can read them),
// anchors, modal and modeless show with a modal result, timers, and the
// close protocol of query, close and hide.
#pragma once

#include "platform/win32/win.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/unique_handle.h"
#include "ui/framework/controls_win.h"
#include "ui/framework/window_win.h"

namespace dw::ui {

enum class FormPosition {
  Designed,       // where the creator put it
  ScreenCentre,   // centre of the primary screen
  DesktopCentre,  // centre of the whole desktop (all screens)
  OwnerCentre,    // centre of `centreOn`, or of the screen when there is none
};

struct Anchors {
  bool left = true, top = true, right = false, bottom = false;
};
constexpr Anchors kAnchorTopLeft{};
constexpr Anchors kAnchorAll{true, true, true, true};
constexpr Anchors kAnchorTopRight{false, true, true, false};
constexpr Anchors kAnchorLeftTopRight{true, true, true, false};

struct FormOptions {
  const char* className = "DialwaveForm";
  std::string caption;  // code page 1251
  int clientWidth = 0;
  int clientHeight = 0;
  bool stayOnTop = false;
  FormPosition position = FormPosition::ScreenCentre;
  HWND owner = nullptr;     // the window this one stays above
  HWND centreOn = nullptr;  // for OwnerCentre
  HICON icon = nullptr;
  // The form's font: name and height in points at the screen's resolution.
  const char* fontName = "MS Sans Serif";
  int fontPoints = 8;
};

class Form : public WindowBase {
 public:
  using Handler = std::function<void()>;

  Form() = default;
  ~Form() override;

  bool CreateForm(const FormOptions& options);

  Label AddLabel(const Bounds& b, std::string_view text, Anchors anchors = {}, DWORD style = 0);
  // A button with a modal result ends a modal show with that result when
  // clicked, before `onClick` runs.
  Button AddButton(const Bounds& b, std::string_view text, Handler onClick, int modalResult = 0,
                   bool isDefault = false, Anchors anchors = {});
  CheckBox AddCheckBox(const Bounds& b, std::string_view text, bool checked, Anchors anchors = {});
  Picture AddPicture(const Bounds& b, HICON icon, Anchors anchors = {});
  // Read-only; `background` is a system colour index (COLOR_...).
  Memo AddMemo(const Bounds& b, int background, Anchors anchors = {});
  ProgressBar AddProgressBar(const Bounds& b, int min, int max, int step, Anchors anchors = {});
  using DrawItem = std::function<void(const DRAWITEMSTRUCT&)>;
  ListBox AddOwnerDrawnListBox(const Bounds& b, int itemHeight, DrawItem draw,
                               Handler onDoubleClick = {}, Anchors anchors = {});
  // Vertical; line and page presses move by `smallStep` and `largeStep`.
  ScrollBar AddScrollBar(const Bounds& b, int max, int page, int smallStep, int largeStep,
                         Handler onChange, Anchors anchors = {});

  // Moves a control and takes its new place as the one its anchors keep.
  void SetControlBounds(const Control& control, const Bounds& b);
  // A word-wrapping label grown or shrunk to the height of all its lines.
  void FitHeightToText(const Label& label);
  // The control that gets the focus when the form is shown.
  void SetActiveControl(const Control& control) { activeControl_ = control.hwnd(); }

  // Outer size of the form, as the border and title bar count in.
  void SetWidth(int width);
  void SetHeight(int height);
  Bounds GetBounds() const;
  HFONT Font() const { return font_.get(); }
  // Width of a one-line text in the form's font.
  int TextWidth(std::string_view cp1251) const;
  std::string Caption() const { return Control(hwnd()).Text(); }
  void SetCaption(std::string_view cp1251) { Control(hwnd()).SetText(cp1251); }

  bool Visible() const { return hwnd() != nullptr && IsWindowVisible(hwnd()) != FALSE; }
  void Show();
  void Hide();
  // Shows the form, keeps the thread's other windows disabled and serves
  // messages until a modal result is set and the form agrees to close.
  // Closing from the title bar gives 2; a quit request ends it with 2 and is
  // passed on to the loop outside.
  int ShowModal();
  bool IsModal() const { return modal_; }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }
  // As the title bar's close button.
  void Close() { SendMessageA(hwnd(), WM_CLOSE, 0, 0); }

  // Calls `onTick` every `ms` on this thread until stopped; returns its id.
  UINT_PTR StartTimer(UINT ms, Handler onTick);
  void StopTimer(UINT_PTR id);

 protected:
  virtual void OnShow() {}
  virtual void OnCloseQuery(bool& /*canClose*/) {}
  virtual void OnClose() {}
  // The form's own messages (e.g. from worker threads); true when handled.
  virtual bool OnFormMessage(UINT /*message*/, WPARAM /*wparam*/, LPARAM /*lparam*/,
                             LRESULT& /*result*/) {
    return false;
  }

 private:
  struct Child {
    HWND hwnd = nullptr;
    Anchors anchors;
    int rightMargin = 0;
    int bottomMargin = 0;
    Handler onClick;
    int modalResult = 0;
    bool isDefault = false;
    DrawItem draw;
    int itemHeight = 0;
    int smallStep = 0;
    int largeStep = 0;
    UniqueBrush background;
    int backgroundIndex = -1;
    bool underneath = false;  // kept under the other controls (labels)
  };

  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) final;
  HWND AddChild(const char* className, DWORD style, DWORD exStyle, const Bounds& b,
                std::string_view text, Anchors anchors);
  Child* Find(HWND hwnd);
  Child* FindId(int id);
  void Remember(Child& child);
  void ApplyAnchors();
  void PlaceOnShow();
  void Scroll(Child& child, int request);
  bool CloseModal();
  void HandleClose();

  FormOptions options_;
  UniqueFont font_;
  std::vector<std::unique_ptr<Child>> children_;
  int nextId_ = 100;  // clear of IDOK and IDCANCEL
  HWND activeControl_ = nullptr;
  bool modal_ = false;
  int modalResult_ = 0;
  std::map<UINT_PTR, Handler> timers_;
  UINT_PTR nextTimer_ = 1;
};

}  // namespace dw::ui
