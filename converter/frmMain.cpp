#include "converter/frmMain.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "converter/frmOptions.h"
#include "converter/frmSplash.h"
#include "foundation/CommDialog.h"
#include "foundation/frmAbout.h"
#include "foundation/frmMoney.h"
#include "foundation/frmOutput.h"
#include "foundation/mdlConsole.h"
#include "foundation/mdlFenwoZantiro.h"
#include "foundation/mdlGetCmdOutput.h"
#include "foundation/mdlLocaleLng.h"
#include "platform/shellexec.h"
#include "platform/window.h"
#include "runtime/app.h"
#include "runtime/command.h"
#include "runtime/events.h"
#include "runtime/msgbox.h"
#include "runtime/numbers.h"
#include "runtime/resources.h"
#include "runtime/screen.h"
#include "runtime/strings.h"

namespace zantiro {

using namespace mdlFenwoZantiro;

namespace {
constexpr const char* kTitle = "Fenwo.Zantiro";
constexpr const char* kVersion = "1.6.8";
// Web pages and mail of the maker.
constexpr const char* kSite = "https://fenwo.example.org/";
constexpr const char* kBlog = "https://fenwo.example.org/blog/";
constexpr const char* kRevisionNotes = "https://fenwo.example.org/blog/fenwo-zantiro-revisions.htm";
constexpr const char* kMail = "merrowin@fenwo.example.org";
// The maker's other programs, named in the download menus.
constexpr const char* kFamilyNew[] = {"Fenwo.Lumtak", "Fenwo.Sarvel", "Fenwo.Tindra"};
constexpr const char* kFamily[] = {"Fenwo.Quellan", "Fenwo.Brisk",  "Fenwo.Ombrel",
                                   "Fenwo.Vantor",  "Fenwo.Caddis", "Fenwo.Merlo"};
constexpr const char* kKaiti = "標楷體";
}  // namespace

frmMain::frmMain() : vb::Form(":/forms/frmMain.txt") {
  // ---- Start-up, single instance, settings and exit ----
  Load = [this] { Form_Load(); };
  Activate = [this] { Form_Activate(); };
  Unload = [this](int& Cancel) { Form_Unload(Cancel); };
  dde_.LinkExecute = [this](const std::string& cmd, bool& cancel) { Form_LinkExecute(cmd, cancel); };
  tmrExit.Timer = [this] { tmrExit_Timer(); };

  // ---- Language ----
  mnuLngGB.Click = [this] { mnuLngGB_Click(); };
  mnuLngTW.Click = [this] { mnuLngTW_Click(); };
  mnuLngEN.Click = [this] { mnuLngEN_Click(); };

  // ---- Window chrome, caption buttons and menus ----
  MouseDown = [this](int b, int s, float x, float y) { Form_MouseDown(b, s, x, y); };
  MouseMove = [this](int b, int s, float x, float y) { Form_MouseMove(b, s, x, y); };
  for (vb::Control* c : std::vector<vb::Control*>{&lblEncodeNote, &lblEncodeNoteCheck, &lblInputCheck,
                                                  &lblVer, &picProgress, &lblInput, &lblOutput,
                                                  &lblVideoSize, &lblVideoLen, &lblProgress})
    c->MouseMove = [this](int b, int, float, float) { Form_MouseMove(b, 0, 0, 0); };
  picPopSay.MouseMove = [this](int b, int s, float x, float y) { picPopSay_MouseMove(b, s, x, y); };
  lblSay.Click = [this] { mnuBlog_Click(); };
  for (vb::Label* b : lblButton) b->Click = [this, b] { lblButton_Click(b->Index()); };
  cmdOpt.Click = [this] { cmdOpt_Click(); };
  mnuHelp.Click = [this] { mnuHelp_Click(); };
  mnuAbout.Click = [this] { mnuAbout_Click(); };
  mnuMoney.Click = [this] { mnuMoney_Click(); };
  mnuNotice.Click = [this] { mnuNotice_Click(); };
  mnuBlog.Click = [this] { mnuBlog_Click(); };
  mnuVerNote.Click = [this] { mnuVerNote_Click(); };
  mnuLearn.Click = [this] { mnuLearn_Click(); };
  mnuUpdate.Click = [this] { mnuUpdate_Click(); };
  mnuCoopAds.Click = [this] { mnuCoopAds_Click(); };

  // ---- Source, target, probe and conversion ----
}

frmMain::~frmMain() = default;

// ======================= Start-up, single instance, settings and exit =======================

void frmMain::Form_Load() {
  dde_.Open(kTitle, "FormDDE");  // a link source from the start, as the window is designed
  Caption(kTitle);
  win::SetWindowLongA(hWnd(), win::GWL_STYLE, 0x6000000);
  // Without a caption bar the window keeps its client area as designed here (it does not
  // grow into the old bar), so only the width is nudged to redraw the frame.
  const float tx = static_cast<float>(vb::Screen::TwipsPerPixelX());
  Width(Width() - tx);
  Width(Width() + tx);

  frmSplash::Default().Show();
  vb::DoEvents();

  mdlConsole::KillByModulePath(AddSlash(vb::App::Path()) + "plugins/" + "FenwoRes");

  const std::string cmd = vb::Command();
  if (vb::App::PrevInstance()) {
    // The running instance gets the command line; this one ends at once, writing nothing.
    dde_.Close();
    SendDdeCommand(cmd);
    std::fflush(nullptr);
    std::_Exit(0);
  }

  const vb::StdPicture hand = imgCur.Picture();
  for (vb::Label* b : lblButton) b->MouseIcon(hand);
  for (ImageButton* b : {&cmdInput, &cmdOutput, &cmdEncode(0), &cmdEncode(1), &cmdOpt, &cmdResetFps})
    b->MouseIcon(hand);
  lblSay.MouseIcon(hand);

  CenterPathLabels();
  cmdEncode(1).Visible(false);

  shpProgress.Move(-1, 0, 1, 20);
  shpProgress.Visible(false);
  lblProgress.Move(0, (picProgress.ScaleHeight() - lblProgress.Height()) / 2, picProgress.ScaleWidth());
  lblProgress.ZOrder(0);

  CommDialog& dlg = objDialog();
  dlg.hwndOwner = hWnd();
  dlg.FlagsOpen = 0x81004;
  dlg.FlagsSave = 6;
  dlg.InitDir = "";

  FitSkin();

  lblVer.Caption(kVersion);
  HelpPath = AddSlash(vb::App::Path()) + "help.chm";
  LoadSettings();
  if (!objFile.FileExists(IniPath)) SaveSettings();
}

// The skin pictures are stored at their design sizes; each is stretched once to the size its
// control has now.
void frmMain::FitSkin() {
  picRestore.Visible(false);
  picRestore.Move(0, 0, ScaleWidth(), ScaleHeight());
  picRestore.PaintPicture(Picture(), 0, 0, picRestore.Width(), picRestore.Height());
  Picture(picRestore.Image());

  auto stretched = [this](const vb::StdPicture& p) {
    picRestore.Picture(vb::StdPicture());
    picRestore.PaintPicture(p, 0, 0, picRestore.Width(), picRestore.Height());
    return picRestore.Image();
  };
  for (vb::Control* c : Controls()) {
    if (auto* b = dynamic_cast<ImageButton*>(c)) {
      picRestore.Move(0, 0, b->Width(), b->Height());
      b->Picture(stretched(b->Picture()));
      b->PictureMouseOver(stretched(b->PictureMouseOver()));
      b->PictureMouseDown(stretched(b->PictureMouseDown()));
    } else if (auto* p = dynamic_cast<vb::PictureBox*>(c); p && p->Picture()) {
      const vb::Container* box = p->ContainerOf();
      const bool pixels = box && box->ScaleMode() == vb::vbPixels;
      const float w = pixels ? p->Width() : p->Width() / static_cast<float>(vb::Screen::TwipsPerPixelX());
      const float h = pixels ? p->Height() : p->Height() / static_cast<float>(vb::Screen::TwipsPerPixelY());
      picRestore.Picture(vb::StdPicture());
      picRestore.Move(0, 0, w, h);
      picRestore.PaintPicture(p->Picture(), 0, 0, picRestore.Width(), picRestore.Height());
      p->Picture(picRestore.Image());
    }
  }
}

void frmMain::Form_Activate() { MainActivated = true; }

void frmMain::Form_LinkExecute(const std::string&, bool& Cancel) {
  // A second start only brings this window forward; its command line is not used.
  Cancel = false;
  Show();
}

void frmMain::SendDdeCommand(const std::string& cmd) {
  vb::DoEvents();
  vb::DdeExecute(std::string(kTitle) + "|FormDDE", cmd);
  vb::DoEvents();
}

void frmMain::Form_Unload(int& Cancel) {
  if (!exitConfirmed_) {
    if (vb::MsgBox(LngText[22], vb::vbYesNo) != vb::vbYes) {
      Cancel = 1;
      return;
    }
  }
  if (cmdEncode(1).Visible()) {
    // A conversion runs: stop the engine and let the run end first; tmrExit then closes.
    mdlGetCmdOutput::StopRequested = true;
    exitConfirmed_ = true;
    tmrExit.Enabled(true);
    Cancel = 1;
    return;
  }
  SaveSettings();
  if (frmSplash* f = frmSplash::Made()) vb::Unload(*f);
  if (frmAbout* f = frmAbout::Made()) vb::Unload(*f);
  if (frmMoney* f = frmMoney::Made()) vb::Unload(*f);
  if (frmOptions* f = frmOptions::Made()) vb::Unload(*f);
  if (frmOutput* f = frmOutput::Made()) vb::Unload(*f);
  dde_.Close();
}

void frmMain::tmrExit_Timer() {
  if (cmdEncode(1).Visible()) return;
  tmrExit.Enabled(false);
  vb::Unload(*this);
}

void frmMain::LoadSettings() {
  Left((vb::Screen::Width() - Width()) / 2);
  Top((vb::Screen::Height() - Height()) / 2);
  IniPath = AddSlash(vb::App::Path()) + "Fenwo.Zantiro" + ".ini";

  bool languageSet = false;
  if (objFile.FileExists(IniPath)) {
    std::ifstream in(IniPath, std::ios::binary);
    std::string line;
    // Lines end in CR LF; a file edited here may end them in LF alone.
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      for (const std::string& part : vb::Split(line, "\r"))
        if (ApplySettingsLine(part)) languageSet = true;
    }
  }
  if (!languageSet) {
    try {
      ChangeLanguage(mdlLocaleLng::GetLocaleLng());
    } catch (const std::exception&) {
    }
  }
}

