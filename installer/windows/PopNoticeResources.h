#pragma once

// Control ids of the two dialog templates (101 with two buttons, 201 with one), shared by the
// resource script and the dialog procedures. The buttons are 1 (and 2) in both.
#define NOTICE_TWO_BUTTON_TEXT 1007
#define NOTICE_TWO_BUTTON_ICON 1008
#define NOTICE_ONE_BUTTON_TEXT 2007
#define NOTICE_ONE_BUTTON_ICON 2008
