// The framework's control block: registries of input, codec and output modules, the selected input
// and output with their instances, the chosen codec, the status and PCM records, the stream and
// environment property lists, and the codec options. Modules reach the input, the properties and
// the codec through the services below. One thread; one decode at a time per ControlBlock.
//
// Life of a run: create, register modules, selectOutput + openOutput, selectInput + openInput
// (which chooses and starts the codec), decodeStep until it ends, closeInput, closeOutput.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "framework/codec_module.h"
#include "framework/filter_chain.h"
#include "framework/input_module.h"
#include "framework/module_types.h"
#include "framework/output_module.h"
#include "framework/property_list.h"

namespace velt::mp3 {

// Told of the framework's and the modules' failures: the code, a short message ("internal error",
// "cannot open input file") and a detail text. None is installed by default.
using ErrorCallback =
    std::function<void(int code, std::string_view message, std::string_view detail)>;

class ControlBlock {
  public:
    ControlBlock();
    ~ControlBlock();
    ControlBlock(const ControlBlock&) = delete;
    ControlBlock& operator=(const ControlBlock&) = delete;

    // decoder_create: a new control block, or kOutOfMemory.
    static int create(std::unique_ptr<ControlBlock>& control);

    // --- Registration: the module's index (0 or more), kVersionMismatch, or kInternalError when
    // a required operation is missing. The most recently registered module is asked first.
    int registerInputModule(InputModule module);
    int registerOutputModule(OutputModule module);
    int registerCodecModule(CodecModule module);

    // Description of a registered module by index; kModuleNotFound when there is none.
    int inputModuleInfo(int index, ModuleDescription& description, int flags) const;
    int outputModuleInfo(int index, ModuleDescription& description, int flags) const;
    int codecModuleInfo(int index, ModuleDescription& description, int flags) const;

    // --- Input. index -1 takes the first module (newest first) whose probe accepts the name.
    int selectInput(std::string_view name, int index = -1);
    int openInput();
    int closeInput();
    // Services for codecs: readInput fills the whole buffer (0) or reports the end of the stream
    // (kEndOfStream, also for a short last piece) or a read failure; readInputSome returns the
    // bytes read (fewer than asked only at the end), kEndOfStream or a read failure.
    int readInput(std::span<std::uint8_t> buffer);
    std::int64_t readInputSome(std::span<std::uint8_t> buffer);
    // -1 when the input cannot seek or its size is unknown; the offset is clamped to the size.
    int seekInput(std::uint64_t offset);
    int seekInputFraction(double fraction);
    int seekInputSeconds(double seconds);
    int seekInputTime(const TimeRecord* time);
    int inputControl(int a, int b, int c);

    bool inputIsOpen() const { return input_.open; }
    bool inputSeekable() const { return input_.seekable; }
    std::uint64_t inputBytePosition() const { return input_.bytePosition; }
    std::uint64_t inputSize() const { return input_.size; }
    const std::string& inputName() const { return input_.name; }
    const std::string& inputStreamType() const { return input_.streamType; }

    // --- Output.
    int selectOutput(std::string_view name, int index = -1);
    int openOutput();
    // Finishes and closes the output (a WAV file gets its final header): 0 or a negative code.
    int closeOutput();
    // Deletes the output instance without finishing it: what is on disk stays as it is.
    void discardOutput();
    int outputSetControls(const OutputControls* record, int mask);
    int outputGetControls(OutputControls* record, int mask);
    int outputControl(int a, int b, int c);
    bool outputIsOpen() const { return output_.open; }

    // --- Filters. add: the new filter's id, kInvalidParameters when the table has no new
    // operation or the position is below kFilterFirst, kVersionMismatch, or new's failure.
    // remove (by id, or kRemoveByName with a name, kRemoveFirst, kRemoveLast): the id of the first
    // remaining filter (0 when none), or -1 when no filter matched.
    int addInputFilter(const InputFilterModule& module, int position);
    int removeInputFilter(int id, std::string_view name = {});
    void forEachInputFilter(const std::function<void(int id, InputFilter& filter)>& visit) const;
    int addOutputFilter(const OutputFilterModule& module, int position);
    int removeOutputFilter(int id, std::string_view name = {});
    void forEachOutputFilter(const std::function<void(int id, OutputFilter& filter)>& visit) const;

