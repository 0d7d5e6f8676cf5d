// The sounds: the strike of bamboo on stone, its distant echo, the spill, and two loops of
// running water, synthesised from damped resonances, filtered noise and small bubbles.
#include <cmath>
#include <cstdint>
#include <vector>

#include "tools/assetgen.h"

namespace assetgen {
namespace {

constexpr double Rate = SoundRate;
using Signal = std::vector<double>;

// A second-order section from the audio-EQ cookbook.
struct Biquad {
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0, z1 = 0, z2 = 0;
  double Run(double x) {
    const double y = b0 * x + z1;
    z1 = b1 * x - a1 * y + z2;
    z2 = b2 * x - a2 * y;
    return y;
  }
};

enum class FilterKind { LowPass, HighPass, BandPass };

Biquad MakeFilter(FilterKind kind, double freq, double q) {
  const double w = 2.0 * Pi * freq / Rate, cw = Cos(w), alpha = Sin(w) / (2.0 * q);
  const double a0 = 1.0 + alpha;
  Biquad f;
  switch (kind) {
    case FilterKind::LowPass:
      f.b0 = (1 - cw) / 2 / a0, f.b1 = (1 - cw) / a0, f.b2 = (1 - cw) / 2 / a0;
      break;
    case FilterKind::HighPass:
      f.b0 = (1 + cw) / 2 / a0, f.b1 = -(1 + cw) / a0, f.b2 = (1 + cw) / 2 / a0;
      break;
    case FilterKind::BandPass:
      f.b0 = alpha / a0, f.b1 = 0, f.b2 = -alpha / a0;
      break;
  }
  f.a1 = -2.0 * cw / a0;
  f.a2 = (1.0 - alpha) / a0;
  return f;
}

void Filter(Signal& s, FilterKind kind, double freq, double q) {
  Biquad f = MakeFilter(kind, freq, q);
  for (double& x : s) x = f.Run(x);
}

// A decaying resonance, the building block of every knock and bubble.
struct Mode {
  double freq, amp, decay;  // Hz, linear, seconds to fall by 1/e
};

void AddModes(Signal& s, double start, const Mode* modes, int count, double glide = 0.0) {
  const size_t first = static_cast<size_t>(start * Rate);
  for (int m = 0; m < count; ++m) {
    const Mode& k = modes[m];
    const size_t len = static_cast<size_t>(k.decay * 7.0 * Rate);
    for (size_t i = 0; i < len && first + i < s.size(); ++i) {
      const double t = i / Rate;
      const double phase = 2.0 * Pi * k.freq * (t + glide * t * t / 2.0);
      const double attack = 1.0 - Exp(-t / 0.0007);
      s[first + i] += k.amp * attack * Exp(-t / k.decay) * Sin(phase);
    }
  }
}

// A small garden reverb: a few early reflections off stones and fences, then a Schroeder
// tail of damped combs and all-passes.
Signal Reverb(const Signal& dry, double feedback, double damping) {
  Signal out(dry.size(), 0.0);
  const int early[][2] = {{412, 45}, {771, 30}, {1213, 22}, {1690, 16}};  // samples, percent
  for (const auto& e : early)
    for (size_t i = static_cast<size_t>(e[0]); i < dry.size(); ++i) out[i] += dry[i - e[0]] * e[1] / 100.0;
  const int combLen[] = {558, 594, 638, 678, 711, 745, 778, 808};
  Signal tail(dry.size(), 0.0);
  for (int len : combLen) {
    Signal buf(static_cast<size_t>(len), 0.0);
    double low = 0;
    size_t pos = 0;
    for (size_t i = 0; i < dry.size(); ++i) {
      const double y = buf[pos];
      low = y * (1.0 - damping) + low * damping;
      buf[pos] = dry[i] * 0.12 + low * feedback;
      pos = (pos + 1) % buf.size();
      tail[i] += y;
    }
  }
  const int allLen[] = {278, 220, 170, 112};
  for (int len : allLen) {
    Signal buf(static_cast<size_t>(len), 0.0);
    size_t pos = 0;
    for (double& x : tail) {
      const double b = buf[pos];
      buf[pos] = x + b * 0.5;
      x = b - x;
      pos = (pos + 1) % buf.size();
    }
  }
  for (size_t i = 0; i < out.size(); ++i) out[i] += tail[i];
  return out;
}

// Fades the last `seconds` to silence so a one-shot ends on zero.
void FadeOut(Signal& s, double seconds) {
  const size_t n = static_cast<size_t>(seconds * Rate);
  for (size_t i = 0; i < n && i < s.size(); ++i) {
    const double w = 0.5 - 0.5 * Cos(Pi * i / n);
    s[s.size() - 1 - i] *= w;
  }
}

double Peak(const Signal& s) {
  double p = 0;
  for (double x : s) p = std::fmax(p, std::fabs(x));
  return p;
}

// Loudness of a one-shot: the RMS of its loudest 100 ms.
double ShortTermLoudness(const Signal& s) {
  const size_t w = static_cast<size_t>(0.1 * Rate);
  double sum = 0, best = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    sum += s[i] * s[i];
    if (i >= w) sum -= s[i - w] * s[i - w];
    best = std::fmax(best, sum);
  }
  return std::sqrt(best / w);
}

// Scales to a short-term loudness, but never past `maxPeak` of full scale.
std::vector<int16_t> ToPcm(Signal s, double loudness, double maxPeak) {
  double gain = loudness / ShortTermLoudness(s);
  if (Peak(s) * gain > maxPeak) gain = maxPeak / Peak(s);
  std::vector<int16_t> out(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const double v = Clamp(std::floor(s[i] * gain * 32767.0 + 0.5), -32767.0, 32767.0);
    out[i] = static_cast<int16_t>(v);
  }
  return out;
}

// The knock of the tube's butt on the stone: the tube's hollow ring, the wood's higher
// partials and the stone's short click.
Signal Knock(size_t count, double start, double brightness, uint32_t seed) {
  Signal s(count, 0.0);
  const Mode modes[] = {
      {612.0, 1.00, 0.085}, {1247.0, 0.55, 0.055}, {1893.0, 0.38 * brightness, 0.034},
      {2604.0, 0.26 * brightness, 0.022}, {3461.0, 0.18 * brightness, 0.013}, {305.0, 0.30, 0.05},
  };
  AddModes(s, start, modes, 6);
  Prng rng(seed);
  Signal click(count, 0.0);
  const size_t first = static_cast<size_t>(start * Rate);
  for (size_t i = 0; i < static_cast<size_t>(0.006 * Rate); ++i)
    click[first + i] = rng.Signed() * Exp(-(i / Rate) / 0.0012);
  Filter(click, FilterKind::HighPass, 1800.0, 0.7);
  for (size_t i = 0; i < count; ++i) s[i] += click[i] * 1.6 * brightness;
  return s;
}

constexpr double StrikeLoudness = 0.30;  // short-term RMS, full scale = 1

// Bubbles: a water sound is mostly many tiny resonances that rise in pitch as they close.
void AddBubbles(Signal& s, Prng& rng, double from, double to, double perSecond, double lowHz, double highHz,
                double amp) {
  const int count = static_cast<int>((to - from) * perSecond);
  for (int i = 0; i < count; ++i) {
    const double t = from + rng.Unit() * (to - from);
    const double f = lowHz * Exp(rng.Unit() * Log(highHz / lowHz));
    const double a = amp * (0.3 + 0.7 * rng.Unit()) * std::sqrt(lowHz / f);
    const Mode m{f, a, 0.006 + 0.02 * rng.Unit() * (lowHz / f + 0.3)};
    AddModes(s, t, &m, 1, 6.0 + 10.0 * rng.Unit());
  }
}

Signal Noise(size_t count, Prng& rng) {
  Signal s(count);
  for (double& x : s) x = rng.Signed();
  return s;
}

}  // namespace

