#pragma once

struct TMainActions;

// Gives every toolbar action its icon: one set drawn in code on a 16 x 16 grid
// (and at twice that size for dense screens), dark outlines, white paper, blue
// for the source side, orange for the target side, green to start, red to stop.
void SetActionIcons(TMainActions& actions);
