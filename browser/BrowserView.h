// The Qt widget of the browser control: the page's state, its painting, loading, the drag
// of the control and drops on it.
#pragma once
#include "browser/Picture.h"

#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace browser {

class WebBrowser;

class BrowserView : public QWidget {
 public:
  BrowserView(WebBrowser& owner, QWidget* parent);
  ~BrowserView() override;

  // A navigation that BeforeNavigate2 let pass.
  void load(const std::string& address);
  void stop();
  bool busy() const { return busy_; }
  bool hasDocument() const { return hasDocument_; }
  bool hasImage() const { return src_.has_value(); }

  int32_t imageWidth() const;
  int32_t imageHeight() const;
  void setImageWidth(int32_t pixels);
  void setImageHeight(int32_t pixels);
  std::string src() const { return src_.value_or(std::string()); }
  void setSrc(const std::string& path);
  int64_t fileSize() const { return picture_ ? fileSize_ : -1; }

  uint32_t bgcolor() const { return bg_; }  // 0xRRGGBB
  void setBgcolor(uint32_t rgb);
  std::string cursorStyle() const { return cursor_; }
  void setCursorStyle(const std::string& value);

 protected:
  void paintEvent(QPaintEvent* event) override;
  // The control's drag, seen before the forms layer's own handling of the mouse.
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void finishLoad(unsigned generation);
  void openPicture();
  bool dragMouse(QMouseEvent* event);
  void dragOver(QPointF at, int32_t state);

  WebBrowser& owner_;
  bool hasDocument_ = false;
  bool busy_ = false;
  unsigned generation_ = 0;
  std::optional<std::string> src_;
  std::unique_ptr<Picture> picture_;
  int64_t fileSize_ = -1;
  std::optional<int32_t> width_, height_;
  uint32_t bg_ = 0xFFFFFF;
  std::string cursor_;
  bool dragging_ = false, dragInside_ = false;
};

}  // namespace browser
