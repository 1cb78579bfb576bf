// The main window's two seams: what it shows (MainView) and what it asks of
// the connection side (ConnectionServices, StatisticsThread). The controller
// talks only to these, so its whole logic runs in tests without a window.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "connection/open_connection.h"
#include "platform/canvas.h"
#include "platform/messages.h"
#include "ras/records.h"
#include "ui/window_chrome.h"

namespace dw::ui {

enum class Panel { Agreement, Settings, Main, About, Usage };

struct UsageFigures;

// The window's controls the controller changes.
enum class ViewControl {
  // main panel
  MainPanel, ConnectButton, ConnectionStatus, MaximumSpeed, ReceivedBytes, SentBytes, TotalBytes,
  ConnectionTime, SettingsLink, SpeedGraph,
  // settings panel
  ChooseModemButton, NextButton, CopyOption, CopyOptionText, InstallHeading, ServiceHeading,
  AutorunOptionText, AutorunOption, DesktopOptionText, DesktopOption, RefreshLink,
  HiddenRefreshLink,  // never shown, answers as RefreshLink does
  // agreement panel
  AgreeButton, DisagreeButton, AgreementBackLink,
  // about panel
  VersionText,
  // links outside the panels
  AboutLink, AgreementLink,
  // main panel again
  UsageLink,
  // the whole window
  Window,
};

enum class TrayMode { Show, Keep, Remove };

class MainView {
 public:
  virtual ~MainView() = default;

  // The panel in front; the others are out of sight.
  virtual void ShowPanel(Panel front) = 0;
  virtual void SetCaption(ViewControl control, const std::string& cp1251) = 0;
  virtual void SetVisible(ViewControl control, bool visible) = 0;
  virtual void SetEnabled(ViewControl control, bool enabled) = 0;
  virtual bool Checked(ViewControl control) const = 0;
  virtual void SetChecked(ViewControl control, bool checked) = 0;
  // Width of a one-line text in the control's own font.
  virtual int TextWidth(ViewControl control, const std::string& cp1251) = 0;
  virtual void SetWidth(ViewControl control, int width) = 0;
  // Paints the control (or the whole window) at once.
  virtual void Repaint(ViewControl control) = 0;
  // A text's font colour; setting it repaints the text at once.
  virtual Color FontColour(ViewControl control) const = 0;
  virtual void SetFontColour(ViewControl control, Color colour) = 0;

  // The modem list.
  virtual std::vector<std::string> ModemItems() const = 0;
  virtual void SetModemItems(const std::vector<std::string>& items) = 0;
  // -1 when nothing is selected.
  virtual int SelectedModem() const = 0;
  virtual void SelectModem(int index) = 0;

  // The graph's own tooltip.
  virtual void SetGraphTooltip(const std::string& cp1251) = 0;
  virtual void EnableGraphTooltip(bool enabled) = 0;
  // The custom hint window (see HintController).
  virtual void ShowHintAt(HintAnchor anchor, int x, const std::string& cp1251, int y) = 0;
  virtual bool HintShowing() const = 0;

  // The agreement text and its scroll bar back to the top.
  virtual void ResetAgreementScroll() = 0;

  virtual void SetHourglass(bool on) = 0;
  // Handles what waits in the thread's queue, then returns.
  virtual void ProcessPending() = 0;
  // In front, shown again when it sat in the notification area.
  virtual void BringApplicationToFront() = 0;
  // Back from the notification area; ends in the controller's OnRestored.
  virtual void RestoreApplication() = 0;
  // To the notification area; ends in the controller's OnMinimised.
  virtual void MinimiseApplication() = 0;
  virtual void HideApplication() = 0;
  // True while only the notification-area icon is left.
  virtual bool ApplicationHidden() const = 0;
  virtual void HideWindow() = 0;
  // Asks the window to close (the close query runs).
  virtual void CloseWindow() = 0;
  // The progress dialog, when it exists and is visible, to the front.
  virtual void BringProgressToFront() = 0;

  // The program's message box (kinds and button codes of ShowMsg); the
  // pressed button's result.
  virtual int ShowMsg(const std::string& cp1251, int kind, std::span<const int> codes) = 0;
  // True when the user wants the connection restored.
  virtual bool AskToReconnect() = 0;

  virtual void SetTrayState(TrayMode mode, const std::string& hint) = 0;
  // The icon's tip alone, nothing else handled meanwhile (safe inside a
  // worker's message).
  virtual void SetTrayTip(const std::string& hint) = 0;
  // A budget warning: a balloon from the icon where the shell has them, a
  // message box otherwise.
  virtual void ShowUsageWarning(const std::string& cp1251) = 0;
  // The usage panel's figures (and its budget fields when `fields`).
  virtual void ShowUsageFigures(const UsageFigures& figures, bool fields) = 0;

  // The installation step of the settings panel's installation look.
  virtual bool RunInstallation() = 0;
};

// The statistics sampler as the main window drives it. Every call but
// Terminate is made while the sampler is paused or blocked in a message it
// sent to the window.
class StatisticsThread {
 public:
  virtual ~StatisticsThread() = default;
  virtual void SetBaseline(std::uint32_t received, std::uint32_t sent) = 0;
  // Connection time and counters from zero again.
  virtual void Restart() = 0;
  virtual void Resume() = 0;
  virtual void Suspend() = 0;
  // Carries the elapsed time over into the accumulated time.
  virtual void Accumulate() = 0;
  // Bytes per second of the last sample, both directions together.
  virtual std::uint32_t CurrentSpeed() const = 0;
  virtual std::chrono::milliseconds ConnectedTime() const = 0;
  // Started and not paused: a message from the sampler is news. One it had
  // already committed to before a pause may still arrive, and is dropped.
  virtual bool Running() const = 0;
  // Asks the sampler to end; it releases itself.
  virtual void Terminate() = 0;
};

class ConnectionServices {
 public:
  virtual ~ConnectionServices() = default;
  // The modem list; the RAS result, `names` empty on failure.
  virtual ras::Dword EnumDevices(std::vector<std::string>& names) = 0;
  // A connection through `modem` to adopt, or 0.
  virtual ras::Handle CheckAlreadyConnected(const std::string& modem, std::string& entryName,
                                            const std::vector<std::string>& apnList) = 0;
  virtual bool ConnIsOpen(ras::Handle conn) = 0;
  virtual bool CloseConnection(ras::Handle conn) = 0;
  virtual ras::Dword GetStatistics(std::uint32_t& received, std::uint32_t& sent,
                                   ras::Handle conn) = 0;
  // The open-connection driver: progress dialog, dial thread, kMsgConnected to the
  // window, then the first-start notice and the APN list refresh as asked.
  virtual connection::ConnectResult OpenConnection(const connection::ConnectRequest& request) = 0;
  // Asks a running OpenConnection to give up as soon as it can.
  virtual void CancelOpenConnection() = 0;
  // The running OpenConnection's progress dialog, 0 when there is none.
  virtual WindowHandle ProgressWindow() const { return 0; }
  // The window's current connection, which the sampler watches.
  virtual void SetMainConnectionHandle(ras::Handle conn) = 0;
  // Created paused, reporting to the main window.
  virtual std::unique_ptr<StatisticsThread> CreateStatThread() = 0;
  // The first-start notice to the update server, outside a connect (a
  // connection adopted at the first start).
  virtual void NotifyFirstStart(std::string& error, std::string& body) = 0;
};

}  // namespace dw::ui