std::vector<int16_t> MakeStrike(size_t count) {
  Signal dry = Knock(count, 0.004, 1.0, 0x5771);
  Signal wet = Reverb(dry, 0.925, 0.4);
  Signal s(count);
  for (size_t i = 0; i < count; ++i) s[i] = dry[i] + wet[i] * 0.5;
  FadeOut(s, 1.2);
  return ToPcm(s, StrikeLoudness, 0.82);
}

std::vector<int16_t> MakeEcho(size_t count) {
  // The same knock heard from across the garden: duller, later, and mostly reverberation.
  Signal dry = Knock(count, 0.03, 0.45, 0xec40);
  Filter(dry, FilterKind::LowPass, 1700.0, 0.6);
  Signal wet = Reverb(dry, 0.84, 0.5);
  Signal s(count);
  for (size_t i = 0; i < count; ++i) s[i] = dry[i] * 0.45 + wet[i] * 0.9;
  FadeOut(s, 0.5);
  return ToPcm(s, StrikeLoudness * 0.4, 0.6);
}

std::vector<int16_t> MakeSpill(size_t count) {
  // Water tumbling out of the mouth: a rush of broadband noise shaped like a wave breaking,
  // with a burst of bubbles.
  Prng rng(0x5b111);
  Signal rush = Noise(count, rng);
  Filter(rush, FilterKind::BandPass, 1400.0, 0.7);
  Filter(rush, FilterKind::LowPass, 5000.0, 0.7);
  for (size_t i = 0; i < count; ++i) {
    const double t = i / Rate;
    const double env = (1.0 - Exp(-t / 0.025)) * Exp(-t / 0.22) * (1.0 + 0.35 * Sin(2 * Pi * 9.0 * t));
    rush[i] *= env * 0.9;
  }
  AddBubbles(rush, rng, 0.01, 0.45, 60.0, 500.0, 2400.0, 0.45);
  Signal wet = Reverb(rush, 0.8, 0.45);
  for (size_t i = 0; i < count; ++i) rush[i] += wet[i] * 0.3;
  FadeOut(rush, 0.35);
  return ToPcm(rush, StrikeLoudness * 0.45, 0.82);
}