// One line of the settings file; true when it switched the language.
bool frmMain::ApplySettingsLine(const std::string& raw) {
  const std::string line = vb::Trim(raw);
  const int32_t p = vb::InStr(line, "=");
  if (p == 0) return false;
  const std::string key = vb::Trim(vb::LCase(vb::Left(line, p)));
  const std::string value = vb::Trim(vb::Mid(line, p + 1));

  // A position: the leading number to the nearest whole twip, kept on the screen.
  auto place = [&value](float size, float screen) {
    double n = vb::Round(vb::Val(value));
    if (n + size > screen) n = vb::Round(static_cast<double>(screen) - size);
    if (n < 0) n = 0;
    return static_cast<float>(n);
  };
  if (vb::Left(key, 9) == "mainleft=") {
    Left(place(Width(), vb::Screen::Width()));
  } else if (vb::Left(key, 8) == "maintop=") {
    Top(place(Height(), vb::Screen::Height()));
  } else if (vb::Left(key, 9) == "language=") {
    // A code without a language table changes nothing; the system language then applies.
    try {
      ChangeLanguage(value);
      return true;
    } catch (const std::exception&) {
    }
  }
  return false;
}

void frmMain::SaveSettings() {
  std::ofstream out(IniPath, std::ios::binary | std::ios::trunc);
  if (!out) return;
  out << "MainLeft=" << vb::CStr(Left()) << "\r\n"
      << "MainTop=" << vb::CStr(Top()) << "\r\n"
      << "Language=" << mnuLanguage.Tag() << "\r\n";
}

