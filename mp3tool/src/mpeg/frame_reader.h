// Finds MPEG audio frames in a byte stream, checks their headers, reads each frame into the
// frame buffer and keeps the Layer III main-data ring (bit reservoir).
//
// Synchronisation: bytes that are no sync, and the first byte of an invalid header, are skipped
// one at a time. After a loss of sync (and at the start) a frame is accepted only when a valid
// header follows it; while in sync each header is checked by itself. A frame whose follower is
// missing or invalid is refused with -700; the end of the input right after a frame accepts it.
// A read failure keeps the reader's state, so the next call resumes at the same step.
//
// A header whose MPEG version, layer or sampling rate differs from the last frame taken starts
// another kind of stream only when the next two headers, at the places its length gives, are
// valid and of its kind too. Otherwise it is a damaged header (one hit bit in the rate field
// would end the output with a rate change): it is left one byte at a time like an invalid one.
//
// Every frame lands whole in the frame buffer; for Layer III its main data is also kept in the
// ring, from which loadMainData gathers what a frame points back to. The CRC is skipped, never
// checked.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "mpeg/bit_reader.h"
#include "mpeg/byte_input.h"
#include "mpeg/frame_header.h"
#include "mpeg/lookahead_input.h"

namespace velt::mpeg {

class FrameReader {
  public:
    static constexpr std::size_t kFrameBufferBytes = 2048;
    static constexpr std::size_t kRingBytes = 4096;

    explicit FrameReader(ByteInput& input) : input_(input) {}

    // Back to the start state: no cached header, not in sync, ring empty. The kind of the last
    // frame taken is kept (a reposition stays in the same stream).
    void reset();
    // Forgets the kind of the last frame taken: the next frame may be of any kind (a new
    // stream).
    void forgetStreamKind() { haveKind_ = false; }

    // Reads the next frame: 0 with header() and bits() set up, -700 for a refused frame, or the
    // input's code (-514 at the end). bits() starts after the header and the CRC and covers the
    // frame's remaining bytes (Layers I and II) or the side information (Layer III).
    int readFrame();

    const FrameHeader& header() const { return header_; }
    // The current frame's bytes after the header and the CRC, in one piece (for Layer III: the
    // side information followed by the frame's own main data).
    std::span<const std::uint8_t> body() const;
    // True when the current frame was found after a loss of sync (or at the start or after a
    // reset): main data that earlier frames left may belong to another stream.
    bool afterSyncLoss() const { return afterSyncLoss_; }
    BitReader& bits() { return bits_; }
    bool inSync() const { return inSync_; }

    // Layer III: makes the main data of the current frame readable through bits(). The frame's
    // data starts mainDataBegin bytes before this frame's own main data in the ring and spans
    // bitCount bits (the sum of the granules' part2_3_length). Returns false when the ring does
    // not reach back that far (after a seek, or at the stream start): the frame is then silent.
    // Bits beyond the main data stored so far read as zeros with the overrun flag.
    bool loadMainData(int mainDataBegin, int bitCount);

  private:
    enum class State { FindHeader, SkipHeader, CheckKind, ReadFirstPart, StoreMainData, CheckNext };

    // Finds the next word with a sync: from four new bytes (fresh), or by moving on one byte
    // from the last word found.
    int syncSearch(bool fresh);
    int firstPartBytes() const;
    int mainDataBytes() const;
    int acceptFrame();
    int taken();
    bool changesKind(const FrameHeader& h) const;
    int confirmChange();

    LookaheadInput input_;
    State state_ = State::FindHeader;
    FrameHeader header_;
    FrameHeader cached_;
    bool cachedValid_ = false;
    bool inSync_ = false;
    std::uint32_t word_ = 0;  // the last four bytes the search looked at
    FrameHeader kind_;        // the last frame taken: its version, layer and sampling rate count
    bool haveKind_ = false;

    std::array<std::uint8_t, kFrameBufferBytes> frame_{};
    std::size_t bodyBytes_ = 0;  // bytes of the current frame in frame_ (header not included)
    bool afterSyncLoss_ = true;
    BitReader bits_;

    std::array<std::uint8_t, kRingBytes> ring_{};
    std::size_t writePos_ = 0;    // where the next main data byte goes
    std::size_t frameStart_ = 0;  // where the current frame's own main data begins
    std::size_t carried_ = 0;     // main data bytes held from earlier frames (at most the ring)
    std::array<std::uint8_t, kFrameBufferBytes + 4> mainData_{};
};

}  // namespace velt::mpeg
