// assetgen DIR [--only-pictures | --only-music]
//
// Writes every picture and music file the program reads into DIR, plus a
// contact sheet of all pictures and the program's desktop icons in icons/.
// The output depends on nothing but this program, so every run writes the
// same bytes.

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "contact.h"
#include "figures.h"
#include "ground.h"
#include "icon.h"
#include "objects.h"
#include "picture.h"
#include "shared/figure_keys.h"
#include "songs.h"
#include "synth.h"
#include "ui.h"

namespace assetgen {
namespace {

struct PictureFile {
  std::string path;  // below the output folder
  BmpKind kind = BmpKind::kRgb24;
  std::function<Picture()> make;
  Picture pic;
};

struct StripFiles {
  std::string kind;
  std::vector<Picture> strips;
};

// Runs the jobs on a few threads; each job writes only its own result slot.
void RunJobs(const std::vector<std::function<void()>>& jobs) {
  const unsigned n = std::max(2u, std::min(4u, std::thread::hardware_concurrency()));
  std::atomic<size_t> next{0};
  std::vector<std::thread> pool;
  for (unsigned t = 0; t < n; ++t)
    pool.emplace_back([&] {
      for (size_t i = next++; i < jobs.size(); i = next++) jobs[i]();
    });
  for (auto& th : pool) th.join();
}

double Db(double v) {
  return v > 0 ? 20.0 * std::log10(v) : -200.0;
}

int Run(const std::string& dir, bool pictures, bool music) {
  const auto t0 = std::chrono::steady_clock::now();
  std::vector<PictureFile> files = {
      {"HG_bild/Karogrun.bmp", BmpKind::kRgb24, [] { return Meadow(1280, 880); }, {}},
      {"objekte/QumyH.bmp", BmpKind::kRgb24, Cottage, {}},
      {"objekte/HausA.bmp", BmpKind::kRgb24, HouseA, {}},
      {"objekte/HausC.bmp", BmpKind::kRgb24, HouseC, {}},
      {"objekte/HausD.bmp", BmpKind::kRgb24, HouseD, {}},
      {"objekte/Kreisel1.bmp", BmpKind::kRgb24, Carousel, {}},
      {"HG_bild/TastLe15.bmp", BmpKind::kRgb24, [] { return KeyCap(19, 19); }, {}},
      {"HG_bild/TastLeer.bmp", BmpKind::kRgb24, [] { return KeyCap(30, 30); }, {}},
      {"HG_bild/tabtast.bmp", BmpKind::kPalette8, TabKey, {}},
      {"HG_bild/Rucktast.bmp", BmpKind::kPalette8, BackspaceKey, {}},
      {"HG_bild/Zahlblck.bmp", BmpKind::kPalette8, NumberPad, {}},
      {"HG_bild/tarzan01.bmp",
       BmpKind::kRgb24,
       [] { return FigurePortrait("tarzan01", 30, 29); },
       {}},
      {"pattern/metall2.bmp", BmpKind::kRgb24, MetalPattern, {}},
      {"pattern/maskiert.bmp", BmpKind::kPalette4, MaskedPattern, {}},
      {"pattern/Stein1.bmp", BmpKind::kRgb24, StonePattern, {}},
      {"pattern/buerste.bmp", BmpKind::kRgb24, BrushPattern, {}},
      {"pattern/Chrom3.bmp", BmpKind::kRgb24, ChromePattern, {}},
  };
  // The help page's picture beside each figure key shows the figure the key
  // chooses, whatever the file is called.
  for (const wimmel::FigureKey& key : wimmel::kFigureKeys) {
    if (key.portrait.empty()) continue;
    const std::string kind(key.kind);
    files.push_back({"HG_bild/figur/" + std::string(key.portrait) + ".bmp",
                     BmpKind::kRgb24,
                     [kind] { return FigurePortrait(kind, 30, 30); },
                     {}});
  }
  std::vector<StripFiles> strips;
  for (const std::string& k : FigureKinds()) strips.push_back({k, {}});
  // The icons are named for the freedesktop icon theme's folders, so an
  // installation copies the folder as it is.
  struct IconFile {
    int size;
    Picture pic;
  };
  std::vector<IconFile> icons = {{48, {}}, {256, {}}};
  std::vector<Track> tracks;
  std::vector<Levels> levels;
  std::vector<double> seconds;
  if (music) {
    tracks = AllTracks();
    levels.resize(tracks.size());
    seconds.resize(tracks.size());
  }
  std::vector<char> ok(tracks.size(), 1);

  // The longest jobs go first, so the threads finish at about the same time.
  std::vector<std::function<void()>> jobs;
  for (size_t i = 0; i < tracks.size(); ++i)
    jobs.push_back([&, i] {
      const Stereo mix = RenderSong(tracks[i].song);
      levels[i] = Measure(mix);
      seconds[i] = static_cast<double>(mix.left.size()) / kSampleRate;
      ok[i] = WriteFileBytes(dir + "/musik/" + tracks[i].file, EncodeMp3(mix, 160));
    });
  if (pictures) {
    for (auto& s : strips) jobs.push_back([&s] { s.strips = FigureStrips(s.kind); });
    for (auto& f : files) jobs.push_back([&f] { f.pic = f.make(); });
    for (auto& i : icons) jobs.push_back([&i] { i.pic = AppIcon(i.size); });
  }
  RunJobs(jobs);

  bool allOk = true;
  for (size_t i = 0; i < tracks.size(); ++i) {
    allOk = allOk && ok[i];
    std::printf("assetgen: musik/%s %.1f s, peak %.2f dBFS, RMS %.1f dBFS\n",
                tracks[i].file.c_str(), seconds[i], Db(levels[i].peak), Db(levels[i].rms));
  }
  if (pictures) {
    std::vector<SheetItem> sheet;
    for (auto& f : files) {
      allOk = WriteFileBytes(dir + "/" + f.path, EncodeBmp(f.pic, f.kind)) && allOk;
      if (f.path != "HG_bild/Karogrun.bmp") sheet.push_back({f.path, &f.pic, 2, 0});
    }
    for (auto& s : strips)
      for (size_t d = 0; d < s.strips.size(); ++d) {
        const std::string path = "figure/" + s.kind + "/" + std::to_string(d + 1) + ".bmp";
        allOk = WriteFileBytes(dir + "/" + path, EncodeBmp(s.strips[d], BmpKind::kRgb24)) && allOk;
        sheet.push_back({path, &s.strips[d], 2, kFrameSize});
      }
    // The meadow with the houses merged as the program places them in the
    // largest screen mode, at its own size.
    Picture scene = files[0].pic;
    const Picture& houseA = files[2].pic;
    scene.Paste(files[1].pic, 10, 10);
    int x = scene.w - houseA.w - 200, y = scene.h - 150 - houseA.h;
    int prevH = houseA.h;
    scene.Paste(houseA, x, y);
    for (int k : {3, 4}) {
      x += 40;
      y += static_cast<int>(std::nearbyint(prevH * 0.315));
      scene.Paste(files[k].pic, x, y);
      prevH = files[k].pic.h;
    }
    sheet.push_back({"HG_bild/Karogrun.bmp with objects, 1:1", &scene, 1, 0});
    for (const auto& i : icons) {
      const std::string size = std::to_string(i.size);
      allOk = WriteFileBytes(dir + "/icons/" + size + "x" + size + "/wimmel.png",
                             EncodePngWithAlpha(i.pic)) &&
              allOk;
    }
    allOk =
        WriteFileBytes(dir + "/contact-sheet.png", EncodePng(ContactSheet(sheet, 1320))) && allOk;
  }
  const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("assetgen: wrote %s in %.2f s\n", dir.c_str(), took);
  if (!allOk) std::fprintf(stderr, "assetgen: could not write every file into %s\n", dir.c_str());
  return allOk ? 0 : 1;
}

}  // namespace
}  // namespace assetgen

int main(int argc, char** argv) {
  std::string dir;
  bool pictures = true, music = true, bad = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--only-pictures") == 0)
      music = false;
    else if (std::strcmp(argv[i], "--only-music") == 0)
      pictures = false;
    else if (dir.empty())
      dir = argv[i];
    else
      bad = true;
  }
  if (bad || dir.empty() || (!pictures && !music)) {
    std::fprintf(stderr, "usage: assetgen DIR [--only-pictures | --only-music]\n");
    return 2;
  }
  return assetgen::Run(dir, pictures, music);
}
