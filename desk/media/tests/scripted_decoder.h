// A decoder control double: it records every property and call, and each start raises the
// events the test has queued for it (all of them at once, as a fast decoder would).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/outside/compressed_decoder.h"

namespace velt::desk::test_media {

class ScriptedDecoder : public platform::outside::DecoderControl {
  public:
    struct Log {
        std::vector<std::string> calls;  // "set 2 <value>", "invoke 10"
    };
    ScriptedDecoder(Log& log, int startId, std::vector<platform::outside::DecoderEvent> onStart)
        : log_(log), startId_(startId), onStart_(std::move(onStart)) {}

    void setProperty(int id, const std::string& value) override {
        log_.calls.push_back("set " + std::to_string(id) + " " + value);
    }
    void invoke(int id) override {
        log_.calls.push_back("invoke " + std::to_string(id));
        if (id == startId_) pending_.insert(pending_.end(), onStart_.begin(), onStart_.end());
    }
    std::vector<platform::outside::DecoderEvent> takeEvents() override {
        return std::exchange(pending_, {});
    }

    static platform::outside::DecoderEvent progress(double percent) {
        return {platform::outside::DecoderEvent::Kind::Progress, percent, 0};
    }
    static platform::outside::DecoderEvent error(long code) {
        return {platform::outside::DecoderEvent::Kind::Error, 0, code};
    }

  private:
    Log& log_;
    int startId_;
    std::vector<platform::outside::DecoderEvent> onStart_;
    std::vector<platform::outside::DecoderEvent> pending_;
};

}  // namespace velt::desk::test_media
