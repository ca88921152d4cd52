// Frame synchronisation, frame reading and the Layer III bit reservoir.
#include "mpeg/frame_reader.h"

#include <algorithm>
#include <cstring>

#include "mpeg/result_codes.h"

namespace velt::mpeg {

namespace {

// Copies n bytes (at most the ring's size) into the ring from position `at` on, wrapping at its
// end, in at most two pieces; returns the position after them.
template <std::size_t Size>
std::size_t copyIntoRing(std::array<std::uint8_t, Size>& ring, std::size_t at,
                         const std::uint8_t* data, std::size_t n) {
    const std::size_t first = std::min(n, Size - at);
    std::memcpy(ring.data() + at, data, first);
    std::memcpy(ring.data(), data + first, n - first);
    return (at + n) % Size;
}

// Headers that must confirm a change of the stream's kind.
constexpr int kConfirmingHeaders = 2;

FrameHeader headerFrom(const std::uint8_t* bytes) {
    return parseFrameHeader(std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 |
                            std::uint32_t(bytes[2]) << 8 | bytes[3]);
}

bool sameKind(const FrameHeader& a, const FrameHeader& b) {
    return a.version == b.version && a.layer == b.layer && a.samplingIndex == b.samplingIndex;
}

}  // namespace

void FrameReader::reset() {
    input_.clear();
    state_ = State::FindHeader;
    cachedValid_ = false;
    inSync_ = false;
    writePos_ = 0;
    frameStart_ = 0;
    carried_ = 0;
    bits_.reset(nullptr, 0);
    bodyBytes_ = 0;
}

int FrameReader::syncSearch(bool fresh) {
    if (fresh) {
        std::uint8_t bytes[4];
        const int r = input_.read(bytes, 4);
        if (r != kOk) {
            inSync_ = false;
            return r;
        }
        word_ = std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 |
                std::uint32_t(bytes[2]) << 8 | bytes[3];
    } else {
        // Move on by one byte from the word that was no valid header.
        std::uint8_t next;
        const int r = input_.read(&next, 1);
        if (r != kOk) {
            inSync_ = false;
            return r;
        }
        word_ = (word_ << 8) | next;
    }
    while (!hasSync(word_)) {
        inSync_ = false;
        std::uint8_t next;
        const int r = input_.read(&next, 1);
        if (r != kOk) return r;
        word_ = (word_ << 8) | next;
    }
    header_ = parseFrameHeader(word_);
    return kOk;
}

int FrameReader::firstPartBytes() const {
    const int crc = header_.crcProtected ? 2 : 0;
    if (header_.layer == 3) return header_.sideInfoBytes() + crc;
    return header_.frameBytes() - 4;
}

int FrameReader::mainDataBytes() const {
    return std::max(0, header_.frameBytes() - 4 - firstPartBytes());
}

int FrameReader::readFrame() {
    for (;;) {
        switch (state_) {
            case State::FindHeader: {
                if (cachedValid_) {
                    header_ = cached_;
                    word_ = cached_.word;
                    cachedValid_ = false;
                } else {
                    const int r = syncSearch(true);
                    if (r != kOk) return r;
                }
                // An invalid header is left one byte at a time, so a frame that starts inside
                // it (after a stray 0xFF) is still found.
                state_ = isValidHeader(header_) ? State::CheckKind : State::SkipHeader;
                break;
            }
            case State::SkipHeader: {
                inSync_ = false;
                const int r = syncSearch(false);
                if (r != kOk) return r;
                if (isValidHeader(header_)) state_ = State::CheckKind;
                break;
            }
            case State::CheckKind: {
                if (changesKind(header_)) {
                    const int r = confirmChange();
                    if (r == kInvalidFrame) {
                        state_ = State::SkipHeader;
                        break;
                    }
                    if (r != kOk) return r;
                }
                state_ = State::ReadFirstPart;
                break;
            }
            case State::ReadFirstPart: {
                const int bytes = firstPartBytes();
                const int r = input_.read(frame_.data(), static_cast<std::size_t>(bytes));
                if (r != kOk) return r;
                bits_.reset(frame_.data(), static_cast<std::size_t>(bytes));
                bodyBytes_ = static_cast<std::size_t>(bytes);
                afterSyncLoss_ = !inSync_;
                if (header_.layer != 3) return acceptFrame();
                state_ = State::StoreMainData;
                break;
            }
            case State::StoreMainData: {
                // The main data lands after the side information in the frame buffer (so the
                // whole body stays readable in one piece) and is copied into the ring.
                const std::size_t first = static_cast<std::size_t>(firstPartBytes());
                const std::size_t bytes = static_cast<std::size_t>(mainDataBytes());
                const int r = input_.read(frame_.data() + first, bytes);
                if (r != kOk) return r;
                frameStart_ = writePos_;
                writePos_ = copyIntoRing(ring_, writePos_, frame_.data() + first, bytes);
                bodyBytes_ = first + bytes;
                return acceptFrame();
            }
            case State::CheckNext: {
                std::uint8_t bytes[4];
                const int r = input_.read(bytes, 4);
                if (r == kEndOfStream) {
                    state_ = State::FindHeader;
                    return taken();
                }
                if (r != kOk) return r;
                state_ = State::FindHeader;
                const FrameHeader next = headerFrom(bytes);
                if (!isValidHeader(next)) return kInvalidFrame;
                cached_ = next;
                cachedValid_ = true;
                inSync_ = true;
                return taken();
            }
        }
    }
}

std::span<const std::uint8_t> FrameReader::body() const {
    const std::size_t crc = header_.crcProtected ? 2 : 0;
    if (bodyBytes_ < crc) return {};
    return std::span<const std::uint8_t>(frame_.data() + crc, bodyBytes_ - crc);
}

int FrameReader::acceptFrame() {
    if (header_.crcProtected) bits_.skip(16);
    // Out of sync, the main data before this frame may belong to a lost or foreign stretch of the
    // input: no back-pointer may reach it.
    if (!inSync_) carried_ = 0;
    if (inSync_) {
        state_ = State::FindHeader;
        return taken();
    }
    state_ = State::CheckNext;
    return readFrame();
}

int FrameReader::taken() {
    kind_ = header_;
    haveKind_ = true;
    return kOk;
}

bool FrameReader::changesKind(const FrameHeader& h) const {
    return haveKind_ && !sameKind(h, kind_);
}

// The header just found (its four bytes read) against the ones its length and theirs point at:
// 0 when they are valid and of its kind, -700 when not (or when the input ends before them).
int FrameReader::confirmChange() {
    std::size_t offset = static_cast<std::size_t>(header_.frameBytes()) - 4;
    for (int i = 0; i < kConfirmingHeaders; ++i) {
        std::uint8_t bytes[4];
        const int r = input_.peek(offset, bytes, 4);
        if (r == kEndOfStream) return kInvalidFrame;
        if (r != kOk) return r;
        const FrameHeader next = headerFrom(bytes);
        if (!isValidHeader(next) || !sameKind(next, header_)) return kInvalidFrame;
        offset += static_cast<std::size_t>(next.frameBytes());
    }
    return kOk;
}

bool FrameReader::loadMainData(int mainDataBegin, int bitCount) {
    const std::size_t own = (writePos_ + kRingBytes - frameStart_) % kRingBytes;
    carried_ += own;
    const std::size_t back = static_cast<std::size_t>(std::max(0, mainDataBegin));
    if (carried_ < back + own) {
        bits_.reset(nullptr, 0);
        return false;
    }
    carried_ = std::min(carried_, kRingBytes);
    // Copy what the granules need, but never more than is stored: back-pointed bytes plus
    // this frame's own main data.
    const std::size_t wanted = (static_cast<std::size_t>(std::max(0, bitCount)) + 7) / 8;
    const std::size_t bytes = std::min({wanted, back + own, mainData_.size()});
    const std::size_t from = (frameStart_ + kRingBytes - back % kRingBytes) % kRingBytes;
    // At most two pieces: up to the ring's end, then from its start.
    const std::size_t first = std::min(bytes, kRingBytes - from);
    std::memcpy(mainData_.data(), ring_.data() + from, first);
    std::memcpy(mainData_.data() + first, ring_.data(), bytes - first);
    bits_.reset(mainData_.data(), bytes);
    return true;
}

}  // namespace velt::mpeg
