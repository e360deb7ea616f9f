#include "VeltGammaRamp.h"

#include "VeltDdcBus.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <utility>

namespace {

constexpr int kRampTop = 65535;

constexpr std::pair<int, int> kRandrForGamma{1, 3};  // screen resources without probing outputs
constexpr std::pair<int, int> kRandrForPrimary{1, 3};

const char kNoServerLine[] =
    "no X server (DISPLAY is unset or cannot be opened): the calibration tables go into the "
    "graphics card's gamma ramp, which needs an X session";

// Frees an X-allocated record when its holder goes out of scope.
template <auto Free>
struct XFreer {
  template <typename T>
  void operator()(T* record) const {
    Free(record);
  }
};
using ScreenResources = std::unique_ptr<XRRScreenResources, XFreer<XRRFreeScreenResources>>;
using OutputInfo = std::unique_ptr<XRROutputInfo, XFreer<XRRFreeOutputInfo>>;
using Gamma = std::unique_ptr<XRRCrtcGamma, XFreer<XRRFreeGamma>>;
using XData = std::unique_ptr<unsigned char, XFreer<XFree>>;

// Xlib's default error handler ends the process. While a session is open, errors on its connection
// are kept here instead; errors on the host's own connections go to the host's handler. The handler
// is process-wide and so is this record: the SDK serialises its calls with one lock, so only one
// session exists at a time.
int gFirstXError = Success;
Display* gSessionDisplay = nullptr;
XErrorHandler gHostHandler = nullptr;

int KeepFirstXError(Display* display, XErrorEvent* event) {
  if (display != gSessionDisplay) return gHostHandler ? gHostHandler(display, event) : 0;
  if (gFirstXError == Success) gFirstXError = event->error_code;
  return 0;
}

// A connection to the X server from XOpenDisplay(nullptr), with errors caught for its lifetime.
class XSession {
 public:
  XSession() : previous_(XSetErrorHandler(KeepFirstXError)) {
    gHostHandler = previous_;
    gFirstXError = Success;
    display_ = XOpenDisplay(nullptr);
    gSessionDisplay = display_;
  }
  ~XSession() {
    // Closing flushes queued requests, whose errors must still land in our handler.
    if (display_ != nullptr) XCloseDisplay(display_);
    gSessionDisplay = nullptr;
    XSetErrorHandler(previous_);
  }
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  Display* display() const { return display_; }
  Window root() const { return DefaultRootWindow(display_); }

  // The first X error of the session, after every request sent so far has been answered;
  // Success when there was none.
  int FirstError() const {
    XSync(display_, False);
    return gFirstXError;
  }

 private:
  XErrorHandler previous_;
  Display* display_ = nullptr;
};

// {0, 0} without the extension. The core protocol is asked first: libXrandr never frees the
// record it keeps for a display whose server lacks RandR.
std::pair<int, int> RandrVersion(Display* display) {
  int opcode = 0;
  int eventBase = 0;
  int errorBase = 0;
  std::pair<int, int> version{0, 0};
  if (!XQueryExtension(display, RANDR_NAME, &opcode, &eventBase, &errorBase) ||
      !XRRQueryVersion(display, &version.first, &version.second)) {
    return {0, 0};
  }
  return version;
}

// The first 128 bytes of the output's EDID; empty when it has none (or a shorter one).
std::vector<unsigned char> OutputEdid(Display* display, RROutput output) {
  const Atom edidAtom = XInternAtom(display, "EDID", True);
  if (edidAtom == None) return {};
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  // The length is counted in 32-bit units.
  const int status = XRRGetOutputProperty(display, output, edidAtom, 0, kVeltEdidSize / 4, False,
                                          False, AnyPropertyType, &type, &format, &count,
                                          &remaining, &data);
  const XData held(data);
  if (status != Success || data == nullptr || format != 8 || count < kVeltEdidSize) return {};
  return std::vector<unsigned char>(data, data + kVeltEdidSize);
}

// True, with the line in *problem, when the server answered any request of the session with an
// error: that is then the cause of whatever went wrong.
bool CaughtXError(const XSession& x, std::string* problem) {
  const int code = x.FirstError();
  if (code == Success) return false;
  char text[256] = "";
  XGetErrorText(x.display(), code, text, sizeof text);
  *problem = "the X server answered with X error " + std::to_string(code) + " (" + text +
             ") while the gamma ramp was being loaded";
  return true;
}

// A failed upload, unless an X error explains it better.
VeltRampResult Fail(const XSession& x, VeltRampResult result, std::string line,
                    std::string* problem) {
  if (CaughtXError(x, problem)) return VeltRampResult::kRefused;
  *problem = std::move(line);
  return result;
}

// The CRTC that drives the display, or None with the reason in *why.
RRCrtc FindCrtc(Display* display, XRRScreenResources* resources,
                const std::vector<unsigned char>& edid, int displayIndex, std::string* why) {
  std::set<RRCrtc> activeCrtcs;
  std::set<RRCrtc> matchingCrtcs;
  std::string switchedOffMatch;
  bool otherMonitorShown = false;  // an active output shows an EDID, not this monitor's
  for (int i = 0; i < resources->noutput; ++i) {
    const RROutput output = resources->outputs[i];
    const OutputInfo info(XRRGetOutputInfo(display, resources, output));
    if (!info) continue;
    if (info->crtc != None) activeCrtcs.insert(info->crtc);
    if (edid.empty()) continue;
    const std::vector<unsigned char> shown = OutputEdid(display, output);
    if (shown != edid) {
      otherMonitorShown = otherMonitorShown || (info->crtc != None && !shown.empty());
      continue;
    }
    if (info->crtc != None) {
      matchingCrtcs.insert(info->crtc);
    } else {
      switchedOffMatch = info->name;
    }
  }

  const std::string target = "display " + std::to_string(displayIndex);
  if (matchingCrtcs.size() == 1) return *matchingCrtcs.begin();
  if (matchingCrtcs.size() > 1) {
    // Identical monitors: loading either ramp could calibrate the wrong one.
    *why = std::to_string(matchingCrtcs.size()) +
           " X outputs on different CRTCs show this monitor's EDID: cannot tell which one drives " +
           target;
    return None;
  }
  if (!switchedOffMatch.empty()) {
    // The monitor is known to be elsewhere, so the single-CRTC guess would hit another one.
    *why = "X output " + switchedOffMatch + " shows this monitor's EDID but is switched off: " +
           target + " has no CRTC to take its gamma ramp";
    return None;
  }
  const std::string unmatched =
      edid.empty() ? "the monitor's EDID is unknown" : "no X output shows this monitor's EDID";
  if (displayIndex != 0) {
    *why = unmatched + ": cannot tell which CRTC drives " + target +
           " (only display 0 may take the screen's one CRTC)";
    return None;
  }
  if (otherMonitorShown) {
    // The one CRTC drives a monitor the server knows, and it is another one.
    *why = unmatched + " and the X outputs show other monitors: cannot tell which CRTC drives " + target;
    return None;
  }
  if (activeCrtcs.size() == 1) return *activeCrtcs.begin();
  *why = unmatched + " and the screen drives " + std::to_string(activeCrtcs.size()) +
         " CRTCs: cannot tell which one drives " + target;
  return None;
}

}  // namespace

