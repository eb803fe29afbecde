// Preview pictures for judging the artwork: a contact sheet of every picture
// and a mock-up of the whole board with the pieces in their places.
#pragma once

#include <QImage>

namespace preview {

// Every picture at 1x on a checkered ground with its name, the dice also at 2x.
QImage contactSheet();

// The 692 x 544 window as a game in progress would show it, at the given scale.
QImage boardMockup(int scale);

} // namespace preview
