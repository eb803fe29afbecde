// Per-pixel textures: the green felt of the dice tray and the wood planks
// behind the board. Both use fixed seeds so every run gives the same pixels.
#pragma once

#include <QImage>
#include <QSize>

namespace texture {

inline constexpr QSize FeltSize{488, 280};
inline constexpr QSize WoodSize{300, 128};

// Felt at the given scale (device pixels per logical pixel).
QImage felt(int scale);

// Wood tile at the given scale; it repeats seamlessly in both directions.
QImage wood(int scale);

} // namespace texture
