#pragma once
// The frame's child windows: the play window and the game viewer.
#include <QString>
#include <string>

#include "display/board_window.h"
#include "play/play_window.h"
#include "tools/viewer_window.h"
