#include "browser/WebBrowser.h"

#include "browser/BrowserView.h"
#include "browser/page.h"

#include <cstdio>

namespace browser {

std::string HTMLStyle::cursor() const { return view_.cursorStyle(); }
void HTMLStyle::cursor(const std::string& value) { view_.setCursorStyle(value); }

std::string HTMLBody::bgcolor() const {
  char text[8];
  std::snprintf(text, sizeof text, "#%06x", unsigned(view_.bgcolor()));
  return text;
}
void HTMLBody::bgcolor(int32_t colour) {
  const auto c = uint32_t(colour);
  view_.setBgcolor(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
}
void HTMLBody::bgcolor(const std::string& colour) { view_.setBgcolor(ParseColour(colour)); }

int32_t HTMLImg::Width() const { return view_.imageWidth(); }
void HTMLImg::Width(int32_t pixels) { view_.setImageWidth(pixels); }
int32_t HTMLImg::Height() const { return view_.imageHeight(); }
void HTMLImg::Height(int32_t pixels) { view_.setImageHeight(pixels); }
std::string HTMLImg::src() const { return view_.src(); }
void HTMLImg::src(const std::string& path) { view_.setSrc(path); }
int64_t HTMLImg::fileSize() const { return view_.fileSize(); }

HTMLImg* HTMLDocument::Images(int32_t index) {
  return index == 0 && view_.hasImage() ? &img_ : nullptr;
}

WebBrowser::WebBrowser()
    : view_(std::make_unique<BrowserView>(*this)), document_(std::make_unique<HTMLDocument>(*view_)) {}

WebBrowser::~WebBrowser() = default;

void WebBrowser::Navigate(const std::string& URL) {
  bool cancel = false;
  if (BeforeNavigate2) BeforeNavigate2(URL, cancel);
  if (!cancel) view_->load(URL);
}

void WebBrowser::Stop() { view_->stop(); }
bool WebBrowser::Busy() const { return view_->busy(); }
HTMLDocument* WebBrowser::Document() { return view_->hasDocument() ? document_.get() : nullptr; }
int32_t WebBrowser::DragMode() const { return view_->dragMode(); }
void WebBrowser::DragMode(int32_t mode) { view_->setDragMode(mode); }

}  // namespace browser
