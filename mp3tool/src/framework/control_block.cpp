// Control block set-up, module registries and selection, options, properties and errors.
#include "framework/control_block.h"

#include <new>

#include "framework/error_codes.h"

namespace velt::mp3 {

namespace {

constexpr std::size_t kPcmBufferBytes = 8192;

template <typename List>
auto findByIndex(const List& list, int index) -> decltype(list.front().get()) {
    for (const auto& node : list) {
        if (node->index == index) return node.get();
    }
    return nullptr;
}

template <typename List, typename Module>
int appendModule(List& list, Module module) {
    const int index = list.empty() ? 0 : list.back()->index + 1;
    using Node = typename List::value_type::element_type;
    list.push_back(std::make_unique<Node>(Node{index, std::move(module)}));
    return index;
}

// The description an input or output module without an info operation gives.
int defaultModuleInfo(ModuleDescription& description, int flags) {
    if (flags & kInfoName) description.name = "unknown module name";
    if (flags & kInfoDevices) description.devices = 1;
    if (flags & kInfoDevice) {
        if (description.device != 0) return kInvalidParameters;
        description.deviceName = "unknown device name";
    }
    return kOk;
}

}  // namespace

TimeRecord timeFromSeconds(double seconds) {
    if (!(seconds > 0)) return {};
    TimeRecord t;
    t.hours = static_cast<int>(seconds / 3600);
    t.minutes = static_cast<int>((seconds - t.hours * 3600.0) / 60);
    const double rest = seconds - t.hours * 3600.0 - t.minutes * 60.0;
    t.seconds = static_cast<int>(rest);
    t.hundredths = static_cast<int>(rest * 100 - t.seconds * 100.0);
    return t;
}

ControlBlock::ControlBlock() : pcmBuffer_(kPcmBufferBytes) {}

ControlBlock::~ControlBlock() {
    // free_decoder: the input first, then the output (closing it finishes the file), the codec.
    deleteInputInstance();
    inputFilters_.clear();
    deleteOutputInstance();
    outputFilters_.clear();
    codec_.instance.reset();
}

int ControlBlock::create(std::unique_ptr<ControlBlock>& control) {
    try {
        control = std::make_unique<ControlBlock>();
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    return kOk;
}

void ControlBlock::reportError(int code, std::string_view message, std::string_view detail) const {
    if (errorCallback_) errorCallback_(code, message, detail);
}

// --- Registration ---

int ControlBlock::registerInputModule(InputModule module) {
    if (!moduleVersionAccepted(module.version)) return kVersionMismatch;
    if (!module.create) {
        reportError(kInternalError, "internal error", "null 'new' method in module");
        return kInternalError;
    }
    return appendModule(inputModules_, std::move(module));
}

int ControlBlock::registerOutputModule(OutputModule module) {
    if (!moduleVersionAccepted(module.version)) return kVersionMismatch;
    if (!module.create) {
        reportError(kInternalError, "internal error", "null 'new' method in module");
        return kInternalError;
    }
    return appendModule(outputModules_, std::move(module));
}

int ControlBlock::registerCodecModule(CodecModule module) {
    if (!moduleVersionAccepted(module.version)) return kVersionMismatch;
    const char* missing = !module.query    ? "null 'query' method in module"
                          : !module.info   ? "null 'info' method in module"
                          : !module.create ? "null 'new' method in module"
                                           : nullptr;
    if (missing != nullptr) {
        reportError(kInternalError, "internal error", missing);
        return kInternalError;
    }
    return appendModule(codecModules_, std::move(module));
}

int ControlBlock::inputModuleInfo(int index, ModuleDescription& description, int flags) const {
    const auto* node = findByIndex(inputModules_, index);
    if (node == nullptr) return kModuleNotFound;
    return node->module.info ? node->module.info(description, flags)
                             : defaultModuleInfo(description, flags);
}

int ControlBlock::outputModuleInfo(int index, ModuleDescription& description, int flags) const {
    const auto* node = findByIndex(outputModules_, index);
    if (node == nullptr) return kModuleNotFound;
    return node->module.info ? node->module.info(description, flags)
                             : defaultModuleInfo(description, flags);
}

int ControlBlock::codecModuleInfo(int index, ModuleDescription& description, int flags) const {
    const auto* node = findByIndex(codecModules_, index);
    if (node == nullptr) return kModuleNotFound;
    return node->module.info(description, flags);
}

// --- Selection ---

int ControlBlock::selectInput(std::string_view name, int index) {
    const Registered<InputModule>* chosen = nullptr;
    if (index == -1) {
        for (auto it = inputModules_.rbegin(); it != inputModules_.rend(); ++it) {
            const auto& probe = (*it)->module.probe;
            if (probe && probe(name) == 0) {
                chosen = it->get();
                break;
            }
        }
        if (chosen == nullptr) return kUnsupportedInputType;
    } else {
        chosen = findByIndex(inputModules_, index);
        if (chosen == nullptr) return kModuleNotFound;
    }
    if (input_.instance && input_.module == chosen && input_.name == name) return kOk;

    deleteInputInstance();
    input_.name.assign(name);
    input_.module = chosen;
    const int result = chosen->module.create(input_.instance, name, chosen->index, *this);
    if (result < 0 || !input_.instance) {
        input_.instance.reset();
        input_.module = nullptr;
        return result < 0 ? result : kInternalError;
    }
    inputFilters_.setTerminal(input_.instance.get());
    return kOk;
}

int ControlBlock::selectOutput(std::string_view name, int index) {
    const Registered<OutputModule>* chosen = nullptr;
    if (index == -1) {
        for (auto it = outputModules_.rbegin(); it != outputModules_.rend(); ++it) {
            const auto& probe = (*it)->module.probe;
            if (probe && probe(name) == 0) {
                chosen = it->get();
                break;
            }
        }
        if (chosen == nullptr) return kUnsupportedOutputType;
    } else {
        chosen = findByIndex(outputModules_, index);
        if (chosen == nullptr) return kModuleNotFound;
    }
    if (output_.instance && output_.module == chosen && output_.name == name) return kOk;

    deleteOutputInstance();
    output_.name.assign(name);
    output_.module = chosen;
    const int result = chosen->module.create(output_.instance, name, chosen->index, *this);
    if (result < 0 || !output_.instance) {
        output_.instance.reset();
        output_.module = nullptr;
        return result < 0 ? result : kInternalError;
    }
    outputFilters_.setTerminal(output_.instance.get());
    return kOk;
}

void ControlBlock::deleteInputInstance() {
    if (input_.open) closeInput();
    inputFilters_.setTerminal(nullptr);
    input_.instance.reset();
    input_.module = nullptr;
}

void ControlBlock::deleteOutputInstance() {
    if (output_.open) closeOutput();
    outputFilters_.setTerminal(nullptr);
    output_.instance.reset();
    output_.module = nullptr;
}

// --- Options ---

int ControlBlock::setOption1(int value) {
    options_.option1 = value;
    return codec_.instance ? codec_.instance->setOptions(options_, kOption1) : kOk;
}

int ControlBlock::setOption2(int value) {
    options_.option2 = value;
    return codec_.instance ? codec_.instance->setOptions(options_, kOption2) : kOk;
}

int ControlBlock::setOption3(const std::array<std::int8_t, 64>& gains) {
    options_.option3 = gains;
    return codec_.instance ? codec_.instance->setOptions(options_, kOption3) : kOk;
}

const CodecOptions& ControlBlock::options() {
    if (codec_.instance) codec_.instance->getOptions(options_, kOption1 | kOption2 | kOption3);
    return options_;
}

// --- Properties ---

int ControlBlock::setStreamInteger(std::string_view name, std::int32_t value) {
    status_.info.validFields |= kStreamPropertiesChanged;
    return streamProperties_.setInteger(name, value);
}

int ControlBlock::setStreamString(std::string_view name, std::string_view text) {
    status_.info.validFields |= kStreamPropertiesChanged;
    return streamProperties_.setString(name, text);
}

int ControlBlock::getStreamString(std::string_view name, std::string& text) const {
    return streamProperties_.getString(name, text);
}

int ControlBlock::getStreamInteger(std::string_view name, std::int32_t& value) const {
    return streamProperties_.getInteger(name, value);
}

int ControlBlock::deleteStreamProperty(std::string_view name) {
    status_.info.validFields |= kStreamPropertiesChanged;
    return streamProperties_.remove(name);
}

}  // namespace velt::mp3
