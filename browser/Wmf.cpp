#include "browser/Wmf.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>
#include <cmath>
#include <optional>
#include <variant>
#include <vector>

namespace browser::Wmf {
namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;

// Little-endian words of one record; reads past its end give 0.
class Params {
 public:
  Params(const uchar* data, size_t words) : data_(data), words_(words) {}
  size_t words() const { return words_; }
  int16_t i16(size_t word) const {
    return word < words_ ? qFromLittleEndian<qint16>(data_ + 2 * word) : int16_t(0);
  }
  uint16_t u16(size_t word) const { return static_cast<uint16_t>(i16(word)); }
  uint32_t u32(size_t word) const { return u16(word) | (uint32_t(u16(word + 1)) << 16); }
  QColor colour(size_t word) const {
    const uint32_t c = u32(word);
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
  }
  QPointF point(size_t word) const { return QPointF(i16(word), i16(word + 1)); }  // x, y
  QPointF pointYX(size_t word) const { return QPointF(i16(word + 1), i16(word)); }
  // Rectangle written as bottom, right, top, left.
  QRectF rectBRTL(size_t word) const {
    const double b = i16(word), r = i16(word + 1), t = i16(word + 2), l = i16(word + 3);
    return QRectF(QPointF(l, t), QPointF(r, b)).normalized();
  }
  QByteArray bytes(size_t word, size_t count) const {
    if (word >= words_) return {};
    count = std::min(count, (words_ - word) * 2);
    return QByteArray(reinterpret_cast<const char*>(data_ + 2 * word), qsizetype(count));
  }
  std::vector<QPointF> points(size_t word, size_t count) const {
    count = std::min(count, word < words_ ? (words_ - word) / 2 : 0);
    std::vector<QPointF> pts;
    pts.reserve(count);
    for (size_t i = 0; i < count; ++i) pts.push_back(point(word + 2 * i));
    return pts;
  }

 private:
  const uchar* data_;
  size_t words_;
};

struct Font {
  QFont font;
  int height = 0;       // logical units; negative: character height, positive: cell height
  double escapement = 0;  // tenths of a degree
};
using Object = std::variant<QPen, QBrush, Font, std::monostate>;

struct DcState {
  QPen pen{Qt::black, 0};
  QBrush brush{Qt::white};
  Font font;
  QColor textColour{Qt::black}, bkColour{Qt::white};
  bool opaqueBk = true;
  uint16_t textAlign = 0;
  Qt::FillRule fillRule = Qt::OddEvenFill;
  QPointF position;
  QPointF windowOrg;
  QSizeF windowExt;
};

QPen MakePen(const Params& p) {
  const uint16_t style = p.u16(0) & 0x0F;
  if (style == 5) return QPen(Qt::NoPen);
  QPen pen(p.colour(3));
  pen.setWidthF(std::abs(p.i16(1)));
  static const Qt::PenStyle styles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine,
                                        Qt::DashDotLine, Qt::DashDotDotLine};
  pen.setStyle(style < 5 ? styles[style] : Qt::SolidLine);
  return pen;
}

QBrush MakeBrush(const Params& p) {
  const uint16_t style = p.u16(0);
  if (style == 1) return QBrush(Qt::NoBrush);
  if (style == 2) {
    static const Qt::BrushStyle hatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
                                             Qt::BDiagPattern, Qt::CrossPattern,
                                             Qt::DiagCrossPattern};
    const uint16_t h = p.u16(3);
    return QBrush(p.colour(1), h < 6 ? hatches[h] : Qt::SolidPattern);
  }
  return QBrush(p.colour(1));
}

Font MakeFont(const Params& p) {
  Font f;
  f.height = p.i16(0);
  f.escapement = p.i16(2);
  QByteArray face = p.bytes(9, 32);
  face.truncate(face.indexOf('\0') < 0 ? face.size() : face.indexOf('\0'));
  if (!face.isEmpty()) f.font.setFamily(QString::fromLatin1(face));
  const int weight = p.i16(4);
  if (weight > 0) f.font.setWeight(QFont::Weight(std::clamp(weight, 100, 900)));
  const uint16_t flags = p.u16(5);  // italic, underline
  f.font.setItalic((flags & 0xFF) != 0);
  f.font.setUnderline((flags >> 8) != 0);
  f.font.setStrikeOut((p.u16(6) & 0xFF) != 0);
  return f;
}

