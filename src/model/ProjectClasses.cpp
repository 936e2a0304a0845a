// Track values with their bounds, and the track rules of Mute and Solo.
#include "model/ProjectClasses.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace lumivox {

int ResolutionMs(int resolutionIndex) {
    switch (resolutionIndex) {
    case 1:
        return 100;
    case 2:
        return 500;
    case 3:
        return 1000;
    default:
        return 0;
    }
}

bool IsValidResolutionIndex(int resolutionIndex) {
    return ResolutionMs(resolutionIndex) != 0;
}

namespace {

std::uint64_t NextVersion() {
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}

} // namespace

TSlotValues::TSlotValues(int slotCount)
    : Bytes(std::make_shared<std::vector<std::uint8_t>>(
          static_cast<std::size_t>(std::max(0, slotCount)))),
      Stamp(NextVersion()) {}

void TSlotValues::Detach() {
    if (!Bytes)
        Bytes = std::make_shared<std::vector<std::uint8_t>>();
    else if (Bytes.use_count() > 1)
        Bytes = std::make_shared<std::vector<std::uint8_t>>(*Bytes);
    Stamp = NextVersion();
}

std::uint8_t* TSlotValues::Data() {
    Detach();
    return Bytes->data();
}

bool TSlotValues::SetValue(int index, std::uint8_t value) {
    if (index < 1 || index >= SlotCount())
        return false;
    Detach();
    (*Bytes)[static_cast<std::size_t>(index - 1)] = value;
    return true;
}

bool TSlotValues::GetValue(int index, std::uint8_t& value) const {
    if (index < 1 || index >= SlotCount())
        return false;
    value = (*Bytes)[static_cast<std::size_t>(index - 1)];
    return true;
}

void TSlotValues::Resize(int newCount) {
    if (newCount < 0 || newCount > MaxSlotCount || newCount == SlotCount())
        return;
    Detach();
    Bytes->resize(static_cast<std::size_t>(newCount), 0);
}

bool operator==(const TSlotValues& a, const TSlotValues& b) {
    if (a.Bytes == b.Bytes)
        return true;
    if (a.SlotCount() != b.SlotCount())
        return false;
    return a.SlotCount() == 0 ||
           std::memcmp(a.Bytes->data(), b.Bytes->data(), a.Bytes->size()) == 0;
}

TFullTrack::TFullTrack(int slotCount, std::unique_ptr<ITrackHeader> header)
    : Header(std::move(header)), Values(slotCount) {}

void TFullTrack::SetMute(bool flag) {
    Mute = flag;
    if (flag)
        Solo = false;
}

void TFullTrack::SetSolo(bool flag) {
    Solo = flag;
    if (flag)
        Mute = false;
}

TFullDataTrack::TFullDataTrack(int slotCount) : Values(slotCount) {}

} // namespace lumivox
