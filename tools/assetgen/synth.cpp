#include "synth.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <deque>

#include "core.h"

namespace assetgen {

namespace {

double Frequency(double midi) {
  return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

// Band-limited step correction, which keeps pulse and saw edges from
// aliasing into a harsh hiss at high notes.
double PolyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

double Envelope(const Instrument& in, double t, double len) {
  auto held = [&](double x) {
    if (x < in.attack) return x / in.attack;
    const double d = x - in.attack;
    if (d < in.decay) return 1.0 - (1.0 - in.sustain) * (d / in.decay);
    return in.sustain;
  };
  if (t < len) return held(t);
  const double r = t - len;
  if (r >= in.release) return 0.0;
  return held(len) * (1.0 - r / in.release) * (1.0 - r / in.release);
}

struct Voice {
  double phase = 0, phase2 = 0;
};

// One sample of a tonal oscillator; `dt` is the phase increment.
double Oscillator(const Instrument& in, Voice& v, double dt, double t, bool second) {
  double& ph = second ? v.phase2 : v.phase;
  double out = 0;
  switch (in.wave) {
    case Instrument::Wave::kPulse: {
      const double duty =
          std::clamp(in.duty + in.pwmDepth * std::sin(2 * kPi * in.pwmRate * t), 0.05, 0.95);
      out = ph < duty ? 1.0 : -1.0;
      out += PolyBlep(ph, dt);
      double t2 = ph + 1.0 - duty;
      t2 -= std::floor(t2);
      out -= PolyBlep(t2, dt);
      out *= 0.8;
      break;
    }
    case Instrument::Wave::kTriangle:
      out = 4.0 * std::fabs(ph - 0.5) - 1.0;
      break;
    case Instrument::Wave::kSaw:
      out = (2.0 * ph - 1.0 - PolyBlep(ph, dt)) * 0.7;
      break;
    case Instrument::Wave::kSine:
      out = std::sin(2 * kPi * ph);
      break;
    case Instrument::Wave::kBell: {
      // A sine with a quickly fading overtone: a soft mallet sound.
      const double over = std::exp(-t * 9.0);
      out = std::sin(2 * kPi * ph) + 0.45 * over * std::sin(2 * kPi * ph * 4.0) +
            0.2 * over * std::sin(2 * kPi * ph * 2.0);
      out *= 0.8;
      break;
    }
    default:
      break;
  }
  ph += dt;
  ph -= std::floor(ph);
  return out;
}

// Drum sounds are self-contained one-shots.
double Drum(const Instrument& in, double t, Rng& rng, double& hp, double& lp, double& phase) {
  const double noise = rng.Uniform() * 2.0 - 1.0;
  switch (in.wave) {
    case Instrument::Wave::kKick: {
      const double f = 48.0 + 110.0 * std::exp(-t / 0.035);
      phase += f / kSampleRate;
      const double body = std::sin(2 * kPi * phase) * std::exp(-t / 0.22);
      const double click = noise * std::exp(-t / 0.004) * 0.25;
      return (body + click) * std::min(1.0, t / 0.002);
    }
    case Instrument::Wave::kSnare: {
      lp += (noise - lp) * 0.55;
      const double n = (noise - lp) * std::exp(-t / 0.11);
      phase += 185.0 / kSampleRate;
      const double tone = std::sin(2 * kPi * phase) * std::exp(-t / 0.045) * 0.6;
      return (n * 1.1 + tone) * std::min(1.0, t / 0.001);
    }
    case Instrument::Wave::kBrush: {
      lp += (noise - lp) * 0.35;
      const double env = std::min(1.0, t / 0.012) * std::exp(-t / 0.16);
      return (noise - lp) * env;
    }
    case Instrument::Wave::kHat:
    case Instrument::Wave::kOpenHat: {
      // High-passed noise: the difference of neighbouring samples.
      const double hpOut = noise - hp;
      hp = noise;
      const double decay = in.wave == Instrument::Wave::kHat ? 0.028 : 0.16;
      return hpOut * 0.5 * std::exp(-t / decay) * std::min(1.0, t / 0.0008);
    }
    default:
      return 0;
  }
}

bool IsDrum(Instrument::Wave w) {
  return w == Instrument::Wave::kKick || w == Instrument::Wave::kSnare ||
         w == Instrument::Wave::kHat || w == Instrument::Wave::kOpenHat ||
         w == Instrument::Wave::kBrush;
}

// Holds the few drum peaks down to `threshold`, so the music can be louder
// without clipping. The gain looks ahead a few milliseconds and moves
// smoothly, so it neither misses a peak nor clicks.
void Limit(std::vector<double>& L, std::vector<double>& R, size_t n, double threshold) {
  const size_t look = kSampleRate / 250;  // 4 ms
  std::vector<float> need(n);
  for (size_t i = 0; i < n; ++i) {
    const double a = std::max(std::fabs(L[i]), std::fabs(R[i]));
    need[i] = static_cast<float>(a > threshold ? threshold / a : 1.0);
  }
  // Minimum of `need` over [i, i + 2 look], with a monotonic queue.
  std::vector<float> low(n);
  std::deque<size_t> q;
  size_t next = 0;
  for (size_t i = 0; i < n; ++i) {
    for (; next < n && next <= i + 2 * look; ++next) {
      while (!q.empty() && need[q.back()] >= need[next]) q.pop_back();
      q.push_back(next);
    }
    while (q.front() < i) q.pop_front();
    low[i] = need[q.front()];
  }
  // Averaging the minima of the last `look` samples keeps every gain at or
  // below what its own sample needs, and ramps it smoothly.
  double sum = 0, gain = 1.0;
  const double release = 1.0 / (0.06 * kSampleRate);
  for (size_t i = 0; i < n; ++i) {
    sum += low[i];
    if (i > look) sum -= low[i - look - 1];
    const double avg = sum / static_cast<double>(std::min(i + 1, look + 1));
    // The last term only guards against rounding in the running sum.
    gain = std::min({avg, gain + release, double{need[i]}});
    L[i] *= gain;
    R[i] *= gain;
  }
}

}  // namespace

Stereo RenderSong(const Song& song, bool normalise) {
  const size_t musicLen = static_cast<size_t>(song.length * kSampleRate);
  const size_t tail = static_cast<size_t>(4.0 * kSampleRate);
  const size_t total = musicLen + tail;
  std::vector<double> L(total, 0.0), R(total, 0.0);
  std::vector<float> sendL(total, 0.0f), sendR(total, 0.0f);
  uint64_t noteIndex = 0;
  for (const Note& n : song.notes) {
    const Instrument& in = song.instruments[static_cast<size_t>(n.instrument)];
    const bool drum = IsDrum(in.wave);
    const double dur = drum ? 0.9 : n.length + in.release;
    const size_t s0 = static_cast<size_t>(n.start * kSampleRate);
    const size_t count = static_cast<size_t>(dur * kSampleRate);
    const double angle = (std::clamp(in.pan, -1.0, 1.0) + 1.0) * kPi / 4;
    const double gl = std::cos(angle) * in.gain * n.velocity;
    const double gr = std::sin(angle) * in.gain * n.velocity;
    Rng rng(0x5EED0000ull + noteIndex++);
    Voice v;
    double hp = 0, lpState = 0, drumPhase = 0, filt = 0;
    const double a = in.lowpass > 0 ? 1.0 - std::exp(-2 * kPi * in.lowpass / kSampleRate) : 1.0;
    const double base = Frequency(n.pitch);
    const double detuneRatio = std::pow(2.0, in.detune / 1200.0);
    double dt = base / kSampleRate;
    for (size_t i = 0; i < count && s0 + i < total; ++i) {
      const double t = static_cast<double>(i) / kSampleRate;
      double s;
      if (drum) {
        // The last 50 ms fade out, so what is left of a long decay ends softly.
        s = Drum(in, t, rng, hp, lpState, drumPhase) * std::min(1.0, (dur - t) / 0.05);
      } else {
        // The pitch moves slowly, so it is worked out every 32 samples only.
        if (i % 32 == 0) {
          double semis = 0;
          if (in.vibDepth > 0 && t > in.vibDelay)
            semis += in.vibDepth * std::min(1.0, (t - in.vibDelay) / 0.2) *
                     std::sin(2 * kPi * in.vibRate * (t - in.vibDelay));
          if (in.slide != 0) semis -= in.slide * std::exp(-t / 0.03);
          dt = base * std::pow(2.0, semis / 12.0) / kSampleRate;
        }
        s = Oscillator(in, v, dt, t, false);
        if (in.detune != 0) s = 0.5 * (s + Oscillator(in, v, dt * detuneRatio, t, true));
        s *= Envelope(in, t, n.length);
      }
      filt += (s - filt) * a;
      const double out = filt;
      const size_t k = s0 + i;
      L[k] += out * gl;
      R[k] += out * gr;
      sendL[k] += static_cast<float>(out * gl * in.echo);
      sendR[k] += static_cast<float>(out * gr * in.echo);
    }
  }
  // Ping-pong echo with a darkening feedback path. The delay lines live in
  // the send buffers themselves: the left line in sendR, the right in sendL.
  const size_t delay = static_cast<size_t>(song.echoTime * kSampleRate);
  double dampL = 0, dampR = 0;
  for (size_t i = 0; i < total; ++i) {
    const double fromL = i >= delay ? sendR[i - delay] : 0.0;
    const double fromR = i >= delay ? sendL[i - delay] : 0.0;
    dampL += (fromR - dampL) * 0.45;
    dampR += (fromL - dampR) * 0.45;
    const double echoL = sendR[i] + dampL * song.echoFeedback;
    const double echoR = sendL[i] + dampR * song.echoFeedback;
    sendR[i] = static_cast<float>(echoL);
    sendL[i] = static_cast<float>(echoR);
    L[i] += echoL * song.echoLevel;
    R[i] += echoR * song.echoLevel;
  }
  size_t outLen = total;
  if (song.loop) {
    // What rings on past the end belongs to the start of the next pass.
    for (size_t i = musicLen; i < total; ++i) {
      L[i - musicLen] += L[i];
      R[i - musicLen] += R[i];
    }
    outLen = musicLen;
  } else {
    // Trim silence after the last sound, keeping a short fade.
    size_t last = 0;
    for (size_t i = 0; i < total; ++i)
      if (std::fabs(L[i]) > 1e-4 || std::fabs(R[i]) > 1e-4) last = i;
    outLen = std::min(total, std::max(musicLen, last + kSampleRate / 10));
    const size_t fade = kSampleRate / 5;
    for (size_t i = 0; i < fade && i < outLen; ++i) {
      const double g = static_cast<double>(i) / fade;
      L[outLen - 1 - i] *= g;
      R[outLen - 1 - i] *= g;
    }
  }
  double peak = 0;
  for (size_t i = 0; i < outLen; ++i) peak = std::max({peak, std::fabs(L[i]), std::fabs(R[i])});
  if (normalise && peak > 0) {
    // Only the rare highest peaks are held down (by at most 4.4 dB); a
    // threshold inside the music's body would make it pump.
    std::vector<double> level;
    for (size_t i = 0; i < outLen; i += 5)
      level.push_back(std::max(std::fabs(L[i]), std::fabs(R[i])));
    const size_t k = level.size() - 1 - level.size() / 2000;
    std::nth_element(level.begin(), level.begin() + static_cast<long>(k), level.end());
    const double threshold = std::max(peak * 0.6, level[k]);
    Limit(L, R, outLen, threshold);
    peak = threshold;
  }
  // MP3 encoding can overshoot by half a decibel; -2 dBFS keeps decoded
  // peaks below -1 dBFS.
  const double target = std::pow(10.0, -2.0 / 20.0);
  const double g = peak > 0 && normalise ? target / peak : 1.0;
  Stereo mix;
  mix.left.resize(outLen);
  mix.right.resize(outLen);
  for (size_t i = 0; i < outLen; ++i) {
    mix.left[i] = static_cast<float>(L[i] * g);
    mix.right[i] = static_cast<float>(R[i] * g);
  }
  return mix;
}

std::vector<uint8_t> EncodeMp3(const Stereo& mix, int kbps) {
  std::vector<uint8_t> out;
  lame_t gf = lame_init();
  if (!gf) return out;
  lame_set_in_samplerate(gf, kSampleRate);
  lame_set_out_samplerate(gf, kSampleRate);
  lame_set_num_channels(gf, 2);
  lame_set_mode(gf, JOINT_STEREO);
  lame_set_VBR(gf, vbr_off);
  lame_set_brate(gf, kbps);
  lame_set_quality(gf, 5);
  lame_set_bWriteVbrTag(gf, 1);
  lame_set_write_id3tag_automatic(gf, 0);
  if (lame_init_params(gf) < 0) {
    lame_close(gf);
    return out;
  }
  const int n = static_cast<int>(mix.left.size());
  const int chunk = 1152 * 32;
  std::vector<unsigned char> buf(static_cast<size_t>(chunk) * 5 / 4 + 7200);
  for (int pos = 0; pos < n; pos += chunk) {
    const int len = std::min(chunk, n - pos);
    const int got = lame_encode_buffer_ieee_float(gf, mix.left.data() + pos, mix.right.data() + pos,
                                                  len, buf.data(), static_cast<int>(buf.size()));
    if (got < 0) {
      lame_close(gf);
      return {};
    }
    out.insert(out.end(), buf.begin(), buf.begin() + got);
  }
  const int got = lame_encode_flush(gf, buf.data(), static_cast<int>(buf.size()));
  if (got > 0) out.insert(out.end(), buf.begin(), buf.begin() + got);
  // The first frame holds the Info tag with the encoder delay and padding,
  // which decoders use to give back exactly the samples that went in.
  std::vector<unsigned char> tag(4096);
  const size_t tagLen = lame_get_lametag_frame(gf, tag.data(), tag.size());
  if (tagLen > 0 && tagLen <= tag.size() && tagLen <= out.size())
    std::copy(tag.begin(), tag.begin() + static_cast<long>(tagLen), out.begin());
  lame_close(gf);
  return out;
}

Levels Measure(const Stereo& mix) {
  Levels lv;
  double sum = 0;
  for (size_t i = 0; i < mix.left.size(); ++i) {
    lv.peak = std::max({lv.peak, std::fabs(double{mix.left[i]}), std::fabs(double{mix.right[i]})});
    sum += double{mix.left[i]} * mix.left[i] + double{mix.right[i]} * mix.right[i];
  }
  lv.rms = mix.left.empty() ? 0 : std::sqrt(sum / (2.0 * static_cast<double>(mix.left.size())));
  return lv;
}

}  // namespace assetgen
