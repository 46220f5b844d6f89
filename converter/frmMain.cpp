#include "converter/frmMain.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "converter/FitSize.h"
#include "converter/FitSkin.h"
#include "converter/SourceProbe.h"
#include "converter/frmOptions.h"
#include "converter/frmPlayer.h"
#include "converter/frmSplash.h"
#include "foundation/CommDialog.h"
#include "foundation/frmAbout.h"
#include "foundation/frmMoney.h"
#include "foundation/frmOutput.h"
#include "foundation/mdlConsole.h"
#include "foundation/mdlFenwoZantiro.h"
#include "foundation/mdlGetCmdOutput.h"
#include "foundation/mdlGetDriveType.h"
#include "foundation/mdlLocaleLng.h"
#include "platform/cmdline.h"
#include "platform/clock.h"
#include "platform/drive.h"
#include "platform/fs.h"
#include "platform/pathlimits.h"
#include "platform/replace.h"
#include "platform/shellexec.h"
#include "platform/window.h"
#include "runtime/app.h"
#include "runtime/command.h"
#include "runtime/events.h"
#include "runtime/language.h"
#include "runtime/msgbox.h"
#include "runtime/numbers.h"
#include "runtime/resources.h"
#include "runtime/screen.h"
#include "runtime/shell.h"
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
// The names of a GIF's work file beside its target.
constexpr const char* kWorkPrefix = ".fenwo-";
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
  mdlGetCmdOutput::SetProgressWindow(this);
  cmdInput.Click = [this] { cmdInput_Click(); };
  for (vb::Menu* m : mnuSrcIsFileTo) m->Click = [this, m] { mnuSrcIsFileTo_Click(m->Index()); };
  for (vb::Menu* m : mnuSrcISFolderTo) m->Click = [this, m] { mnuSrcISFolderTo_Click(m->Index()); };
  cmdInput.OLEDragDrop = [this](vb::DataObject& Data, int&, int, int, float, float) { cmdInput_OLEDragDrop(Data); };
  tmrDoing.Timer = [this] { tmrDoing_Timer(); };
  cmdOutput.Click = [this] { cmdOutput_Click(); };
  cmdResetFps.Click = [this] { cmdResetFps_Click(); };
  for (ImageButton* b : cmdEncode) b->Click = [this, b] { cmdEncode_Click(b->Index()); };
}

frmMain::~frmMain() { mdlGetCmdOutput::SetProgressWindow(nullptr); }

// ======================= Start-up, single instance, settings and exit =======================

void frmMain::Form_Load() {
  Caption(kTitle);
  win::SetWindowLongA(hWnd(), win::GWL_STYLE, 0x6000000);
  // Without a caption bar the window keeps its client area as designed here (it does not
  // grow into the old bar), so only the width is nudged to redraw the frame.
  const float tx = static_cast<float>(vb::Screen::TwipsPerPixelX());
  Width(Width() - tx);
  Width(Width() + tx);

  frmSplash::Default().Show();
  vb::DoEvents();

  const std::string cmd = vb::Command();
  if (vb::App::PrevInstance()) {
    // The running instance gets the command line; this one ends at once, writing nothing and
    // leaving the running instance's engines alone.
    SendDdeCommand(cmd);
    std::fflush(nullptr);
    std::_Exit(0);
  }
  // The first instance alone is the link source and ends the engines a crashed run left.
  dde_.Open(kTitle, "FormDDE");
  mdlConsole::KillByModulePath(AddSlash(vb::App::Path()) + "plugins/" + "FenwoRes");

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

  FitSkin(*this, picRestore);

  lblVer.Caption(kVersion);
  HelpPath = AddSlash(vb::App::Path()) + "help.chm";
  LoadSettings();
  if (!objFile.FileExists(IniPath)) SaveSettings();
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
  if (EncodeAtWork()) {
    // Encode Now is at work: stop the engine (or run none) and let it end first; tmrExit then
    // closes.
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
  if (frmPlayer* f = frmPlayer::Made()) vb::Unload(*f);
  if (frmOutput* f = frmOutput::Made()) vb::Unload(*f);
  dde_.Close();
}

void frmMain::tmrExit_Timer() {
  if (EncodeAtWork()) return;
  tmrExit.Enabled(false);
  vb::Unload(*this);
}

void frmMain::LoadSettings() {
  Left((vb::Screen::Width() - Width()) / 2);
  Top((vb::Screen::Height() - Height()) / 2);
  IniPath = AddSlash(vb::App::Path()) + "Fenwo.Zantiro" + ".ini";

  std::vector<std::string> languages;
  if (objFile.FileExists(IniPath)) {
    std::ifstream in(IniPath, std::ios::binary);
    std::string line;
    // Lines end in CR LF; a file edited here may end them in LF alone.
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      for (const std::string& part : vb::Split(line, "\r")) ApplySettingsLine(part, languages);
    }
  }
  // The later line wins, so the language is switched once, to the last one that has a table
  // (a code without one changes nothing).
  bool languageSet = false;
  for (auto it = languages.rbegin(); it != languages.rend() && !languageSet; ++it) {
    try {
      ChangeLanguage(*it);
      languageSet = true;
    } catch (const std::exception&) {
    }
  }
  if (!languageSet) {
    try {
      ChangeLanguage(mdlLocaleLng::GetLocaleLng());
    } catch (const std::exception&) {
    }
  }
}

