#include "playback/midi_output.h"

namespace zema {

namespace {
constexpr uint8_t kGmSystemOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
constexpr uint8_t kGsReset[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
constexpr uint8_t kXgSystemOn[] = {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
constexpr uint8_t kSc88Mode1[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x00, 0x00, 0x7F, 0x00, 0x01, 0xF7};
constexpr uint8_t kSd80Native[] = {0xF0, 0x41, 0x10, 0x00, 0x48, 0x12, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF7};
}  // namespace

std::span<const uint8_t> resetMessage(int32_t resetType)
{
    switch (static_cast<ResetType>(resetType)) {
    case ResetType::GmSystemOn: return kGmSystemOn;
    case ResetType::GsReset: return kGsReset;
    case ResetType::XgSystemOn: return kXgSystemOn;
    case ResetType::Sc88Mode1: return kSc88Mode1;
    case ResetType::Sd80Native: return kSd80Native;
    case ResetType::None: break;
    }
    return {};
}

std::array<uint8_t, 3> packShortMessage(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2)
{
    return {static_cast<uint8_t>((status & 0xF0) | (channel & 0x0F)), static_cast<uint8_t>(data1 & 0x7F),
            static_cast<uint8_t>(data2 & 0x7F)};
}

int shortMessageLength(uint8_t status)
{
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0: return 2;
    case 0xF0: return 1;
    default: return 3;
    }
}

int IMidi::SendReset(int32_t resetType)
{
    if (resetType == static_cast<int32_t>(ResetType::None)) return 0;
    const auto bytes = resetMessage(resetType);
    if (bytes.empty()) return 1;
    return LongMsg(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

}  // namespace zema
