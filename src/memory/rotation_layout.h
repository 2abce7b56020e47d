#pragma once

#include <cstdint>

namespace rotaryn::rotation {

// The rotation list at P, the value at "MapPointer": two copies of the count, the position
// playing, then one 36-byte entry per map.
inline constexpr int32_t kSecondCountOffset = 4;
inline constexpr int32_t kCountOffset = 8;
inline constexpr int32_t kCurrentOffset = 12;
inline constexpr int32_t kFirstEntryOffset = 16;
inline constexpr int32_t kEntrySize = 36;
inline constexpr int32_t kEntryCustomOffset = 32;

// Map slots from "BaseAdd", one per map; the display name ("MapNameAdd" for slot 0) sits at 527.
inline constexpr int32_t kSlotSize = 1840;
inline constexpr int32_t kSlotNameOffset = 527;
inline constexpr int32_t kSlotConstantOffset = 1300;
inline constexpr int32_t kSlotMarkerOffset = 1308;
inline constexpr int32_t kSlotTypeOffset = 1309;
inline constexpr int32_t kSlotCustomOffset = 1808;
inline constexpr int32_t kMarkerFromName = kSlotMarkerOffset - kSlotNameOffset;
inline constexpr int32_t kSlotTypeFromName = kSlotTypeOffset - kSlotNameOffset;
// Every slot the server may start carries this value.
inline constexpr int32_t kSlotConstant = 0x02251B60;

inline constexpr int32_t kMaxRotation = 255;

}  // namespace rotaryn::rotation
