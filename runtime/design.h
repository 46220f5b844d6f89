// Design texts and the registry of control types.
//
// A design text describes one window (or user control): its own settings, then its
// controls, nested as they are contained. Each block opens with "Begin <Type> <Name>" and
// closes with "End"; a setting is "Key = value" on its own line; a group of settings (a font)
// is "BeginProperty <Key>" ... "EndProperty". Lines starting with "'" are comments.
//
//   Begin Form frmAbout
//     Caption = "About"
//     ScaleMode = 3                   ' the form's scale: positions of its controls in pixels
//     ClientWidth = 300               ' inner size, in the form's scale
//     ClientHeight = 200
//     BorderStyle = 3
//     BackColor = &H00262016&         ' &H00BBGGRR
//     Picture = ":/skin/about.gif"
//     Begin Label lblTitle
//       Left = 8
//       Top = 8
//       Width = 200
//       Height = 16
//       Caption = "Fenwo.Zantiro"
//       BackStyle = 0
//       BeginProperty Font
//         Name = "Arial"
//         Size = 9
//         Bold = -1
//       EndProperty
//     End
//     Begin Label lblButton
//       Index = 0                     ' an element of the control array lblButton
//       ...
//     End
//     Begin PictureBox picRestore
//       Visible = 0
//       Begin Label lblInside         ' positions in the picture box's scale
//       End
//     End
//     Begin Menu mnuFile
//       Caption = "&File"
//       Begin Menu mnuOpen
//         Caption = "&Open"
//       End
//     End
//   End
//
// Values: numbers (4320, 1.5, -1), texts in double quotes ("" inside for a quote), &H..&
// hex numbers, True/False (same as -1/0), pictures as a file or resource name in quotes.
// Settings every control reads: Index, Left, Top, Width, Height, Visible, Enabled, Tag,
// ToolTipText, MousePointer, MouseIcon, OLEDropMode, DragMode, BackColor, ForeColor, Font.
// Each type then reads its own (Caption, Picture, Alignment, BackStyle, BorderStyle,
// AutoSize, Stretch, Interval, Text, MultiLine, MaxLength, Checked, Pattern, ...).
// Types known to the runtime: Form, Label, PictureBox, Image, Shape, TextBox, Timer, Menu,
// FileListBox (a "VB." prefix is allowed). Other types come from the registry below.
#pragma once
#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace vb {

class Control;
class Form;
class Container;
class Host;
class PropertyBag;

// Where a control is being made: its window's parent widget and its design settings.
struct ControlSite {
  Host& host;                // the form (or user control) that will own it
  Container& container;      // what it sits in (a form or a picture box)
  QWidget* parentWidget;     // the parent of the control's widget
  std::string typeName;
  std::string name;
  int index;                 // -1 when not in an array
  const PropertyBag& design; // its settings from the design text
};
using ControlFactory = std::function<std::unique_ptr<Control>(const ControlSite& site)>;

// Registers a type of control by name ("ImageButton", "TransArea", "WebBrowser"). A later
// registration of the same name replaces the earlier one. Register before the first window
// that uses the type is made.
void RegisterControlType(const std::string& typeName, ControlFactory factory);
bool IsControlTypeRegistered(const std::string& typeName);

// --- For the forms layer ---
const ControlFactory* FindControlType(const std::string& typeName);

}  // namespace vb