std::vector<unsigned short> VeltRampFromTable(const float* table, int size) {
  if (size < 2) return {};
  constexpr int kLastEntry = kVeltTableSize - 1;
  std::vector<unsigned short> ramp(size);
  for (int j = 0; j < size; ++j) {
    // Entry j sits at j * 255 / (size - 1) in table units; integers keep both ends exact.
    const long long scaled = static_cast<long long>(j) * kLastEntry;
    const int below = static_cast<int>(scaled / (size - 1));
    const long long rest = scaled % (size - 1);
    double value = table[below];
    if (rest != 0) {
      const double fraction = static_cast<double>(rest) / (size - 1);
      value += (static_cast<double>(table[below + 1]) - table[below]) * fraction;
    }
    // Written so that a NaN ends at 0 rather than in an undefined conversion.
    value = value > 0 ? std::min(value, 1.0) : 0.0;
    ramp[j] = static_cast<unsigned short>(std::lround(value * kRampTop));
  }
  return ramp;
}

VeltRampResult VeltLoadGammaRamp(const std::vector<unsigned char>& edid, int display,
                                 const float* const tables[3], std::string* problem) {
  const XSession x;
  if (x.display() == nullptr) {
    *problem = kNoServerLine;
    return VeltRampResult::kNoServer;
  }
  const std::pair<int, int> randr = RandrVersion(x.display());
  if (randr < kRandrForGamma) {
    *problem = randr.first == 0
                   ? std::string("the X server has no RandR extension: loading a CRTC's gamma "
                                 "ramp needs RandR 1.3 or later")
                   : "the X server offers RandR " + std::to_string(randr.first) + "." +
                         std::to_string(randr.second) +
                         ": loading a CRTC's gamma ramp needs RandR 1.3 or later";
    return VeltRampResult::kNoServer;
  }

  const ScreenResources resources(XRRGetScreenResourcesCurrent(x.display(), x.root()));
  if (!resources) {
    return Fail(x, VeltRampResult::kNoCrtc, "the X server lists no screen resources", problem);
  }
  std::string why;
  const RRCrtc crtc = FindCrtc(x.display(), resources.get(), edid, display, &why);
  if (crtc == None) return Fail(x, VeltRampResult::kNoCrtc, why, problem);

  const int size = XRRGetCrtcGammaSize(x.display(), crtc);
  if (size < 2) {
    return Fail(x, VeltRampResult::kNoCrtc,
                "CRTC " + std::to_string(crtc) + " has no gamma ramp (size " +
                    std::to_string(size) + ")",
                problem);
  }
  const Gamma gamma(XRRAllocGamma(size));
  if (!gamma) {
    *problem = "no memory for a gamma ramp of " + std::to_string(size) + " entries";
    return VeltRampResult::kRefused;
  }
  unsigned short* const channels[3] = {gamma->red, gamma->green, gamma->blue};
  for (int c = 0; c < 3; ++c) {
    const std::vector<unsigned short> ramp = VeltRampFromTable(tables[c], size);
    std::copy(ramp.begin(), ramp.end(), channels[c]);
  }
  XRRSetCrtcGamma(x.display(), crtc, gamma.get());

  if (CaughtXError(x, problem)) return VeltRampResult::kRefused;
  return VeltRampResult::kLoaded;
}

std::vector<unsigned char> VeltPrimaryOutputEdid() {
  const XSession x;
  if (x.display() == nullptr || RandrVersion(x.display()) < kRandrForPrimary) return {};
  const RROutput primary = XRRGetOutputPrimary(x.display(), x.root());
  if (primary == None) return {};
  std::vector<unsigned char> edid = OutputEdid(x.display(), primary);
  // An answer cut short by an X error is no EDID.
  if (x.FirstError() != Success) return {};
  return edid;
}
