#include "playback/jack_midi_port.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace zema {

namespace {

// Room for about eight thousand channel messages: far more than the player
// sends between two cycles of any usable buffer size.
constexpr size_t kRingBytes = size_t{1} << 16;
constexpr size_t kLengthBytes = 4;
// How long open() waits for the connection to carry data, and close() for
// the ring to empty: many cycles of any buffer size, short for a person.
constexpr int kConnectMilliseconds = 3000;
constexpr int kDrainMilliseconds = 1000;

jack_client_t* clientOf(void* client)
{
    return static_cast<jack_client_t*>(client);
}
jack_port_t* portOf(void* port)
{
    return static_cast<jack_port_t*>(port);
}

// Polls `done` every millisecond for at most `limit`.
template <typename Done>
bool waitUntil(Done done, int limitMilliseconds)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMilliseconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace

JackMidiPort::JackMidiPort() : ring_(kRingBytes) {}

JackMidiPort::~JackMidiPort()
{
    close();
}

bool JackMidiPort::open(const std::string& clientName, const std::string& destination)
{
    close();
    jack_status_t status{};
    jack_client_t* client = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
    if (client == nullptr) return false;
    client_ = client;
    written_ = 0;
    read_ = 0;
    connected_ = false;
    cycles_ = 0;
    port_ = jack_port_register(client, "output", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    if (port_ == nullptr || jack_set_process_callback(client, &JackMidiPort::processCallback, this) != 0 ||
        jack_activate(client) != 0) {
        shutdown();
        return false;
    }
    const int connected = jack_connect(client, jack_port_name(portOf(port_)), destination.c_str());
    if ((connected != 0 && connected != EEXIST) ||
        !waitUntil([this] { return connected_.load(std::memory_order_acquire); }, kConnectMilliseconds)) {
        shutdown();
        return false;
    }
    return true;
}

std::vector<std::string> JackMidiPort::destinations(const std::string& clientName)
{
    std::vector<std::string> names;
    jack_status_t status{};
    jack_client_t* client = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
    if (client == nullptr) return names;
    if (const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput)) {
        for (const char** port = ports; *port != nullptr; ++port) names.emplace_back(*port);
        jack_free(static_cast<void*>(ports));
    }
    jack_client_close(client);
    return names;
}

void JackMidiPort::close()
{
    if (client_ == nullptr) return;
    // What the process thread has written into the port's buffer is read by
    // the destination later in the same cycle: one more cycle after the ring
    // is empty means it has all arrived.
    if (waitUntil([this] { return pending() == 0; }, kDrainMilliseconds)) waitCycles(1, kDrainMilliseconds);
    shutdown();
}

void JackMidiPort::shutdown()
{
    jack_client_t* client = clientOf(client_);
    jack_deactivate(client);
    jack_client_close(client);  // unregisters the port too
    client_ = nullptr;
    port_ = nullptr;
}

size_t JackMidiPort::pending() const
{
    return static_cast<size_t>(written_.load(std::memory_order_acquire) - read_.load(std::memory_order_acquire));
}

bool JackMidiPort::waitCycles(uint64_t cycles, int limitMilliseconds) const
{
    const uint64_t target = cycles_.load(std::memory_order_acquire) + cycles;
    return waitUntil([&] { return cycles_.load(std::memory_order_acquire) >= target; }, limitMilliseconds);
}

bool JackMidiPort::send(const uint8_t* data, size_t length)
{
    if (client_ == nullptr || data == nullptr || length == 0) return false;
    const uint64_t written = written_.load(std::memory_order_relaxed);
    const uint64_t read = read_.load(std::memory_order_acquire);
    if (kLengthBytes + length > ring_.size() - (written - read)) return false;
    const size_t mask = ring_.size() - 1;
    uint64_t at = written;
    for (size_t i = 0; i < kLengthBytes; ++i) ring_[at++ & mask] = static_cast<uint8_t>(length >> (8 * i));
    for (size_t i = 0; i < length; ++i) ring_[at++ & mask] = data[i];
    written_.store(at, std::memory_order_release);
    return true;
}

int JackMidiPort::processCallback(uint32_t frames, void* self)
{
    return static_cast<JackMidiPort*>(self)->process(frames);
}

int JackMidiPort::process(uint32_t frames)
{
    void* buffer = jack_port_get_buffer(portOf(port_), frames);
    jack_midi_clear_buffer(buffer);
    if (!connected_.load(std::memory_order_relaxed)) {
        // Held back until the graph this cycle runs with has the connection.
        if (jack_port_connected(portOf(port_)) <= 0) {
            cycles_.fetch_add(1, std::memory_order_release);
            return 0;
        }
        connected_.store(true, std::memory_order_release);
    }
    const size_t mask = ring_.size() - 1;
    uint64_t read = read_.load(std::memory_order_relaxed);
    const uint64_t written = written_.load(std::memory_order_acquire);
    while (written - read >= kLengthBytes) {
        size_t length = 0;
        for (size_t i = 0; i < kLengthBytes; ++i) length |= size_t{ring_[(read + i) & mask]} << (8 * i);
        jack_midi_data_t* out = jack_midi_event_reserve(buffer, 0, length);
        if (out == nullptr) {
            // The buffer is full: the rest goes out next cycle. A message
            // too large for even an empty buffer can never go and is dropped.
            if (jack_midi_get_event_count(buffer) != 0) break;
            read += kLengthBytes + length;
            continue;
        }
        for (size_t i = 0; i < length; ++i) out[i] = ring_[(read + kLengthBytes + i) & mask];
        read += kLengthBytes + length;
    }
    read_.store(read, std::memory_order_release);
    cycles_.fetch_add(1, std::memory_order_release);
    return 0;
}

}  // namespace zema
