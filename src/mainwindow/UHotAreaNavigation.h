// Moving the selection on the device picture with the arrow keys, in the device's own
// geometry: left and right along a row of controllers, up and down between rows. The step
// goes to the nearest hot area (kHotAreaInfo) that lies in the direction and shares a band
// with the current one (rows for left and right, columns for up and down); at an edge of the
// device it stays where it is. Nothing wraps.
#pragma once

class UHotAreaNavigation {
 public:
  enum class EDirection { Left, Right, Up, Down };

  // The controller one step from `from` in `direction`; `from` itself at an edge. With no
  // valid `from` (no selection) every direction gives the first controller, R1.
  static long Step(long from, EDirection direction);
};
