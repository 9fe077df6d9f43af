// The three level icons every window shows beside an event's type text.
#pragma once

#include <array>

#include <QIcon>

// Cuts the 45x15 strip into its three icons; white is transparent.
// Index = level. GUI thread only.
std::array<QIcon, 3> LoadLevelIcons();
