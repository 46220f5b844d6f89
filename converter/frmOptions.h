// The options window: the preview of the source, its time range, output size, frame rate,
// crop rectangle, colours and volume, and the summary of them on the main window.
#pragma once
#include <cstdint>
#include <string>

#include "controls/ImageButton.h"
#include "controls/TransArea.h"
#include "foundation/mdlConsole.h"
#include "runtime/DefaultInstance.h"
#include "runtime/forms.h"

namespace zantiro {

class frmOptions : public vb::Form, public vb::DefaultInstance<frmOptions>, public mdlConsole::Preview {
 public:
  frmOptions();
  ~frmOptions() override;

  // ---- Window ----
  void ChangeLanguage();
  // ---- Colour and volume ----
  void setLblColorPara(int16_t mode, bool all = false);
  // ---- Time range ----
  void SetScopeNote();
  // ---- Applying the options ----
  void SetAppliedValue();
  void SetMainEncodeNote();
  // ---- Preview ----
  void newPlay(const std::string& file, float startTime);
  void setStop(bool sliderTo0, bool noNeedUnloadFrmplayer) override;
  void adjustVideoLoc();
  std::string PlayState() override { return picPlayer.Tag(); }

  // ---- Controls ----
  vb::PictureBox& picPlayerFrame = Ctl<vb::PictureBox>("picPlayerFrame");
  vb::PictureBox& picPlayerContainer = Ctl<vb::PictureBox>("picPlayerContainer");
  vb::PictureBox& picPlayer = Ctl<vb::PictureBox>("picPlayer");
  vb::Shape& shpCrop = Ctl<vb::Shape>("shpCrop");
  vb::Shape& shpScope = Ctl<vb::Shape>("shpScope");
  vb::Image& imgSliderBG = Ctl<vb::Image>("imgSliderBG");
  vb::PictureBox& imgSlider = Ctl<vb::PictureBox>("imgSlider");
  vb::PictureBox& picTime = Ctl<vb::PictureBox>("picTime");
  vb::Label& lblCurTime = Ctl<vb::Label>("lblCurTime");
  vb::Label& lblTotalTime = Ctl<vb::Label>("lblTotalTime");
  vb::Label& lblSp = Ctl<vb::Label>("lblSp");
  vb::Label& lblPlayerNote = Ctl<vb::Label>("lblPlayerNote");
  vb::Label& lblNote = Ctl<vb::Label>("lblNote");
  TransArea& lblPlay = Ctl<TransArea>("lblPlay");
  TransArea& lblPause = Ctl<TransArea>("lblPause");
  TransArea& lblBackward = Ctl<TransArea>("lblBackward");
  TransArea& lblForward = Ctl<TransArea>("lblForward");
  vb::ControlArray<TransArea> lbl2BigScreen = Arr<TransArea>("lbl2BigScreen");
  vb::ControlArray<TransArea> lblCut2Pic = Arr<TransArea>("lblCut2Pic");
  ImageButton& lblSrceenshot = Ctl<ImageButton>("lblSrceenshot");
  vb::ControlArray<TransArea> lblMark = Arr<TransArea>("lblMark");
  TransArea& lblMarkDel = Ctl<TransArea>("lblMarkDel");
  vb::Label& lblScopeStr = Ctl<vb::Label>("lblScopeStr");
  vb::Label& lblSizeStr = Ctl<vb::Label>("lblSizeStr");
  vb::Label& lblFpsStr = Ctl<vb::Label>("lblFpsStr");
  vb::Label& lblCropStr = Ctl<vb::Label>("lblCropStr");
  vb::ControlArray<vb::TextBox> txtScope = Arr<vb::TextBox>("txtScope");
  vb::Label& lblScopeNote = Ctl<vb::Label>("lblScopeNote");
  vb::ControlArray<vb::TextBox> txtSize = Arr<vb::TextBox>("txtSize");
  vb::TextBox& txtFps = Ctl<vb::TextBox>("txtFps");
  vb::Label& lblVolume = Ctl<vb::Label>("lblVolume");
  vb::ControlArray<TransArea> lblVol = Arr<TransArea>("lblVol");
  vb::Label& lblBrightness = Ctl<vb::Label>("lblBrightness");
  vb::Label& lblContrast = Ctl<vb::Label>("lblContrast");
  vb::Label& lblHue = Ctl<vb::Label>("lblHue");
  vb::Label& lblSaturation = Ctl<vb::Label>("lblSaturation");
  vb::ControlArray<TransArea> imgBrightness = Arr<TransArea>("imgBrightness");
  vb::ControlArray<TransArea> imgContrast = Arr<TransArea>("imgContrast");
  vb::ControlArray<TransArea> imgHue = Arr<TransArea>("imgHue");
  vb::ControlArray<TransArea> imgSaturation = Arr<TransArea>("imgSaturation");
  vb::ControlArray<ImageButton> cmdOkCancel = Arr<ImageButton>("cmdOkCancel");
  vb::PictureBox& picRestore = Ctl<vb::PictureBox>("picRestore");
  vb::TimerControl& tmrCheck = Ctl<vb::TimerControl>("tmrCheck");
  vb::TimerControl& tmrSpecCheck = Ctl<vb::TimerControl>("tmrSpecCheck");
  vb::Label& Label1 = Ctl<vb::Label>("Label1");
  vb::Label& Label2 = Ctl<vb::Label>("Label2");

 private:
  // ---- Window ----
  void Form_Load();
  void Form_MouseMove(int Button, int Shift, float X, float Y);
  // ---- Colour and volume ----
  void ColorStep(vb::Label& value, vb::ControlArray<TransArea>& buttons, int Index, int16_t mode,
                 const std::string& word);
  void lblVol_Click(int Index);
  void lblVolume_MouseDown();
  // ---- Crop rectangle ----
  void picPlayer_MouseDown(float X, float Y);
  void picPlayer_MouseMove(int Button, float X, float Y);
  void picPlayer_MouseUp(float X, float Y);
  void CropToOutput(float W, float H);
  void OutputToCrop(float W, float H);
  // ---- Time range ----
  void imgSlider_MouseMove(int Button, float X);
  void imgSlider_MouseUp(int Button, float X);
  void imgSliderBG_MouseDown(int Button, float X);
  void imgSliderBG_MouseUp(int Button, float X);
  void SeekPlayer(float pos, int16_t mode, bool inSeconds, bool doSeek);
  void lblMark_Click(int Index);
  void SetScopeMark(int16_t which, float pos, bool clearIfBeyond);
  void ShowScopeShape(float start, float end);
  void lblMarkDel_Click();
  // ---- Applying the options ----
  void cmdOkCancel_Click(int Index);
  void RefuseField(vb::TextBox& field, const std::string& text);
  // ---- Preview ----
  void tmrCheck_Timer();
  void tmrSpecCheck_Timer();
  void ReadPosition(const std::string& out);
  void lblPlay_Click();
  void lblPause_Click();
  void lblSrceenshot_Click();
  void lblCut2Pic_Click(int Index);
  void lbl2BigScreen_Click(int Index);
  void Form_MouseDown(int Button);
  void ShowNote(const std::string& text);
  void ShowPlayFailed();
  void CenterPlayerNote(const std::string& text, int backStyle);
  void Pause();
  int emptyReads_ = 0;  // empty reads of the engine's output, for the developer console
  // ---- Input rules of the fields ----
  void txtScope_LostFocus(int Index);
  float FieldSeconds(int Index);
};

}  // namespace zantiro