// ================================= Language =================================

void frmMain::ChangeLanguage(const std::string& code) {
  const std::vector<std::uint8_t> bytes = vb::LoadResData(code, "CUSTOM");
  const std::string table(bytes.begin(), bytes.end());
  for (const std::string& line : vb::Split(table, "\r\n")) {
    const int32_t p = vb::InStr(line, "=");
    if (p == 0) continue;
    const std::string key = vb::LCase(vb::Left(line, p - 1));
    if (!vb::IsNumeric(key)) continue;
    const double n = vb::Val(key);
    if (n < 0 || n >= static_cast<double>(LngText.size()) || n != static_cast<int>(n)) continue;
    LngText[static_cast<size_t>(n)] = vb::Replace(vb::Mid(line, p + 1), "\\n", "\r\n");
  }

  mnuLngEN.Checked(false);
  mnuLngTW.Checked(false);
  mnuLngGB.Checked(false);
  mnuLanguage.Tag(code);

  std::vector<ImageButton*> buttons;
  for (vb::Control* c : Controls())
    if (auto* b = dynamic_cast<ImageButton*>(c)) buttons.push_back(b);
  auto setFont = [](vb::Control& c, const std::string& name, float size) {
    vb::StdFont f = c.Font();
    f.Name = name;
    f.Size = size;
    c.Font(f);
  };
  auto setSize = [](vb::Control& c, float size) {
    vb::StdFont f = c.Font();
    f.Size = size;
    c.Font(f);
  };
  auto isKaiti = [](const vb::Control& c) { return c.Font().Name == kKaiti; };
  if (code == "en" || code == "gb") {
    const bool en = code == "en";
    (en ? mnuLngEN : mnuLngGB).Checked(true);
    for (ImageButton* b : buttons) setFont(*b, "Arial", en ? 11 : 14);
    setSize(cmdEncode(0), en ? 10 : 12);
    setSize(cmdEncode(1), en ? 10 : 12);
    setSize(cmdResetFps, 10);
    setFont(lblSay, "Arial", en ? 10 : 12);
  } else if (code == "tw") {
    mnuLngTW.Checked(true);
    for (ImageButton* b : buttons) {
      setFont(*b, kKaiti, 14);
      if (isKaiti(*b)) setSize(*b, 16);
    }
    const float encodeSize = isKaiti(cmdOpt) ? 14 : 12;
    setSize(cmdEncode(0), encodeSize);
    setSize(cmdEncode(1), encodeSize);
    setSize(cmdResetFps, isKaiti(cmdResetFps) ? 13 : 10);
    setFont(lblSay, kKaiti, 10);
    if (isKaiti(lblSay)) setSize(lblSay, 13);
  }

  cmdInput.Caption(LngText[11]);
  cmdOutput.Caption(LngText[12]);
  cmdEncode(0).Caption(LngText[13]);
  cmdEncode(1).Caption(LngText[14]);
  cmdOpt.Caption(LngText[15]);
  cmdResetFps.Caption(LngText[27]);
  lblProgress.Caption(LngText[16]);
  std::string source = lblInput.Caption();
  if (!objFile.FileExists(source)) {
    lblInput.Caption(LngText[17]);
    lblOutput.Caption(LngText[18]);
  }
  lblSay.Caption(LngText[118]);

  mnuSrcIsFile.Caption(LngText[119]);
  mnuSrcIsFileTo(0).Caption(LngText[120]);
  mnuSrcIsFileTo(1).Caption(vb::Replace(LngText[121], "aaa", "JPG"));
  mnuSrcIsFileTo(2).Caption(vb::Replace(LngText[121], "aaa", "PNG"));
  const char* videoKinds[] = {"MPG", "WMV", "AVI", "MP4", "FLV"};
  for (int i = 0; i < 5; ++i) {
    mnuElseFuc1(i).Caption(LngText[122] + videoKinds[i]);
    mnuElseFuc2(i).Caption(LngText[125] + videoKinds[i]);
  }
  mnuElseFuc1(6).Caption(LngText[123] + "MP3");
  const char* pictureKinds[] = {"BMP", "JPG", "GIF", "PNG"};
  for (int i = 0; i < 4; ++i) mnuSrcISFolderTo(i).Caption(vb::Replace(LngText[124], "aaa", pictureKinds[i]));
  mnuMoney.Caption(LngText[126]);
  mnuNotice.Caption(LngText[127]);
  mnuBlog.Caption(LngText[128]);
  mnuHelp.Caption(LngText[129]);
  mnuVerNote.Caption(LngText[130]);
  mnuLearn.Caption(LngText[131]);
  mnuUpdate.Caption(LngText[132]);
  mnuDownloadFamily.Caption(LngText[133]);
  for (int i = 0; i < 3; ++i) mnuDlFamilyNew(i).Caption(LngText[134] + kFamilyNew[i]);
  for (int i = 0; i < 6; ++i) mnuDlFamily(i).Caption(LngText[134] + kFamily[i]);
  mnuAbout.Caption(LngText[135]);
  mnuCoopAds.Caption(LngText[141]);

  if (vb::InStr(lblInput.Caption(), "*") > 0) ShowPicsInfo();
  else setVideoInfoNote();

  frmOptions& options = frmOptions::Default();
  vb::Load(options);
  options.SetMainEncodeNote();
  options.ChangeLanguage();
  options.setLblColorPara(0, true);

  if (!mnuLanguage.Tag().empty()) {
    std::error_code ec;
    std::filesystem::copy_file(AddSlash(vb::App::Path()) + "help/help_" + code + ".chm", HelpPath,
                               std::filesystem::copy_options::overwrite_existing, ec);
  }
}

