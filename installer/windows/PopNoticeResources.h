#pragma once

// Control ids of the two dialog templates (101 with two buttons, 201 with one), shared by the
// resource script and the dialog procedures. The buttons are 1 (and 2) in both.
#define twoButtonTextId 1007
#define twoButtonIconId 1008
#define oneButtonTextId 2007
#define oneButtonIconId 2008
