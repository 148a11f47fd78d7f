#include "songs.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string_view>

namespace assetgen {

namespace {

using Wave = Instrument::Wave;

int PitchClass(char letter) {
  switch (letter) {
    case 'C':
      return 0;
    case 'D':
      return 2;
    case 'E':
      return 4;
    case 'F':
      return 5;
    case 'G':
      return 7;
    case 'A':
      return 9;
    default:
      return 11;  // 'B'
  }
}

// Splits at blanks; bar lines "|" only help the reader.
std::vector<std::string> Tokens(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    if (c == '|') c = ' ';
  std::vector<std::string> out;
  std::istringstream in{s};
  std::string t;
  while (in >> t) out.push_back(t);
  return out;
}

// "C#5", "Bb4", "G3" to a MIDI number.
int ParseNote(const std::string& t) {
  size_t i = 1;
  int pc = PitchClass(t[0]);
  if (i < t.size() && t[i] == '#') ++pc, ++i;
  if (i < t.size() && t[i] == 'b') --pc, ++i;
  const int octave = std::stoi(t.substr(i));
  return 12 * (octave + 1) + pc;
}

struct Chord {
  int root = 0;               // pitch class
  std::vector<int> tones;     // semitones above the root
  int start = 0, length = 0;  // steps
};

Chord ParseChord(const std::string& t) {
  Chord c;
  size_t i = 1;
  c.root = PitchClass(t[0]);
  if (i < t.size() && t[i] == '#') ++c.root, ++i;
  if (i < t.size() && t[i] == 'b') --c.root, ++i;
  c.root = (c.root + 12) % 12;
  const std::string q = t.substr(i);
  if (q == "m")
    c.tones = {0, 3, 7};
  else if (q == "7")
    c.tones = {0, 4, 7, 10};
  else if (q == "m7")
    c.tones = {0, 3, 7, 10};
  else if (q == "maj7")
    c.tones = {0, 4, 7, 11};
  else if (q == "6")
    c.tones = {0, 4, 7, 9};
  else if (q == "sus4")
    c.tones = {0, 5, 7};
  else if (q == "dim")
    c.tones = {0, 3, 6};
  else
    c.tones = {0, 4, 7};
  return c;
}

// Builds a song step by step; one step is a sixteenth note.
class Score {
 public:
  Score(double bpm, double swing = 0) : step_(60.0 / bpm / 4.0), swing_(swing) {}

  static constexpr int kBar = 16;

  // Seconds at a step; swing delays the off-beat eighths.
  double Time(double step) const {
    const double beat = std::floor(step / 4.0);
    const double in = step - beat * 4.0;
    const double mid = 2.0 + 2.0 * swing_;
    const double mapped = in < 2.0 ? in * (mid / 2.0) : mid + (in - 2.0) * ((4.0 - mid) / 2.0);
    return (beat * 4.0 + mapped) * step_;
  }

  void Add(int inst, double stepStart, double steps, int pitch, double vel) {
    const double t0 = Time(stepStart), t1 = Time(stepStart + steps);
    notes_.push_back({t0, std::max(0.02, t1 - t0), static_cast<double>(pitch), vel, inst});
  }

  // A melody line: one token per `unit` steps; "-" holds, "." rests.
  void Line(int inst, int bar, std::string_view text, int unit = 2, int transpose = 0,
            double vel = 1.0, double gate = 0.92) {
    int step = bar * kBar;
    int pitch = -1, start = 0, len = 0;
    auto flush = [&]() {
      // Notes on the beat speak a little louder than those between beats.
      const double accent = start % kBar == 0 ? 1.0 : (start % 4 == 0 ? 0.93 : 0.84);
      if (pitch >= 0) Add(inst, start, len * gate, pitch + transpose, vel * accent);
      pitch = -1;
    };
    for (const std::string& t : Tokens(text)) {
      if (t == "-") {
        len += unit;
      } else {
        flush();
        if (t != ".") {
          pitch = ParseNote(t);
          start = step;
          len = unit;
        }
      }
      step += unit;
    }
    flush();
  }