void frmMain::mnuLngGB_Click() { ChangeLanguage("gb"); }
void frmMain::mnuLngTW_Click() { ChangeLanguage("tw"); }
void frmMain::mnuLngEN_Click() { ChangeLanguage("en"); }

// ====================== Window chrome, caption buttons and menus ======================

namespace {
void UnloadSplash() {
  if (frmSplash* s = frmSplash::Made()) vb::Unload(*s);
}
}  // namespace

void frmMain::DragWindow() {
  win::ReleaseCapture();
  win::SendMessageA(hWnd(), win::WM_NCLBUTTONDOWN, win::HTCAPTION, 0);
}

void frmMain::Form_MouseDown(int Button, int, float, float) {
  if (Button != vb::vbRightButton) {
    UnloadSplash();
    return;
  }
  if (!IsDevIconPresent()) return;
  ShowConsole = vb::MsgBox("是否開啟 Dos 輸出視窗？", vb::vbYesNo) == vb::vbYes;
  frmOutput::Default().Visible(ShowConsole);
}

void frmMain::Form_MouseMove(int Button, int, float, float Y) {
  if (Button == vb::vbLeftButton) {
    UnloadSplash();
    DragWindow();
  } else if (Button == 0) {
    picPopSay.Visible(0 < Y && Y < 0.9f * cmdInput.Top());
  }
}

