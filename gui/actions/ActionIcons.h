#pragma once

class QToolBar;
struct TMainActions;

// Gives every toolbar action its icon: one set drawn in code on a 16 x 16 grid
// (and at twice that size for dense screens), dark outlines, white paper, blue
// for the source side, orange for the target side, green to start, red to stop.
// In the menus a toggle keeps only its check mark.
void SetActionIcons(TMainActions& actions);

// Draws the checked toggles of bar as clearly pressed buttons: a filled panel
// with an outline in the selection colour, where the style's own sunken shade
// hardly shows. Call once the bar holds its actions.
void ShowPressedToggles(QToolBar* bar);