// A device-independent bitmap as an image (a file header is put before it for the reader).
QImage DibImage(const QByteArray& dib) {
  if (dib.size() < 12) return {};
  const auto* d = reinterpret_cast<const uchar*>(dib.constData());
  const uint32_t headerSize = qFromLittleEndian<quint32>(d);
  uint32_t colours = 0, entry = 4, bitCount = 0;
  if (headerSize == 12) {
    bitCount = qFromLittleEndian<quint16>(d + 10);
    entry = 3;
  } else if (headerSize >= 40 && dib.size() >= 40) {
    bitCount = qFromLittleEndian<quint16>(d + 14);
    colours = qFromLittleEndian<quint32>(d + 32);
    if (headerSize == 40 && qFromLittleEndian<quint32>(d + 16) == 3) colours += 3;  // masks
  } else {
    return {};
  }
  if (colours == 0 && bitCount <= 8) colours = 1u << bitCount;
  QByteArray file(14, '\0');
  file[0] = 'B';
  file[1] = 'M';
  qToLittleEndian<quint32>(quint32(14 + dib.size()), file.data() + 2);
  qToLittleEndian<quint32>(14 + headerSize + colours * entry, file.data() + 10);
  file += dib;
  return QImage::fromData(file, "BMP");
}

class Player {
 public:
  Player(QPainter& painter, QSize natural, QPointF org, QSizeF ext) : p_(painter), natural_(natural) {
    dc_.windowOrg = org;
    dc_.windowExt = ext;
    applyWindow();
    applyTools();
  }

  // Leaves the painter as it found it, whatever the records saved.
  void finish() {
    for (; !saved_.empty(); saved_.pop_back()) p_.restore();
  }

