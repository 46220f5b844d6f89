// The viewer's browser control: shows the one-picture page that it is given as an about:
// address, and lets its owner reach the page's picture and body.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "runtime/Control.h"

namespace browser {

class BrowserView;
class WebBrowser;

// The page body's style; only the mouse cursor is used.
class HTMLStyle {
 public:
  explicit HTMLStyle(WebBrowser& owner) : owner_(owner) {}
  std::string cursor() const;
  // "url(<path of a .cur or .ico file>)" shows that cursor over the page; "" (or a file
  // that cannot be read) the default cursor.
  void cursor(const std::string& value);

 private:
  WebBrowser& owner_;
};

class HTMLBody {
 public:
  explicit HTMLBody(WebBrowser& owner) : owner_(owner), style_(owner) {}
  // "#rrggbb"
  std::string bgcolor() const;
  // A colour as a Windows RGB value (&H00BBGGRR), or as a colour text ("black", "#ffffff").
  void bgcolor(int32_t colour);
  void bgcolor(const std::string& colour);
  HTMLStyle& Style() { return style_; }

 private:
  WebBrowser& owner_;
  HTMLStyle style_;
};

// The page's picture element. Width and Height are in pixels; before the picture has loaded,
// and when it cannot be shown, they read 28 by 30 (the place-holder's size).
class HTMLImg {
 public:
  explicit HTMLImg(WebBrowser& owner) : owner_(owner) {}
  int32_t Width() const;
  void Width(int32_t pixels);  // scales the picture; Height follows the aspect until set
  int32_t Height() const;
  void Height(int32_t pixels);
  // The picture's file path; writing it loads that file again (an animation restarts).
  std::string src() const;
  void src(const std::string& path);
  // Bytes of the loaded picture file; -1 when no picture was loaded.
  int64_t fileSize() const;

 private:
  WebBrowser& owner_;
};

class HTMLDocument {
 public:
  explicit HTMLDocument(WebBrowser& owner) : owner_(owner), img_(owner), body_(owner) {}
  // The page's pictures by index from 0; nullptr when there is no such picture.
  HTMLImg* Images(int32_t index);
  HTMLBody* body() { return &body_; }

 private:
  WebBrowser& owner_;
  HTMLImg img_;
  HTMLBody body_;
};

// The control, registered with the forms layer as the control type "WebBrowser". Its place
// and size (Left, Top, Width, Height, Move, ZOrder) are those of every control. With DragMode
// automatic, pressing the mouse button on the page starts a drag of the control, reported
// through DragOver with X, Y in twips relative to the control and State vbEnter, vbOver or
// vbLeave.
class WebBrowser : public vb::Control {
 public:
  // The control with its window as a child of `parent`.
  explicit WebBrowser(QWidget* parent = nullptr);
  ~WebBrowser() override;

  // Goes to an address. BeforeNavigate2 is raised first and may cancel it. An "about:"
  // address is the whole page (percent-encoded: "%25" is "%"); its picture loads while
  // events run, and Busy is True until it has loaded or failed.
  void Navigate(const std::string& URL);
  // Ends a running navigation; a picture that had not loaded stays unloaded.
  void Stop();
  bool Busy() const;
  // The page; nullptr before the first navigation.
  HTMLDocument* Document();

  // Raised before every navigation: Navigate, and a file or link dropped on the page (the
  // plain path of a dropped file). Setting Cancel stops the navigation.
  std::function<void(const std::string& URL, bool& Cancel)> BeforeNavigate2;

  // The control's window; nullptr once it is gone.
  BrowserView* View() const;

 private:
  std::unique_ptr<HTMLDocument> document_;
};

}  // namespace browser
