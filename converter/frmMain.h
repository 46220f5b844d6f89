// The main window of the conversion program: start-up, settings, language, chrome and menus,
// and the source, target, probe and conversion steps.
#pragma once
#include <string>
#include <vector>

#include "controls/ImageButton.h"
#include "converter/ConversionCommand.h"
#include "foundation/mdlGetCmdOutput.h"
#include "runtime/DefaultInstance.h"
#include "runtime/ddelink.h"
#include "runtime/forms.h"

namespace zantiro {

class frmMain : public vb::Form,
                public vb::DefaultInstance<frmMain>,
                public mdlGetCmdOutput::ProgressWindow {
 public:
  frmMain();
  ~frmMain() override;

  // ---- Start-up, settings and exit ----
  std::string IniPath;   // the settings file, set by LoadSettings
  std::string HelpPath;  // the help file that the help menu opens

  // ---- Language ----
  void ChangeLanguage(const std::string& code);

  // ---- Controls ----
  vb::ControlArray<vb::Label> lblButton = Arr<vb::Label>("lblButton");
  vb::Label& lblVer = Ctl<vb::Label>("lblVer");
  vb::PictureBox& picPopSay = Ctl<vb::PictureBox>("picPopSay");
  vb::Label& lblSay = Ctl<vb::Label>("lblSay");
  ImageButton& cmdInput = Ctl<ImageButton>("cmdInput");
  ImageButton& cmdOutput = Ctl<ImageButton>("cmdOutput");
  ImageButton& cmdOpt = Ctl<ImageButton>("cmdOpt");
  ImageButton& cmdResetFps = Ctl<ImageButton>("cmdResetFps");
  vb::ControlArray<ImageButton> cmdEncode = Arr<ImageButton>("cmdEncode");
  vb::Label& lblInput = Ctl<vb::Label>("lblInput");
  vb::Label& lblInputCheck = Ctl<vb::Label>("lblInputCheck");
  vb::Label& lblOutput = Ctl<vb::Label>("lblOutput");
  vb::Label& lblVideoSize = Ctl<vb::Label>("lblVideoSize");
  vb::Label& lblVideoLen = Ctl<vb::Label>("lblVideoLen");
  vb::Label& lblEncodeNote = Ctl<vb::Label>("lblEncodeNote");
  vb::Label& lblEncodeNoteCheck = Ctl<vb::Label>("lblEncodeNoteCheck");
  vb::Shape& shpBlock = Ctl<vb::Shape>("shpBlock");
  vb::PictureBox& picProgress = Ctl<vb::PictureBox>("picProgress");
  vb::Shape& shpProgress = Ctl<vb::Shape>("shpProgress");
  vb::Label& lblProgress = Ctl<vb::Label>("lblProgress");
  vb::PictureBox& picRestore = Ctl<vb::PictureBox>("picRestore");
  vb::PictureBox& picPicsInfo = Ctl<vb::PictureBox>("picPicsInfo");
  vb::PictureBox& picMCI = Ctl<vb::PictureBox>("picMCI");
  vb::Image& imgCur = Ctl<vb::Image>("imgCur");
  vb::FileListBox& File1 = Ctl<vb::FileListBox>("File1");
  vb::TimerControl& tmrDoing = Ctl<vb::TimerControl>("tmrDoing");
  vb::TimerControl& tmrExit = Ctl<vb::TimerControl>("tmrExit");

  vb::Menu& mnuLanguage = Ctl<vb::Menu>("mnuLanguage");
  vb::Menu& mnuLngEN = Ctl<vb::Menu>("mnuLngEN");
  vb::Menu& mnuLngTW = Ctl<vb::Menu>("mnuLngTW");
  vb::Menu& mnuLngGB = Ctl<vb::Menu>("mnuLngGB");
  vb::Menu& mnuSrcType = Ctl<vb::Menu>("mnuSrcType");
  vb::Menu& mnuSrcIsFile = Ctl<vb::Menu>("mnuSrcIsFile");
  vb::ControlArray<vb::Menu> mnuSrcIsFileTo = Arr<vb::Menu>("mnuSrcIsFileTo");
  vb::ControlArray<vb::Menu> mnuElseFuc1 = Arr<vb::Menu>("mnuElseFuc1");
  vb::ControlArray<vb::Menu> mnuSrcISFolderTo = Arr<vb::Menu>("mnuSrcISFolderTo");
  vb::ControlArray<vb::Menu> mnuElseFuc2 = Arr<vb::Menu>("mnuElseFuc2");
  vb::Menu& mnuMainHelp = Ctl<vb::Menu>("mnuMainHelp");
  vb::Menu& mnuMoney = Ctl<vb::Menu>("mnuMoney");
  vb::Menu& mnuNotice = Ctl<vb::Menu>("mnuNotice");
  vb::Menu& mnuBlog = Ctl<vb::Menu>("mnuBlog");
  vb::Menu& mnuHelp = Ctl<vb::Menu>("mnuHelp");
  vb::Menu& mnuVerNote = Ctl<vb::Menu>("mnuVerNote");
  vb::Menu& mnuLearn = Ctl<vb::Menu>("mnuLearn");
  vb::Menu& mnuUpdate = Ctl<vb::Menu>("mnuUpdate");
  vb::Menu& mnuDownloadFamily = Ctl<vb::Menu>("mnuDownloadFamily");
  vb::ControlArray<vb::Menu> mnuDlFamilyNew = Arr<vb::Menu>("mnuDlFamilyNew");
  vb::ControlArray<vb::Menu> mnuDlFamily = Arr<vb::Menu>("mnuDlFamily");
  vb::Menu& mnuAbout = Ctl<vb::Menu>("mnuAbout");
  vb::Menu& mnuCoopAds = Ctl<vb::Menu>("mnuCoopAds");

  // ---- Source, target, probe and conversion ----
  void setVideoInfoNote();
  // The progress of a conversion (the engine runner calls it with whole percentages).
  void setProgressNote(float value) override;
  std::string ProgressCaption() override { return lblProgress.Caption(); }
  void SetProgressCaption(const std::string& caption) override { lblProgress.Caption(caption); }
  std::string InputCaption() override { return lblInput.Caption(); }
  void SetEncodeButtonVisible(int index, bool visible) override { cmdEncode(index).Visible(visible); }

 private:
  // ---- Start-up, single instance, settings and exit ----
  void Form_Load();
  void Form_Activate();
  void Form_LinkExecute(const std::string& CmdStr, bool& Cancel);
  void Form_Unload(int& Cancel);
  void SendDdeCommand(const std::string& cmd);
  void LoadSettings();
  void SaveSettings();
  void ApplySettingsLine(const std::string& line, std::vector<std::string>& languages);
  void tmrExit_Timer();
  vb::DdeSource dde_;
  bool exitConfirmed_ = false;  // the exit question was answered Yes during a conversion

  // ---- Language ----
  void mnuLngGB_Click();
  void mnuLngTW_Click();
  void mnuLngEN_Click();

  // ---- Window chrome, caption buttons and menus ----
  void Form_MouseDown(int Button, int Shift, float X, float Y);
  void Form_MouseMove(int Button, int Shift, float X, float Y);
  void picPopSay_MouseMove(int Button, int Shift, float X, float Y);
  void lblButton_Click(int Index);
  void cmdOpt_Click();
  void mnuHelp_Click();
  void mnuAbout_Click();
  void mnuMoney_Click();
  void mnuNotice_Click();
  void mnuBlog_Click();
  void mnuVerNote_Click();
  void mnuLearn_Click();
  void mnuUpdate_Click();
  void mnuCoopAds_Click();
  void DragWindow();

  // ---- Source, target, probe and conversion ----
  std::string EncodeKind = "gif";  // "gif", "jpg" or "png"
  std::string PendingFile;         // a dropped file waiting for the drop timer
  void cmdInput_Click();
  void mnuSrcIsFileTo_Click(int Index);
  void UseFileSource(int Index, const std::string& f);
  void RefuseLongChoice();
  void mnuSrcISFolderTo_Click(int Index);
  void cmdInput_OLEDragDrop(vb::DataObject& Data);
  void tmrDoing_Timer();
  void cmdOutput_Click();
  void cmdResetFps_Click();
  void cmdEncode_Click(int Index);
  void EncodeNow();
  bool EncodeAtWork();
  bool SourceButtonsBusy(ImageButton& button);
  void CenterPathLabels();
  void ShowPicsInfo();
  void PlaceResetFpsButton(bool forPictures);
  void ResetColorParams();
  void SetScopeBoxState();
  void ResetEncodeOptions();
  std::string ProbeSource();
  bool CheckSourceReady(bool skipFpsTest);
  bool CheckPluginFile(const std::string& enginePath);
  bool CheckTargetName(const std::string& target);
  bool AdjustStartToKeyframe(float& t0);
  bool ConfirmEncode(EncodeJob& job, float t0);
  void RunConversion(EncodeJob& job);
};

}  // namespace zantiro
