#include "driver/audio_input.h"

#include <cstdio>
#include <filesystem>

#include "audio/wave_header.h"
#include "driver/live_devices.h"
#include "driver/run_state.h"

namespace velt::engine {

BlockLayout BlockLayoutOf(const RunState& state) {
    const Geometry& geo = state.geo();
    BlockLayout layout;
    layout.dataOffset = geo.dataOffset;
    layout.endOfData = geo.endOfData;
    layout.blockLength = geo.blockLength;
    layout.blockBytes = geo.blockBytes;
    layout.format = {geo.channels, geo.bitsPerSample, state.settings().StereoPan};
    return layout;
}

BlockScaling BlockScalingOf(const RunState& state) {
    BlockScaling scaling;
    scaling.inputThreshold = state.settings().InputThreshold;
    scaling.compress = state.settings().Compress == 1;
    scaling.normaliser = state.geo().normaliser;
    return scaling;
}

bool ReadWaveHeader(RunSetUp& setUp) {
    RunState& state = setUp.state;
    // Only a regular file (or a link to one): opening a FIFO or a device would block the run
    // before it could read its first command.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(state.settings().AudioFile, ec))
        throw StageFailure{outcome::kAudioNotOpened};
    state.files.audio.reset(std::fopen(state.settings().AudioFile.c_str(), "rb"));
    if (!state.files.audio) throw StageFailure{outcome::kAudioNotOpened};
    const WaveHeader header = ReadWaveFileHeader(state.files.audio.get());

    Geometry& geo = setUp.geo;
    geo.riffFile = header.riff;
    geo.channels = header.channels;
    geo.sampleRate = header.sampleRate;
    geo.bitsPerSample = header.bitsPerSample;
    geo.dataOffset = header.dataOffset;
    geo.dataLength = header.dataLength;
    geo.endOfData = header.endOfData;
    return header.riff;
}

int ReadBlock(int64_t position) {
    RunState& state = run();
    const std::span<int> samples(state.analysis.samples.data(),
                                 size_t(state.geo().blockLength) + 1);
    const int peak = ReadFileBlock(state.files.audio.get(), state.params.blockLayout, position,
                                   state.loop.readBuffer, samples);
    ScaleBlock(samples, peak, state.params.blockScaling, state.loop.compressorHistory);
    return peak;
}

int ReadLiveBlock() {
    RunState& state = run();
    const int peak = ReadLiveSamples();
    BlockScaling scaling = state.params.blockScaling;
    scaling.inputThreshold = state.loop.inputThreshold;  // the threshold command may have moved it
    scaling.normaliser = 1;  // live frames are scaled only by the compressor
    ScaleBlock(std::span<int>(state.analysis.samples.data(), size_t(state.geo().blockLength) + 1),
               peak, scaling, state.loop.compressorHistory);
    return peak;
}

double RunNormaliserGain() {
    RunState& state = run();
    return NormaliserGain(state.files.audio.get(), BlockLayoutOf(state), state.geo().startByte,
                          state.geo().endByte, state.loop.readBuffer);
}

}  // namespace velt::engine