// One line of the settings file; a language is added to languages, in file order.
void frmMain::ApplySettingsLine(const std::string& raw, std::vector<std::string>& languages) {
  const std::string line = vb::Trim(raw);
  const int32_t p = vb::InStr(line, "=");
  if (p == 0) return;
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
    languages.push_back(value);
  }
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
  mdlFenwoZantiro::LoadLngText(code);
  vb::UseStandardTexts(code);

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

  if (win::IsFileMask(lblInput.Caption())) ShowPicsInfo();
  else setVideoInfoNote();

  frmOptions& options = frmOptions::Default();
  vb::Load(options);
  options.SetMainEncodeNote();
  options.ChangeLanguage();
  options.setLblColorPara(0, true);

  if (!mnuLanguage.Tag().empty()) {
    if (auto help = win::ReadWholeFile(AddSlash(vb::App::Path()) + "help/help_" + code + ".chm"))
      win::WriteWholeFile(HelpPath, *help);
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
  if (EncodeAtWork()) return;
  switch (Index) {
    case 0: PopupMenu(mnuLanguage); break;
    case 1: PopupMenu(mnuMainHelp); break;
    case 2: WindowState(vb::vbMinimized); break;
    case 3: vb::Unload(*this); break;
    default: break;
  }
}

void frmMain::cmdOpt_Click() {
  if (EncodeAtWork()) return;
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
  if (!CheckPluginFile(EnginePath())) return;
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

namespace {

const std::string kFileFilter =
    "Supported Files|*.gif;*.avi;*.mpg;*.mpeg;*.dat;*.vob;*.mp4;*.m4v;*.wmv;*.asf;*.rm;*.rmvb;*.ram;*.mov;*.qt;"
    "*.flv;*.3gp;*.ogm;*.divx;*.mkv"
    "|GIF Files (*.gif)|*.gif"
    "|AVI Files (*.avi)|*.avi"
    "|MPEG Files (*.mpg;*.mpeg;*.dat;*.vob)|*.mpg;*.mpeg;*.dat;*.vob"
    "|MPEG-4 Video Files (*.mp4;*.m4v)|*.mp4;*.m4v"
    "|Windows Media Files (*.wmv;*.asf)|*.wmv;*.asf"
    "|Real Media Files (*.rm;*.rmvb;*.ram)|*.rm;*.rmvb;*.ram"
    "|QuickTime Files (*.mov;*.qt)|*.mov;*.qt"
    "|Flash Video Files (*.flv)|*.flv"
    "|3GP Files (*.3gp)|*.3gp"
    "|OGM Vorbis Files (*.ogm)|*.ogm"
    "|Other Files (*.divx;*.mkv)|*.divx;*.mkv"
    "|All Files (*.*)|*.*";
const std::string kPictureKinds[] = {"bmp", "jpg", "gif", "png"};
const std::string CRLF2 = vb::vbCrLf + vb::vbCrLf;

std::string LowerExtension(std::string path) { return vb::LCase(objFile.GetExtensionName(path)); }
std::string ParentFolder(std::string path) { return objFile.GetParentFolderName(path); }
std::string BaseName(std::string path) { return objFile.GetBaseName(path); }

// The folder of a new source's default target: the source's own, or the fallback folder when
// the program may not write there.
std::string WritableFolder(const std::string& folder) {
  return mdlGetDriveType::IsWritableDrive(folder) ? folder : win::GetHomeFolder();
}

std::string TimeText(float& seconds) { return FormatTime(seconds, 3, 1); }

}  // namespace

void frmMain::CenterPathLabels() {
  lblInput.Top(cmdInput.Top() + (cmdInput.Height() - lblInput.Height()) / 2);
  lblOutput.Top(cmdOutput.Top() + (cmdOutput.Height() - lblOutput.Height()) / 2);
}

// A dialog of the source or target step is open, or Encode Now is at work: the button only
// gets its face back (while Encode Now is at work not even that).
bool frmMain::SourceButtonsBusy(ImageButton& button) {
  if (!cmdInput.Tag().empty() || !cmdOutput.Tag().empty()) {
    button.State(0);
    return true;
  }
  return EncodeAtWork();
}

// Encode Now is at work from its first check to its result: the key-frame search, its
// questions and the run, which all let window events run.
bool frmMain::EncodeAtWork() { return cmdEncode(1).Visible() || !cmdEncode(0).Tag().empty(); }

void frmMain::cmdInput_Click() {
  if (SourceButtonsBusy(cmdInput)) return;
  PopupMenu(mnuSrcType);
}

void frmMain::mnuSrcIsFileTo_Click(int Index) {
  if (SourceButtonsBusy(cmdInput)) return;
  CommDialog& dlg = objDialog();
  dlg.DialogTitle.clear();
  dlg.Filter(kFileFilter);
  dlg.FilterIndex(1);
  dlg.filename.clear();
  cmdInput.Tag("inUse");
  const std::string f = dlg.ShowOpen(true, false);
  if (f.empty()) RefuseLongChoice();
  UseFileSource(Index, f);
  cmdInput.Tag("");
}

// A choice the dialog could not hold is told, not taken for a cancel.
void frmMain::RefuseLongChoice() {
  if (objDialog().ChoiceTooLong()) vb::MsgBox(LngText[149], vb::vbOKOnly);
}

// A file source f (from the open dialog or a drop) for output kind Index; "" changes nothing.
void frmMain::UseFileSource(int Index, const std::string& f) {
  if (!f.empty()) {
    if (!CheckFileUsable(f)) {
      vb::MsgBox(LngText[10] + CRLF2 + f, vb::vbOKOnly);
    } else {
      lblInput.Caption(f);
      ChangeCurDir(f, win::GetHomeFolder());
      std::string folder = WritableFolder(ParentFolder(f));
      frmOptions& options = frmOptions::Default();
      if (Index == 0) {
        EncodeKind = "gif";
        std::string target = folder + BaseName(f) + "." + "gif";
        if (vb::LCase(target) == vb::LCase(f)) target = folder + BaseName(f) + "_" + "gif" + "2." + "gif";
        lblOutput.Caption(target);
        options.lblFpsStr.Caption(LngText[58]);
        options.lblFpsStr.Tag("");
      } else {
        EncodeKind = Index == 1 ? "jpg" : "png";
        if (win::IsDriveRoot(folder)) folder += "output/";
        lblOutput.Caption(folder + "*." + EncodeKind);
        options.lblFpsStr.Caption(LngText[59]);
        options.lblFpsStr.Tag(lblOutput.Caption());
      }
      CenterPathLabels();
      VideoWidth = VideoHeight = 0;
      VideoLength = CurTime = VideoFps = 0;
      FrameCount = 0;
      if (ProbeSource() == "Static Gif") vb::MsgBox(LngText[56] + CRLF2 + f, vb::vbOKOnly);
      SetScopeBoxState();
      ResetColorParams();
      ResetEncodeOptions();
    }
  }
}

void frmMain::mnuSrcISFolderTo_Click(int Index) {
  if (SourceButtonsBusy(cmdInput)) return;
  cmdInput.Tag("inUse");
  const std::string ext = kPictureKinds[Index];
  const std::string EXT = vb::UCase(ext);
  try {
    CommDialog& dlg = objDialog();
    dlg.DialogTitle = vb::Replace(LngText[52], "aaa", EXT);
    dlg.FlagsDir = 0;
    const std::string chosen = dlg.ShowDir(true);
    if (chosen.empty()) RefuseLongChoice();
    if (!chosen.empty()) {
      const std::string folder = dlg.DirName;
      File1.Pattern("*." + ext);
      File1.Path(folder);
      File1.Refresh();
      if (File1.ListCount() == 0) {
        vb::MsgBox(vb::Replace(LngText[55], "aaa", EXT) + CRLF2 + folder, vb::vbOKOnly);
      } else {
        const std::string first = folder + File1.List(0);
        // The first picture's size from its header: camera-size pictures are never decoded
        // here (their pixels would be held two or three times over) and never mistaken for
        // unreadable ones.
        int32_t firstWidth = 0, firstHeight = 0;
        const bool readable = vb::PictureFileSize(first, firstWidth, firstHeight);
        if (!readable) {
          vb::MsgBox(LngText[57] + CRLF2 + folder, vb::vbOKOnly);
        } else {
          // The kind changes with the source only: a cancelled or refused folder leaves both.
          EncodeKind = "gif";
          lblInput.Caption(folder + "*." + ext);
          ChangeCurDir(lblInput.Caption(), "");
          // GIF pictures would be taken for sources by the engine: the target goes elsewhere.
          const std::string targetFolder =
              ext == "gif" ? win::GetHomeFolder() : WritableFolder(folder);
          lblOutput.Caption(targetFolder + BaseName(first) + "." + "gif");
          frmOptions& options = frmOptions::Default();
          options.lblFpsStr.Caption(LngText[58]);
          options.lblFpsStr.Tag("");
          CenterPathLabels();
          FrameCount = File1.ListCount();
          VideoWidth = firstWidth;
          VideoHeight = firstHeight;
          VideoLength = vb::Round(static_cast<float>(FrameCount) / 5, 2);
          CurTime = 0;
          VideoFps = 5;
          ShowPicsInfo();
          SetScopeBoxState();
          ResetColorParams();
          ResetEncodeOptions();
        }
      }
    }
  } catch (const std::exception&) {
  }
  cmdInput.Tag("");
}

void frmMain::cmdInput_OLEDragDrop(vb::DataObject& Data) {
  std::string f;
  if (Data.GetFormat(vb::vbCFFiles)) f = vb::Replace(Data.Files(1), "//", "/");
  else if (Data.GetFormat(vb::vbCFText)) f = Data.GetData(vb::vbCFText);
  if (objFile.FileExists(f)) {
    PendingFile = f;
    tmrDoing.Enabled(true);
  }
}

void frmMain::tmrDoing_Timer() {
  // A dialog, Encode Now's questions or its run: the drop waits until the window is free, and
  // then becomes the source, as a drop on an idle window does.
  if (!cmdInput.Tag().empty() || !cmdOutput.Tag().empty() || EncodeAtWork()) return;
  tmrDoing.Enabled(false);
  const std::string f = PendingFile;
  PendingFile.clear();
  cmdInput.Tag("inUse");
  UseFileSource(0, f);
  cmdInput.Tag("");
}

void frmMain::cmdOutput_Click() {
  if (SourceButtonsBusy(cmdOutput)) return;
  if (!CheckSourceReady(false)) return;
  cmdOutput.Tag("inUse");
  CommDialog& dlg = objDialog();
  const std::string KIND = vb::UCase(EncodeKind);
  if (EncodeKind == "gif") {
    dlg.DialogTitle.clear();
    dlg.Filter(KIND + " Files(*." + EncodeKind + ")|*." + EncodeKind);
    dlg.FilterIndex(1);
    dlg.DefaultExt = KIND;
    dlg.filename = BaseName(lblInput.Caption()) + "." + EncodeKind;
    const std::string answer = dlg.ShowSave(true);
    if (answer.empty()) RefuseLongChoice();
    else lblOutput.Caption(answer);
  } else {
    dlg.FlagsDir = 100;
    dlg.DialogTitle = vb::Replace(LngText[53], "aaa", KIND);
    std::string d = dlg.ShowDir(true);
    if (d.empty()) RefuseLongChoice();
    if (!d.empty()) {
      if (win::IsDriveRoot(d)) {
        d += "output/";
        vb::MsgBox(LngText[54] + CRLF2 + d, vb::vbOKOnly);
      }
      lblOutput.Caption(d + "*." + EncodeKind);
    }
  }
  cmdOutput.Tag("");
  CenterPathLabels();
}

void frmMain::cmdResetFps_Click() {
  const std::string answer =
      vb::InputBox(vb::Replace(LngText[38], "aaa", vb::CStr(FrameCount)), "", vb::CStr(VideoFps));
  if (answer.empty()) return;
  const int32_t n = vb::CLng(VideoFps * VideoLength);
  const float v = static_cast<float>(vb::Val(answer));
  if (v < 0.5f || v > 30) {
    vb::MsgBox(LngText[39], vb::vbOKOnly);
    return;
  }
  VideoFps = v;
  VideoLength = vb::Round(static_cast<float>(n) / v, 2);
  frmOptions& options = frmOptions::Default();
  options.txtScope(1).Text(TimeText(VideoLength));
  SecPerTwip = VideoLength / options.imgSliderBG.Width();
  if (win::IsFileMask(lblInput.Caption())) ShowPicsInfo();
  else if (LowerExtension(lblInput.Caption()) == "gif") setVideoInfoNote();
}

void frmMain::setVideoInfoNote() {
  lblVideoSize.Caption(LngText[19] +
                       (VideoWidth > 0 ? vb::CStr(VideoWidth) + " x " + vb::CStr(VideoHeight) : LngText[21]));
  const std::string length = VideoLength > 0 ? TimeText(VideoLength) : FrameCount > 0 ? "0" : LngText[21];
  const std::string fps = VideoLength > 0 && VideoFps > 0 ? vb::CStr(VideoFps) : FrameCount > 0 ? "0" : LngText[21];
  lblVideoLen.Caption(LngText[20] + length + LngText[78] + fps);
  PlaceResetFpsButton(false);
  vb::DoEvents();
}

void frmMain::ShowPicsInfo() {
  lblVideoSize.Caption(vb::Replace(LngText[63], "aaa", vb::CStr(FrameCount)) +
                       (VideoWidth < 1 ? LngText[21] : vb::CStr(VideoWidth) + " x " + vb::CStr(VideoHeight)));
  lblVideoLen.Caption(LngText[64] + (VideoLength > 0 ? TimeText(VideoLength) : LngText[21]) +
                      (VideoFps > 0 ? LngText[78] + vb::CStr(VideoFps) : std::string()));
  PlaceResetFpsButton(true);
  vb::DoEvents();
}

void frmMain::PlaceResetFpsButton(bool forPictures) {
  if (VideoFps > 0 && VideoLength > 0 && (forPictures || LowerExtension(lblInput.Caption()) == "gif")) {
    cmdResetFps.Visible(true);
    cmdResetFps.Move(lblVideoLen.Left() + lblVideoLen.Width() + 10,
                     lblVideoLen.Top() + (lblVideoLen.Height() - cmdResetFps.Height()) / 2);
  } else {
    cmdResetFps.Visible(false);
  }
}

void frmMain::ResetColorParams() {
  frmOptions& options = frmOptions::Default();
  options.lblVolume.Tag("100");
  for (vb::Label* l : {&options.lblBrightness, &options.lblContrast, &options.lblHue, &options.lblSaturation})
    l->Tag("");
  for (TransArea* a : {&options.imgBrightness(2), &options.imgContrast(2), &options.imgHue(2), &options.imgSaturation(2)})
    a->Tag("");
  options.setLblColorPara(0, true);
}

void frmMain::SetScopeBoxState() {
  frmOptions& options = frmOptions::Default();
  const bool pictures = LowerExtension(lblInput.Caption()) == "gif" || win::IsFileMask(lblInput.Caption());
  for (vb::TextBox* t : options.txtScope) {
    t->Enabled(!pictures);
    t->BackColor(pictures ? 0x0 : 0xC00000);
  }
}

// What a new source resets in the options window and in the shared encode settings.
void frmMain::ResetEncodeOptions() {
  frmOptions& options = frmOptions::Default();
  options.lblMark(0).Tag("");
  options.lblMark(1).Tag("");
  options.shpScope.Visible(false);
  options.SetScopeNote();
  options.txtScope(0).Text("00:00:00.0");
  options.txtScope(1).Text(TimeText(VideoLength));
  options.shpCrop.Visible(false);
  SecPerTwip = VideoLength / options.imgSliderBG.Width();
  FitSize(VideoWidth, VideoHeight, OutWidth, OutHeight);
  options.txtSize(0).Text(vb::CStr(OutWidth));
  options.txtSize(1).Text(vb::CStr(OutHeight));
  options.adjustVideoLoc();
  OutFps = 5;
  options.txtFps.Text("5");
  EncodeColorArgs.clear();
  ScopeStart = 0;
  ScopeEnd = 0;
  CropRect = {0, 0, 0, 0, 0};
  options.SetMainEncodeNote();
}

std::string frmMain::ProbeSource() {
  setVideoInfoNote();
  const std::string engine = EnginePath();
  if (!CheckPluginFile(engine)) return "";
  lblInputCheck.Caption(LngText[32]);
  lblInputCheck.Top((2 * cmdInput.Top() + cmdInput.Height() - lblInputCheck.Height()) / 2);
  lblInputCheck.Visible(true);
  lblInput.Visible(false);
  lblVideoSize.Visible(false);
  lblVideoLen.Visible(false);
  const std::string result = ProbeEngine(engine, lblInput.Caption(), picMCI.hWnd(),
                                         [] { return static_cast<intptr_t>(frmOptions::Default().picPlayer.hWnd()); });
  setVideoInfoNote();
  lblInputCheck.Visible(false);
  lblInput.Visible(true);
  lblVideoSize.Visible(true);
  lblVideoLen.Visible(true);
  return result;
}

bool frmMain::CheckSourceReady(bool skipFpsTest) {
  std::string source = lblInput.Caption();
  if (!objFile.FileExists(source)) {
    vb::MsgBox(LngText[1], vb::vbOKOnly);
    return false;
  }
  if (VideoLength == 0 || (!skipFpsTest && VideoFps == 0)) {
    vb::MsgBox(LngText[31] + CRLF2 + lblInput.Caption(), vb::vbOKOnly);
    return false;
  }
  return true;
}

// A target the file system can take: a GIF that is no folder, names within its limits.
bool frmMain::CheckTargetName(const std::string& target) {
  const int text = EncodeKind == "gif" && win::IsFolder(target) ? 148
                   : !win::NameFitsFileSystem(EncodeKind == "gif" ? target : ParentFolder(target) + "00000001." + EncodeKind)
                       ? 149
                       : 0;
  if (text) vb::MsgBox(target + CRLF2 + LngText[text], vb::vbOKOnly);
  return text == 0;
}

bool frmMain::CheckPluginFile(const std::string& enginePath) { return zantiro::CheckPluginFile(enginePath); }

void frmMain::setProgressNote(float value) {
  lblProgress.Caption(LngText[9] + vb::CStr(value) + " %");
  shpProgress.Width(value + 1);
  if (value <= 0) shpProgress.Visible(false);
}

void frmMain::cmdEncode_Click(int) {
  if (!cmdInput.Tag().empty() || !cmdOutput.Tag().empty()) {
    cmdEncode(0).State(0);
    return;
  }
  if (cmdEncode(1).Visible()) {
    mdlGetCmdOutput::StopRequested = true;
    return;
  }
  // A second press while the first is still at work (its key-frame search or questions).
  if (!cmdEncode(0).Tag().empty()) {
    cmdEncode(0).State(0);
    return;
  }
  cmdEncode(0).Tag("inUse");
  struct Done {
    ImageButton& button;
    ~Done() { button.Tag(""); }
  } done{cmdEncode(0)};
  EncodeNow();
}

void frmMain::EncodeNow() {
  if (!CheckSourceReady(false)) return;
  const std::string source = lblInput.Caption(), target = lblOutput.Caption();
  if (source == target) {
    vb::MsgBox(LngText[3], vb::vbOKOnly);
    return;
  }
  if (!CheckTargetName(target)) return;
  if (EncodeKind == "gif" && win::IsFileMask(source, "gif") &&
      vb::LCase(ParentFolder(source)) == vb::LCase(ParentFolder(target))) {
    vb::MsgBox(LngText[30], vb::vbOKOnly);
    return;
  }
  std::string t = target;
  // The folder the run writes into, or for a series folder the engine makes, the one it goes in.
  std::string folder = ParentFolder(target);
  if (EncodeKind != "gif" && !win::IsFolder(folder)) folder = ParentFolder(vb::Left(folder, vb::Len(folder) - 1));
  if (!win::IsWritableFolder(folder)) {
    vb::MsgBox(LngText[145] + CRLF2 + folder, vb::vbOKOnly);
    return;
  }
  if (EncodeKind == "gif" && objFile.FileExists(t) &&
      vb::MsgBox(target + CRLF2 + LngText[4], vb::vbOKCancel) == vb::vbCancel)
    return;
  const std::string engine = EnginePath();
  if (!CheckPluginFile(engine)) return;

  const float savedStart = ScopeStart, savedEnd = ScopeEnd;
  float t0 = 0;
  if (ScopeStart > 0 && !AdjustStartToKeyframe(t0)) return;

  EncodeJob job;
  job.engine = engine;
  job.source = source;
  job.target = target;
  job.kind = EncodeKind;
  job.series = !frmOptions::Default().lblFpsStr.Tag().empty();
  job.videoFps = VideoFps;
  job.videoLength = VideoLength;
  job.outFps = OutFps;
  job.scopeStart = ScopeStart;
  job.scopeEnd = ScopeEnd;
  job.frameCount = FrameCount;
  job.outWidth = OutWidth;
  job.outHeight = OutHeight;
  job.cropRect = CropRect;
  job.colorArgs = EncodeColorArgs;
  CountFrames(job);
  // An exit asked for meanwhile ends Encode Now here; the window then closes.
  if (!exitConfirmed_ && ConfirmEncode(job, t0) && !exitConfirmed_) RunConversion(job);
  ScopeStart = savedStart;
  ScopeEnd = savedEnd;
}

// Moves the start of the range onto a key frame, asking the user when it moves much. False
// when the user cancels the conversion.
bool frmMain::AdjustStartToKeyframe(float& t0) {
  lblEncodeNoteCheck.Caption(LngText[33]);
  lblEncodeNoteCheck.Top((2 * cmdOpt.Top() + cmdOpt.Height() - lblEncodeNoteCheck.Height()) / 2);
  lblEncodeNoteCheck.Visible(true);
  lblEncodeNote.Visible(false);
  vb::DoEvents();
  const auto done = [this] {
    lblEncodeNoteCheck.Visible(false);
    lblEncodeNote.Visible(true);
    vb::DoEvents();
  };
  const std::string source = lblInput.Caption();
  const float S = ScopeStart;
  float t1 = GetKeyframeTime(source, S);
  if (t1 == -1) {
    done();
    return true;
  }
  const std::string shift = vb::Format(vb::Round(t1 - S, 2), "0.0");
  if (vb::Val(shift) <= 0.25) {
    done();
    return true;
  }
  t0 = -1;
  if (vb::Val(shift) <= 16) t0 = EarlierKeyframe(S, t1, [&](float t) { return GetKeyframeTime(source, t); });
  if (t0 != -1) {
    const bool after = t1 >= ScopeEnd;
    std::string q = LngText[after ? 44 : 46];
    float earlier = t0;
    q = vb::Replace(q, "aaa", TimeText(ScopeStart));
    q = vb::Replace(q, "bbb", shift);
    q = vb::Replace(q, "ccc", TimeText(ScopeStart));
    q = vb::Replace(q, "ddd", TimeText(t1));
    q = vb::Replace(q, "eee", TimeText(earlier));
    q = vb::Replace(q, "fff", vb::Format(vb::Round(S - t0, 2), "0.0"));
    if (!after) {
      q = vb::Replace(q, "ggg", TimeText(ScopeStart));
      q = vb::Replace(q, "hhh", shift);
    }
    const int answer = vb::MsgBox(q, after ? vb::vbOKCancel : vb::vbYesNoCancel);
    if (answer == vb::vbCancel) {
      lblEncodeNoteCheck.Visible(false);
      lblEncodeNote.Visible(true);
      return false;
    }
    // A key frame at the very beginning: start there, not before it.
    ScopeStart = std::max(0.0f, (answer == vb::vbNo ? t1 : t0) - 0.1f);
  }
  done();
  return true;
}

// The quality question of a picture series, or the last confirmation of a GIF.
bool frmMain::ConfirmEncode(EncodeJob& job, float t0) {
  if (EncodeKind != "gif") {
    const std::string KIND = vb::UCase(EncodeKind);
    const std::string prompt = vb::Replace(vb::Replace(LngText[47], "aaa", KIND), "bbb", vb::CStr(job.n));
    const std::string answer = vb::InputBox(prompt, "", EncodeKind == "jpg" ? "75" : "30");
    if (answer.empty()) return false;
    if (!QualityFromAnswer(EncodeKind, answer, job.quality)) {
      vb::MsgBox(vb::Replace(LngText[48], "aaa", KIND), vb::vbOKOnly);
      return false;
    }
    return true;
  }
  std::string message = t0 == -1 ? LngText[49] + CRLF2 : "";
  std::string text50 = LngText[50];
  if (!IsPictureSource(job.source)) {
    float duration = Duration(job);
    text50 = vb::Replace(text50, "aaa", vb::CStr(vb::CLng(duration * OutFps)));
    text50 = vb::Replace(text50, "bbb", TimeText(duration));
    message += text50 + vb::vbCrLf + LngText[51];
  } else {
    float length = static_cast<float>(job.n) / OutFps;
    text50 = vb::Replace(text50, "aaa", vb::CStr(job.n));
    text50 = vb::Replace(text50, "bbb", TimeText(length));
    message += text50;
  }
  return vb::MsgBox(message, vb::vbOKCancel) != vb::vbCancel;
}

// Runs the conversion with the window in its busy state, then tells the result.
void frmMain::RunConversion(EncodeJob& job) {
  shpBlock.FillColor(0);
  lblProgress.ForeColor(0xFFFFFF);
  lblProgress.Top(lblProgress.Top() - 2);
  picProgress.Top(picProgress.Top() + 2);
  picProgress.Height(picProgress.Height() - 3);
  vb::DoEvents();

  std::string savedDir;
  if (win::IsFileMask(job.source)) {
    savedDir = win::GetCurrentDirectoryA();
    ChangeCurDir(job.source, "");
  }
  std::string target = job.target;
  const std::string folder = objFile.GetParentFolderName(target);
  // A GIF is written under a name of its own beside the target and replaces it only when
  // complete, so an old GIF of that name stays as it was through a failed or stopped run.
  std::string work;
  if (EncodeKind == "gif") {
    win::RemoveStaleTempFiles(folder, kWorkPrefix);
    work = win::GetTempFileNameA(folder, kWorkPrefix);
    if (!work.empty()) job.target = work;
  }
  std::string line = EncodeCommandLine(job, OutLength);
  job.target = target;
  ScopeStart = job.scopeStart;

  // The pictures already in a series folder, to tell them from the ones this run writes.
  std::unique_ptr<win::WriteWatch> watch;
  if (EncodeKind != "gif") watch = std::make_unique<win::WriteWatch>(target);

  cmdEncode(1).Visible(true);
  cmdEncode(0).Visible(false);
  shpProgress.Visible(true);
  vb::DoEvents();
  const double started = win::SecondsSinceMidnight();
  std::string overwriteNote;
  // A run that does not start the engine must not read as stopped because the last one was.
  mdlGetCmdOutput::StopRequested = false;
  mdlGetCmdOutput::EngineEndedNormally = false;
  if (EncodeKind == "gif" && win::IsReadOnlyFile(target)) overwriteNote = LngText[144] + CRLF2;
  if (!line.empty() && overwriteNote.empty() && (EncodeKind != "gif" || !work.empty())) {
    bool showWindow = false;
    mdlGetCmdOutput::RunEncode(line, ScopeEnd != 0 ? ScopeStart : 0, ScopeEnd != 0 ? ScopeEnd - ScopeStart : 0,
                               showWindow);
  }
  if (!savedDir.empty()) ChangeCurDir(AddSlash(savedDir), "");

  // Success is what this run wrote, whole on the disk: the GIF, or every picture of the series.
  // The engine ends normally after its writes failed, so its end alone proves nothing; a file
  // of the run that is not whole was cut short, whatever the engine's end.
  bool success = false, writeFailed = EncodeKind == "gif" && work.empty() && !line.empty();
  if (EncodeKind != "gif") {
    const std::vector<std::string> written = watch->Written();
    bool whole = written.empty() || win::FlushFileBuffers(folder);
    for (const std::string& picture : written)
      if (!win::IsWholePicture(picture)) whole = false;
    writeFailed = !whole;
    success = mdlGetCmdOutput::EngineEndedNormally && !written.empty() && whole;
  } else if (win::FileLen(work) >= 1) {
    writeFailed = !win::IsWholePicture(work) || !win::FlushFileBuffers(work);
    if (mdlGetCmdOutput::EngineEndedNormally && !writeFailed) {
      success = win::MoveFileExA(work, target, win::MOVEFILE_REPLACE_EXISTING | win::MOVEFILE_WRITE_THROUGH) != 0;
      if (!success) overwriteNote = LngText[144] + CRLF2;
    }
  }
  // Why it failed: a full disk (asked while the run's own file still takes its room), a write
  // the disk did not take, or else a source the engine could not read.
  std::string reason = LngText[6];
  if (!success && !mdlGetCmdOutput::StopRequested && overwriteNote.empty()) {
    if (win::IsDiskFull(folder)) reason = LngText[146];
    else if (writeFailed) reason = LngText[147];
  }
  if (!work.empty() && !success) win::DeleteFileA(work);
  win::ReleaseTempFile(work);

  if (!mdlGetCmdOutput::StopRequested) {
    setProgressNote(100);
    vb::DoEvents();
    // Seconds since midnight: a run across midnight adds the day it passed.
    double passed = win::SecondsSinceMidnight() - started;
    if (passed < 0) passed += 86400;
    float seconds = static_cast<float>(passed);
    const std::string elapsed = LngText[7] + FormatTime(seconds, 1, 1) + LngText[8];
    if (success && EncodeKind != "gif") {
      vb::MsgBox(target + CRLF2 + LngText[5] + LngText[26] + elapsed, vb::vbOKOnly);
    } else if (success) {
      if (vb::MsgBox(target + CRLF2 + elapsed + LngText[26] + LngText[5] + CRLF2 + LngText[65], vb::vbOKCancel) ==
          vb::vbOK) {
        std::string viewer = AddSlash(vb::App::Path()) + "Fenwo.Lumtak.exe";
        if (objFile.FileExists(viewer)) vb::Shell("\"" + viewer + "\" " + win::QuoteArg(target), vb::vbNormalFocus);
        else vb::MsgBox("Can't find Fenwo.Zantiro - Fenwo.Lumtak", vb::vbOKOnly);
      }
    } else {
      vb::MsgBox(target + CRLF2 + overwriteNote + elapsed + vb::vbCrLf + reason, vb::vbOKOnly);
    }
  }

  cmdEncode(0).Visible(true);
  cmdEncode(1).Visible(false);
  setProgressNote(0);
  shpBlock.FillColor(0x4040);
  lblProgress.ForeColor(0x8000);
  lblProgress.Top(lblProgress.Top() + 2);
  picProgress.Top(picProgress.Top() - 2);
  picProgress.Height(picProgress.Height() + 3);
  vb::DoEvents();
}

}  // namespace zantiro
