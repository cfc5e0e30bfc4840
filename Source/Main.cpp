#include "DunmoorApplication.h"

START_JUCE_APPLICATION (DunmoorApplication)