  // A chord chart, one bar between bars "|" marks; a bar may hold two chords.
  void Chart(int bar, std::string_view text) {
    std::istringstream in{std::string(text)};
    std::string barText;
    int b = bar;
    while (std::getline(in, barText, '|')) {
      auto names = Tokens(barText);
      if (names.empty()) continue;
      const int each = kBar / static_cast<int>(names.size());
      for (size_t i = 0; i < names.size(); ++i) {
        Chord c = ParseChord(names[i]);
        c.start = b * kBar + static_cast<int>(i) * each;
        c.length = each;
        chords_.push_back(c);
      }
      ++b;
    }
  }

  // Plays a pattern over the chords from `fromBar` to `toBar` (exclusive).
  // Tokens: "1" root, "3" third, "5" fifth, "7" seventh (or the octave),
  // "8" octave, "10" and "12" the third and fifth an octave up, "-5" the
  // fifth below; "c" the whole chord; "-" holds, "." rests.
  void Pattern(int inst, int fromBar, int toBar, std::string_view pattern, int unit, int octave,
               double vel = 1.0, double gate = 0.9) {
    const auto toks = Tokens(pattern);
    for (const Chord& c : chords_) {
      if (c.start < fromBar * kBar || c.start >= toBar * kBar) continue;
      const int base = 12 * (octave + 1) + c.root;
      int k = 0;
      for (int s = 0; s < c.length; s += unit, ++k) {
        const std::string& t = toks[static_cast<size_t>(k) % toks.size()];
        if (t == "-" || t == ".") continue;
        int hold = std::min(unit, c.length - s);  // never past the chord
        for (size_t j = static_cast<size_t>(k) + 1;
             j < toks.size() && toks[j] == "-" && s + hold < c.length; ++j)
          hold += unit;
        const double len = hold * gate;
        if (t == "c") {
          for (int tone : c.tones) Add(inst, c.start + s, len, base + 12 + tone, vel * 0.8);
          continue;
        }
        Add(inst, c.start + s, len, base + Degree(c, t), vel);
      }
    }
  }

  // A walking bass in quarter notes leading into each next chord.
  void Walk(int inst, int fromBar, int toBar, int octave, double vel = 1.0) {
    for (size_t i = 0; i < chords_.size(); ++i) {
      const Chord& c = chords_[i];
      if (c.start < fromBar * kBar || c.start >= toBar * kBar) continue;
      const int base = 12 * (octave + 1) + c.root;
      const int beats = c.length / 4;
      const int nextRoot = i + 1 < chords_.size() ? chords_[i + 1].root : c.root;
      int target = 12 * (octave + 1) + nextRoot;
      if (target - base > 6) target -= 12;
      if (base - target > 6) target += 12;
      for (int q = 0; q < beats; ++q) {
        int p;
        if (q == 0)
          p = base;
        else if (q == beats - 1 && beats > 1)
          p = target + (target > base ? -1 : 1);  // chromatic approach
        else
          p = base + (q % 2 == 1 ? c.tones[1] : c.tones[2]);
        Add(inst, c.start + q * 4, 3.4, p, vel * (q == 0 ? 1.0 : 0.85));
      }
    }
  }

  // Drum hits from a sixteen-step pattern per bar: "x" full, "o" soft.
  void Drums(int inst, int fromBar, int toBar, std::string_view pattern) {
    std::string pat;
    for (char ch : pattern)
      if (ch != ' ' && ch != '|') pat.push_back(ch);
    for (int b = fromBar; b < toBar; ++b)
      for (int s = 0; s < kBar; ++s) {
        const char ch = pat[static_cast<size_t>(s) % pat.size()];
        if (ch == 'x') Add(inst, b * kBar + s, 1, 60, 1.0);
        if (ch == 'o') Add(inst, b * kBar + s, 1, 60, 0.55);
      }
  }

  double BarTime(int bar) const { return Time(bar * kBar); }
  std::vector<Note>& notes() { return notes_; }

 private:
  static int Degree(const Chord& c, const std::string& t) {
    const int third = c.tones[1], fifth = c.tones[2];
    const int seventh = c.tones.size() > 3 ? c.tones[3] : 12;
    if (t == "1") return 0;
    if (t == "3") return third;
    if (t == "5") return fifth;
    if (t == "7") return seventh;
    if (t == "8") return 12;
    if (t == "10") return 12 + third;
    if (t == "12") return 12 + fifth;
    if (t == "-5") return fifth - 12;
    if (t == "-3") return third - 12;
    return 0;
  }

