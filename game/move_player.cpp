#include "game/kestro_game.h"

int CKestroGame::PlayBpgnMove(BpgnMove&, TwoBoardPosition&, int, HandCheck) { return 0; }
