// The version text every client sends at log-in and the host checks against.
#pragma once

inline constexpr char GameVersion[] = "1.0.9";
