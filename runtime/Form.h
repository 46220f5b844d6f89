// A window: its design text makes its controls; its class holds its behaviour.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "runtime/Container.h"
#include "runtime/Control.h"
#include "runtime/Host.h"

class QObject;

namespace vb {

class Menu;

enum : int { vbModeless = 0, vbModal = 1 };
enum : int { vbNormal = 0, vbMinimized = 1, vbMaximized = 2 };
// Why a window is unloading (QueryUnload's UnloadMode).
enum : int { vbFormControlMenu = 0, vbFormCode = 1, vbAppWindows = 2, vbAppTaskManager = 3 };
// BorderStyle of a form.
enum : int {
  vbBSNone = 0, vbFixedSingle = 1, vbSizable = 2, vbFixedDialog = 3, vbFixedToolWindow = 4,
  vbSizableToolWindow = 5,
};
// PopupMenu flags.
enum : int { vbPopupMenuLeftAlign = 0, vbPopupMenuCenterAlign = 4, vbPopupMenuRightAlign = 8,
             vbPopupMenuRightButton = 2 };

class Form : public Control, public Container, public Host {
 public:
  // Makes the window and its controls from its design text (a file or a Qt resource such as
  // ":/forms/frmMain.txt"; "" for none). The window is not loaded yet: Load or Show does it.
  explicit Form(const std::string& designSource = "");
  ~Form() override;

  std::string Caption() const;
  void Caption(const std::string& c);

  // Load (vb::Load) raises the Load event the first time and again after an Unload.
  bool Loaded() const { return loaded_; }
  // Loads, then shows. vbModal waits until the window is hidden or unloaded; an owner keeps
  // the window above it.
  void Show(int modal = vbModeless, Form* owner = nullptr);
  void Hide();

  int WindowState() const;
  void WindowState(int state);
  bool KeyPreview() const { return keyPreview_; }
  void KeyPreview(bool v) { keyPreview_ = v; }
  int BorderStyle() const { return borderStyle_; }
  Form* Owner() const { return owner_; }
  // The window's icon (title bar, task bar).
  StdPicture Icon() const { return icon_; }
  void Icon(const StdPicture& icon);

  // Outer position and size in twips of the screen.
  float Left() const override;
  float Top() const override;
  float Width() const override;
  float Height() const override;
  void Left(float v) override;
  void Top(float v) override;
  void Width(float v) override;
  void Height(float v) override;
  void Move(float left, std::optional<float> top = {}, std::optional<float> width = {},
            std::optional<float> height = {}) override;
  bool Visible() const override;
  void Visible(bool v) override;
  // A disabled window takes no mouse or key input; it keeps its look.
  bool Enabled() const override { return !blocker_; }
  void Enabled(bool e) override;
  int32_t hWnd() override;
  void BackColor(int32_t c) override;
  using Control::BackColor;

  // Shows a menu as a pop-up under the pointer (or at x, y of this window's scale), and
  // returns when it is closed (after the Click of the chosen item).
  void PopupMenu(Menu& menu, int flags = 0, std::optional<float> x = {},
                 std::optional<float> y = {});

  std::function<void()> Load, Activate, Deactivate, Paint;
  std::function<void(int& Cancel, int UnloadMode)> QueryUnload;
  std::function<void(int& Cancel)> Unload;

  // --- For the forms layer ---
  QWidget* ClientWidget() const override;
  Form* OwnerForm() override { return this; }
  Container* TopContainer() override { return this; }
  void AddTopMenu(Menu& menu);
  void endModal();
  void DoLoad();
  bool DoUnload(int unloadMode);

 protected:
  void ReadOwnDesign(const PropertyBag& bag) override;
  int32_t SurfaceBackColor() const override { return BackColor(); }
  void applyColors() override;
  // The native window's own background: what shows of a growing window before it is painted.
  void applyBackground();
  void applyFont() override;

 private:
  void applyBorder();
  bool loaded_ = false;
  bool everUnloaded_ = false;
  bool shownSinceLoad_ = false;
  bool keyPreview_ = false;
  int borderStyle_ = vbSizable;
  bool controlBox_ = true, minButton_ = true, maxButton_ = true, showInTaskbar_ = true;
  int startUpPosition_ = 0;
  bool placed_ = false;  // the design or the program gave the window its place
  Form* owner_ = nullptr;
  StdPicture icon_;
  QObject* blocker_ = nullptr;
  QWidget* client_ = nullptr;
  struct Modal;
  Modal* modal_ = nullptr;
  friend class FormWidget;
};

// The runtime's Load and Unload statements. Unload raises QueryUnload and Unload (either
// may set Cancel), then hides the window and marks it unloaded; it answers false when
// cancelled; the window's timers stop. The object stays usable after Unload: a later Load or
// Show loads it again, its controls back at their design settings (Host::ResetToDesign), and
// raises Load. Handlers are kept; set control properties in Load, not in the constructor.
void Load(Form& form);
bool Unload(Form& form, int unloadMode = vbFormCode);

// Every window that is loaded now, in the order they were loaded.
std::vector<Form*> Forms();

// Runs the program's windows: returns when the last loaded window has unloaded (or End).
int Run();
// Ends the program: leaves Run at once.
void End();

}  // namespace vb