std::vector<int16_t> MakeWater(size_t count, bool second) {
  // Running water into the tube. The second loop is deeper and slower and a different
  // length, so the two heard together never fall into step.
  const size_t preroll = 4096, fade = static_cast<size_t>(0.6 * Rate);
  const size_t total = preroll + count + fade;
  Prng rng(second ? 0xb0b0b : 0xa0a0a);
  Signal s = Noise(total, rng);
  Filter(s, FilterKind::BandPass, second ? 900.0 : 2200.0, 0.6);
  Filter(s, FilterKind::LowPass, second ? 3000.0 : 6000.0, 0.7);
  Signal swell = Noise(total, rng);  // slow changes of the flow
  Filter(swell, FilterKind::LowPass, 3.0, 0.7);
  Filter(swell, FilterKind::LowPass, 3.0, 0.7);
  const double swellPeak = Peak(swell);
  for (size_t i = 0; i < total; ++i) s[i] *= 0.14 * (1.0 + 0.5 * swell[i] / swellPeak);
  AddBubbles(s, rng, 0.0, total / Rate, second ? 22.0 : 38.0, second ? 380.0 : 800.0, second ? 1300.0 : 2800.0,
             0.5);
  // Equal-power crossfade of what follows the loop into its head: the last sample is then
  // followed by the very sample that would have come next.
  Signal loop(s.begin() + preroll, s.begin() + preroll + count);
  for (size_t i = 0; i < fade; ++i) {
    const double w = (static_cast<double>(i) / fade) * Pi / 2.0;
    loop[i] = loop[i] * Sin(w) + s[preroll + count + i] * Cos(w);
  }
  return ToPcm(loop, second ? 0.11 : 0.10, 0.45);
}

}  // namespace assetgen
