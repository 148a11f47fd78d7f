// A small sequencer and synthesizer: notes played by a handful of
// instruments (pulse, triangle, saw, sine, noise drums), mixed in stereo with
// a ping-pong echo, normalised and encoded as MP3 with libmp3lame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

constexpr int kSampleRate = 44100;

struct Instrument {
  enum class Wave { kPulse, kTriangle, kSaw, kSine, kBell, kKick, kSnare, kHat, kOpenHat, kBrush };
  Wave wave = Wave::kPulse;
  double duty = 0.5, pwmDepth = 0, pwmRate = 0.5;  // pulse width and its slow sweep
  double attack = 0.005, decay = 0.15, sustain = 0.7, release = 0.08;  // seconds, level
  double vibDepth = 0, vibRate = 5.5, vibDelay = 0.25;                 // semitones, Hz, seconds
  double detune = 0;   // cents of a second, slightly detuned voice (0 = none)
  double lowpass = 0;  // cut-off in Hz of a one-pole filter (0 = none)
  double gain = 0.25, pan = 0, echo = 0.2;
  double slide = 0;  // semitones the note falls from at its start (0 = none)
};

struct Note {
  double start = 0, length = 0;  // seconds
  double pitch = 60;             // MIDI note number
  double velocity = 1;
  int instrument = 0;
};

struct Song {
  std::string name;
  std::vector<Instrument> instruments;
  std::vector<Note> notes;
  double length = 0;  // seconds of music
  bool loop = false;  // wrap the tail round to the start for a seamless loop
  double echoTime = 0.3, echoFeedback = 0.35, echoLevel = 0.5;
};

struct Stereo {
  std::vector<float> left, right;
};

// Renders the song; the result's peak is normalised to -2 dBFS unless
// `normalise` is off (which keeps the instruments' levels comparable).
Stereo RenderSong(const Song& song, bool normalise = true);

// Encodes as 44.1 kHz stereo constant-bit-rate MP3.
std::vector<uint8_t> EncodeMp3(const Stereo& mix, int kbps);

// Peak (0..1) and RMS of both channels.
struct Levels {
  double peak = 0, rms = 0;
};
Levels Measure(const Stereo& mix);

}  // namespace assetgen
