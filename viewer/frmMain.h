// The viewer's one window: shows a picture or animated GIF in its browser control, sizes the
// window to it, zooms, pans and steps through the pictures of its folder.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "runtime/Form.h"
#include "runtime/controls.h"

class CommDialog;
namespace browser {
class WebBrowser;
}

namespace lumtak {

// The picture path given on the command line (the text after the program's name): a quoted
// path, or the whole text; one path, the rest ignored.
std::string PicPathFromCommand(const std::string& command);

// The address handed to the browser to show the picture at path on a black (backColor 0) or
// white page.
std::string PicturePage(const std::string& path, int32_t backColor);

// The zoom step of the plus and minus keys, in pixels across.
float ZoomStep(float naturalWidth);

class frmMain : public vb::Form {
 public:
  // command: the text the program was started with, after its own name.
  explicit frmMain(const std::string& command);
  ~frmMain() override;

 private:
  // Start-up, settings and language.
  void Form_Load();
  void Form_Activate();
  void Form_Unload(int& Cancel);
  void LoadSettings();
  void SaveSettings();
  void ChangeLanguage(const std::string& lng);

  // The picture page.
  void tryPlayGifs();
  void WebB_BeforeNavigate2(const std::string& URL, bool& Cancel);
  void CoverClientArea();
  void ShowFileInfo();

  // Sizing, zoom and panning.
  void SizePicture(bool fixedWin, bool restart, bool duringLoad, float dW, float dH);
  void GetFitSize(int32_t& width, int32_t& height);
  void GetZoomSize(float dW, float dH, float& width, float& height);
  void PlaceBrowser(float w, float h, bool oversizeX, bool oversizeY);
  void PanPicture(float dx, float dy);
  void CenterBrowser(float w, float h);
  void Form_Resize(bool event = false);
  void WebB_DragOver(float X, float Y, int State);
  void mnuFixedWin_Click();
  void mnuKeepAspect_Click();

  // Keys, menus, folder and drops.
  void Form_KeyDown(int KeyCode, int Shift);
  void ShowListEntry();
  void SyncFileList();
  void mnuOpen_Click();
  void mnuReset_Click();
  void mnuSetBackcolor_Click(int Index);
  void picCover_OLEDragDrop(vb::DataObject& Data);

  CommDialog& objDialog();
  bool HasPicture();
  float ClientWidth() const { return ScaleWidth(); }
  float ClientHeight() const { return ScaleHeight(); }

  const std::string command_;
  browser::WebBrowser& WebB;
  vb::PictureBox& picCover;
  vb::Image& imgTitle;
  vb::Image& imgCur;
  vb::FileListBox& File1;
  vb::Menu &mnuLanguage, &mnuLngEN, &mnuLngTW, &mnuLngGB;
  vb::Menu &mnuFilePath, &mnuFileName, &mnuFileSize, &mnuPicsSize, &mnuWinSize;
  vb::Menu &mnuFixedWin, &mnuKeepAspect, &mnuReset;

  std::string PicPath;
  float NaturalWidth = 0, NaturalHeight = 0;
  bool IsLoading = false, IsResizing = false;
  int32_t FrameWidth = 0, FrameHeight = 0;  // twips
  std::array<int32_t, 4> WorkArea{};        // Left, Top, Right, Bottom in twips
  int32_t WorkWidth = 0, WorkHeight = 0;    // twips
  float DragAnchorX = 0, DragAnchorY = 0;   // pixels
  int LastWindowState = vb::vbNormal;
  std::string IniPath;
  std::pair<float, float> sizedClient_;  // the client area as the last sizing left it
  bool sizedOnScreen_ = false;  // sized since the window is on the screen
  std::unique_ptr<CommDialog> dialog_;
};

}  // namespace lumtak
