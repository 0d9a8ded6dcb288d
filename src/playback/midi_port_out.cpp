#include "playback/midi_port_out.h"

#include "playback/jack_midi_port.h"

#include <RtMidi.h>
#include <jack/jack.h>

#include <filesystem>
#include <mutex>

namespace zema {

namespace {

constexpr const char* kClientName = "ZEMA";

// RtMidi reports errors through this callback instead of throwing or
// printing; the failure becomes the return value of the call that caused it.
void recordError(RtMidiError::Type type, const std::string& /*text*/, void* userData)
{
    if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING) return;
    if (userData != nullptr) static_cast<std::atomic<bool>*>(userData)->store(true);
}

// Once the port is open, any report during a send means the message did not
// go out: RtMidi reports a failed ALSA send as a warning.
void recordSendError(RtMidiError::Type type, const std::string& /*text*/, void* userData)
{
    if (type == RtMidiError::DEBUG_WARNING) return;
    if (userData != nullptr) static_cast<std::atomic<bool>*>(userData)->store(true);
}

// A client of one backend, or nothing when the backend cannot start.
std::unique_ptr<RtMidiOut> clientOf(RtMidi::Api api, std::atomic<bool>* errorFlag)
{
    try {
        auto out = std::make_unique<RtMidiOut>(api, kClientName);
        out->setErrorCallback(recordError, errorFlag);
        return out;
    } catch (const RtMidiError&) {
        return nullptr;  // the backend is not available on this machine
    }
}

void ignoreJackMessage(const char* /*message*/) {}

// The backends worth asking. Without the ALSA sequencer device there is no
// point in letting ALSA and RtMidi print their failure; the JACK library's
// own messages about a missing server are silenced the same way, since a
// missing backend is an ordinary situation here, not an error.
std::vector<RtMidi::Api> outputApis()
{
    static std::once_flag quietJack;
    std::call_once(quietJack, [] {
        jack_set_error_function(ignoreJackMessage);
        jack_set_info_function(ignoreJackMessage);
    });
    std::vector<RtMidi::Api> apis;
    RtMidi::getCompiledApi(apis);
    std::erase(apis, RtMidi::RTMIDI_DUMMY);
    std::error_code error;
    if (!std::filesystem::exists("/dev/snd/seq", error)) std::erase(apis, RtMidi::LINUX_ALSA);
    return apis;
}

}  // namespace

std::vector<MidiPortInfo> midiOutputPorts()
{
    std::vector<MidiPortInfo> ports;
    for (const RtMidi::Api api : outputApis()) {
        // JACK ports are ours to list as well as to open: RtMidi's JACK client
        // loses its buffers whenever it finds no server running.
        if (api == RtMidi::UNIX_JACK) {
            unsigned int index = 0;
            for (std::string& name : JackMidiPort::destinations(kClientName))
                ports.push_back({std::move(name), static_cast<int>(api), index++});
            continue;
        }
        std::atomic<bool> failed{false};
        const auto client = clientOf(api, &failed);
        if (!client) continue;
        const unsigned int count = client->getPortCount();
        for (unsigned int i = 0; i < count; ++i) {
            std::string name = client->getPortName(i);
            if (failed.load()) break;
            ports.push_back({std::move(name), static_cast<int>(api), i});
        }
    }
    return ports;
}

CMidiOut::CMidiOut() = default;

CMidiOut::~CMidiOut()
{
    Close();
}

int CMidiOut::Open(uint32_t port)
{
    Close();
    const auto ports = midiOutputPorts();
    if (ports.empty()) return 1;
    const size_t index = port == kFirstAvailablePort ? 0 : port;
    if (index >= ports.size()) return 1;
    const MidiPortInfo& info = ports[index];

    if (static_cast<RtMidi::Api>(info.api) == RtMidi::UNIX_JACK) {
        auto jack = std::make_unique<JackMidiPort>();
        if (!jack->open(kClientName, info.name)) return 1;
        jack_ = std::move(jack);
        portName_ = info.name;
        return 0;
    }
    sendFailed_ = false;
    auto out = clientOf(static_cast<RtMidi::Api>(info.api), &sendFailed_);
    if (!out) return 1;
    // Ports may have come or gone since the list was made: find it again by name.
    const unsigned int count = out->getPortCount();
    unsigned int apiIndex = count;
    for (unsigned int i = 0; i < count; ++i) {
        if (out->getPortName(i) == info.name) {
            apiIndex = i;
            break;
        }
    }
    if (apiIndex == count) return 1;
    out->openPort(apiIndex, "output");
    if (sendFailed_.load() || !out->isPortOpen()) return 1;
    out->setErrorCallback(recordSendError, &sendFailed_);
    out_ = std::move(out);
    portName_ = info.name;
    return 0;
}

int CMidiOut::Close()
{
    if (!isOpen()) return 0;
    for (uint8_t channel = 0; channel < 16; ++channel) {
        ShortMsg(0xB0, channel, 123, 0);  // all notes off
        ShortMsg(0xB0, channel, 64, 0);   // sustain off
    }
    if (jack_) jack_->close();  // after what was sent has gone out
    jack_.reset();
    if (out_) out_->closePort();
    out_.reset();
    portName_.clear();
    return 0;
}

int CMidiOut::send(const uint8_t* data, size_t length)
{
    if (jack_) return jack_->send(data, length) ? 0 : 1;
    if (!out_) return 1;
    sendFailed_ = false;
    out_->sendMessage(data, length);
    return sendFailed_.load() ? 1 : 0;
}

int CMidiOut::ShortMsg(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2)
{
    const auto bytes = packShortMessage(status, channel, data1, data2);
    return send(bytes.data(), static_cast<size_t>(shortMessageLength(bytes[0])));
}

int CMidiOut::LongMsg(const uint8_t* data, uint32_t length)
{
    // Both backends copy the message (into the ALSA sequencer, into the JACK
    // port's ring) before they return, so the caller's buffer is free.
    if (data == nullptr || length == 0) return 1;
    return send(data, length);
}

}  // namespace zema