  // False at the end-of-file record.
  bool record(uint16_t function, const Params& a, size_t recordWords) {
    switch (function) {
      case 0x0000: return false;
      case 0x020B: dc_.windowOrg = a.pointYX(0); applyWindow(); break;
      case 0x020C: dc_.windowExt = QSizeF(a.i16(1), a.i16(0)); applyWindow(); break;
      case 0x020F: dc_.windowOrg += a.pointYX(0); applyWindow(); break;
      case 0x0410:  // scale window extent: yDenom, yNum, xDenom, xNum
        if (a.i16(0) && a.i16(2))
          dc_.windowExt = QSizeF(dc_.windowExt.width() * a.i16(3) / a.i16(2),
                                 dc_.windowExt.height() * a.i16(1) / a.i16(0));
        applyWindow();
        break;
      case 0x0102: dc_.opaqueBk = a.u16(0) == 2; break;
      case 0x0201: dc_.bkColour = a.colour(0); break;
      case 0x0209: dc_.textColour = a.colour(0); break;
      case 0x0106: dc_.fillRule = a.u16(0) == 2 ? Qt::WindingFill : Qt::OddEvenFill; break;
      case 0x012E: dc_.textAlign = a.u16(0); break;
      case 0x02FA: add(MakePen(a)); break;
      case 0x02FC: add(MakeBrush(a)); break;
      case 0x02FB: add(MakeFont(a)); break;
      case 0x0142: {  // pattern brush from a bitmap
        const QImage pattern = DibImage(a.bytes(2, a.words() * 2));
        add(pattern.isNull() ? QBrush(Qt::gray) : QBrush(pattern));
        break;
      }
      case 0x00F7: case 0x01F9: case 0x06FF: add(std::monostate{}); break;
      case 0x012D: select(a.u16(0)); break;
      case 0x01F0:
        if (a.u16(0) < objects_.size()) objects_[a.u16(0)].reset();
        break;
      case 0x001E: saved_.push_back(dc_); p_.save(); break;
      case 0x0127: restore(a.i16(0)); break;
      case 0x0214: dc_.position = a.pointYX(0); break;
      case 0x0213: {
        const QPointF to = a.pointYX(0);
        p_.drawLine(dc_.position, to);
        dc_.position = to;
        break;
      }
      case 0x041B: p_.drawRect(a.rectBRTL(0)); break;
      case 0x0418: p_.drawEllipse(a.rectBRTL(0)); break;
      case 0x061C:
        p_.drawRoundedRect(a.rectBRTL(2), std::abs(a.i16(1)) / 2.0, std::abs(a.i16(0)) / 2.0);
        break;
      case 0x0817: case 0x081A: case 0x0830: arc(function, a); break;
      case 0x0324: {
        const auto pts = a.points(1, a.u16(0));
        p_.drawPolygon(pts.data(), int(pts.size()), dc_.fillRule);
        break;
      }
      case 0x0325: {
        const auto pts = a.points(1, a.u16(0));
        p_.drawPolyline(pts.data(), int(pts.size()));
        break;
      }
      case 0x0538: polyPolygon(a); break;
      case 0x0521: {
        const uint16_t n = a.u16(0);
        const size_t after = 1 + (n + 1) / 2;
        text(a.pointYX(after), a.bytes(1, n), 0, {});
        break;
      }
      case 0x0A32: {
        const uint16_t n = a.u16(2), options = a.u16(3);
        const bool hasRect = options & 0x0006;
        text(a.pointYX(0), a.bytes(hasRect ? 8 : 4, n), options,
             hasRect ? QRectF(QPointF(a.i16(4), a.i16(5)), QPointF(a.i16(6), a.i16(7))) : QRectF());
        break;
      }
      case 0x041D: patBlt(a.u32(0), QRectF(a.i16(5), a.i16(4), a.i16(3), a.i16(2))); break;
      case 0x0F43:  // StretchDIB: rop, usage, source h w y x, destination h w y x, bitmap
        blit(a.u32(0), QRectF(a.i16(10), a.i16(9), a.i16(8), a.i16(7)),
             QRectF(a.i16(6), a.i16(5), a.i16(4), a.i16(3)), DibImage(a.bytes(11, a.words() * 2)),
             true);
        break;
      case 0x0B41:  // DIBStretchBlt: rop, source h w y x, destination h w y x, bitmap
        if (recordWords != (function >> 8) + 3u)
          blit(a.u32(0), QRectF(a.i16(9), a.i16(8), a.i16(7), a.i16(6)),
               QRectF(a.i16(5), a.i16(4), a.i16(3), a.i16(2)), DibImage(a.bytes(10, a.words() * 2)),
               false);
        break;
      case 0x0940:  // DIBBitBlt: rop, source y x, height, width, destination y x, bitmap
        if (recordWords != (function >> 8) + 3u)
          blit(a.u32(0), QRectF(a.i16(7), a.i16(6), a.i16(5), a.i16(4)),
               QRectF(a.i16(3), a.i16(2), a.i16(5), a.i16(4)), DibImage(a.bytes(8, a.words() * 2)),
               false);
        break;
      case 0x0416: p_.setClipRect(a.rectBRTL(0), Qt::IntersectClip); break;
      case 0x0415: {
        QPainterPath keep;
        if (p_.hasClipping()) {
          keep = p_.clipPath();
        } else {
          keep.addRect(p_.transform().inverted().mapRect(QRectF(QPointF(0, 0), natural_)));
        }
        QPainterPath cut;
        cut.addRect(a.rectBRTL(0));
        p_.setClipPath(keep.subtracted(cut));
        break;
      }
      default: break;  // map mode, viewport, palettes, escapes: nothing to draw
    }
    return true;
  }

