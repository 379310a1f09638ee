#include "playback_support.h"

#include "synth/image_reading.h"

namespace tvx::test {

constexpr std::uint32_t kSplitFirst = 100;

void VerdictLog::OnBlock(std::int32_t index, BlockStatus status) {
    std::function<void()> act;
    {
        const std::lock_guard lock(s_lock);
        s_log.push_back({index, status});
        if (index == s_actAt)
            act = std::exchange(s_act, {}), s_actAt = -100;
    }
    if (act)
        act();
}

std::vector<std::int32_t> VerdictLog::TakeIndices() {
    std::vector<std::int32_t> out;
    for (const Verdict& v : Take())
        out.push_back(v.index);
    return out;
}

std::vector<std::int32_t> Blocks(std::int32_t first, std::int32_t last) {
    std::vector<std::int32_t> out;
    for (std::int32_t i = first; i <= last; ++i)
        out.push_back(i);
    return out;
}

bool AdvanceUntil(TestAudio& audio, const std::function<bool()>& pred) {
    return Eventually([&] {
        if (pred())
            return true;
        audio.Advance(250ms);
        std::this_thread::sleep_for(1ms);
        return false;
    });
}

AnyReader::AnyReader(const TestImage& image, const PlaybackSetup& setup) {
    if (image.IsImg()) {
        m_img = std::make_unique<CImg>(setup);
        m_img->SetRecordCallback(&VerdictLog::OnRecord);
        return;
    }
    m_im2 = image.IsIx2() ? std::make_unique<CIx2>(setup) : std::make_unique<CIm2>(setup);
    m_im2->SetBlockCallback(&VerdictLog::OnBlock);
}

TestImage ImageOf(Kind kind, std::uint32_t blocks, int storedBits) {
    TestImage image{kind, {}, {.bits = kind == Kind::Img5 ? 5 : 8, .records = blocks, .erased = 3}};
    image.audio.storedBits = storedBits;
    image.audio.blocks = blocks;
    return image;
}

std::vector<TestImage> EveryFormat(std::uint32_t blocks) {
    return {ImageOf(Kind::Im2, blocks), ImageOf(Kind::Ix2Plain, blocks), ImageOf(Kind::Ix2Chain, blocks),
            ImageOf(Kind::Img8, blocks), ImageOf(Kind::Img5, blocks)};
}

std::string TestImage::Name() const {
    const char* kNames[] = {"IM2", "plain IX2", "chain IX2", "8-bit IMG", "5-bit IMG"};
    return kNames[static_cast<int>(kind)] + std::string(IsImg() ? "" : " of " + std::to_string(audio.storedBits) + "-bit");
}

std::string TestImage::Write(const TempDir& dir, const std::vector<std::uint32_t>& broken) const {
    std::vector<synth::Fault> faults;
    std::vector<synth::ImgFault> imgFaults;
    for (const std::uint32_t k : broken) {
        faults.push_back({synth::FaultKind::PayloadByte, k});
        imgFaults.push_back({synth::ImgFaultKind::BlockChecksum, k + 1});
    }
    const std::string path = dir / (IsImg() ? "VOICE.IMG" : IsIx2() ? "F00012.IX2" : "F00012.IM2");
    const synth::Ix2Options ix2{.audio = audio, .chain = kind == Kind::Ix2Chain, .splitFirst = kSplitFirst};
    EXPECT_TRUE(IsImg()   ? synth::WriteImgFile(path, img, imgFaults) : IsIx2() ? synth::WriteIx2File(path, ix2, faults)
                          : synth::WriteIm2File(path, audio, faults));
    return path;
}

std::int64_t TestImage::MsOfBlock(std::uint32_t k) const {
    if (IsImg())
        return std::int64_t{k} * (kind == Kind::Img5 ? 816 : 512) * 1000 / img.sampleRate;
    const synth::Layout layout = synth::LayoutOf(audio);
    return std::int64_t{k} * static_cast<std::int64_t>(layout.samplesPerChannel) * 1000 / layout.sampleRate;
}

std::uint32_t TestImage::PastTheEnd() const {
    if (IsImg())
        return img.records + img.erased;   // the erased tail is in the file
    // A chain's file ends with the outer block its last inner block ends in, and an inner
    // block that would start there is in the file too.
    std::uint32_t k = audio.blocks;
    while (kind == Kind::Ix2Chain && ChainPositionOf(k).outer < synth::ChainOuterBlocks(audio.blocks))
        ++k;
    return k;
}

std::vector<std::uint8_t> TestImage::HeardFrom(std::uint32_t first) const {
    std::vector<std::uint8_t> out;
    synth::Im2Options whole = audio;
    const std::uint32_t skip = IsIx2() ? kSplitFirst : 0;
    whole.blocks += skip;
    const std::size_t perBlock = synth::LayoutOf(audio).samplesPerChannel;
    if (IsImg()) {
        out = ImgAudio(img, first + 1, img.records);
    } else if (audio.storedBits == 16) {
        for (const std::int16_t s : synth::Signal(whole, (skip + first) * perBlock, (audio.blocks - first) * perBlock))
            out.insert(out.end(), {static_cast<std::uint8_t>(s & 0xFF), static_cast<std::uint8_t>((s >> 8) & 0xFF)});
    } else {
        synth::DecodeImage(synth::MakeIm2(whole), out);
        out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(out.size() / whole.blocks * (skip + first)));
    }
    out.resize(out.size() / 512 * 512);
    return out;
}

void PlaybackTest::ExpectPlays(AnyReader& reader, const TestImage& image, std::uint32_t first) {
    VerdictLog::Take();
    m_audio.ClearPlayed();
    ASSERT_TRUE(PlayToEnd(reader));
    std::vector<Verdict> sound;
    for (const std::int32_t i : Blocks(static_cast<std::int32_t>(first), static_cast<std::int32_t>(image.Blocks()) - 1))
        sound.push_back({i, 0});
    EXPECT_EQ(VerdictLog::Take(), sound);
    EXPECT_EQ(m_audio.Played(), image.HeardFrom(first));
    EXPECT_EQ(reader.CounterMs(), image.MsOfBlock(1));   // back at the first block
}

}  // namespace tvx::test
