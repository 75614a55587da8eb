// Writes the audio fuzzer's seed corpus into a folder: short files in every container and encoding
// the renderer meets, written by the renderer's own writer or straight through libsndfile.
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarn_audio_fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const struct {
        const char* name;
        int format, channels;
    } seeds[] = {
        {"pcm16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2},   {"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1},
        {"pcm24.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 2}, {"pcm16.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2},
        {"vorbis.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 1},  {"double.w64", SF_FORMAT_W64 | SF_FORMAT_DOUBLE, 2},
        {"ulaw.au", SF_FORMAT_AU | SF_FORMAT_ULAW, 1},        {"pcm16.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16, 2},
        {"ima.wav", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 2},  {"u8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1},
        {"pcm32.rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_32, 2}};
    std::vector<float> frames;
    for (int i = 0; i < 600; ++i)
        frames.push_back(0.5f * static_cast<float>(std::sin(i * 0.05)));
    for (const auto& seed : seeds) {
        SF_INFO info{};
        info.samplerate = 8000;
        info.channels = seed.channels;
        info.format = seed.format;
        SNDFILE* file = sf_open((folder + "/" + seed.name).c_str(), SFM_WRITE, &info);
        if (!file) {
            std::fprintf(stderr, "%s: %s\n", seed.name, sf_strerror(nullptr));
            return 1;
        }
        sf_writef_float(file, frames.data(), static_cast<sf_count_t>(frames.size() / seed.channels));
        sf_close(file);
    }
    return 0;
}
