// The simulated keyboard and mouse buttons: the keys the user holds, as the
// description times them, and the keys and buttons the program injects.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_pointer.h"
#include "platform/sim/sim_world.h"

namespace vendrix::sim {

class SimInput final : public platform::Input {
 public:
  SimInput(SimWorld& world, SimPointer& pointer, std::vector<KeyHold> keyHolds);

  int16_t GetAsyncKeyState(int vk) override;
  int16_t GetKeyState(int vk) override;
  int16_t PollKey(int vk) override;
  void BlockInput(bool block) override;
  void SendKeyboardInput(uint16_t vk, uint16_t scan, uint32_t flags, uint32_t extra) override;
  void SendMouseInput(int32_t dx, int32_t dy, int32_t data, uint32_t flags, uint32_t extra) override;
  void KeybdEvent(uint8_t vk, uint8_t scan, uint32_t flags, uint32_t extra) override;
  void MouseEvent(uint32_t flags, int32_t dx, int32_t dy, int32_t data, uint32_t extra) override;
  uint32_t MapVirtualKey(uint32_t code, uint32_t mapType) override;
  int16_t VkKeyScan(char character) override;

  bool InjectedKeyDown(int vk) const;
  std::vector<int> InjectedKeysDown() const;
  bool InputBlocked() const { return inputBlocked_; }
  // The last moment a key the user holds goes down or up.
  uint64_t LastKeyChangeMs() const { return lastKeyChangeMs_; }

 private:
  bool HeldByUser(int vk);
  void RefreshHeldKeys();
  int16_t KeyState(int vk);
  void ApplyInjectedKey(int vk, uint32_t keyFlags);
  void ApplyInjectedMouse(uint32_t mouseFlags);

  SimWorld& world_;
  SimPointer& pointer_;
  std::vector<KeyHold> keyHolds_;
  uint64_t lastKeyChangeMs_ = 0;
  // The keys the user holds at heldAtMs_: worked out once per moment of the
  // clock, since a wait for a key polls every key at each moment.
  uint64_t heldAtMs_ = UINT64_MAX;
  std::bitset<256> heldByUser_;
  std::array<bool, 256> injectedDown_{};
  bool inputBlocked_ = false;
};

}  // namespace vendrix::sim
