// The beep as the sound system receives it: ALSA's "default" device is
// routed into a WAV file by a configuration in the test's own HOME.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "alert_level.h"
#include "platform.h"

namespace {

namespace fs = std::filesystem;

struct Capture {
    uint32_t rate = 0;
    uint16_t channels = 0;
    uint16_t bits = 0;
    std::vector<int16_t> samples;
};

template <typename T>
T Read(const std::string& bytes, size_t at)
{
    T value{};
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

// The fmt and data chunks of a little-endian PCM WAV file.
Capture ReadWav(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Capture capture;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        uint32_t size = Read<uint32_t>(bytes, at + 4);
        if (id == "fmt ") {
            capture.channels = Read<uint16_t>(bytes, at + 10);
            capture.rate = Read<uint32_t>(bytes, at + 12);
            capture.bits = Read<uint16_t>(bytes, at + 22);
        } else if (id == "data") {
            // A header written before the length was known says 0 or too much.
            size = static_cast<uint32_t>(std::min<size_t>(size ? size : bytes.size(), bytes.size() - at - 8));
            capture.samples.resize(size / 2);
            std::memcpy(capture.samples.data(), bytes.data() + at + 8, capture.samples.size() * 2);
        }
        at += 8 + size + (size & 1);
    }
    return capture;
}

// Rising zero crossings, interpolated, give the period without an FFT.
double MeasureFrequency(const std::vector<int16_t>& samples, uint32_t rate)
{
    std::vector<double> crossings;
    for (size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1] < 0 && samples[i] >= 0)
            crossings.push_back(i - 1 + double(-samples[i - 1]) / (samples[i] - samples[i - 1]));
    }
    if (crossings.size() < 2)
        return 0;
    return (crossings.size() - 1) * double(rate) / (crossings.back() - crossings.front());
}

TEST(BeepTest, Plays600HzForHalfASecondOnTheDefaultDevice)
{
    const fs::path home = fs::temp_directory_path() / ("beep_test_" + std::to_string(::getpid()));
    fs::create_directories(home);
    const fs::path wav = home / "beep.wav";
    std::ofstream(home / ".asoundrc") << "pcm.!default {\n  type file\n  slave.pcm \"null\"\n  file \""
                                      << wav.string() << "\"\n  format \"wav\"\n}\n";
    setenv("HOME", home.c_str(), 1);

    PlayBeep();

    const Capture capture = ReadWav(wav);
    ASSERT_EQ(capture.channels, 1);
    ASSERT_EQ(capture.bits, 16);
    ASSERT_GT(capture.rate, 0u);
    const double ms = 1000.0 * capture.samples.size() / capture.rate;
    EXPECT_NEAR(ms, 500.0, 20.0);
    EXPECT_NEAR(MeasureFrequency(capture.samples, capture.rate), 600.0, 5.0);
    int16_t peak = 0;
    for (int16_t s : capture.samples)
        peak = std::max<int16_t>(peak, static_cast<int16_t>(std::abs(s)));
    EXPECT_GT(peak, 8000) << "audible";
    fs::remove_all(home);
}

// The tones of a capture: runs of sound split by at least 5 ms of silence.
std::vector<std::vector<int16_t>> SplitTones(const std::vector<int16_t>& samples, uint32_t rate)
{
    const size_t gap = rate / 200;
    std::vector<std::pair<size_t, size_t>> runs;  // first and last loud sample
    for (size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) <= 100)
            continue;
        if (runs.empty() || i - runs.back().second > gap)
            runs.push_back({i, i});
        runs.back().second = i;
    }
    std::vector<std::vector<int16_t>> tones;
    for (const auto& [first, last] : runs)
        tones.emplace_back(samples.begin() + first, samples.begin() + last + 1);
    return tones;
}

TEST(BeepTest, EachLevelSoundsItsCountOfTonesAtItsPitch)
{
    const fs::path home = fs::temp_directory_path() / ("tones_test_" + std::to_string(::getpid()));
    fs::create_directories(home);
    const fs::path wav = home / "tones.wav";
    std::ofstream(home / ".asoundrc") << "pcm.!default {\n  type file\n  slave.pcm \"null\"\n  file \""
                                      << wav.string() << "\"\n  format \"wav\"\n}\n";
    setenv("HOME", home.c_str(), 1);

    struct Expected {
        int level;
        bool perLevel;
        size_t tones;
        double hz;
    };
    for (const Expected& expected : {Expected{kLevelMessage, true, 1, 600}, Expected{kLevelWarning, true, 2, 600},
                                     Expected{kLevelAlarm, true, 3, 900}, Expected{kLevelAlarm, false, 1, 600}}) {
        SCOPED_TRACE(testing::Message() << "level " << expected.level << (expected.perLevel ? "" : ", one beep"));
        fs::remove(wav);
        PlayTones(LevelTones(expected.level, expected.perLevel));
        const Capture capture = ReadWav(wav);
        ASSERT_GT(capture.rate, 0u);
        const auto tones = SplitTones(capture.samples, capture.rate);
        ASSERT_EQ(tones.size(), expected.tones);
        for (const auto& tone : tones) {
            EXPECT_NEAR(1000.0 * tone.size() / capture.rate, 500.0, 20.0);
            EXPECT_NEAR(MeasureFrequency(tone, capture.rate), expected.hz, 5.0);
        }
    }
    fs::remove_all(home);
}

TEST(BeepTest, IsSilentAndReturnsWhenNoDeviceOpens)
{
    const fs::path home = fs::temp_directory_path() / ("beep_none_" + std::to_string(::getpid()));
    fs::create_directories(home);
    std::ofstream(home / ".asoundrc") << "pcm.!default { type hw card 99 }\n";
    setenv("HOME", home.c_str(), 1);
    PlayBeep();  // must neither hang nor crash
    fs::remove_all(home);
}

}  // namespace
