#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zema {

// A MIDI output port of a JACK client of our own, connected to one
// destination port.
//
// Messages go through a lock-free byte ring to JACK's process thread, which
// writes them into the port's buffer once per cycle. Two things a plain
// "drain everything every cycle" output gets wrong are handled here:
// - a connection takes effect at a later cycle than jack_connect returns,
//   so the first messages (a reset, the programs) would go to a port that is
//   not connected yet: nothing leaves the ring until the process thread has
//   seen the connection, and open() returns only then;
// - a cycle's port buffer holds a limited number of bytes: what does not fit
//   stays in the ring for the next cycle instead of being dropped.
//
// Threads: send() from one thread at a time (the IMidi contract); the
// process callback runs on JACK's thread; open() and close() on the owner's.
class JackMidiPort {
public:
    JackMidiPort();
    ~JackMidiPort();
    JackMidiPort(const JackMidiPort&) = delete;
    JackMidiPort& operator=(const JackMidiPort&) = delete;

    // Registers the client `clientName` (JACK may add a suffix), its port
    // "output", connects it to `destination` ("client:port") and waits until
    // the connection carries data. False when the server, the port or the
    // connection is not there (nothing is left open then).
    bool open(const std::string& clientName, const std::string& destination);
    // The MIDI input ports of the running server ("client:port"), as a client
    // named `clientName` sees them; empty when no server runs.
    [[nodiscard]] static std::vector<std::string> destinations(const std::string& clientName);

    // Lets what was sent reach the destination (a bounded wait), then
    // disconnects and closes the client.
    void close();
    [[nodiscard]] bool isOpen() const { return client_ != nullptr; }

    // Queues one message for the next cycle: false when the port is closed,
    // the message empty, or the ring has no room for it.
    bool send(const uint8_t* data, size_t length);

private:
    static int processCallback(uint32_t frames, void* self);
    int process(uint32_t frames);
    void shutdown();
    [[nodiscard]] size_t pending() const;
    // Waits (bounded) until the process thread has run `cycles` more cycles.
    bool waitCycles(uint64_t cycles, int limitMilliseconds) const;

    void* client_ = nullptr;  // jack_client_t
    void* port_ = nullptr;    // jack_port_t
    // Byte ring: each message is a 4-byte length and its bytes. Positions
    // grow without wrapping; the index is position & (size - 1).
    std::vector<uint8_t> ring_;
    std::atomic<uint64_t> written_{0};
    std::atomic<uint64_t> read_{0};
    std::atomic<bool> connected_{false};
    std::atomic<uint64_t> cycles_{0};
};

}  // namespace zema
