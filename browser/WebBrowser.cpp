#include "browser/WebBrowser.h"

#include "browser/BrowserView.h"
#include "browser/page.h"
#include "runtime/design.h"

#include <cstdio>

namespace browser {
namespace {

const bool registered = [] {
  vb::RegisterControlType("WebBrowser", [](const vb::ControlSite& site) {
    return std::make_unique<WebBrowser>(site.parentWidget);
  });
  return true;
}();

}  // namespace

std::string HTMLStyle::cursor() const {
  auto* v = owner_.View();
  return v ? v->cursorStyle() : std::string();
}
void HTMLStyle::cursor(const std::string& value) {
  if (auto* v = owner_.View()) v->setCursorStyle(value);
}

std::string HTMLBody::bgcolor() const {
  auto* v = owner_.View();
  char text[8];
  std::snprintf(text, sizeof text, "#%06x", v ? unsigned(v->bgcolor()) : 0xFFFFFFu);
  return text;
}
void HTMLBody::bgcolor(int32_t colour) {
  const auto c = uint32_t(colour);
  if (auto* v = owner_.View()) v->setBgcolor(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
}
void HTMLBody::bgcolor(const std::string& colour) {
  if (auto* v = owner_.View()) v->setBgcolor(ParseColour(colour));
}

int32_t HTMLImg::Width() const {
  auto* v = owner_.View();
  return v ? v->imageWidth() : 0;
}
void HTMLImg::Width(int32_t pixels) {
  if (auto* v = owner_.View()) v->setImageWidth(pixels);
}
int32_t HTMLImg::Height() const {
  auto* v = owner_.View();
  return v ? v->imageHeight() : 0;
}
void HTMLImg::Height(int32_t pixels) {
  if (auto* v = owner_.View()) v->setImageHeight(pixels);
}
std::string HTMLImg::src() const {
  auto* v = owner_.View();
  return v ? v->src() : std::string();
}
void HTMLImg::src(const std::string& path) {
  if (auto* v = owner_.View()) v->setSrc(path);
}
int64_t HTMLImg::fileSize() const {
  auto* v = owner_.View();
  return v ? v->fileSize() : -1;
}

HTMLImg* HTMLDocument::Images(int32_t index) {
  auto* v = owner_.View();
  return index == 0 && v && v->hasImage() ? &img_ : nullptr;
}

WebBrowser::WebBrowser(QWidget* parent)
    : vb::Control(nullptr), document_(std::make_unique<HTMLDocument>(*this)) {
  auto* view = new BrowserView(*this, parent);
  attachWidget(view);
  // After the forms layer's own event filter, so that the control's drag comes first.
  view->installEventFilter(view);
}

WebBrowser::~WebBrowser() = default;

BrowserView* WebBrowser::View() const { return static_cast<BrowserView*>(Widget()); }

void WebBrowser::Navigate(const std::string& URL) {
  bool cancel = false;
  if (BeforeNavigate2) BeforeNavigate2(URL, cancel);
  if (auto* v = View(); v && !cancel) v->load(URL);
}

void WebBrowser::Stop() {
  if (auto* v = View()) v->stop();
}
bool WebBrowser::Busy() const {
  auto* v = View();
  return v && v->busy();
}
HTMLDocument* WebBrowser::Document() {
  auto* v = View();
  return v && v->hasDocument() ? document_.get() : nullptr;
}

}  // namespace browser
