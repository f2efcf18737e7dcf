// The Japanese 106/109-key keyboard, the layout Vendrix's users have.
#pragma once

#include <cstdint>

namespace vendrix::sim {

// The shift-state bit of a VkKeyScan result.
inline constexpr int16_t kVkScanShift = 0x100;

// VkKeyScanA on that layout: the key in the low byte, the shift state in
// the high byte; -1 for characters no key types (control characters and
// bytes from 0x80).
int16_t JisVkKeyScan(unsigned char character);

// The PC/AT set-1 scan code of a virtual key, as MapVirtualKeyA(vk, 0)
// gives it (no 0xE0 prefix for the extended keys); 0 when unknown.
uint32_t ScanCodeOfVk(uint32_t vk);

}  // namespace vendrix::sim
