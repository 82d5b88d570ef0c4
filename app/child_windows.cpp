#include "app/child_windows.h"

#include "game/bpgn_file.h"
#include "platform/text_codec.h"
