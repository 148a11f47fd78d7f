// keyprobe: opens a screen on the real display, shows a fixed test picture
// and prints every key and every change of the mouse state it reads, so the
// window, the scaling, the keys and the mouse can be checked by hand or by a
// script that drives the window.
//
//   keyprobe [--32]             640 x 480 in 16 bits (or 32); prints
//                               "key B1 [B2]" per key read and
//                               "mouse R X Y W B C" per change of the mouse
//                               state; ends after two Escapes in a row.
//   keyprobe --load WxHxD [S]   measures the display thread: S seconds
//                               (default 5) with an idle screen, then S
//                               seconds redrawing every row each frame.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "keyprobe/test_picture.h"
#include "runtime/runtime.h"
#include "runtime/sdl/sdl_display.h"

namespace rt = wimmel::rt;

namespace {

void Line(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void DrawTestPicture(int32_t width, int32_t height) {
  rt::LockScreen();
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      rt::SetPixel(nullptr, x, y, 0xFF000000u | keyprobe::TestPictureColour(x, y, width, height));
    }
  }
  rt::UnlockScreen();
}

int Probe(int32_t depth) {
  rt::SetScreenMode(18, depth, 0, 1, 0);
  const rt::ScreenInfo info = rt::GetScreenInfo();
  DrawTestPicture(info.width, info.height);
  Line("screen " + rt::IntToText(info.width) + " " + rt::IntToText(info.height) + " " +
       rt::IntToText(info.depth) + " " + info.driver);

  bool escapeBefore = false;
  bool mouseKnown = false;
  int32_t last[6] = {};
  for (;;) {
    const std::string key = rt::ReadKey();
    if (!key.empty()) {
      std::string text = "key";
      for (char c : key) {
        text += ' ';
        text += rt::IntToText(static_cast<uint8_t>(c));
      }
      Line(text);
      if (key == "\x1B") {
        if (escapeBefore) break;
        escapeBefore = true;
      } else {
        escapeBefore = false;
      }
    }
    int32_t m[6] = {};
    m[0] = rt::ReadMouse(m[1], m[2], m[3], m[4], m[5]);
    if (!mouseKnown || std::memcmp(m, last, sizeof m) != 0) {
      std::string text = "mouse";
      for (int32_t v : m) {
        text += ' ';
        text += rt::IntToText(v);
      }
      Line(text);
      std::memcpy(last, m, sizeof m);
      mouseKnown = true;
    }
    if (key.empty()) rt::SleepMs(5);
  }
  return 0;
}

// User plus system time of one thread of this process, in seconds.
double ThreadCpuSeconds(int32_t tid) {
  std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t close = stat.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(stat.substr(close + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  // After the name: state is field 3, utime field 14 and stime field 15.
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::stoull(field);
    if (i == 15) stime = std::stoull(field);
  }
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double ProcessCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

// Runs one phase for the given seconds and prints the display thread's share
// of one core, the whole process's share and the presents per second.
template <typename Body>
void Phase(const char* name, double seconds, Body body) {
  const rt::sdl::SdlDisplayStats s0 = rt::sdl::GetSdlDisplayStats();
  const double thread0 = ThreadCpuSeconds(s0.threadId);
  const double process0 = ProcessCpuSeconds();
  const double t0 = rt::TimerSeconds();
  int64_t frames = 0;
  while (rt::TimerSeconds() - t0 < seconds) {
    body(frames);
    ++frames;
  }
  const double elapsed = rt::TimerSeconds() - t0;
  const rt::sdl::SdlDisplayStats s1 = rt::sdl::GetSdlDisplayStats();
  char text[256];
  std::snprintf(text, sizeof text,
                "%s: display thread %.1f%% of one core, process %.1f%%, %.1f presents/s, "
                "%.0f rows uploaded/s, %.1f frames drawn/s",
                name, 100.0 * (ThreadCpuSeconds(s1.threadId) - thread0) / elapsed,
                100.0 * (ProcessCpuSeconds() - process0) / elapsed,
                static_cast<double>(s1.presents - s0.presents) / elapsed,
                static_cast<double>(s1.rowsUploaded - s0.rowsUploaded) / elapsed,
                static_cast<double>(frames) / elapsed);
  Line(text);
}

int Load(int32_t width, int32_t height, int32_t depth, double seconds) {
  if (rt::SetScreenSize(width, height, depth) != 0) {
    Line("load: cannot open " + rt::IntToText(width) + "x" + rt::IntToText(height) + "x" +
         rt::IntToText(depth));
    return 1;
  }
  const rt::ScreenInfo info = rt::GetScreenInfo();
  DrawTestPicture(info.width, info.height);
  // Let the first picture reach the window before the idle phase starts:
  // wait until a quarter of a second passes without an upload.
  uint64_t rows = rt::sdl::GetSdlDisplayStats().rowsUploaded;
  for (int quiet = 0, tries = 0; quiet < 5 && tries < 100; ++tries) {
    rt::SleepMs(50);
    const uint64_t now = rt::sdl::GetSdlDisplayStats().rowsUploaded;
    quiet = now == rows ? quiet + 1 : 0;
    rows = now;
  }
  Phase("idle", seconds, [](int64_t) { rt::SleepMs(50); });
  Phase("load", seconds, [&](int64_t frame) {
    // Every row changes: a full-screen box in a colour that differs each frame.
    const uint32_t colour = 0xFF000000u | static_cast<uint32_t>(frame * 0x010305 & 0xFFFFFF);
    rt::LockScreen();
    rt::DrawLine(nullptr, 0, 0, info.width - 1, info.height - 1, colour, 2);
    rt::UnlockScreen();
    rt::SleepMs(10);
  });
  return 0;
}

int Run(int argc, char** argv) {
  int32_t depth = 16;
  int32_t loadW = 0, loadH = 0, loadD = 0;
  double seconds = 5;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--32") {
      depth = 32;
    } else if (arg == "--load" && i + 1 < argc &&
               std::sscanf(argv[i + 1], "%dx%dx%d", &loadW, &loadH, &loadD) == 3) {
      ++i;
      if (i + 1 < argc && argv[i + 1][0] != '-') seconds = std::atof(argv[++i]);
    } else {
      std::fprintf(stderr, "usage: keyprobe [--32] | keyprobe --load WxHxD [seconds]\n");
      return 2;
    }
  }
  std::string error;
  auto display = rt::sdl::MakeSdlDisplay(error);
  if (!display) {
    std::fprintf(stderr, "Keine Grafikanzeige verfuegbar: %s\n", error.c_str());
    return 1;
  }
  // The runtime ends the display, also when a key ends the program.
  rt::Runtime runtime(std::move(display));
  rt::StartRuntime(argc, argv);
  try {
    return loadW > 0 ? Load(loadW, loadH, loadD, seconds) : Probe(depth);
  } catch (const rt::ProgramEnd& end) {
    return end.code;
  }
}

}  // namespace

int main(int argc, char** argv) {
  return Run(argc, argv);
}
