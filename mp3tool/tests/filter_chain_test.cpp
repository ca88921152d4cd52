// Filter chains: ids, positions, removal, and calls that pass through filters to the modules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_modules.h"
#include "framework/control_block.h"
#include "framework/error_codes.h"

namespace velt::mp3 {
namespace {

// Adds one to every byte it reads; everything else passes through.
class AddOneFilter : public InputFilter {
  public:
    explicit AddOneFilter(std::string name) : name_(std::move(name)) {}
    std::string name() const override { return name_; }
    std::int64_t read(std::span<std::uint8_t> buffer) override {
        const std::int64_t got = next().read(buffer);
        for (std::int64_t i = 0; i < got; ++i) ++buffer[static_cast<std::size_t>(i)];
        return got;
    }

  private:
    std::string name_;
};

class CountingOutputFilter : public OutputFilter {
  public:
    explicit CountingOutputFilter(int& writes) : writes_(writes) {}
    std::int64_t write(std::span<const std::uint8_t> data, int bps, int ch, int rate) override {
        ++writes_;
        return next().write(data, bps, ch, rate);
    }

  private:
    int& writes_;
};

InputFilterModule addOne(const std::string& name) {
    InputFilterModule m;
    m.create = [name](std::unique_ptr<InputFilter>& f, int, ControlBlock&) {
        f = std::make_unique<AddOneFilter>(name);
        return 0;
    };
    return m;
}

std::vector<std::string> order(const ControlBlock& control) {
    std::vector<std::string> names;
    control.forEachInputFilter(
        [&](int id, InputFilter& f) { names.push_back(f.name() + "#" + std::to_string(id)); });
    return names;
}

TEST(FilterChain, PlacesFiltersByPositionAndReusesFreeIds) {
    ControlBlock d;
    EXPECT_EQ(d.addInputFilter(addOne("a"), kFilterLast), 1);
    EXPECT_EQ(d.addInputFilter(addOne("b"), kFilterFirst), 2);
    EXPECT_EQ(d.addInputFilter(addOne("c"), 1), 3);      // 1 also means last
    EXPECT_EQ(d.addInputFilter(addOne("d"), 1 + 2), 4);  // in front of filter 3
    EXPECT_EQ(d.addInputFilter(addOne("e"), 99), 5);     // no such filter: last
    EXPECT_EQ(order(d), (std::vector<std::string>{"b#2", "a#1", "d#4", "c#3", "e#5"}));

    EXPECT_EQ(d.removeInputFilter(1), 2);
    EXPECT_EQ(d.addInputFilter(addOne("f"), kFilterLast), 1);  // the smallest free id
    EXPECT_EQ(d.removeInputFilter(kRemoveFirst), 4);
    EXPECT_EQ(d.removeInputFilter(kRemoveLast), 4);
    EXPECT_EQ(d.removeInputFilter(kRemoveByName, "c"), 4);
    EXPECT_EQ(order(d), (std::vector<std::string>{"d#4", "e#5"}));
    EXPECT_EQ(d.removeInputFilter(kRemoveByName, ""), -1);
    EXPECT_EQ(d.removeInputFilter(kRemoveByName, "zzz"), -1);
    EXPECT_EQ(d.removeInputFilter(42), -1);
    EXPECT_EQ(d.removeInputFilter(4), 5);
    EXPECT_EQ(d.removeInputFilter(kRemoveFirst), 0);
    EXPECT_EQ(d.removeInputFilter(kRemoveFirst), -1);  // only the module is left
}

TEST(FilterChain, RefusesIncompleteTablesAndFailedFilters) {
    ControlBlock d;
    EXPECT_EQ(d.addInputFilter(InputFilterModule{}, kFilterLast), kInvalidParameters);
    EXPECT_EQ(d.addInputFilter(addOne("a"), -2), kInvalidParameters);
    InputFilterModule old = addOne("a");
    old.version = 0x40200;
    EXPECT_EQ(d.addInputFilter(old, kFilterLast), kVersionMismatch);
    InputFilterModule failing;
    failing.create = [](std::unique_ptr<InputFilter>&, int, ControlBlock&) {
        return int{kOutOfMemory};
    };
    EXPECT_EQ(d.addInputFilter(failing, kFilterLast), kOutOfMemory);
    EXPECT_TRUE(order(d).empty());
}

TEST(FilterChain, CallsPassThroughEveryFilterToTheModules) {
    fake::Log log;
    log.inputBytes = {10, 20, 30, 40};
    ControlBlock d;
    d.registerInputModule(fake::inputModule(log));
    d.registerOutputModule(fake::outputModule(log));
    d.registerCodecModule(fake::codecModule(
        log, {fake::Step{.samplesPerChannel = 4}, fake::Step{.samplesPerChannel = 4}}));
    // Filters added before and after the module is selected both end at the module.
    ASSERT_GT(d.addInputFilter(addOne("a"), kFilterLast), 0);
    d.selectInput("in");
    ASSERT_GT(d.addInputFilter(addOne("b"), kFilterLast), 0);
    int writes = 0;
    OutputFilterModule counting;
    counting.create = [&writes](std::unique_ptr<OutputFilter>& f, int, ControlBlock&) {
        f = std::make_unique<CountingOutputFilter>(writes);
        return 0;
    };
    ASSERT_GT(d.addOutputFilter(counting, kFilterFirst), 0);
    d.selectOutput("out");
    ASSERT_EQ(d.openOutput(), kOk);
    ASSERT_EQ(d.openInput(), kOk);

    EXPECT_EQ(d.inputSize(), 4u);  // not overridden: answered by the module
    std::vector<std::uint8_t> bytes(4);
    ASSERT_EQ(d.readInput(bytes), kOk);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{12, 22, 32, 42}));

    while (d.decodeStep() == kOk) {
    }
    EXPECT_EQ(writes, 2);
    EXPECT_EQ(log.written.size(), 32u);
}

}  // namespace
}  // namespace velt::mp3
