#include "synth/signal_source.h"

#include "synth/synth.h"

#include <cmath>
#include <numbers>

namespace tvx::synth {
namespace {

constexpr int kTableBits = 12;
constexpr double kTwoTo64 = 18446744073709551616.0;

// One cycle of a sine in 4,096 steps at full 16-bit scale, built once.
const std::array<std::int32_t, 1 << kTableBits>& SineTable() {
    static const auto table = [] {
        std::array<std::int32_t, 1 << kTableBits> t{};
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = static_cast<std::int32_t>(
                std::lround(32767.0 * std::sin(2.0 * std::numbers::pi * static_cast<double>(i) /
                                               static_cast<double>(t.size()))));
        return t;
    }();
    return table;
}

std::uint64_t Mix(std::uint64_t x) {   // splitmix64 finaliser: seeds spread over all bits
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// A fraction of a cycle as a 64-bit phase. Only the fraction counts: a tone above half the
// rate (an IMG image may name a rate of a few hertz) aliases, as it would on a unit.
std::uint64_t PhaseOf(double turns) {
    const double scaled = (turns - std::floor(turns)) * kTwoTo64;
    return scaled >= kTwoTo64 ? 0 : static_cast<std::uint64_t>(scaled);
}

std::uint64_t IncrementFor(double hertz, int sampleRate) { return PhaseOf(hertz / sampleRate); }

// n(n-1)/2 modulo 2^64, halving whichever factor is even so nothing is lost to the wrap.
std::uint64_t Triangle(std::uint64_t n) {
    return n % 2 == 0 ? (n / 2) * (n - 1) : n * ((n - 1) / 2);
}

}  // namespace

SignalSource::SignalSource(std::uint32_t seed, int namedRate, int channels)
    : m_channels(channels == 2 ? 2 : 1) {
    // An image that names no rate still carries audio: it is made at the units' lowest.
    const int sampleRate = namedRate > 0 ? namedRate : 8000;
    // Base tones sit well below 4 kHz so every rate carries them; the seed moves each by up
    // to a fifth, and the right channel gets its own draw so a swapped pair shows.
    constexpr std::array<double, kTones> kBaseHz = {233.0, 710.0, 1530.0};
    constexpr std::array<int, kTones> kAmplitude = {5200, 2600, 1300};
    for (int c = 0; c < 2; ++c) {
        Voice& v = m_voices[static_cast<std::size_t>(c)];
        for (std::size_t k = 0; k < kTones; ++k) {
            const std::uint64_t r = Mix(std::uint64_t{seed} << 8 | std::uint64_t(c) << 4 | k);
            const double spread = 1.0 + static_cast<double>(r % 2000) / 10000.0;
            v.increment[k] = IncrementFor(kBaseHz[k] * spread, sampleRate);
            v.offset[k] = Mix(r);
            v.amplitude[k] = kAmplitude[k];
        }
        // A sweep from 120 Hz to 1,320 Hz over four seconds, then again.
        v.sweepPeriod = static_cast<std::uint64_t>(sampleRate) * 4;
        v.sweepStart = IncrementFor(120.0, sampleRate);
        v.sweepRise = PhaseOf(1200.0 / sampleRate / static_cast<double>(v.sweepPeriod));
        v.sweepAmplitude = 2400;
    }
}

void SignalSource::Fill(std::uint64_t firstSample, std::size_t samplesPerChannel,
                        std::int16_t* out) const {
    // Phases start from their closed form and then advance by addition, which modulo 2^64 is
    // the same value the closed form gives at every later sample.
    const auto& sine = SineTable();
    constexpr int kShift = 64 - kTableBits;
    const auto stride = static_cast<std::size_t>(m_channels);
    for (std::size_t c = 0; c < stride; ++c) {
        const Voice& v = m_voices[c];
        std::array<std::uint64_t, kTones> phase{};
        for (std::size_t k = 0; k < kTones; ++k)
            phase[k] = v.offset[k] + v.increment[k] * firstSample;
        std::uint64_t m = firstSample % v.sweepPeriod;
        std::uint64_t sweep = v.sweepStart * m + v.sweepRise * Triangle(m);
        for (std::size_t i = 0; i < samplesPerChannel; ++i) {
            // Amplitudes add up to under 12,000, so the sum fits 32 bits before the shift.
            std::int32_t sum = v.sweepAmplitude * sine[sweep >> kShift];
            for (std::size_t k = 0; k < kTones; ++k) {
                sum += v.amplitude[k] * sine[phase[k] >> kShift];
                phase[k] += v.increment[k];
            }
            out[i * stride + c] = static_cast<std::int16_t>(sum >> 15);
            sweep += v.sweepStart + v.sweepRise * m;
            if (++m == v.sweepPeriod) {
                m = 0;
                sweep = 0;
            }
        }
    }
}

std::vector<std::int16_t> Signal(const Im2Options& options, std::uint64_t firstSample,
                                 std::size_t samplesPerChannel) {
    const Layout layout = LayoutOf(options);
    std::vector<std::int16_t> samples(samplesPerChannel *
                                      static_cast<std::size_t>(layout.channels));
    SignalSource(options.seed, layout.sampleRate, layout.channels)
        .Fill(firstSample, samplesPerChannel, samples.data());
    return samples;
}

}  // namespace tvx::synth
