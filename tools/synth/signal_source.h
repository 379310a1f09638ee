#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tvx::synth {

// The test signal of one image, cheap per sample: every component is a table sine whose phase
// is an exact function of the sample position, so any stretch comes out the same whether it is
// made alone or as part of a longer run.
class SignalSource {
public:
    SignalSource(std::uint32_t seed, int sampleRate, int channels);

    // samplesPerChannel frames from firstSample, interleaved by channel.
    void Fill(std::uint64_t firstSample, std::size_t samplesPerChannel, std::int16_t* out) const;

private:
    static constexpr int kTones = 3;
    struct Voice {
        std::array<std::uint64_t, kTones> increment;   // phase per sample, 2^64 per cycle
        std::array<std::uint64_t, kTones> offset;
        std::array<int, kTones> amplitude;
        std::uint64_t sweepStart;                      // phase increment at the sweep's start
        std::uint64_t sweepRise;                       // added to the increment every sample
        std::uint64_t sweepPeriod;                     // samples per sweep
        int sweepAmplitude;
    };
    std::array<Voice, 2> m_voices{};
    int m_channels = 1;
};

}  // namespace tvx::synth