 private:
  void applyWindow() {
    const QSizeF ext = dc_.windowExt;
    if (ext.width() == 0 || ext.height() == 0) return;
    QTransform t;
    t.scale(natural_.width() / ext.width(), natural_.height() / ext.height());
    t.translate(-dc_.windowOrg.x(), -dc_.windowOrg.y());
    p_.setTransform(t);
  }
  void applyTools() {
    p_.setPen(dc_.pen);
    p_.setBrush(dc_.brush);
  }
  void add(Object object) {
    for (auto& slot : objects_) {
      if (!slot) {
        slot = std::move(object);
        return;
      }
    }
    objects_.push_back(std::move(object));
  }
  void select(uint16_t index) {
    if (index >= objects_.size() || !objects_[index]) return;
    if (auto* pen = std::get_if<QPen>(&*objects_[index])) dc_.pen = *pen;
    if (auto* brush = std::get_if<QBrush>(&*objects_[index])) dc_.brush = *brush;
    if (auto* font = std::get_if<Font>(&*objects_[index])) dc_.font = *font;
    applyTools();
  }
  void restore(int16_t which) {
    // Negative: that many levels back; positive: the level of that number.
    size_t pops = which < 0 ? size_t(-which)
                            : (size_t(which) <= saved_.size() ? saved_.size() - size_t(which) + 1 : 0);
    while (pops-- > 0 && !saved_.empty()) {
      dc_ = saved_.back();
      saved_.pop_back();
      p_.restore();
    }
    applyWindow();
    applyTools();
  }
  void arc(uint16_t function, const Params& a) {
    const QRectF box = a.rectBRTL(4);
    const QPointF c = box.center();
    auto angle = [&](QPointF pt) {
      return std::atan2(-(pt.y() - c.y()), pt.x() - c.x()) * 180.0 / M_PI;
    };
    const double start = angle(a.pointYX(2));
    double span = angle(a.pointYX(0)) - start;
    if (span <= 0) span += 360;
    const int s = int(std::lround(start * 16)), n = int(std::lround(span * 16));
    if (function == 0x0817) p_.drawArc(box, s, n);
    else if (function == 0x081A) p_.drawPie(box, s, n);
    else p_.drawChord(box, s, n);
  }
  void polyPolygon(const Params& a) {
    const uint16_t polys = a.u16(0);
    size_t word = 1 + polys;
    QPainterPath path;
    path.setFillRule(dc_.fillRule);
    for (uint16_t i = 0; i < polys; ++i) {
      const auto pts = a.points(word, a.u16(1 + i));
      word += 2 * pts.size();
      if (pts.empty()) continue;
      path.addPolygon(QPolygonF(QList<QPointF>(pts.begin(), pts.end())));
      path.closeSubpath();
    }
    p_.drawPath(path);
  }
  void text(QPointF at, const QByteArray& bytes, uint16_t options, QRectF box) {
    const QTransform world = p_.transform();
    if (dc_.textAlign & 1) at = dc_.position;  // TA_UPDATECP
    if (options & 0x0002 && !box.isNull()) p_.fillRect(box, dc_.bkColour);
    const QString s = QString::fromLatin1(bytes);
    // Glyphs stay upright whatever the window's direction: drawn in device units.
    const double scale = std::abs(world.m22());
    QFont font = dc_.font.font;
    const int h = std::abs(dc_.font.height) ? std::abs(dc_.font.height) : 12;
    font.setPixelSize(std::max(1, int(std::lround(h * scale))));
    if (dc_.font.height > 0) {
      const double cell = QFontMetricsF(font).height();
      if (cell > 0) font.setPixelSize(std::max(1, int(std::lround(h * scale * h * scale / cell))));
    }
    const QFontMetricsF fm(font);
    const double w = fm.horizontalAdvance(s);
    double x = 0, y = 0;
    if ((dc_.textAlign & 6) == 6) x = -w / 2;
    else if (dc_.textAlign & 2) x = -w;
    if ((dc_.textAlign & 24) == 24) y = 0;
    else if (dc_.textAlign & 8) y = -fm.descent();
    else y = fm.ascent();
    p_.save();
    p_.resetTransform();
    const QPointF origin = world.map(at);
    p_.translate(origin);
    p_.rotate(-dc_.font.escapement / 10.0);
    if (options & 0x0004 && !box.isNull()) p_.setClipRect(world.mapRect(box).translated(-origin), Qt::IntersectClip);
    p_.setFont(font);
    if (dc_.opaqueBk) p_.fillRect(QRectF(x, y - fm.ascent(), w, fm.height()), dc_.bkColour);
    p_.setPen(dc_.textColour);
    p_.drawText(QPointF(x, y), s);
    p_.restore();
    if (dc_.textAlign & 1) dc_.position = world.inverted().map(origin + QPointF(x < 0 ? 0 : w, 0));
  }
  void patBlt(uint32_t rop, QRectF r) {
    r = r.normalized();
    if (rop == 0x00000042) p_.fillRect(r, Qt::black);
    else if (rop == 0x00FF0062) p_.fillRect(r, Qt::white);
    else if (rop == 0x00F00021) p_.fillRect(r, dc_.brush);
  }
  void blit(uint32_t rop, QRectF dest, QRectF source, const QImage& image, bool bottomUp) {
    if (image.isNull() || rop == 0x00AA0029) return;
    if (source.isNull() || source.width() == 0 || source.height() == 0) source = image.rect();
    else if (bottomUp) source.moveTop(image.height() - source.top() - source.height());
    QImage img = image.mirrored(dest.width() < 0, dest.height() < 0);
    dest = dest.normalized();
    p_.save();
    switch (rop) {
      case 0x008800C6: p_.setCompositionMode(QPainter::RasterOp_SourceAndDestination); break;
      case 0x00EE0086: p_.setCompositionMode(QPainter::RasterOp_SourceOrDestination); break;
      case 0x00660046: p_.setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;
      default: break;
    }
    p_.drawImage(dest, img, source);
    p_.restore();
  }