  double step_, swing_;
  std::vector<Note> notes_;
  std::vector<Chord> chords_;
};

Instrument Make(Wave w, double gain, double pan, double echo) {
  Instrument in;
  in.wave = w;
  in.gain = gain;
  in.pan = pan;
  in.echo = echo;
  return in;
}

// ---------------------------------------------------------------------------
// Intro: C major, calm and friendly, built to loop.

Song Intro() {
  Song s;
  s.name = "Qum1_I";
  enum { kLead, kArp, kBass, kPad, kKick, kHat, kBrush, kBell };
  Instrument lead = Make(Wave::kTriangle, 0.34, -0.1, 0.35);
  lead.attack = 0.012;
  lead.decay = 0.25;
  lead.sustain = 0.7;
  lead.release = 0.14;
  lead.vibDepth = 0.12;
  lead.vibRate = 5.2;
  Instrument arp = Make(Wave::kPulse, 0.075, 0.4, 0.3);
  arp.duty = 0.125;
  arp.attack = 0.003;
  arp.decay = 0.12;
  arp.sustain = 0.25;
  arp.release = 0.05;
  arp.lowpass = 4200;
  Instrument bass = Make(Wave::kTriangle, 0.3, 0.0, 0.0);
  bass.attack = 0.006;
  bass.sustain = 0.85;
  bass.release = 0.06;
  Instrument pad = Make(Wave::kSaw, 0.09, -0.3, 0.15);
  pad.attack = 0.35;
  pad.decay = 0.5;
  pad.sustain = 0.8;
  pad.release = 0.6;
  pad.detune = 9;
  pad.lowpass = 1500;
  Instrument kick = Make(Wave::kKick, 0.32, 0, 0);
  Instrument hat = Make(Wave::kHat, 0.3, 0.3, 0.05);
  Instrument brush = Make(Wave::kBrush, 0.18, -0.2, 0.1);
  Instrument bell = Make(Wave::kBell, 0.15, 0.35, 0.45);
  bell.attack = 0.002;
  bell.decay = 0.6;
  bell.sustain = 0.0;
  bell.release = 0.3;
  s.instruments = {lead, arp, bass, pad, kick, hat, brush, bell};
  s.echoTime = 60.0 / 116 * 0.75;  // a dotted eighth
  s.echoFeedback = 0.38;
  s.echoLevel = 0.45;
  Score sc(116);
  sc.Chart(0, "C | Am | F | G | C | Am | Dm G | C | F | G | Em | Am | F | G | Dm | G7");
  const char* melody =
      "G4 C5 E5 G5 - - E5 - | A5 - G5 E5 C5 - D5 - | F5 - A5 - C6 - A5 G5 | G5 - - - D5 - B4 - |"
      "C5 E5 G5 C6 - - G5 - | A5 - E5 - C5 - E5 - | F5 - E5 D5 B4 - D5 - | C5 - - - - - . . |"
      "A5 - - G5 F5 - C5 - | D5 - - E5 F5 - G5 - | G5 - - F5 E5 - B4 - | C5 - B4 - A4 - - - |"
      "F5 - A5 - C6 - - A5 | B5 - G5 - D5 - - B4 | A5 - F5 - D5 - F5 - | G5 - F5 - D5 - B4 -";
  sc.Line(kLead, 0, melody);
  // The bell doubles the second half an octave up, quietly.
  sc.Line(kBell, 8,
          "A5 - - G5 F5 - C5 - | D5 - - E5 F5 - G5 - | G5 - - F5 E5 - B4 - | C5 - B4 - A4 - - - |"
          "F5 - A5 - C6 - - A5 | B5 - G5 - D5 - - B4 | A5 - F5 - D5 - F5 - | G5 - F5 - D5 - B4 -",
          2, 12, 0.8);
  sc.Pattern(kArp, 0, 16, "1 3 5 8 10 8 5 3", 2, 4);
  sc.Pattern(kBass, 0, 16, "1 - - 5 8 - 5 -", 2, 2);
  sc.Pattern(kPad, 0, 16, "c", 16, 3, 1.0, 1.0);
  sc.Drums(kKick, 0, 16, "x....... x.......");
  sc.Drums(kHat, 0, 16, "..o...o...o...o.");
  sc.Drums(kBrush, 0, 16, "....x.......x...");
  s.notes = std::move(sc.notes());
  s.length = sc.BarTime(16);
  s.loop = true;
  return s;
}

// ---------------------------------------------------------------------------
// Scene track 1: F major, bouncy, pulse lead over a jumping triangle bass.

Song SceneOne() {
  Song s;
  s.name = "Qum1_E";
  enum { kLead, kHarm, kBass, kArp, kKick, kSnare, kHat, kOpen };
  Instrument lead = Make(Wave::kPulse, 0.3, 0.15, 0.3);
  lead.duty = 0.25;
  lead.pwmDepth = 0.06;
  lead.pwmRate = 0.3;
  lead.attack = 0.004;
  lead.decay = 0.18;
  lead.sustain = 0.6;
  lead.release = 0.07;
  lead.vibDepth = 0.18;
  lead.vibRate = 6.0;
  lead.vibDelay = 0.18;
  lead.lowpass = 6000;
  Instrument harm = Make(Wave::kPulse, 0.16, -0.45, 0.25);
  harm.duty = 0.5;
  harm.attack = 0.004;
  harm.decay = 0.2;
  harm.sustain = 0.5;
  harm.release = 0.07;
  harm.lowpass = 3000;
  Instrument bass = Make(Wave::kTriangle, 0.36, 0, 0);
  bass.attack = 0.004;
  bass.decay = 0.1;
  bass.sustain = 0.8;
  bass.release = 0.04;
  Instrument arp = Make(Wave::kPulse, 0.11, 0.5, 0.35);
  arp.duty = 0.125;
  arp.attack = 0.002;
  arp.decay = 0.08;
  arp.sustain = 0.2;
  arp.release = 0.04;
  arp.lowpass = 5000;
  Instrument kick = Make(Wave::kKick, 0.42, 0, 0);
  Instrument snare = Make(Wave::kSnare, 0.38, -0.1, 0.12);
  Instrument hat = Make(Wave::kHat, 0.3, 0.35, 0.0);
  Instrument open = Make(Wave::kOpenHat, 0.2, 0.35, 0.1);
  s.instruments = {lead, harm, bass, arp, kick, snare, hat, open};
  s.echoTime = 60.0 / 126 * 0.75;
  s.echoFeedback = 0.3;
  s.echoLevel = 0.4;
  Score sc(126);
  const char* chartA = "F | C | Dm | Bb | F | C | Bb C | F";
  const char* chartB = "Bb | C | Am | Dm | Gm | C | F D7 | Gm C7";
  const char* melA =
      "A4 C5 F5 - F5 - G5 A5 | G5 - E5 C5 - - G4 - | A4 D5 F5 - F5 - G5 A5 |"
      "Bb5 - A5 G5 F5 - D5 - | C5 - F5 - A5 - C6 - | Bb5 A5 G5 - E5 - C5 - |"
      "D5 - F5 - E5 - G5 - | F5 - - - . . . .";
  const char* harmA =
      "F4 A4 C5 - C5 - E5 F5 | E5 - C5 G4 - - E4 - | F4 A4 D5 - D5 - E5 F5 |"
      "F5 - F5 D5 D5 - Bb4 - | A4 - C5 - F5 - A5 - | G5 F5 E5 - C5 - G4 - |"
      "Bb4 - D5 - C5 - E5 - | C5 - - - . . . .";
  const char* melB =
      "D6 - - C6 Bb5 - F5 - | E5 - G5 - C6 - - - | C6 - - Bb5 A5 - E5 - |"
      "F5 - A5 - D6 - - - | D6 C6 Bb5 - G5 - Bb5 - | C6 Bb5 A5 - G5 - E5 - |"
      "F5 - A5 - F#5 - A5 - | G5 - D5 - E5 - G5 -";
  // Intro 4 bars, A, A with harmony, B, A, B, A, outro 4.
  sc.Chart(0, "F | Dm | Bb | C");
  sc.Chart(4, chartA);
  sc.Chart(12, chartA);
  sc.Chart(20, chartB);
  sc.Chart(28, chartA);
  sc.Chart(36, chartB);
  sc.Chart(44, chartA);
  sc.Chart(52, "F | Bb | C | F");
  sc.Line(kLead, 4, melA);
  sc.Line(kLead, 12, melA);
  sc.Line(kHarm, 12, harmA, 2, 0, 0.9);
  sc.Line(kLead, 20, melB);
  sc.Line(kHarm, 20, melB, 2, -12, 0.7);
  sc.Line(kLead, 28, melA);
  sc.Line(kLead, 36, melB);
  sc.Line(kLead, 44, melA);
  sc.Line(kHarm, 44, harmA, 2, 0, 0.9);
  sc.Line(kLead, 52,
          "A4 C5 F5 - - - A5 - | Bb5 - A5 - F5 - D5 - | E5 - G5 - C6 - Bb5 - | A5 - - - - - - -");
  sc.Pattern(kArp, 0, 4, "1 3 5 8 5 3", 2, 4);
  sc.Pattern(kArp, 20, 28, "8 5 3 5", 2, 4, 0.8);
  sc.Pattern(kArp, 36, 44, "8 5 3 5", 2, 4, 0.8);
  sc.Pattern(kArp, 52, 56, "1 3 5 8 5 3", 2, 4);
  sc.Pattern(kBass, 0, 56, "1 8 5 8", 2, 2, 1.0, 0.7);
  sc.Drums(kKick, 0, 2, "x.......x.......");
  sc.Drums(kHat, 0, 4, "x.o.x.o.x.o.x.o.");
  sc.Drums(kKick, 2, 55, "x.....x.x.......");
  sc.Drums(kSnare, 4, 55, "....x.......x...");
  sc.Drums(kHat, 4, 55, "x.oox.o.x.oox.o.");
  sc.Drums(kOpen, 4, 55, "..............x.");
  // A snare fill closes every eight-bar section.
  for (int bar : {11, 19, 27, 35, 43, 51}) sc.Drums(kSnare, bar, bar + 1, "..........o.x.ox");
  sc.Drums(kKick, 55, 56, "x...............");
  s.notes = std::move(sc.notes());
  s.length = sc.BarTime(56);
  return s;
}

// ---------------------------------------------------------------------------
// Scene track 2: D major, a swung stroll with mallets and a walking bass.

Song SceneTwo() {
  Song s;
  s.name = "Qum2_E";
  enum { kMallet, kLead, kBass, kChord, kKick, kBrush, kHat };
  Instrument mallet = Make(Wave::kBell, 0.36, -0.2, 0.35);
  mallet.attack = 0.002;
  mallet.decay = 0.5;
  mallet.sustain = 0.15;
  mallet.release = 0.25;
  Instrument lead = Make(Wave::kTriangle, 0.26, 0.2, 0.3);
  lead.attack = 0.02;
  lead.decay = 0.3;
  lead.sustain = 0.7;
  lead.release = 0.12;
  lead.vibDepth = 0.2;
  lead.vibRate = 4.8;
  Instrument bass = Make(Wave::kSaw, 0.45, 0, 0);
  bass.attack = 0.004;
  bass.decay = 0.25;
  bass.sustain = 0.45;
  bass.release = 0.06;
  bass.lowpass = 700;
  Instrument chord = Make(Wave::kPulse, 0.085, 0.45, 0.2);
  chord.duty = 0.35;
  chord.attack = 0.004;
  chord.decay = 0.15;
  chord.sustain = 0.3;
  chord.release = 0.08;
  chord.lowpass = 2400;
  Instrument kick = Make(Wave::kKick, 0.34, 0, 0);
  Instrument brush = Make(Wave::kBrush, 0.32, -0.25, 0.1);
  Instrument hat = Make(Wave::kHat, 0.28, 0.3, 0.05);
  s.instruments = {mallet, lead, bass, chord, kick, brush, hat};
  s.echoTime = 60.0 / 100 * 0.5;
  s.echoFeedback = 0.32;
  s.echoLevel = 0.4;
  Score sc(100, 0.32);
  const char* chartA = "D | Bm | G | A7 | D | Bm | Em A7 | D";
  const char* chartB = "G | A | F#m | Bm | G | A | D B7 | Em A7";
  const char* melA =
      "D5 - F#5 - A5 - - F#5 | B5 - A5 - F#5 - D5 - | G5 - B5 - D6 - B5 G5 | A5 - - - E5 - C#5 - |"
      "D5 - F#5 A5 - F#5 A5 - | B5 - D6 - B5 - F#5 - | G5 - E5 - C#5 - E5 - | D5 - - - . . A4 -";
  const char* melB =
      "B5 - - A5 G5 - D5 - | C#6 - - B5 A5 - E5 - | F#5 - A5 - C#6 - A5 - | B5 - - - F#5 - D5 - |"
      "D6 - B5 - G5 - B5 - | C#6 - A5 - E5 - A5 - | F#5 - A5 - D#5 - F#5 - | E5 - G5 - C#5 - A4 -";
  // Intro 2, A (mallet), A (lead over mallet), B (both), A (mallet over lead), outro 2.
  sc.Chart(0, "D | A7");
  sc.Chart(2, chartA);
  sc.Chart(10, chartA);
  sc.Chart(18, chartB);
  sc.Chart(26, chartA);
  sc.Chart(34, "G A7 | D");
  sc.Line(kMallet, 2, melA);
  sc.Line(kLead, 10, melA);
  sc.Line(kMallet, 10, melA, 2, 12, 0.45);
  sc.Line(kLead, 18, melB);
  sc.Line(kMallet, 18, melB, 2, 12, 0.4);
  sc.Line(kMallet, 26, melA);
  sc.Line(kLead, 26, melA, 2, -12, 0.5);
  sc.Line(kMallet, 34, "B5 - A5 - G5 - E5 - | D5 - - - - - - -");
  sc.Line(kLead, 34, "G4 - - - E4 - - - | F#4 - - - - - - -", 2, 0, 0.6);
  sc.Walk(kBass, 0, 34, 2);
  sc.Pattern(kBass, 34, 36, "1 - - - 5 - - - ", 2, 2);
  sc.Pattern(kChord, 0, 36, ". c . c", 4, 3, 1.0, 0.5);
  sc.Drums(kKick, 0, 35, "x.......x.......");
  sc.Drums(kBrush, 0, 35, "....x.......x...");
  sc.Drums(kHat, 0, 35, "x.o.x.o.x.o.x.o.");
  sc.Drums(kKick, 35, 36, "x...............");
  s.notes = std::move(sc.notes());
  s.length = sc.BarTime(36);
  return s;
}

// ---------------------------------------------------------------------------
// Scene track 3: A major, a fast galop with oom-pah bass and bright leads.

Song SceneThree() {
  Song s;
  s.name = "Qum3_F";
  enum { kLead, kHarm, kBass, kStab, kKick, kSnare, kHat };
  Instrument lead = Make(Wave::kPulse, 0.26, -0.15, 0.25);
  lead.duty = 0.125;
  lead.attack = 0.003;
  lead.decay = 0.1;
  lead.sustain = 0.65;
  lead.release = 0.05;
  lead.vibDepth = 0.1;
  lead.vibRate = 7;
  lead.vibDelay = 0.12;
  lead.lowpass = 7000;
  Instrument harm = Make(Wave::kPulse, 0.15, 0.4, 0.2);
  harm.duty = 0.5;
  harm.attack = 0.003;
  harm.decay = 0.1;
  harm.sustain = 0.5;
  harm.release = 0.05;
  harm.lowpass = 3500;
  Instrument bass = Make(Wave::kTriangle, 0.4, 0, 0);
  bass.attack = 0.003;
  bass.decay = 0.1;
  bass.sustain = 0.7;
  bass.release = 0.03;
  Instrument stab = Make(Wave::kPulse, 0.07, 0.2, 0.1);
  stab.duty = 0.4;
  stab.attack = 0.002;
  stab.decay = 0.08;
  stab.sustain = 0.2;
  stab.release = 0.04;
  stab.lowpass = 2800;
  Instrument kick = Make(Wave::kKick, 0.4, 0, 0);
  Instrument snare = Make(Wave::kSnare, 0.32, 0.1, 0.1);
  Instrument hat = Make(Wave::kHat, 0.26, -0.35, 0);
  s.instruments = {lead, harm, bass, stab, kick, snare, hat};
  s.echoTime = 60.0 / 152 * 0.75;
  s.echoFeedback = 0.25;
  s.echoLevel = 0.35;
  Score sc(152);
  const char* chartA = "A | E | A | E | A | D | E | A";
  const char* chartB = "D | A | E | A | D | A | B7 E | A";
  const char* melA =
      "E5 A5 C#6 A5 E5 A5 C#6 A5 | D6 B5 G#5 B5 E5 G#5 B5 - | C#6 A5 E5 A5 C#6 - E6 - |"
      "D6 - B5 - G#5 - E5 - | A5 - C#6 - E6 - C#6 - | F#6 - D6 - A5 - F#5 - |"
      "G#5 A5 B5 C#6 D6 - B5 - | A5 - E5 - A5 - . .";
  const char* harmA =
      "C#5 E5 A5 E5 C#5 E5 A5 E5 | B5 G#5 E5 G#5 B4 E5 G#5 - | A5 E5 C#5 E5 A5 - C#6 - |"
      "B5 - G#5 - E5 - B4 - | E5 - A5 - C#6 - A5 - | D6 - A5 - F#5 - D5 - |"
      "E5 F#5 G#5 A5 B5 - G#5 - | E5 - C#5 - E5 - . .";
  const char* melB =
      "F#5 - A5 - D6 - A5 - | E5 - A5 - C#6 - A5 - | G#5 - B5 - E6 - D6 - | C#6 B5 A5 - E5 - - - |"
      "D6 - F#6 - D6 - A5 - | C#6 - E6 - C#6 - A5 - | D#6 - B5 - E6 - B5 - | A5 - - - . . . .";
  const char* harmB =
      "D5 - F#5 - A5 - F#5 - | C#5 - E5 - A5 - E5 - | E5 - G#5 - B5 - B5 - | A5 G#5 E5 - C#5 - - - "
      "|"
      "A5 - D6 - A5 - F#5 - | A5 - C#6 - A5 - E5 - | B5 - F#5 - G#5 - G#5 - | E5 - - - . . . .";
  // Intro 4, A, A+harmony, B, B+harmony, A+harmony, coda 4.
  sc.Chart(0, "A | D | E | E7");
  sc.Chart(4, chartA);
  sc.Chart(12, chartA);
  sc.Chart(20, chartB);
  sc.Chart(28, chartB);
  sc.Chart(36, chartA);
  sc.Chart(44, chartA);
  sc.Chart(52, "D | E | A | A");
  sc.Line(kLead, 4, melA);
  sc.Line(kLead, 12, melA);
  sc.Line(kHarm, 12, harmA, 2, 0, 0.9);
  sc.Line(kLead, 20, melB);
  sc.Line(kLead, 28, melB);
  sc.Line(kHarm, 28, harmB, 2, 0, 0.9);
  sc.Line(kLead, 36, melA, 2, 0, 1.0, 0.6);
  sc.Line(kLead, 44, melA);
  sc.Line(kHarm, 44, harmA, 2, 0, 0.9);
  sc.Line(kLead, 52,
          "F#5 A5 D6 A5 F#5 A5 D6 - | E6 D6 B5 G#5 E5 G#5 B5 - | A5 - C#6 - E6 - A6 - | A6 - - - - "
          "- - -");
  sc.Pattern(kHarm, 0, 4, "1 3 5 8 5 3 5 3", 2, 4, 0.9);
  sc.Pattern(kBass, 0, 56, "1 . -5 . 1 . -5 .", 2, 2, 1.0, 0.8);
  sc.Pattern(kStab, 0, 56, ". c . c", 2, 3, 1.0, 0.6);
  sc.Drums(kKick, 0, 55, "x.......x.......");
  sc.Drums(kSnare, 4, 55, "....x.......x...");
  sc.Drums(kSnare, 3, 4, "....x...x.x.xxxx");
  for (int bar : {11, 19, 27, 35, 43}) sc.Drums(kSnare, bar, bar + 1, "..........x.x.xx");
  sc.Drums(kHat, 0, 55, "x.x.x.x.x.x.x.x.");
  sc.Drums(kKick, 55, 56, "x...............");
  s.notes = std::move(sc.notes());
  s.length = sc.BarTime(56);
  return s;
}

}  // namespace

std::vector<Track> AllTracks() {
  return {{"Qum1_I.mp3", Intro()},
          {"Qum1_E.mp3", SceneOne()},
          {"Qum2_E.mp3", SceneTwo()},
          {"Qum3_F.mp3", SceneThree()}};
}

}  // namespace assetgen
