// Adding, removing and listing the filters of the input and output chains.
#include "framework/control_block.h"
#include "framework/error_codes.h"

namespace velt::mp3 {

namespace {

template <typename Module, typename Chain, typename Filter>
int addFilter(const Module& module, int position, Chain& chain, ControlBlock& control) {
    if (!module.create || position < kFilterFirst) return kInvalidParameters;
    if (!moduleVersionAccepted(module.version)) return kVersionMismatch;
    const int id = chain.freeId();
    std::unique_ptr<Filter> filter;
    const int result = module.create(filter, id, control);
    if (result < 0) return result;
    if (!filter) return kInternalError;
    chain.insert(std::move(filter), id, position);
    return id;
}

}  // namespace

int ControlBlock::addInputFilter(const InputFilterModule& module, int position) {
    return addFilter<InputFilterModule, InputFilterChain, InputFilter>(module, position,
                                                                       inputFilters_, *this);
}

int ControlBlock::removeInputFilter(int id, std::string_view name) {
    return inputFilters_.remove(id, name);
}

void ControlBlock::forEachInputFilter(
    const std::function<void(int id, InputFilter& filter)>& visit) const {
    inputFilters_.forEach(visit);
}

int ControlBlock::addOutputFilter(const OutputFilterModule& module, int position) {
    return addFilter<OutputFilterModule, OutputFilterChain, OutputFilter>(module, position,
                                                                          outputFilters_, *this);
}

int ControlBlock::removeOutputFilter(int id, std::string_view name) {
    return outputFilters_.remove(id, name);
}

void ControlBlock::forEachOutputFilter(
    const std::function<void(int id, OutputFilter& filter)>& visit) const {
    outputFilters_.forEach(visit);
}

}  // namespace velt::mp3
