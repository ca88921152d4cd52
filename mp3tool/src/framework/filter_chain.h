// Filter chains: optional links between the framework and the selected input or output module.
// A filter sees every chain operation first; each operation it does not override forwards to the
// next link, and the last link is the selected module's instance. Filters are known by a small
// positive id (the smallest one free when the filter is added) and by their name.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/input_module.h"
#include "framework/module_types.h"
#include "framework/output_module.h"

namespace velt::mp3 {

class ControlBlock;

class InputFilter : public InputInstance {
  public:
    virtual std::string name() const { return {}; }

    int open() override { return next().open(); }
    int close() override { return next().close(); }
    std::int64_t read(std::span<std::uint8_t> buffer) override { return next().read(buffer); }
    int seek(std::uint64_t offset) override { return next().seek(offset); }
    bool seekable() override { return next().seekable(); }
    std::uint64_t size() override { return next().size(); }
    int control(int a, int b, int c) override { return next().control(a, b, c); }

  protected:
    InputInstance& next() { return *next_; }

  private:
    template <typename, typename>
    friend class FilterChain;
    InputInstance* next_ = nullptr;
};

class OutputFilter : public OutputInstance {
  public:
    virtual std::string name() const { return {}; }

    int open() override { return next().open(); }
    int close() override { return next().close(); }
    std::int64_t write(std::span<const std::uint8_t> data, int bytesPerSample, int channels,
                       int sampleRate) override {
        return next().write(data, bytesPerSample, channels, sampleRate);
    }
    std::span<std::uint8_t> bufferRequest(std::size_t size) override {
        return next().bufferRequest(size);
    }
    int setControls(const OutputControls* record, int mask) override {
        return next().setControls(record, mask);
    }
    int getControls(OutputControls& record, int mask) override {
        return next().getControls(record, mask);
    }
    int delayQuery(int& delay) override { return next().delayQuery(delay); }
    std::uint32_t capabilities() override { return next().capabilities(); }
    int control(int a, int b, int c) override { return next().control(a, b, c); }

  protected:
    OutputInstance& next() { return *next_; }

  private:
    template <typename, typename>
    friend class FilterChain;
    OutputInstance* next_ = nullptr;
};

// A filter's table: the version word and its new operation, given the filter's id.
struct InputFilterModule {
    std::uint32_t version = kModuleVersion;
    std::function<int(std::unique_ptr<InputFilter>& filter, int id, ControlBlock& control)> create;
};

struct OutputFilterModule {
    std::uint32_t version = kModuleVersion;
    std::function<int(std::unique_ptr<OutputFilter>& filter, int id, ControlBlock& control)> create;
};

// Where a new filter goes.
inline constexpr int kFilterFirst = -1;
inline constexpr int kFilterLast = 0;  // also 1; a larger number: in front of that filter's id

// Which filter to remove.
inline constexpr int kRemoveByName = -2;
inline constexpr int kRemoveFirst = -1;
inline constexpr int kRemoveLast = 0;

template <typename Filter, typename Instance>
class FilterChain {
  public:
    // The link the framework calls: the first filter, or the module instance itself.
    Instance* head() const { return filters_.empty() ? terminal_ : filters_.front().filter.get(); }

    void setTerminal(Instance* terminal) {
        terminal_ = terminal;
        relink();
    }

    int freeId() const {
        for (int id = 1;; ++id) {
            bool used = false;
            for (const Entry& e : filters_) used = used || e.id == id;
            if (!used) return id;
        }
    }

    void insert(std::unique_ptr<Filter> filter, int id, int position) {
        auto at = filters_.end();
        if (position == kFilterFirst) {
            at = filters_.begin();
        } else if (position > 1) {
            for (auto it = filters_.begin(); it != filters_.end(); ++it) {
                if (it->id == position) {
                    at = it;
                    break;
                }
            }
        }
        filters_.insert(at, Entry{id, std::move(filter)});
        relink();
    }

    // The id of the first remaining filter (0 when none), or -1 when nothing matched.
    int remove(int id, std::string_view name) {
        auto it = filters_.end();
        if (id == kRemoveByName) {
            if (name.empty()) return -1;
            for (auto f = filters_.begin(); f != filters_.end(); ++f) {
                if (f->filter->name() == name) {
                    it = f;
                    break;
                }
            }
        } else if (!filters_.empty() && id == kRemoveFirst) {
            it = filters_.begin();
        } else if (!filters_.empty() && id == kRemoveLast) {
            it = std::prev(filters_.end());
        } else if (id > 0) {
            for (auto f = filters_.begin(); f != filters_.end(); ++f) {
                if (f->id == id) {
                    it = f;
                    break;
                }
            }
        }
        if (it == filters_.end()) return -1;
        filters_.erase(it);
        relink();
        return filters_.empty() ? 0 : filters_.front().id;
    }

    void forEach(const std::function<void(int id, Filter& filter)>& visit) const {
        for (const Entry& e : filters_) visit(e.id, *e.filter);
    }

    void clear() {
        filters_.clear();
        relink();
    }

  private:
    struct Entry {
        int id;
        std::unique_ptr<Filter> filter;
    };

    void relink() {
        for (std::size_t i = 0; i < filters_.size(); ++i) {
            filters_[i].filter->next_ =
                i + 1 < filters_.size() ? filters_[i + 1].filter.get() : terminal_;
        }
    }

    std::vector<Entry> filters_;
    Instance* terminal_ = nullptr;
};

using InputFilterChain = FilterChain<InputFilter, InputInstance>;
using OutputFilterChain = FilterChain<OutputFilter, OutputInstance>;

}  // namespace velt::mp3