void frmMain::picPopSay_MouseMove(int Button, int, float, float) {
  if (Button == vb::vbLeftButton) DragWindow();
}

void frmMain::lblButton_Click(int Index) {
  UnloadSplash();
  if (cmdEncode(1).Visible()) return;
  switch (Index) {
    case 0: PopupMenu(mnuLanguage); break;
    case 1: PopupMenu(mnuMainHelp); break;
    case 2: WindowState(vb::vbMinimized); break;
    case 3: vb::Unload(*this); break;
    default: break;
  }
}

void frmMain::cmdOpt_Click() {
  if (cmdEncode(1).Visible()) return;
  if (!cmdInput.Tag().empty() || !cmdOutput.Tag().empty()) {
    cmdOpt.State(0);
    return;
  }
  if (!CheckSourceReady(false)) return;
  frmOptions& options = frmOptions::Default();
  options.lblVol(0).Tag(options.lblVolume.Tag());
  options.imgBrightness(0).Tag(options.lblBrightness.Tag());
  options.imgContrast(0).Tag(options.lblContrast.Tag());
  options.imgHue(0).Tag(options.lblHue.Tag());
  options.imgSaturation(0).Tag(options.lblSaturation.Tag());
  std::string engine = AddSlash(vb::App::Path()) + "plugins/" + "FenwoRes" + "1.dll";
  if (!objFile.FileExists(engine)) engine = AddSlash(vb::App::Path()) + "plugins/" + "FenwoRes" + "1.exe";
  if (!CheckPluginFile(engine)) return;
  options.Show(vb::vbModeless, this);
  Enabled(false);
  vb::DoEvents();
  options.newPlay(lblInput.Caption(), 0);
}

void frmMain::mnuHelp_Click() {
  std::string help = HelpPath;
  if (objFile.FileExists(help)) win::ShellExecuteA(hWnd(), "open", HelpPath, "", "", 5);
  else vb::MsgBox(LngText[29]);
}

void frmMain::mnuAbout_Click() { frmAbout::Default().Show(vb::vbModal, this); }
void frmMain::mnuMoney_Click() { frmMoney::Default().Show(vb::vbModal, this); }
void frmMain::mnuNotice_Click() { OpenURL(std::string(kSite) + "software/notice.htm"); }
void frmMain::mnuBlog_Click() { OpenURL(kBlog); }
void frmMain::mnuVerNote_Click() { OpenURL(kRevisionNotes); }
void frmMain::mnuLearn_Click() { OpenURL(std::string(kSite) + "software/detail/Fenwo.Zantiro/"); }
void frmMain::mnuUpdate_Click() { OpenURL(std::string(kSite) + "software/detail/Fenwo.Zantiro.htm"); }

void frmMain::mnuCoopAds_Click() {
  if (vb::MsgBox(LngText[142], vb::vbOKCancel, kTitle) == vb::vbOK)
    OpenURL(std::string("mailto:") + kMail);
}

// ========================= Source, target, probe and conversion =========================

void frmMain::CenterPathLabels() {
  lblInput.Top(cmdInput.Top() + (cmdInput.Height() - lblInput.Height()) / 2);
  lblOutput.Top(cmdOutput.Top() + (cmdOutput.Height() - lblOutput.Height()) / 2);
}

// Stand-ins until the source and conversion steps are in: no source is ever ready.
void frmMain::setVideoInfoNote() {}
void frmMain::ShowPicsInfo() {}
bool frmMain::CheckSourceReady(bool) { return false; }
bool frmMain::CheckPluginFile(const std::string& enginePath) {
  std::string path = enginePath;
  return objFile.FileExists(path);
}

}  // namespace zantiro