    // --- Decoding. A step returns 0, the codec's code, or kWriteFailed when the output took
    // none of the step's PCM.
    int decodeStep();
    int flushCodec();
    const StatusRecord& status() const { return status_; }
    const PcmRecord& pcm() const { return pcm_; }
    // PCM bytes the output took since the output was opened.
    std::uint64_t pcmBytesWritten() const { return pcmBytesWritten_; }

    // --- Codec options: stored here and handed to the codec (now and whenever one is chosen).
    int setOption1(int value);
    int setOption2(int value);
    int setOption3(const std::array<std::int8_t, 64>& gains);
    const CodecOptions& options();  // lets the codec fill them in first

    // --- Properties. Setting or deleting a stream property marks the stream info's properties
    // as changed. The stream list is emptied whenever an input is opened.
    int setStreamInteger(std::string_view name, std::int32_t value);
    int setStreamString(std::string_view name, std::string_view text);
    int getStreamString(std::string_view name, std::string& text) const;
    int getStreamInteger(std::string_view name, std::int32_t& value) const;
    int deleteStreamProperty(std::string_view name);
    const PropertyList& streamProperties() const { return streamProperties_; }
    PropertyList& environment() { return environment_; }

    // --- Errors.
    void setErrorCallback(ErrorCallback callback) { errorCallback_ = std::move(callback); }
    void reportError(int code, std::string_view message, std::string_view detail) const;

  private:
    template <typename Module>
    struct Registered {
        int index = 0;
        Module module;
    };

    struct InputRecord {
        bool open = false;
        bool seekable = false;
        std::uint64_t bytePosition = 0;
        std::uint64_t size = 0;
        std::unique_ptr<InputInstance> instance;
        const Registered<InputModule>* module = nullptr;
        std::string name;
        std::string streamType = "unknown";
    };

    struct OutputRecord {
        bool open = false;
        std::uint32_t capabilities = kDefaultOutputCapabilities;
        std::unique_ptr<OutputInstance> instance;
        const Registered<OutputModule>* module = nullptr;
        std::string name;
    };

    struct CodecRecord {
        std::unique_ptr<CodecInstance> instance;
        const Registered<CodecModule>* module = nullptr;
        int infoWord = 0;
        int maxOutputBytes = 0;
    };

    // The first link of each chain: a filter, or the module instance.
    InputInstance& inputLink() const { return *inputFilters_.head(); }
    OutputInstance& outputLink() const { return *outputFilters_.head(); }

    int chooseCodec();
    void deleteInputInstance();
    void deleteOutputInstance();
    void updatePositionAndTime();
    double byteFraction(std::uint64_t bytePosition) const;

    // Lists hold nodes at stable addresses; the newest module is at the back.
    std::vector<std::unique_ptr<Registered<InputModule>>> inputModules_;
    std::vector<std::unique_ptr<Registered<OutputModule>>> outputModules_;
    std::vector<std::unique_ptr<Registered<CodecModule>>> codecModules_;

    InputRecord input_;
    OutputRecord output_;
    CodecRecord codec_;
    StatusRecord status_;
    PcmRecord pcm_;
    bool firstStepOfStream_ = true;
    std::uint64_t pcmBytesWritten_ = 0;

    InputFilterChain inputFilters_;
    OutputFilterChain outputFilters_;
    PropertyList streamProperties_;
    PropertyList environment_;
    CodecOptions options_;
    ErrorCallback errorCallback_;
    std::vector<std::uint8_t> pcmBuffer_;  // used when the output offers no buffer of its own
};

}  // namespace velt::mp3
