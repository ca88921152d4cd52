#include "framework/property_binary.h"

#include <limits>
#include <string>

#include "framework/error_codes.h"

namespace velt::mp3 {

namespace {

constexpr std::size_t kMaxTextLength = std::numeric_limits<std::uint16_t>::max();

void putBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void putText(std::vector<std::uint8_t>& out, const std::string& text) {
    putBigEndian(out, static_cast<std::uint32_t>(text.size()), 2);
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

// Reads fields off the front of a byte range; any overrun marks the reader failed.
class FieldReader {
  public:
    explicit FieldReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool failed() const { return failed_; }
    std::size_t consumed() const { return pos_; }

    std::uint32_t number(int size) {
        if (!take(static_cast<std::size_t>(size))) return 0;
        std::uint32_t value = 0;
        for (int i = 0; i < size; ++i) value = (value << 8) | bytes_[pos_ - size + i];
        return value;
    }

    std::string text() {
        const std::size_t length = number(2);
        if (failed_ || !take(length + 1)) return {};
        const std::size_t start = pos_ - length - 1;
        if (bytes_[start + length] != 0) {
            failed_ = true;
            return {};
        }
        return std::string(reinterpret_cast<const char*>(bytes_.data() + start), length);
    }

  private:
    bool take(std::size_t size) {
        if (failed_ || size > bytes_.size() - pos_) {
            failed_ = true;
            return false;
        }
        pos_ += size;
        return true;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

}  // namespace

std::size_t propertyBinarySize(const PropertySnapshot& snapshot) {
    std::size_t size = 4;
    for (const Property& p : snapshot) {
        switch (p.type) {
            case PropertyType::String:
                size += p.name.size() + 7 + p.text.size();
                break;
            case PropertyType::Integer:
                size += p.name.size() + 8;
                break;
            default:
                size += p.name.size() + 4;
                break;
        }
    }
    return size;
}

int writePropertyBinary(const PropertySnapshot& snapshot, std::vector<std::uint8_t>& out) {
    for (const Property& p : snapshot) {
        if (p.name.size() > kMaxTextLength) return kInvalidParameters;
        if (p.type == PropertyType::String && p.text.size() > kMaxTextLength) {
            return kInvalidParameters;
        }
    }
    out.clear();
    out.reserve(propertyBinarySize(snapshot));
    putBigEndian(out, static_cast<std::uint32_t>(snapshot.size()), 4);
    for (const Property& p : snapshot) {
        out.push_back(static_cast<std::uint8_t>(p.type));
        putText(out, p.name);
        if (p.type == PropertyType::String) {
            putText(out, p.text);
        } else if (p.type == PropertyType::Integer) {
            putBigEndian(out, static_cast<std::uint32_t>(p.integer), 4);
        }
    }
    return static_cast<int>(out.size());
}

int readPropertyBinary(std::span<const std::uint8_t> bytes, PropertySnapshot& snapshot) {
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        bytes = bytes.first(static_cast<std::size_t>(std::numeric_limits<int>::max()));
    }
    FieldReader reader(bytes);
    const std::uint32_t count = reader.number(4);
    // Every entry takes at least four bytes, so a count beyond that cannot be real; checking
    // first keeps a damaged count from reserving memory.
    if (reader.failed() || count > (bytes.size() - 4) / 4) return kInvalidParameters;
    PropertySnapshot entries;
    entries.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        Property p;
        p.type = static_cast<PropertyType>(reader.number(1));
        p.name = reader.text();
        if (p.type == PropertyType::String) {
            p.text = reader.text();
        } else if (p.type == PropertyType::Integer) {
            p.integer = static_cast<std::int32_t>(reader.number(4));
        }
        if (reader.failed()) return kInvalidParameters;
        entries.push_back(std::move(p));
    }
    snapshot = std::move(entries);
    return static_cast<int>(reader.consumed());
}

}  // namespace velt::mp3
