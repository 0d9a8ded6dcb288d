#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "playback/midi_output.h"

class RtMidiOut;

namespace zema {

class JackMidiPort;

// One MIDI output port the system offers, across RtMidi's backends (ALSA
// sequencer and JACK on Linux).
struct MidiPortInfo {
    std::string name;
    int api = 0;                // RtMidi::Api of the backend
    unsigned int apiIndex = 0;  // port number within that backend
};

// The output ports in backend order; the index in this list is the PORTA
// setting. A backend that is not available (no ALSA sequencer device, no
// JACK server) contributes nothing.
[[nodiscard]] std::vector<MidiPortInfo> midiOutputPorts();

// A system MIDI output port: an ALSA sequencer port through RtMidi, a JACK
// port through a client of our own (JackMidiPort). Not safe for two threads
// at once (each backend keeps per-port state and so does the error flag):
// one thread at a time, as IMidi says.
class CMidiOut final : public IMidi {
public:
    // Port argument meaning "the first available port".
    static constexpr uint32_t kFirstAvailablePort = 0xFFFFFFFFu;

    CMidiOut();
    ~CMidiOut() override;
    CMidiOut(const CMidiOut&) = delete;
    CMidiOut& operator=(const CMidiOut&) = delete;

    // Opens port `port` of midiOutputPorts() (kFirstAvailablePort: the first
    // one): 0, or 1 when there is no such port or it cannot be opened.
    int Open(uint32_t port) override;
    // Turns every note off on the 16 channels and closes the port.
    int Close() override;
    int ShortMsg(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2) override;
    int LongMsg(const uint8_t* data, uint32_t length) override;

    [[nodiscard]] bool isOpen() const { return out_ != nullptr || jack_ != nullptr; }
    // Name of the open port ("" when closed).
    [[nodiscard]] const std::string& portName() const { return portName_; }

private:
    int send(const uint8_t* data, size_t length);

    std::unique_ptr<RtMidiOut> out_;
    std::unique_ptr<JackMidiPort> jack_;
    std::string portName_;
    std::atomic<bool> sendFailed_{false};
};

}  // namespace zema
