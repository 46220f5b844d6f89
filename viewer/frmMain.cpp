#include "viewer/frmMain.h"

#include "browser/WebBrowser.h"
#include "foundation/CommDialog.h"
#include "foundation/frmAbout.h"
#include "foundation/frmMoney.h"
#include "foundation/mdlFenwoZantiro.h"
#include "foundation/mdlLocaleLng.h"
#include "platform/fs.h"
#include "runtime/app.h"
#include "runtime/events.h"
#include "runtime/language.h"
#include "runtime/msgbox.h"
#include "runtime/numbers.h"
#include "runtime/screen.h"
#include "runtime/strings.h"
#include "viewer/mdlLumtak.h"

namespace lumtak {

using mdlFenwoZantiro::AddSlash;
using mdlFenwoZantiro::OpenURL;
using mdlFenwoZantiro::objFile;
using mdlLumtak::LngText;

namespace {

const std::string kProgramTitle = " Fenwo.Lumtak  1.6.6";
// Every page the viewer builds starts so; anything else is a navigation away from it.
const std::string kPagePrefix = "about:<html><style>body{border:0}</style>";
const std::string kOpenFilter =
    "Supported Pics Files|*.gif;*.bmp;*.jpg;*.jpeg;*.png;*.ico;*.wmf|"
    "GIF Files (*.gif)|*.gif|BMP Files (*.bmp)|*.bmp|JPG Files (*.jpg;*jpeg)|*.jpg;*jpeg|"
    "PNG Files (*.png)|*.png|Icon Files (*.ico)|*.ico|WMF Files (*.wmf)|*.wmf|"
    "All Files (*.*)|*.*";
const std::string kListPattern = "*.gif;*.bmp;*.jpg;*.jpeg;*.png;*.ico";

// The maker's web site and the author's addresses.
const std::string kHome = "https://fenwo.example.org/";
const std::string kBlog = "https://fenwo.example.org/blog/";
const std::string kRevisionNote = "https://fenwo.example.org/blog/fenwo-lumtak-revisions.htm";
const std::string kMail = "merrowin@fenwo.example.org";

// The download menu: the name shown after text 40 and the page name of each item. Only the
// conversion program is offered; the other items stay hidden.
struct Download {
  const char* caption;
  const char* page;
};
const Download kDlFamilyNew[3] = {{"", ""}, {"", ""}, {" Fenwo.Zantiro", "Fenwo.Zantiro"}};
const Download kDlFamily[6] = {};

void OpenDownloadPage(const Download* items, int count, int index) {
  if (index < 0 || index >= count || !items[index].page || !*items[index].page) return;
  OpenURL(kHome + "software/detail/" + items[index].page + ".htm");
}

float TwipsX() { return static_cast<float>(vb::Screen::TwipsPerPixelX()); }
float TwipsY() { return static_cast<float>(vb::Screen::TwipsPerPixelY()); }
int32_t Whole(double twips) { return vb::CLng(twips); }

}  // namespace

std::string PicPathFromCommand(const std::string& command) {
  std::string text = vb::Trim(command);
  if (text.empty()) return "";
  if (vb::Left(text, 1) == "\"") {
    text = vb::Left(text, vb::InStr(2, text, "\""));
  } else if (vb::InStr(text, "\"") > 0 && vb::InStr(text, " ") > 0) {
    text = vb::Left(text, vb::InStr(text, " "));
  }
  return vb::Trim(vb::Replace(text, "\"", ""));
}

std::string PicturePage(const std::string& path, int32_t backColor) {
  return kPagePrefix + "<body bgcolor=" + (backColor == 0 ? "black" : "white") +
         " leftMargin=0 topMargin=0 scroll=no" +
         " oncontextmenu='return false' onselectstart='return false'"
         " ondragstart='return false' onerror='return true'>" +
         "<img src=" + "\"" + vb::Replace(path, "%", "%25") + "\"" +
         " border=0></img></body></html>";
}

float ZoomStep(float naturalWidth) {
  float step = naturalWidth * 0.05f;
  if (step < 4) step = 4;
  if (step > 10) step = 10;
  return step;
}

frmMain::frmMain(const std::string& command)
    : vb::Form(":/forms/viewer/frmMain.txt"),
      command_(command),
      WebB(Ctl<browser::WebBrowser>("WebB")),
      picCover(Ctl<vb::PictureBox>("picCover")),
      imgTitle(Ctl<vb::Image>("imgTitle")),
      imgCur(Ctl<vb::Image>("imgCur")),
      File1(Ctl<vb::FileListBox>("File1")),
      mnuLanguage(Ctl<vb::Menu>("mnuLanguage")),
      mnuLngEN(Ctl<vb::Menu>("mnuLngEN")),
      mnuLngTW(Ctl<vb::Menu>("mnuLngTW")),
      mnuLngGB(Ctl<vb::Menu>("mnuLngGB")),
      mnuFilePath(Ctl<vb::Menu>("mnuFilePath")),
      mnuFileName(Ctl<vb::Menu>("mnuFileName")),
      mnuFileSize(Ctl<vb::Menu>("mnuFileSize")),
      mnuPicsSize(Ctl<vb::Menu>("mnuPicsSize")),
      mnuWinSize(Ctl<vb::Menu>("mnuWinSize")),
      mnuFixedWin(Ctl<vb::Menu>("mnuFixedWin")),
      mnuKeepAspect(Ctl<vb::Menu>("mnuKeepAspect")),
      mnuReset(Ctl<vb::Menu>("mnuReset")) {
  Load = [this] { Form_Load(); };
  Activate = [this] { Form_Activate(); };
  Unload = [this](int& Cancel) { Form_Unload(Cancel); };
  Resize = [this] { Form_Resize(true); };
  KeyDown = [this](int& KeyCode, int Shift) { Form_KeyDown(KeyCode, Shift); };

  WebB.BeforeNavigate2 = [this](const std::string& URL, bool& Cancel) {
    WebB_BeforeNavigate2(URL, Cancel);
  };
  WebB.DragOver = [this](vb::Control&, float X, float Y, int State) {
    WebB_DragOver(X, Y, State);
  };
  picCover.OLEDragDrop = [this](vb::DataObject& Data, int&, int, int, float, float) {
    picCover_OLEDragDrop(Data);
  };
  imgTitle.OLEDragDrop = picCover.OLEDragDrop;
  imgTitle.Click = [] { OpenURL(kBlog); };

  mnuLngEN.Click = [this] { ChangeLanguage("en"); mnuReset_Click(); };
  mnuLngGB.Click = [this] { ChangeLanguage("gb"); mnuReset_Click(); };
  mnuLngTW.Click = [this] { ChangeLanguage("tw"); mnuReset_Click(); };
  mnuFixedWin.Click = [this] { mnuFixedWin_Click(); };
  mnuKeepAspect.Click = [this] { mnuKeepAspect_Click(); };
  mnuReset.Click = [this] { mnuReset_Click(); };
  Ctl<vb::Menu>("mnuOpen").Click = [this] { mnuOpen_Click(); };
  for (vb::Menu* m : Arr<vb::Menu>("mnuSetBackcolor"))
    m->Click = [this, i = m->Index()] { mnuSetBackcolor_Click(i); };
  // The folder and zoom items stand for their keys.
  const int playKeys[] = {vb::vbKeyHome, vb::vbKeyPageUp, vb::vbKeyPageDown, vb::vbKeyEnd};
  for (vb::Menu* m : Arr<vb::Menu>("mnuPlayInDir"))
    m->Click = [this, key = playKeys[m->Index()]] { Form_KeyDown(key, 0); };
  for (vb::Menu* m : Arr<vb::Menu>("mnuSizePics"))
    m->Click = [this, key = m->Index() == 0 ? 187 : 189] { Form_KeyDown(key, 0); };

  Ctl<vb::Menu>("mnuBlog").Click = [] { OpenURL(kBlog); };
  Ctl<vb::Menu>("mnuNotice").Click = [] { OpenURL(kHome + "software/notice.htm"); };
  Ctl<vb::Menu>("mnuVerNote").Click = [] { OpenURL(kRevisionNote); };
  Ctl<vb::Menu>("mnuUpdate").Click = [] {
    OpenURL(kHome + "software/detail/Fenwo.Lumtak.htm");
  };
  for (vb::Menu* m : Arr<vb::Menu>("mnuDlFamilyNew"))
    m->Click = [i = m->Index()] { OpenDownloadPage(kDlFamilyNew, 3, i); };
  for (vb::Menu* m : Arr<vb::Menu>("mnuDlFamily"))
    m->Click = [i = m->Index()] { OpenDownloadPage(kDlFamily, 6, i); };
  Ctl<vb::Menu>("mnuCoopAds").Click = [] {
    if (vb::MsgBox(LngText[45], vb::vbOKCancel, "Fenwo.Lumtak") == vb::vbOK)
      OpenURL("mailto:" + kMail);
  };
  Ctl<vb::Menu>("mnuAbout").Click = [this] {
    frmAbout about(frmAbout::Lumtak);
    about.Show(vb::vbModal, this);
  };
  Ctl<vb::Menu>("mnuMoney").Click = [this] {
    frmMoney money(frmMoney::Lumtak);
    money.Show(vb::vbModal, this);
  };
}

frmMain::~frmMain() = default;

CommDialog& frmMain::objDialog() {
  if (!dialog_) dialog_ = std::make_unique<CommDialog>();
  return *dialog_;
}

// ---- Start-up, settings and language ----

void frmMain::Form_Load() {
  PicPath = PicPathFromCommand(command_);
  LoadSettings();

  std::string cursor = AddSlash(vb::App::Path()) + "harrow.cur";
  if (!objFile.FileExists(cursor)) mdlLumtak::SaveResToFile("HAND", "Custom", cursor);
  imgTitle.MouseIcon(imgCur.Picture());
  imgTitle.MousePointer(vb::vbCustom);

  FrameWidth = Whole(Width() - ScaleWidth() * TwipsX());
  FrameHeight = Whole(Height() - ScaleHeight() * TwipsY());

  const vb::Screen::Rect area = vb::Screen::WorkArea();
  if (area.Right > area.Left && area.Bottom > area.Top) {
    const double x = vb::Screen::TwipsPerPixelX(), y = vb::Screen::TwipsPerPixelY();
    WorkArea = {Whole(area.Left * x), Whole(area.Top * y), Whole(area.Right * x),
                Whole(area.Bottom * y)};
  } else {
    WorkArea = {0, 0, Whole(vb::Screen::Width()), Whole(vb::Screen::Height())};
  }
  WorkWidth = WorkArea[2] - WorkArea[0];
  WorkHeight = WorkArea[3] - WorkArea[1];

  mnuReset.Enabled(false);
  tryPlayGifs();

  objDialog().hwndOwner = hWnd();
  objDialog().FlagsOpen = 0x81004;
  objDialog().InitDir = "";
  objDialog().Filter(kOpenFilter);

  File1.Pattern(kListPattern);
  if (!PicPath.empty()) SyncFileList();
}

void frmMain::Form_Activate() {
  try {
    picCover.SetFocus();
  } catch (const std::exception&) {
  }
}

void frmMain::Form_Unload(int&) {
  WebB.Stop();
  std::string cursor = AddSlash(vb::App::Path()) + "harrow.cur";
  objFile.DeleteFile(cursor);
  WindowState(vb::vbNormal);
  vb::DoEvents();  // the window takes its normal place back before it is read
  SaveSettings();
}

void frmMain::LoadSettings() {
  Move((vb::Screen::Width() - Width()) / 2, (vb::Screen::Height() - Height()) / 2);
  IniPath = AddSlash(vb::App::Path()) + "Fenwo.Lumtak.ini";

  bool chosen = false;
  std::string ini = IniPath;
  if (objFile.FileExists(ini)) {
    const std::string text = win::ReadWholeFile(IniPath).value_or("");
    for (std::string line : vb::Split(vb::Replace(text, vb::vbCr, ""), vb::vbLf)) {
      line = vb::Trim(line);
      const int32_t p = vb::InStr(line, "=");
      if (p == 0) continue;
      const std::string key = vb::Trim(vb::LCase(vb::Left(line, p)));
      const std::string value = vb::Trim(vb::Mid(line, p + 1));
      if (key == "mainleft=" || key == "maintop=") {
        const bool across = key == "mainleft=";
        const float screen = across ? vb::Screen::Width() : vb::Screen::Height();
        const float size = across ? Width() : Height();
        int32_t v = vb::CLng(vb::Val(value));
        if (static_cast<double>(v) + size > screen) v = vb::CLng(screen - size);
        if (v < 0) v = 0;
        across ? Left(static_cast<float>(v)) : Top(static_cast<float>(v));
      } else if (key == "language=") {
        // A code that names no table leaves the choice to the fallbacks below.
        try {
          ChangeLanguage(value);
          chosen = true;
        } catch (const std::exception&) {
        }
      }
    }
  }
  if (chosen) return;

  std::string code;
  std::string programFolder = vb::App::Path();
  std::string above = objFile.GetParentFolderName(programFolder) + "Fenwo.Zantiro.ini";
  std::string own = AddSlash(vb::App::Path()) + "Fenwo.Zantiro.ini";
  std::string found = objFile.FileExists(above) ? above : objFile.FileExists(own) ? own : "";
  if (!found.empty()) {
    const std::string text = objFile.GetFileText(found);
    if (vb::InStr(text, "Language=tw") > 0) code = "tw";
    if (vb::InStr(text, "Language=gb") > 0) code = "gb";
    if (vb::InStr(text, "Language=en") > 0) code = "en";
  }
  // A file that names no language gives the system's, as a missing one does.
  if (code.empty()) code = mdlLocaleLng::GetLocaleLng();
  try {
    ChangeLanguage(code);
  } catch (const std::exception&) {
  }
}

void frmMain::SaveSettings() {
  win::WriteWholeFile(IniPath, "MainLeft=" + vb::CStr(Left()) + vb::vbCrLf + "MainTop=" +
                                   vb::CStr(Top()) + vb::vbCrLf + "Language=" +
                                   mnuLanguage.Tag() + vb::vbCrLf);
}

void frmMain::ChangeLanguage(const std::string& lng) {
  mdlLumtak::LoadLngText(lng);
  vb::UseStandardTexts(lng);
  mnuLngEN.Checked(lng == "en");
  mnuLngTW.Checked(lng == "tw");
  mnuLngGB.Checked(lng == "gb");
  mnuLanguage.Tag(lng);

  const std::pair<const char*, int> captions[] = {
      {"mnuAboutMain", 1}, {"mnuFileInfo", 2}, {"mnuFilePath", 3}, {"mnuFileName", 4},
      {"mnuFileSize", 5}, {"mnuPicsSize", 6}, {"mnuOpen", 7}, {"mnuReset", 8},
      {"mnuKeepAspect", 10}, {"mnuBackcolor", 13}, {"mnuFixedWin", 23}, {"mnuWinSize", 24},
      {"mnuMoney", 34}, {"mnuNotice", 35}, {"mnuBlog", 36}, {"mnuVerNote", 37},
      {"mnuUpdate", 38}, {"mnuDownloadFamily", 39}, {"mnuAbout", 41}, {"mnuCoopAds", 44}};
  for (const auto& [name, n] : captions) Ctl<vb::Menu>(name).Caption(LngText[n]);
  const std::pair<const char*, int> arrays[] = {
      {"mnuSetBackcolor", 14}, {"mnuPlayInDir", 19}, {"mnuSizePics", 25}};
  for (const auto& [name, first] : arrays)
    for (vb::Menu* m : Arr<vb::Menu>(name)) m->Caption(LngText[first + m->Index()]);
  for (vb::Menu* m : Arr<vb::Menu>("mnuDlFamilyNew"))
    m->Caption(LngText[40] + kDlFamilyNew[m->Index()].caption);
  for (vb::Menu* m : Arr<vb::Menu>("mnuDlFamily"))
    m->Caption(LngText[40] + (kDlFamily[m->Index()].caption ? kDlFamily[m->Index()].caption : ""));
}

// ---- The picture page ----

void frmMain::CoverClientArea() {
  picCover.Move(0, 0, ClientWidth(), ClientHeight());
  imgTitle.Move((picCover.Width() - imgTitle.Width()) / 2,
                (picCover.Height() - imgTitle.Height()) / 2);
}

bool frmMain::HasPicture() {
  // The page still shows the last picture after a file that was not found; that one is not
  // the picture of PicPath.
  browser::HTMLDocument* doc = WebB.Document();
  browser::HTMLImg* img = doc ? doc->Images(0) : nullptr;
  return img && img->src() == PicPath;
}

void frmMain::tryPlayGifs() {
  WebB.Stop();
  CoverClientArea();
  imgTitle.Visible(PicPath.empty());
  picCover.ZOrder(0);
  if (picCover.Visible()) {
    try {
      picCover.SetFocus();
    } catch (const std::exception&) {
    }
  }
  Caption(kProgramTitle);
  if (PicPath.empty()) return;

  IsLoading = true;
  if (win::FindFiles(PicPath).empty()) {
    vb::DoEvents();
    vb::MsgBox(LngText[16] + vb::vbCrLf + LngText[17] + vb::vbCrLf + vb::vbCrLf + PicPath,
               vb::vbOKOnly);
    IsLoading = false;
    return;
  }
  WebB.Navigate(PicturePage(PicPath, BackColor()));
  NaturalWidth = 28;
  NaturalHeight = 30;
  for (int passes = 0; passes <= 6000;) {
    ++passes;
    vb::DoEvents();
    browser::HTMLDocument* doc = WebB.Document();
    browser::HTMLImg* img = doc ? doc->Images(0) : nullptr;
    if (img) {
      NaturalWidth = static_cast<float>(img->Width());
      NaturalHeight = static_cast<float>(img->Height());
      if (!WebB.Busy() || NaturalWidth != 28 || NaturalHeight != 30) break;
    }
    if (!WebB.Busy()) break;
  }

  browser::HTMLDocument* doc = WebB.Document();
  browser::HTMLImg* img = doc ? doc->Images(0) : nullptr;
  if (!WebB.Busy() && (!img || img->fileSize() <= 0)) {
    mnuFilePath.Caption(LngText[3]);
    mnuFileName.Caption(LngText[4]);
    mnuFileSize.Caption(LngText[5]);
    mnuPicsSize.Caption(LngText[6]);
    mnuWinSize.Caption(LngText[24]);
    if (WindowState() == vb::vbNormal) {
      FrameWidth = Whole(Width() - ClientWidth() * TwipsX());
      Width(static_cast<float>(FrameWidth) + 300 * TwipsX());
      Height(Height() - ClientHeight() * TwipsY() + 240 * TwipsY());
    }
    CoverClientArea();
    imgTitle.Visible(true);
    vb::DoEvents();
    vb::MsgBox(LngText[16] + vb::vbCrLf + LngText[18] + vb::vbCrLf + vb::vbCrLf + PicPath,
               vb::vbOKOnly);
    PicPath = "";
  } else {
    SizePicture(mnuFixedWin.Checked(), false, true, 0, 0);
    ShowFileInfo();
    mnuReset.Enabled(true);
    imgTitle.Visible(false);
    WebB.ZOrder(0);
  }
  IsLoading = false;
}

void frmMain::ShowFileInfo() {
  mnuFilePath.Caption(LngText[3] + objFile.GetParentFolderName(PicPath));
  mnuFileName.Caption(LngText[4] + objFile.GetFileName(PicPath));
  const long long bytes = win::FileLen(PicPath);
  const double mb = bytes < 0 ? 0.0 : static_cast<double>(bytes) / 1024 / 1024;
  mnuFileSize.Caption(LngText[5] + vb::Format(vb::Round(mb, 3), "0.00") + " MB");
}

void frmMain::WebB_BeforeNavigate2(const std::string& URL, bool& Cancel) {
  if (vb::Left(URL, vb::Len(kPagePrefix)) == kPagePrefix) return;
  Cancel = true;
  std::string path = URL;
  if (objFile.FileExists(path)) {
    PicPath = path;
    SyncFileList();
    tryPlayGifs();
  }
}

// ---- Sizing, zoom and panning ----

void frmMain::SizePicture(bool fixedWin, bool restart, bool duringLoad, float dW, float dH) {
  if (PicPath.empty()) return;
  if ((WebB.Busy() || IsLoading) && !duringLoad) return;
  if (!HasPicture()) return;
  browser::HTMLImg& img = *WebB.Document()->Images(0);
  IsResizing = true;
  if (Visible()) sizedOnScreen_ = true;
  const bool zoom = !(dW == 0 && dH == 0);
  float W = 0, H = 0;
  auto fitOrZoom = [&] {
    if (zoom) {
      GetZoomSize(dW, dH, W, H);
    } else {
      int32_t w = 0, h = 0;
      GetFitSize(w, h);
      W = static_cast<float>(w);
      H = static_cast<float>(h);
    }
    img.Width(vb::CLng(W));
    img.Height(vb::CLng(H));
    if (zoom) {
      PlaceBrowser(W, H, true, true);
    } else {
      vb::DoEvents();
      CenterBrowser(W, H);
    }
  };

  const int state = WindowState();
  if (state != vb::vbMinimized && restart) img.src(img.src());
  if (state == vb::vbMaximized || (state == vb::vbNormal && fixedWin)) {
    fitOrZoom();
  } else if (state == vb::vbNormal) {
    if (zoom) {
      GetZoomSize(dW, dH, W, H);
    } else {
      W = NaturalWidth;
      H = NaturalHeight;
    }
    // The frame is known only once the window is on the screen.
    FrameWidth = Whole(Width() - ClientWidth() * TwipsX());
    const int32_t cy = Whole(ClientHeight() * TwipsY() / 2 + static_cast<float>(FrameHeight));
    const int32_t cx = Whole(ClientWidth() * TwipsX() / 2);
    bool oversizeX = false, oversizeY = false;
    int32_t width = Whole(TwipsX() * W + static_cast<float>(FrameWidth));
    if (width > WorkWidth) {
      width = WorkWidth;
      oversizeX = true;
    }
    Width(static_cast<float>(width));
    // The menu bar may take another number of lines at the new width.
    FrameHeight = Whole(Height() - ClientHeight() * TwipsY());
    int32_t height = Whole(TwipsY() * std::max(H, 30.0f) + static_cast<float>(FrameHeight));
    if (height > WorkHeight) {
      height = WorkHeight;
      oversizeY = true;
    }
    Height(static_cast<float>(height));
    const int32_t cy2 = Whole(ClientHeight() * TwipsY() / 2 + static_cast<float>(FrameHeight));
    const int32_t cx2 = Whole(ClientWidth() * TwipsX() / 2);
    float left = Left() + static_cast<float>(cx - cx2);
    float top = Top() + static_cast<float>(cy - cy2);
    if (left + Width() > vb::Screen::Width()) left = vb::Screen::Width() - Width();
    if (left < 0) left = 0;
    if (top + Height() > vb::Screen::Height()) top = vb::Screen::Height() - Height();
    if (top < 0) top = 0;
    Move(left, top);

    img.Width(vb::CLng(W));
    img.Height(vb::CLng(H));
    if (zoom && (oversizeX || oversizeY)) {
      PlaceBrowser(W, H, oversizeX, oversizeY);
    } else {
      vb::DoEvents();
      CenterBrowser(W, H);
    }
  }

  // Final step, whatever the state.
  if (WebB.Width() > ClientWidth() + 1 || WebB.Height() > ClientHeight() + 1) {
    WebB.DragMode(vb::vbAutomatic);
    WebB.Document()->body()->Style().cursor("url(" + vb::App::Path() + "/harrow.cur)");
  } else {
    WebB.DragMode(vb::vbManual);
    WebB.Document()->body()->Style().cursor("");
  }
  IsResizing = false;
  sizedClient_ = {ClientWidth(), ClientHeight()};
  mnuPicsSize.Caption(LngText[6] + vb::CStr(NaturalWidth) + " x " + vb::CStr(NaturalHeight));
  mnuWinSize.Caption(LngText[24] + vb::CStr(ClientWidth()) + " x " + vb::CStr(ClientHeight()));
  const double percent = static_cast<double>(img.Width()) * 100 / NaturalWidth;
  Caption(kProgramTitle + "  - " + vb::CStr(vb::CLng(percent)) + " %");
}

void frmMain::CenterBrowser(float w, float h) {
  WebB.Move(std::max((ClientWidth() - w) / 2, 0.0f), std::max((ClientHeight() - h) / 2, 0.0f), w,
            h);
}

void frmMain::GetFitSize(int32_t& width, int32_t& height) {
  width = vb::CLng(ClientWidth());
  height = vb::CLng(ClientHeight());
  if (mnuKeepAspect.Checked() && ClientHeight() > 0 && NaturalWidth > 0 && NaturalHeight > 0 &&
      WindowState() != vb::vbMinimized) {
    const double r = static_cast<double>(NaturalWidth) / NaturalHeight;
    const double rc = static_cast<double>(ClientWidth()) / ClientHeight();
    if (rc > r) {
      width = vb::CLng(ClientHeight() * r);
    } else if (rc < r) {
      height = vb::CLng(ClientWidth() / r);
    }
  }
}

void frmMain::GetZoomSize(float dW, float dH, float& width, float& height) {
  browser::HTMLImg& img = *WebB.Document()->Images(0);
  const float currentW = static_cast<float>(img.Width());
  const float currentH = static_cast<float>(img.Height());
  const float newW = currentW + dW;
  const float newH = currentH + dH;
  const float workPixels = static_cast<float>(WorkWidth) / TwipsX();
  if (newW >= 1 && newH >= 1 && newW <= 3 * workPixels && newW >= 0.045f * NaturalWidth) {
    width = newW;
    height = std::max(newW * NaturalHeight / NaturalWidth, 1.0f);
  } else {
    width = currentW;
    height = currentH;
  }
}

void frmMain::PlaceBrowser(float w, float h, bool oversizeX, bool oversizeY) {
  auto place = [](bool oversize, float client, float pos, float size, float wanted) {
    if (!oversize) return std::max((client - wanted) / 2, 0.0f);
    const float c = client / 2;
    const float r = (c - pos) / (pos + size - c);
    float next = pos - (wanted - size) * r / 2;
    if (size > client) {
      if (client - size > next) next = client - size;
      if (next > 0) next = 0;
    }
    return next;
  };
  const float left = place(oversizeX, ClientWidth(), WebB.Left(), WebB.Width(), w);
  const float top = place(oversizeY, ClientHeight(), WebB.Top(), WebB.Height(), h);
  WebB.Move(left, top, w, h);
}

void frmMain::PanPicture(float dx, float dy) {
  if (!HasPicture()) return;  // the browser under the cover holds no picture of PicPath
  const float w = WebB.Width(), h = WebB.Height();
  if (!(w > ClientWidth()) && !(h > ClientHeight())) return;
  auto pan = [](float pos, float d, float size, float client) {
    if (!(size > client)) return pos;
    float next = pos + d;
    if (next < client - size) next = client - size;
    if (next > 0) next = 0;
    return next;
  };
  WebB.Move(pan(WebB.Left(), dx, w, ClientWidth()), pan(WebB.Top(), dy, h, ClientHeight()));
  vb::DoEvents();
}

void frmMain::WebB_DragOver(float X, float Y, int State) {
  if (State == vb::vbEnter) {
    DragAnchorX = X / TwipsX();
    DragAnchorY = Y / TwipsY();
  } else {
    PanPicture(X / TwipsX() - DragAnchorX, Y / TwipsY() - DragAnchorY);
  }
}

void frmMain::Form_Resize(bool event) {
  if (WindowState() == vb::vbMinimized || IsResizing || IsLoading) return;
  CoverClientArea();
  // The window's frame is known only once it is on the screen: the first resize there sizes
  // the window to the picture again, as a return from maximized does.
  const bool firstOnScreen = event && Visible() && !sizedOnScreen_;
  if (event && Visible()) sizedOnScreen_ = true;
  if (PicPath.empty()) return;
  // The window reports the sizes that the sizing gave it later, some once it is shown: those
  // are no resize by the user.
  const bool sizedByUs = event && sizedClient_ == std::pair{ClientWidth(), ClientHeight()};
  if (Visible() && (firstOnScreen || !sizedByUs)) {
    const bool pictureSized = (LastWindowState == vb::vbMaximized || firstOnScreen) &&
                              WindowState() == vb::vbNormal;
    SizePicture(pictureSized ? mnuFixedWin.Checked() : true, false, false, 0, 0);
  }
  LastWindowState = WindowState();
}

void frmMain::mnuFixedWin_Click() {
  if (IsLoading) return;
  mnuFixedWin.Checked(!mnuFixedWin.Checked());
  if (!mnuFixedWin.Checked()) SizePicture(false, false, false, 0, 0);
}

void frmMain::mnuKeepAspect_Click() {
  if (IsLoading) return;
  mnuKeepAspect.Checked(!mnuKeepAspect.Checked());
  Form_Resize();
}

// ---- Keys, menus, folder and drops ----

void frmMain::Form_KeyDown(int KeyCode, int) {
  if (IsLoading || IsResizing) return;
  vb::DoEvents();
  const int index = File1.ListIndex();
  const int count = File1.ListCount();
  switch (KeyCode) {
    case vb::vbKeyF1: mnuOpen_Click(); break;
    case vb::vbKeyPageUp:
      if (index - 1 >= 0) {
        File1.ListIndex(index - 1);
        ShowListEntry();
      }
      break;
    case vb::vbKeyPageDown:
      if (index + 1 < count) {
        File1.ListIndex(index + 1);
        ShowListEntry();
      }
      break;
    case vb::vbKeyHome:
      if (count >= 1) {
        File1.ListIndex(0);
        ShowListEntry();
      }
      break;
    case vb::vbKeyEnd:
      if (count >= 1) {
        File1.ListIndex(count - 1);
        ShowListEntry();
      }
      break;
    case vb::vbKeyLeft: if (!PicPath.empty()) PanPicture(10, 0); break;
    case vb::vbKeyUp: if (!PicPath.empty()) PanPicture(0, 10); break;
    case vb::vbKeyRight: if (!PicPath.empty()) PanPicture(-10, 0); break;
    case vb::vbKeyDown: if (!PicPath.empty()) PanPicture(0, -10); break;
    case 187:  // plus and minus of the main keyboard
    case 189:
      if (!PicPath.empty()) {
        const float step = (KeyCode == 187 ? 1.0f : -1.0f) * ZoomStep(NaturalWidth);
        SizePicture(mnuFixedWin.Checked(), false, false, step,
                    step * NaturalHeight / NaturalWidth);
      }
      break;
    default: break;
  }
}

void frmMain::ShowListEntry() {
  PicPath = AddSlash(File1.Path()) + File1.List(File1.ListIndex());
  tryPlayGifs();
}

void frmMain::SyncFileList() {
  const std::string folder = objFile.GetParentFolderName(PicPath);
  if (!win::IsFolder(folder)) return;  // the folder is gone: the list stays where it was
  File1.Path(folder);
  const std::string name = objFile.GetFileName(PicPath);
  vb::DoEvents();
  for (int i = 0; i < File1.ListCount(); ++i) {
    if (File1.List(i) == name) {
      File1.ListIndex(i);
      break;
    }
  }
}

void frmMain::mnuOpen_Click() {
  if (IsLoading) return;
  objDialog().filename = "";
  const std::string chosen = objDialog().ShowOpen(true, false);
  if (chosen.empty()) return;
  PicPath = chosen;
  tryPlayGifs();
  if (!PicPath.empty()) SyncFileList();
}

void frmMain::mnuReset_Click() {
  if (WebB.Busy() || PicPath.empty() || IsLoading || !HasPicture()) return;
  SizePicture(false, true, false, 0, 0);
  ShowFileInfo();
}

void frmMain::mnuSetBackcolor_Click(int Index) {
  if (IsLoading) return;
  for (vb::Menu* m : Arr<vb::Menu>("mnuSetBackcolor")) m->Checked(m->Index() == Index);
  const int32_t colour = Index == 0 ? 0 : 0xFFFFFF;
  if (!PicPath.empty() && WebB.Document()) WebB.Document()->body()->bgcolor(colour);
  BackColor(colour);
  picCover.BackColor(colour);
}

void frmMain::picCover_OLEDragDrop(vb::DataObject& Data) {
  std::string f;
  if (Data.GetFormat(vb::vbCFFiles)) {
    f = vb::Replace(Data.Files(1), "//", "/");
  } else if (Data.GetFormat(vb::vbCFText)) {
    f = Data.GetData(vb::vbCFText);
  } else {
    return;
  }
  if (!objFile.FileExists(f)) return;
  PicPath = f;
  SyncFileList();
  tryPlayGifs();
}

}  // namespace lumtak