  QPainter& p_;
  QSizeF natural_;
  DcState dc_;
  std::vector<DcState> saved_;
  std::vector<std::optional<Object>> objects_;
};

}  // namespace

bool IsWmf(const QByteArray& head) {
  if (head.size() < 18) return false;
  const auto* d = reinterpret_cast<const uchar*>(head.constData());
  if (qFromLittleEndian<quint32>(d) == kPlaceableKey) return true;
  const uint16_t type = qFromLittleEndian<quint16>(d), size = qFromLittleEndian<quint16>(d + 2),
                 version = qFromLittleEndian<quint16>(d + 4);
  return (type == 1 || type == 2) && size == 9 && (version == 0x0100 || version == 0x0300);
}

bool Play(const QByteArray& bytes, QPicture& out, QSize& natural) {
  if (!IsWmf(bytes)) return false;
  const auto* d = reinterpret_cast<const uchar*>(bytes.constData());
  const size_t total = size_t(bytes.size());
  size_t pos = 0;
  QPointF org;
  QSizeF ext(0, 0);
  const bool placeable = qFromLittleEndian<quint32>(d) == kPlaceableKey;
  if (placeable) {
    if (total < 22 + 18) return false;
    const Params box(d + 6, 5);  // left, top, right, bottom, units per inch
    const double inch = box.u16(4) ? box.u16(4) : 1440;
    org = QPointF(box.i16(0), box.i16(1));
    ext = QSizeF(box.i16(2) - box.i16(0), box.i16(3) - box.i16(1));
    natural = QSize(int(std::lround(std::abs(ext.width()) * 96 / inch)),
                    int(std::lround(std::abs(ext.height()) * 96 / inch)));
    pos = 22;
  }
  pos += 2 * size_t(qFromLittleEndian<quint16>(d + pos + 2));  // header size in words
  const size_t first = pos;

  // Without a placeable header the first window extent gives the size.
  if (!placeable) {
    for (size_t p = first; p + 6 <= total;) {
      const size_t words = qFromLittleEndian<quint32>(d + p);
      const uint16_t function = qFromLittleEndian<quint16>(d + p + 4);
      if (words < 3 || function == 0) break;
      const Params a(d + p + 6, std::min(words - 3, (total - p - 6) / 2));
      if (function == 0x020B) org = a.pointYX(0);
      if (function == 0x020C) {
        ext = QSizeF(a.i16(1), a.i16(0));
        break;
      }
      p += 2 * words;
    }
    natural = QSize(int(std::abs(ext.width())), int(std::abs(ext.height())));
  }
  if (natural.isEmpty() || natural.width() > 20000 || natural.height() > 20000) return false;

  QPainter painter(&out);
  Player player(painter, natural, org, ext);
  for (size_t p = first; p + 6 <= total;) {
    const size_t words = qFromLittleEndian<quint32>(d + p);
    const uint16_t function = qFromLittleEndian<quint16>(d + p + 4);
    if (words < 3) break;
    const Params a(d + p + 6, std::min(words - 3, (total - p - 6) / 2));
    if (!player.record(function, a, words)) break;
    if (words > (total - p) / 2) break;
    p += 2 * words;
  }
  player.finish();
  painter.end();
  out.setBoundingRect(QRect(QPoint(0, 0), natural));
  return true;
}

}  // namespace browser::Wmf
