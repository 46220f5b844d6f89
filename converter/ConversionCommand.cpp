#include "converter/ConversionCommand.h"

#include <algorithm>

#include "foundation/mdlFenwoZantiro.h"
#include "platform/cmdline.h"
#include "platform/fs.h"
#include "runtime/numbers.h"
#include "runtime/strings.h"

namespace zantiro {

using mdlFenwoZantiro::objFile;

namespace {

std::string Extension(const std::string& path) {
  std::string p = path;
  return vb::LCase(objFile.GetExtensionName(p));
}

}  // namespace

bool IsPictureSource(const std::string& source) {
  return win::IsFileMask(source) || Extension(source) == "gif";
}

float Duration(const EncodeJob& job) {
  return job.scopeEnd == 0 ? job.videoLength : job.scopeEnd - job.scopeStart;
}

void CountFrames(EncodeJob& job) {
  const bool pictures = IsPictureSource(job.source);
  const int32_t frames = pictures ? job.frameCount : vb::CLng(Duration(job) * job.videoFps);
  if (!job.series) {
    job.n = frames;
    return;
  }
  job.step = std::max(1, vb::CLng(job.videoFps / job.outFps));
  job.n = vb::CLng(static_cast<double>(frames) / job.step);
}

bool QualityFromAnswer(const std::string& kind, const std::string& answer, std::string& quality) {
  const double v = vb::Val(answer);
  if (answer.empty() || v < 0 || v > 100) return false;
  if (kind == "jpg") {
    quality = vb::CStr(vb::CLng(vb::Int(v)));
  } else {
    const int32_t z = vb::CLng(vb::Int(v / 10));
    quality = z > 9 ? "9" : vb::CStr(z);
  }
  return true;
}

float EarlierKeyframe(float start, float t1, const std::function<float(float)>& keyframeTime) {
  for (int k = -1; k >= -15; --k) {
    const float t = keyframeTime(start + static_cast<float>(k));
    if (t == -1) return -1;
    if (t == 0) return 0;
    if (t < 0 || t == t1) continue;
    if (t < start) return t;
  }
  return -1;
}

std::string EncodeCommandLine(EncodeJob& job, float& outLength) {
  using mdlFenwoZantiro::FormatTime;
  std::string ss;
  if (job.scopeEnd != 0) ss = " -ss " + FormatTime(job.scopeStart, 3, 1) + " -frames " + vb::CStr(job.n);
  const std::string scale = " -vf-add scale=" + vb::CStr(job.outWidth) + ":" + vb::CStr(job.outHeight);
  std::string crop;
  const auto& c = job.cropRect;
  if (c[3] != 0 && c[4] != 0)
    crop = " -vf-add crop=" + vb::CStr(c[3] - c[1]) + ":" + vb::CStr(c[4] - c[2]) + ":" + vb::CStr(c[1]) + ":" +
           vb::CStr(c[2]);
  std::string target = job.target;
  std::string dir = objFile.GetParentFolderName(target);
  dir = vb::Left(dir, vb::Len(dir) - 1);
  const std::string outFps = vb::CStr(job.outFps);
  const std::string filters = job.colorArgs + scale + crop;
  const std::string in = " " + win::QuoteArg(job.source);
  const std::string gifOut = " -vo gif89a:fps=" + outFps + ":output=" + win::QuoteArg(job.target);
  const std::string seriesOut = job.kind == "jpg" ? " -vo jpeg:quality=" + job.quality + ":outdir=" + win::QuoteArg(dir)
                                                  : " -vo png:z=" + job.quality + ":outdir=" + win::QuoteArg(dir);
  const std::string step = " -vf-add framestep=" + vb::CStr(job.step);
  const bool star = win::IsFileMask(job.source);
  const bool gifSource = Extension(job.source) == "gif";

  outLength = job.videoLength;
  if (!star && !gifSource && job.kind == "gif")  // T1
    return job.engine + " -nosound" + ss + gifOut + filters + in + " -fps " + vb::CStr(job.videoFps);
  if (!star && gifSource && job.kind == "gif")  // T8
    return job.engine + " -nosound" + gifOut + filters + in + " -fps " + outFps;
  if (!star && (job.kind == "jpg" || job.kind == "png"))  // T2, T3; T4, T5 for a GIF
    return job.engine + " -nosound" + ss + seriesOut + filters + in + (gifSource ? " -fps 1000" : " -speed 100") +
           step;

  outLength = vb::Round(static_cast<float>(job.frameCount) / job.outFps, 2);
  if (win::IsFileMask(job.source, "gif") && job.kind == "gif")  // T7
    return job.engine + " -fps " + outFps + " -nosound" + gifOut + filters + " -fixed-vo *.gif";
  if (star && job.kind == "gif")  // T6
    return job.engine + " -nosound" + ss + gifOut + filters + " " + win::QuoteArg("mf://" + job.source) + " -mf fps=" +
           outFps;
  outLength = 0;
  return "";
}

}  // namespace zantiro
